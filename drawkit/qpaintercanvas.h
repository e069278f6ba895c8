#pragma once
// The engine's Canvas over a QPainter, and the font metrics it measures with.
//
// Fonts: "Times New Roman", "Arial" and "Courier New" are drawn with the
// Liberation faces of the same metrics; the letters of the "Symbol" font are
// drawn as their Unicode look-alikes (p as the Greek pi) in the serif face.
// Heights follow the Windows sign convention and are at least one pixel.

#include "engine/canvas.h"

#include <QFont>
#include <QFontMetrics>
#include <QString>

#include <map>
#include <memory>

class FormulaPicture;
class QImage;
class QPainter;

class QtCanvasMetrics : public CanvasMetrics {
public:
    int textWidth(const CanvasFont& font, const QString& text) override;
    int textHeight(const CanvasFont& font) override;
    int ascent(const CanvasFont& font);

    // The Qt font for a canvas font (its colour aside), made once per font.
    const QFont& qfont(const CanvasFont& font);
    const QFontMetrics& metrics(const CanvasFont& font);

    // The text as it is drawn: the "Symbol" font's letters become their look-alikes.
    static QString displayText(const CanvasFont& font, const QString& text);
    // The face that stands in for a font name.
    static QString familyFor(const QString& name);
    // The pixel size (em height) of a canvas font height: -n is n pixels; n the
    // em whose cell (ascent + descent) is n pixels; at least 1.
    static int pixelSizeFor(const QString& name, int height, TFontStyles style);

    void clearCache() { m_cache.clear(); }

    // One instance for the program (never destroyed, so that no font outlives
    // the application object at exit).
    static QtCanvasMetrics& shared();

private:
    struct Entry {
        QFont font;
        QFontMetrics fm;
        explicit Entry(const QFont& f) : font(f), fm(f) {}
    };
    Entry& entry(const CanvasFont& font);
    std::map<QString, std::unique_ptr<Entry>> m_cache;
};

class QPainterCanvas : public Canvas {
public:
    // Draws on `painter` (not owned); measures with `metrics`, by default the
    // shared one. The painter's own state is left as it was after every call.
    explicit QPainterCanvas(QPainter& painter, QtCanvasMetrics* metrics = nullptr);

    QPainter& painter() { return m_painter; }
    QtCanvasMetrics& metrics() { return *m_metrics; }

protected:
    int measureWidth(const QString& text) override;
    int measureHeight() override;
    void drawText(int x, int y, const QString& text) override;
    void drawLine(int x1, int y1, int x2, int y2) override;
    void drawPolyline(const QList<TPoint>& points) override;
    void drawRectangle(const TRect& r) override;
    void drawEllipse(const TRect& r) override;
    void drawFillRect(const TRect& r) override;

private:
    void applyPenAndBrush();
    QPainter& m_painter;
    QtCanvasMetrics* m_metrics;
};

// The recorded picture on the screen: replayed at its own size with its
// top-left corner at (x, y), or stretched into `dest` (nothing for a picture or
// rectangle without extent). The painter's state is left as it was.
void DrawPicture(QPainter& painter, const FormulaPicture& picture, int x, int y);
void DrawPictureStretched(QPainter& painter, const FormulaPicture& picture, const TRect& dest);

// The picture as an image of its size on the background colour (for bitmap
// exports and the clipboard); a null image for a picture without extent.
QImage RenderPicture(const FormulaPicture& picture, TColor background);
