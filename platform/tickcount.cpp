#include "platform/tickcount.h"

#include "foundation/core/basicos.h"

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
    return ::TickCount();
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
