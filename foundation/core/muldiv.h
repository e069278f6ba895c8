#pragma once
// MulDiv with the meaning the program's geometry was written for: the product
// is formed in 64 bits, the quotient is rounded half away from zero, and a zero
// divisor (or a quotient outside 32 bits) gives -1 instead of a fault.
// The one definition is in muldiv.cpp.

int MulDiv(int number, int numerator, int denominator);
