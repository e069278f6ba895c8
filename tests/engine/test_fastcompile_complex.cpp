// The linear compile path against the splitter in the complex engine.
#include "fastcompile_cases.h"

INSTANTIATE_TYPED_TEST_SUITE_P(Complex, FastCompileTest, ::testing::Types<bothways::Complex>, EngineNames);
