#include "engine/angulos.h"

#include "engine/checked.h"

#include <cmath>

namespace {

// Only the low seven bits select the unit; anything beyond the six units is cycles.
AngleMode unitOf(AngleMode mode)
{
    return static_cast<AngleMode>(mode & 127);
}

Extended degreesToRad(Extended deg)
{
    return deg * kPi / 180;
}

} // namespace

std::int64_t RoundHalfAway(Extended x)
{
    const Extended whole = truncl(x);
    const Extended half = truncl(2 * (x - whole)); // -1, 0 or 1
    return checked::toInt64(half + whole);
}

Extended AngleToRad(AngleMode mode, Extended x)
{
    switch (unitOf(mode)) {
    case amRadians: return x;
    case amDegrees: return degreesToRad(x);
    case amGrads: return x * kPi / 200;
    case amDms: return DmsToRad(x);
    case amPi: return x * kPi;
    default: return x * 2 * kPi;
    }
}

Extended RadToAngle(AngleMode mode, Extended x)
{
    switch (unitOf(mode)) {
    case amRadians: return x;
    case amDegrees: return x * 180 / kPi;
    case amGrads: return x * 200 / kPi;
    case amDms: return RadToDms(x);
    case amPi: return x / kPi;
    default: return x / (2 * kPi);
    }
}

// The minutes and seconds pass through single-precision variables, as the
// conversion always did; the final rounding to a millionth of a degree hides
// the noise that brings.
Extended DmsToRad(Extended x)
{
    const Extended d = truncl(x);
    const float t = static_cast<float>((x - d) * 100);
    const Extended m = truncl(static_cast<Extended>(t));
    const float s = static_cast<float>((static_cast<Extended>(t) - m) * 100);
    const Extended degrees = d + m / 60 + static_cast<Extended>(s) / 3600;
    const Extended rounded = static_cast<Extended>(RoundHalfAway(degrees * 1000000)) / 1000000;
    return degreesToRad(rounded);
}

Extended RadToDms(Extended x)
{
    const Extended a = x * 180 / kPi;
    float g = static_cast<float>(truncl(a));
    float l = static_cast<float>(truncl(a * 60) - static_cast<Extended>(g) * 60);
    float s = static_cast<float>(static_cast<Extended>(RoundHalfAway(a * 360000))
                                 - static_cast<Extended>(g) * 360000
                                 - static_cast<Extended>(l) * 6000);
    // Seconds that round up to 60.00 carry into the minutes, and those into the degrees.
    if (s >= 6000) {
        s -= 6000;
        l += 1;
    }
    if (l >= 60) {
        l -= 60;
        g += 1;
    }
    const Extended packed = static_cast<Extended>(l) / 100 + static_cast<Extended>(g)
                            + static_cast<Extended>(s) / 1000000;
    return static_cast<Extended>(RoundHalfAway(packed * 1000000)) / 1000000;
}
