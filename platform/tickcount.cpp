#include "platform/tickcount.h"

#include <chrono>

namespace platform {

namespace {
struct TickState {
    bool fake = false;
    std::uint32_t value = 0;
};
TickState& state()
{
    static TickState s;
    return s;
}
} // namespace

std::uint32_t GetTickCount()
{
    const TickState& s = state();
    if (s.fake)
        return s.value;
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch()).count();
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(ms));
}

namespace tickcount {
void setFake(std::uint32_t ms)
{
    state().fake = true;
    state().value = ms;
}
void advance(std::uint32_t ms)
{
    if (!state().fake) {
        state().fake = true;
        state().value = 0;
    }
    state().value += ms; // unsigned: wraps like the real counter
}
void reset()
{
    state() = TickState{};
}
} // namespace tickcount

} // namespace platform
