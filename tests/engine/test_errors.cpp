#include "engine/checked.h"
#include "engine/errors.h"
#include "support/testsupport.h"

#include <limits>

namespace {

TEST(Errors, CodesOfTheArithmeticFaults)
{
    EXPECT_EQ(EZeroDivide().code(), 11);
    EXPECT_EQ(EOverflow().code(), 12);
    EXPECT_EQ(EUnderflow().code(), 13);
    EXPECT_EQ(EInvalidArgument().code(), 14);
    EXPECT_EQ(EInvalidOp().code(), 15);
    EXPECT_EQ(EMathError("x").code(), 19);
    const EMathError& e = EOverflow();
    EXPECT_EQ(e.code(), 12) << "the code is virtual";
    EXPECT_FALSE(EZeroDivide().message().isEmpty());
}

TEST(Errors, CheckedArithmeticThrowsTheFault)
{
    const Extended big = std::numeric_limits<Extended>::max();
    EXPECT_THROW(checked::div(1, 0), EZeroDivide);
    EXPECT_THROW(checked::div(0, 0), EInvalidOp);
    EXPECT_THROW(checked::mul(big, 2), EOverflow);
    EXPECT_THROW(checked::add(big, big), EOverflow);
    EXPECT_THROW(checked::result(std::numeric_limits<Extended>::quiet_NaN()), EInvalidOp);
    EXPECT_EQ(checked::mul(1e-4000L, 1e-4000L), 0) << "underflow stays masked";
    EXPECT_EQ(checked::div(1, 4), 0.25L);
}

TEST(Errors, CheckedIntegerConversions)
{
    EXPECT_EQ(checked::toInt64(-2.9L), -2);
    EXPECT_EQ(checked::toInt64(9223372036854775807.0L), 9223372036854775807LL);
    EXPECT_THROW(checked::toInt64(9223372036854775808.0L), EInvalidOp);
    EXPECT_THROW(checked::toInt64(std::numeric_limits<Extended>::quiet_NaN()), EInvalidOp);
    EXPECT_EQ(checked::toInt32(-2147483648.5L), -2147483648);
    EXPECT_THROW(checked::toInt32(2147483648.0L), EInvalidOp);
    EXPECT_EQ(checked::round64(2.5L), 2);
    EXPECT_EQ(checked::round64(3.5L), 4);
}

} // namespace
