#pragma once
// How many pixels of a button's picture (at 16 x 16) are drawn, opaque, in
// exactly this colour: pictures drawn in a scheme colour show it.
#include "drawkit/drawkit.h"

#include <QIcon>
#include <QImage>

inline int IconPixelsOf(const QIcon& icon, TColor colour)
{
    const QImage img = icon.pixmap(16, 16).toImage();
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            n += qAlpha(img.pixel(x, y)) > 200 && FromQColor(img.pixelColor(x, y)) == colour ? 1 : 0;
    return n;
}
