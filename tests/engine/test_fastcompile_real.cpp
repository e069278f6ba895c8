// The linear compile path against the splitter in the real engine.
#include "fastcompile_cases.h"

INSTANTIATE_TYPED_TEST_SUITE_P(Real, FastCompileTest, ::testing::Types<bothways::Real>, EngineNames);
