// Golden files tests/data/rational_*.txt piped through the test driver
// sumbrix-eval (format: tests/golden.h; each file starts with
// "#set domain rational").
#include "golden.h"

TEST(Golden, RationalFiles) { golden::RunGoldenFiles(QStringLiteral("rational_*.txt")); }
