#pragma once
// The mapping between a rectangle of world coordinates (floating point) and
// the pixels of a painting surface, kept apart from the widget so that the
// arithmetic is checked without a window.

class TWorldScale {
public:
    // A surface of the given pixel size showing the world (0, 0)-(1, 1).
    explicit TWorldScale(int width = 0, int height = 0);

    // The pixel size the factors are computed with (without recomputing them
    // and without recording it for Resize).
    void SetSize(int width, int height);
    int Width() const { return m_width; }
    int Height() const { return m_height; }

    // Sets the four edges and both units-per-pixel factors.
    void SetScale(double left, double top, double right, double bottom);
    void SetScaleLeft(double v);
    void SetScaleRight(double v);
    void SetScaleTop(double v);
    void SetScaleBottom(double v);
    // Moves ScaleRight (ScaleBottom) so that the world width (height) is v.
    void SetScaleWidth(double v) { SetScaleRight(m_left + v); }
    void SetScaleHeight(double v) { SetScaleBottom(m_top + v); }

    double ScaleLeft() const { return m_left; }
    double ScaleTop() const { return m_top; }
    double ScaleRight() const { return m_right; }
    double ScaleBottom() const { return m_bottom; }
    double ScaleWidth() const { return m_right - m_left; }
    double ScaleHeight() const { return m_bottom - m_top; }

    // World units per pixel; y is negative for an upward y axis.
    double FactorX() const { return m_fx; }
    double FactorY() const { return m_fy; }

    // World to pixel, rounded to the nearest integer with ties to even. When
    // the two edges of an axis are equal no world value has a pixel of its
    // own: the result is then the first pixel (0). Results beyond the range
    // of int are kept at its ends.
    int WorldToPixelX(double x) const;
    int WorldToPixelY(double y) const;
    double PixelToWorldX(int px) const { return px * m_fx + m_left; }
    double PixelToWorldY(int py) const { return py * m_fy + m_top; }

    // The surface changed from the size recorded at the last resize (or at
    // construction) to the new one. With keepAspect the world size of a pixel
    // and the world centre stay the same (the world rectangle grows or
    // shrinks); without it the same world rectangle is stretched over the new
    // size. The new size is recorded.
    void Resize(int newWidth, int newHeight, bool keepAspect);
    int RecordedWidth() const { return m_recW; }
    int RecordedHeight() const { return m_recH; }

private:
    void computeX();
    void computeY();

    double m_left = 0, m_top = 0, m_right = 1, m_bottom = 1;
    double m_fx = 1, m_fy = 1;
    int m_width = 0, m_height = 0;
    int m_recW = 0, m_recH = 0;
};
