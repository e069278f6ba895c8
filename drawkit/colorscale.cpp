#include "drawkit/colorscale.h"

#include "foundation/core/extended.h"

#include <algorithm>
#include <cmath>

namespace {
int toByte(Extended v)
{
    // Ties to even, as the default rounding of the floating-point unit.
    const Extended r = std::nearbyintl(v * 255);
    if (!(r >= 0))
        return 0;
    return r > 255 ? 255 : int(r);
}

Extended channel(Extended m1, Extended m2, Extended h)
{
    if (h < 0)
        h += 1;
    else if (h > 1)
        h -= 1;
    if (6 * h < 1)
        return m1 + (m2 - m1) * h * 6;
    if (2 * h < 1)
        return m2;
    if (3 * h < 2)
        return m1 + (m2 - m1) * (Extended(2) / 3 - h) * 6;
    return m1;
}
}  // namespace

TColor HSLToColor(double hue, double saturation, double lightness)
{
    const Extended h = hue, s = saturation, l = lightness;
    if (s == 0) {
        const Extended v = std::roundl(l * 255);  // halves away from zero
        const int g = !(v >= 0) ? 0 : v > 255 ? 255 : int(v);
        return RGBColor(g, g, g);
    }
    const Extended m2 = l <= 0.5L ? l * (1 + s) : l + s - l * s;
    const Extended m1 = 2 * l - m2;
    const Extended third = Extended(1) / 3;
    return RGBColor(toByte(channel(m1, m2, h + third)), toByte(channel(m1, m2, h)),
                    toByte(channel(m1, m2, h - third)));
}

TColor ValueToScaleColor(double value, double saturation, double lightness)
{
    const double v = std::isnan(value) ? 0.0 : std::clamp(value, 0.0, 1.0);
    return HSLToColor(v * 0.85, saturation, lightness);
}
