#pragma once
// Pictures for the drawing tests: a white sheet to draw on, and where and how
// much was drawn on it.
#include <QImage>
#include <QRect>

#include <algorithm>
#include <climits>

inline QImage whiteImage(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::white);
    return img;
}

// The bounding box of the pixels that differ from the background.
inline QRect inkBox(const QImage& img, QRgb background = qRgb(255, 255, 255))
{
    int l = INT_MAX, t = INT_MAX, r = INT_MIN, b = INT_MIN;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if ((img.pixel(x, y) & 0xFFFFFF) != (background & 0xFFFFFF)) {
                l = std::min(l, x);
                t = std::min(t, y);
                r = std::max(r, x);
                b = std::max(b, y);
            }
    if (l == INT_MAX)
        return QRect();
    return QRect(QPoint(l, t), QPoint(r, b));
}

// How many pixels differ from the background.
inline int inkCount(const QImage& img, QRgb background = qRgb(255, 255, 255))
{
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            n += (img.pixel(x, y) & 0xFFFFFF) != (background & 0xFFFFFF);
    return n;
}
