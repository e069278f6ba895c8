// The linear compile path against the splitter in the rational engine.
#include "fastcompile_cases.h"

INSTANTIATE_TYPED_TEST_SUITE_P(Rational, FastCompileTest, ::testing::Types<bothways::Rational>, EngineNames);
