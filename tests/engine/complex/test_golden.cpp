// Golden files tests/data/complex_*.txt piped through the test driver
// sumbrix-eval (format in tests/golden.h; each file starts with
// "#set domain complex").
#include "golden.h"

TEST(Golden, ComplexFiles)
{
    golden::RunGoldenFiles(QStringLiteral("complex_*.txt"));
}
