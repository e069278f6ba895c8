// Golden files tests/data/real_*.txt piped through the test driver sumbrix-eval
// (format: tests/golden.h).
#include "golden.h"

TEST(Golden, RealFiles) { golden::RunGoldenFiles(QStringLiteral("real_*.txt")); }
