#pragma once
// The formula picture: a canvas that records every drawing call so that the
// screen, the clipboard and every export can replay the same drawing (the
// in-memory "metafile" of the formula drawing). QtCore only.

#include "engine/canvas.h"

#include <QList>
#include <memory>
#include <variant>

// Metrics of a monospaced stand-in: every character `charWidth` pixels wide, a
// line as high as the font's height in pixels (either sign), at least 1. Exact
// integers, independent of installed fonts.
class FixedWidthMetrics : public CanvasMetrics {
public:
    explicit FixedWidthMetrics(int charWidth = 8) : m_charWidth(charWidth) {}
    int charWidth() const { return m_charWidth; }
    int textWidth(const CanvasFont& font, const QString& text) override;
    int textHeight(const CanvasFont& font) override;

private:
    int m_charWidth;
};

// The metrics that new pictures measure with when they are given none. The
// program sets the screen's font metrics at start-up; until then (and after
// reset()) a fixed-width stand-in answers.
struct PictureMetrics {
    static CanvasMetrics& current();
    // Not owned; nullptr goes back to the stand-in.
    static void set(CanvasMetrics* metrics);
    static void reset() { set(nullptr); }
};

// The recorded calls. Only changes of state and drawing are kept; measuring is
// answered by the metrics and leaves no trace.
namespace pictureop {
struct SetFont {
    CanvasFont font;
    bool operator==(const SetFont&) const = default;
};
struct SetPen {
    CanvasPen pen;
    bool operator==(const SetPen&) const = default;
};
struct SetBrush {
    CanvasBrush brush;
    bool operator==(const SetBrush&) const = default;
};
struct Text {
    int x = 0, y = 0;
    QString text;
    bool operator==(const Text&) const = default;
};
struct Line {
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    bool operator==(const Line&) const = default;
};
struct Polyline {
    QList<TPoint> points;
    bool operator==(const Polyline&) const = default;
};
struct Rectangle {
    TRect rect;
    bool operator==(const Rectangle&) const = default;
};
struct Ellipse {
    TRect rect;
    bool operator==(const Ellipse&) const = default;
};
struct FillRect {
    TRect rect;
    bool operator==(const FillRect&) const = default;
};
}  // namespace pictureop

using PictureOp = std::variant<pictureop::SetFont, pictureop::SetPen, pictureop::SetBrush, pictureop::Text,
                               pictureop::Line, pictureop::Polyline, pictureop::Rectangle, pictureop::Ellipse,
                               pictureop::FillRect>;

class FormulaPicture : public Canvas {
public:
    // `metrics` answers the measuring (not owned; it must outlive the picture);
    // nullptr takes PictureMetrics::current().
    explicit FormulaPicture(CanvasMetrics* metrics = nullptr);

    // The picture's extent in pixels; drawing outside it is kept all the same.
    int width() const { return m_width; }
    int height() const { return m_height; }
    void setSize(int width, int height);

    const QList<PictureOp>& ops() const { return m_ops; }
    bool isEmpty() const { return m_ops.isEmpty(); }
    // Forgets the calls and goes back to the starting font, pen and brush.
    void clear();

    // Replays the calls onto `target`, moved by (dx, dy). The picture starts from
    // the canvas defaults whatever the target's state; the target's font, pen,
    // brush and pen position are restored afterwards.
    void replay(Canvas& target, int dx = 0, int dy = 0) const;

    // A copy of the calls, the size and the metrics.
    std::unique_ptr<FormulaPicture> clone() const;

    CanvasMetrics& metrics() const { return *m_metrics; }

    // Same size and same calls.
    bool operator==(const FormulaPicture& other) const;

protected:
    void fontChanged() override;
    void penChanged() override;
    void brushChanged() override;
    int measureWidth(const QString& text) override;
    int measureHeight() override;
    void drawText(int x, int y, const QString& text) override;
    void drawLine(int x1, int y1, int x2, int y2) override;
    void drawPolyline(const QList<TPoint>& points) override;
    void drawRectangle(const TRect& r) override;
    void drawEllipse(const TRect& r) override;
    void drawFillRect(const TRect& r) override;

private:
    CanvasMetrics* m_metrics;
    int m_width = 0;
    int m_height = 0;
    QList<PictureOp> m_ops;
};
