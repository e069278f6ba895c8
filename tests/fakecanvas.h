#pragma once
// A canvas for layout tests: every character is charWidth pixels wide and a line
// of text is as high as the font's height in pixels (either sign, at least 1),
// so measured layouts are exact integers that do not depend on installed fonts.
// It records every call like the formula picture, and lists what it drew.
#include "engine/formulapicture.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <variant>

class FakeCanvas : public FormulaPicture {
public:
    explicit FakeCanvas(int charWidth = 8) : FormulaPicture(&m_fixed), m_fixed(charWidth) {}
    FakeCanvas(const FakeCanvas&) = delete;
    FakeCanvas& operator=(const FakeCanvas&) = delete;

    int charWidth() const { return m_fixed.charWidth(); }

    // A text as it was drawn, with the font in force at that moment.
    struct DrawnText {
        int x = 0, y = 0;
        QString text;
        CanvasFont font;
        CanvasBrush brush;
        bool operator==(const DrawnText&) const = default;
    };
    // A line, polyline segment, rectangle, ellipse or fill, with the pen in force.
    struct DrawnShape {
        enum Kind { Line, Rectangle, Ellipse, FillRect } kind = Line;
        TRect box;  // a line's end points are (Left, Top) and (Right, Bottom)
        CanvasPen pen;
        CanvasBrush brush;
        bool operator==(const DrawnShape&) const = default;
    };

    QList<DrawnText> texts() const
    {
        QList<DrawnText> out;
        walk([&](const CanvasFont& f, const CanvasPen&, const CanvasBrush& b, const PictureOp& op) {
            if (auto t = std::get_if<pictureop::Text>(&op))
                out.append(DrawnText{t->x, t->y, t->text, f, b});
        });
        return out;
    }

    // The drawn texts joined in drawing order, for a quick look at what appears.
    QString joinedText(const QString& sep = QString()) const
    {
        QStringList parts;
        for (const DrawnText& t : texts())
            parts << t.text;
        return parts.join(sep);
    }

    QList<DrawnShape> shapes() const
    {
        QList<DrawnShape> out;
        walk([&](const CanvasFont&, const CanvasPen& p, const CanvasBrush& b, const PictureOp& op) {
            if (auto l = std::get_if<pictureop::Line>(&op))
                out.append(DrawnShape{DrawnShape::Line, TRect{l->x1, l->y1, l->x2, l->y2}, p, b});
            else if (auto pl = std::get_if<pictureop::Polyline>(&op)) {
                for (qsizetype i = 1; i < pl->points.size(); ++i)
                    out.append(DrawnShape{DrawnShape::Line,
                                          TRect{pl->points[i - 1].X, pl->points[i - 1].Y, pl->points[i].X,
                                                pl->points[i].Y},
                                          p, b});
            } else if (auto r = std::get_if<pictureop::Rectangle>(&op))
                out.append(DrawnShape{DrawnShape::Rectangle, r->rect, p, b});
            else if (auto e = std::get_if<pictureop::Ellipse>(&op))
                out.append(DrawnShape{DrawnShape::Ellipse, e->rect, p, b});
            else if (auto fr = std::get_if<pictureop::FillRect>(&op))
                out.append(DrawnShape{DrawnShape::FillRect, fr->rect, p, b});
        });
        return out;
    }

private:
    template <class F>
    void walk(F f) const
    {
        CanvasFont font;
        CanvasPen pen;
        CanvasBrush brush;
        for (const PictureOp& op : ops()) {
            if (auto sf = std::get_if<pictureop::SetFont>(&op))
                font = sf->font;
            else if (auto sp = std::get_if<pictureop::SetPen>(&op))
                pen = sp->pen;
            else if (auto sb = std::get_if<pictureop::SetBrush>(&op))
                brush = sb->brush;
            else
                f(font, pen, brush, op);
        }
    }

    FixedWidthMetrics m_fixed;
};
