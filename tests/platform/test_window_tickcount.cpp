// The tick counter and its fake clock for tests.
#include "platform/tickcount.h"
#include "support/fixtures.h"

namespace {
struct TickFixture : ProcessStateTest {};
} // namespace

TEST_F(TickFixture, FakeClockIsSetAndAdvanced)
{
    platform::tickcount::setFake(1000);
    EXPECT_EQ(platform::GetTickCount(), 1000u);
    EXPECT_EQ(platform::GetTickCount(), 1000u); // stands still
    platform::tickcount::advance(222);
    EXPECT_EQ(platform::GetTickCount(), 1222u);
}

TEST_F(TickFixture, FakeClockWrapsAt32Bits)
{
    platform::tickcount::setFake(0xFFFFFFF0u);
    platform::tickcount::advance(0x20);
    EXPECT_EQ(platform::GetTickCount(), 0x10u);
}

TEST_F(TickFixture, AdvanceWithoutAFakeStartsAtZero)
{
    platform::tickcount::advance(5);
    EXPECT_EQ(platform::GetTickCount(), 5u);
}

TEST_F(TickFixture, RealClockDoesNotGoBack)
{
    const std::uint32_t a = platform::GetTickCount();
    const std::uint32_t b = platform::GetTickCount();
    EXPECT_LT(b - a, 1000u); // unsigned: a wrap between the two reads is no step back
}
