#include "engine/real/fastmath.h"

namespace real::fastmath {

#include "engine/real/mathtables.inc"

} // namespace real::fastmath
