#include "controls/worldscale.h"

#include <climits>
#include <cmath>

namespace {

int roundToPixel(double offset, double factor)
{
    if (factor == 0 || !std::isfinite(factor))
        return 0;
    const double v = std::nearbyint(offset / factor); // ties to even
    if (std::isnan(v))
        return 0;
    if (v >= static_cast<double>(INT_MAX))
        return INT_MAX;
    if (v <= static_cast<double>(INT_MIN))
        return INT_MIN;
    return static_cast<int>(v);
}

} // namespace

TWorldScale::TWorldScale(int width, int height)
    : m_width(width), m_height(height), m_recW(width), m_recH(height)
{
    SetScale(0, 0, 1, 1);
}

void TWorldScale::SetSize(int width, int height)
{
    m_width = width;
    m_height = height;
}

void TWorldScale::computeX()
{
    if (m_width != 0)
        m_fx = (m_right - m_left) / m_width;
}

void TWorldScale::computeY()
{
    if (m_height != 0)
        m_fy = (m_bottom - m_top) / m_height;
}

void TWorldScale::SetScale(double left, double top, double right, double bottom)
{
    m_left = left;
    m_top = top;
    m_right = right;
    m_bottom = bottom;
    computeX();
    computeY();
}

void TWorldScale::SetScaleLeft(double v)
{
    m_left = v;
    computeX();
}

void TWorldScale::SetScaleRight(double v)
{
    m_right = v;
    computeX();
}

void TWorldScale::SetScaleTop(double v)
{
    m_top = v;
    computeY();
}

void TWorldScale::SetScaleBottom(double v)
{
    m_bottom = v;
    computeY();
}

int TWorldScale::WorldToPixelX(double x) const
{
    return roundToPixel(x - m_left, m_fx);
}

int TWorldScale::WorldToPixelY(double y) const
{
    return roundToPixel(y - m_top, m_fy);
}

void TWorldScale::Resize(int newWidth, int newHeight, bool keepAspect)
{
    if (keepAspect) {
        const int dx = (newWidth - m_recW) / 2;
        const int dy = (newHeight - m_recH) / 2;
        const double l = PixelToWorldX(-dx);
        const double t = PixelToWorldY(-dy);
        const double r = PixelToWorldX(dx + m_recW);
        const double b = PixelToWorldY(dy + m_recH);
        m_width = newWidth;
        m_height = newHeight;
        SetScale(l, t, r, b);
    } else {
        m_width = newWidth;
        m_height = newHeight;
        computeX();
        computeY();
    }
    m_recW = newWidth;
    m_recH = newHeight;
}
