// The engine's canvas over a QPainter: fonts, measuring, placement, shapes, and
// the recorded picture replayed onto the screen.
#include "engine/formulapicture.h"
#include "drawkit/drawkit.h"
#include "drawkit/qpaintercanvas.h"
#include "inkimage.h"
#include "support/testsupport.h"

#include <QFontInfo>
#include <QPainter>

#include <climits>

namespace {

CanvasFont font(const QString& name, int height, TFontStyles style = 0)
{
    CanvasFont f;
    f.Name = name;
    f.Height = height;
    f.Style = style;
    return f;
}

// A small formula drawn the way the formula drawing does it: 1 over 2 with a bar.
void drawFraction(Canvas& c, int x, int y)
{
    c.setFont(font(QStringLiteral("Times New Roman"), -20));
    c.setBrushStyle(bsClear);
    const int w = std::max(c.textWidth(QStringLiteral("1")), c.textWidth(QStringLiteral("2"))) + 2;
    const int h = c.textHeight();
    c.textOut(x + (w - c.textWidth(QStringLiteral("1"))) / 2, y, QStringLiteral("1"));
    c.textOut(x + (w - c.textWidth(QStringLiteral("2"))) / 2, y + h, QStringLiteral("2"));
    c.setPenWidth(1);
    c.line(x, y + h, x + w, y + h);
    c.setFontName(QStringLiteral("Symbol"));
    c.setFontStyle(fsItalic);
    c.setFontColor(clMaroon);
    c.textOut(x + w + 2, y + h / 2, QStringLiteral("p"));
    c.setBrushStyle(bsSolid);
    c.setBrushColor(clBlack);
    c.rectangle(x + w + 20, y + h, x + w + 22, y + h + 2);
    c.polyline({{x + w + 30, y}, {x + w + 40, y + 10}, {x + w + 30, y + 20}});
    c.ellipse(x + w + 45, y, x + w + 55, y + 10);
}

}  // namespace

TEST(QtCanvasMetrics, FacesStandInForTheWindowsFonts)
{
    struct Case {
        QString name, family;
    } cases[] = {
        {QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif")},
        {QStringLiteral("times new roman"), QStringLiteral("Liberation Serif")},
        {QStringLiteral("Arial"), QStringLiteral("Liberation Sans")},
        {QStringLiteral("Courier New"), QStringLiteral("Liberation Mono")},
        {QStringLiteral("Symbol"), QStringLiteral("Liberation Serif")},
    };
    QtCanvasMetrics m;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        EXPECT_EQ(QtCanvasMetrics::familyFor(c.name), c.family);
        EXPECT_EQ(QFontInfo(m.qfont(font(c.name, -14))).family(), c.family);
    }
    EXPECT_EQ(QtCanvasMetrics::familyFor(QStringLiteral("DejaVu Sans")), QStringLiteral("DejaVu Sans"));
    const QFont& bold = m.qfont(font(QStringLiteral("Arial"), -14, fsBold | fsItalic | fsUnderline));
    EXPECT_TRUE(bold.bold());
    EXPECT_TRUE(bold.italic());
    EXPECT_TRUE(bold.underline());
    EXPECT_FALSE(bold.strikeOut());
}

TEST(QtCanvasMetrics, HeightSignConvention)
{
    QtCanvasMetrics m;
    for (const QString& name : {QStringLiteral("Times New Roman"), QStringLiteral("Arial")})
        for (int n : {6, 8, 13, 20, 33, 60}) {
            SCOPED_TRACE(testing::Message() << name.toStdString() << " " << n);
            // -n: the em is n pixels, the cell (with internal leading) taller.
            EXPECT_EQ(m.qfont(font(name, -n)).pixelSize(), n);
            EXPECT_GE(m.textHeight(font(name, -n)), n);
            if (n >= 13) {
                EXPECT_GT(m.textHeight(font(name, -n)), n);
            }
            // +n: the cell is n pixels (within the rounding of the em).
            EXPECT_LT(m.qfont(font(name, n)).pixelSize(), n);
            EXPECT_NEAR(m.textHeight(font(name, n)), n, 1);
        }
}

TEST(QtCanvasMetrics, ZeroHeightIsTheSmallestFontNotADefault)
{
    QtCanvasMetrics m;
    // Exponents of exponents shrink the size to 0: the font must not jump back
    // to a default size.
    for (int h : {0, -1, 1}) {
        SCOPED_TRACE(h);
        EXPECT_EQ(m.qfont(font(QStringLiteral("Times New Roman"), h)).pixelSize(), 1);
        EXPECT_LE(m.textHeight(font(QStringLiteral("Times New Roman"), h)), 3);
        EXPECT_LE(m.textWidth(font(QStringLiteral("Times New Roman"), h), QStringLiteral("12345")), 5);
    }
}

TEST(QtCanvasMetrics, SymbolLettersAreTheirLookAlikes)
{
    const CanvasFont sym = font(QStringLiteral("Symbol"), -20);
    struct Case {
        QString in, out;
    } cases[] = {
        {QStringLiteral("p"), QStringLiteral("π")},  {QStringLiteral("a"), QStringLiteral("α")},
        {QStringLiteral("W"), QStringLiteral("Ω")},  {QStringLiteral("S"), QStringLiteral("Σ")},
        {QStringLiteral("="), QStringLiteral("=")},  {QStringLiteral(">"), QStringLiteral(">")},
        {QStringLiteral("<"), QStringLiteral("<")},  {QStringLiteral("12"), QStringLiteral("12")},
        {QString(QChar(0xB3)), QStringLiteral("≥")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.in.toStdString());
        EXPECT_EQ(QtCanvasMetrics::displayText(sym, c.in), c.out);
    }
    EXPECT_EQ(QtCanvasMetrics::displayText(font(QStringLiteral("Times New Roman"), -20), QStringLiteral("p")),
              QStringLiteral("p"));
    QtCanvasMetrics m;
    QFont serif(QStringLiteral("Liberation Serif"));
    serif.setPixelSize(20);
    serif.setKerning(false);
    EXPECT_EQ(m.textWidth(sym, QStringLiteral("p")), QFontMetrics(serif).horizontalAdvance(QStringLiteral("π")));
}

TEST(QtCanvasMetrics, FontsAreMadeOncePerFont)
{
    QtCanvasMetrics m;
    CanvasFont a = font(QStringLiteral("Arial"), -14);
    const QFont* first = &m.qfont(a);
    a.Color = clRed;  // the colour is not part of the font
    EXPECT_EQ(&m.qfont(a), first);
    EXPECT_NE(&m.qfont(font(QStringLiteral("Arial"), -15)), first);
    EXPECT_EQ(&m.qfont(font(QStringLiteral("Arial"), -14)), first);
    EXPECT_EQ(&QtCanvasMetrics::shared(), &QtCanvasMetrics::shared());
}

TEST(QPainterCanvas, TextGoesAtTheTopLeftCorner)
{
    const CanvasFont f = font(QStringLiteral("Times New Roman"), -20);
    QImage a = whiteImage(100, 60), b = whiteImage(100, 60);
    int width = 0, height = 0;
    {
        QPainter p(&a);
        QPainterCanvas c(p);
        c.setFont(f);
        c.setBrushStyle(bsClear);
        c.textOut(10, 12, QStringLiteral("Mg"));
        width = c.textWidth(QStringLiteral("Mg"));
        height = c.textHeight();
    }
    {
        QPainter p(&b);
        const QFont& qf = QtCanvasMetrics::shared().qfont(f);
        p.setFont(qf);
        p.setPen(Qt::black);
        p.drawText(10, 12 + QFontMetrics(qf).ascent(), QStringLiteral("Mg"));
    }
    EXPECT_EQ(a, b);
    const QRect ink = inkBox(a);
    EXPECT_GE(ink.top(), 12);
    EXPECT_LE(ink.bottom(), 12 + height);  // the descender may touch the next row
    EXPECT_GE(ink.left(), 10);
    EXPECT_LE(ink.right(), 10 + width);
    EXPECT_LE(ink.left(), 12);
}

TEST(QPainterCanvas, SolidBrushFillsTheTextCell)
{
    QImage img = whiteImage(100, 60);
    QPainter p(&img);
    QPainterCanvas c(p);
    c.setFont(font(QStringLiteral("Arial"), -16));
    c.setFontColor(clWhite);
    c.setBrushColor(clBlue);
    c.textOut(5, 7, QStringLiteral("abc"));
    const int w = c.textWidth(QStringLiteral("abc")), h = c.textHeight();
    p.end();
    EXPECT_EQ(inkBox(img), QRect(5, 7, w, h));
    EXPECT_EQ(img.pixel(5, 7) & 0xFFFFFF, 0x0000FFu);
}

TEST(QPainterCanvas, ShapesFollowTheSystemBoxRules)
{
    struct Case {
        const char* what;
        void (*draw)(Canvas&);
        QRect ink;
        int count;
    } cases[] = {
        {"line, end not drawn", [](Canvas& c) { c.line(2, 3, 12, 3); }, QRect(2, 3, 10, 1), 10},
        {"polyline, last point not drawn",
         [](Canvas& c) { c.polyline({{2, 2}, {2, 8}, {9, 8}}); }, QRect(2, 2, 7, 7), 13},
        {"rectangle 2 x 2", [](Canvas& c) { c.rectangle(4, 4, 6, 6); }, QRect(4, 4, 2, 2), 4},
        {"rectangle outline", [](Canvas& c) { c.setBrushStyle(bsClear); c.rectangle(1, 1, 11, 6); },
         QRect(1, 1, 10, 5), 26},
        {"fill", [](Canvas& c) { c.setBrushColor(clBlack); c.fillRect(TRect{3, 3, 8, 5}); }, QRect(3, 3, 5, 2), 10},
        {"ellipse", [](Canvas& c) { c.ellipse(2, 3, 22, 13); }, QRect(2, 3, 20, 10), -1},
        {"clear pen", [](Canvas& c) { c.setPenStyle(psClear); c.line(1, 1, 9, 9); }, QRect(), 0},
        {"wide pen reaches the end", [](Canvas& c) { c.setPenWidth(3); c.line(5, 5, 15, 5); },
         QRect(QPoint(4, 4), QPoint(15, 6)), -1},
    };
    for (const Case& cs : cases) {
        SCOPED_TRACE(cs.what);
        QImage img = whiteImage(30, 30);
        {
            QPainter p(&img);
            QPainterCanvas c(p);
            cs.draw(c);
        }
        EXPECT_EQ(inkBox(img), cs.ink);
        if (cs.count >= 0) {
            EXPECT_EQ(inkCount(img), cs.count);
        }
    }
}

TEST(QPainterCanvas, LeavesThePainterAsItWas)
{
    QImage img = whiteImage(60, 60);
    QPainter p(&img);
    const QFont f(QStringLiteral("Liberation Mono"), 9);
    p.setFont(f);
    p.setPen(QPen(Qt::green, 3));
    p.setBrush(Qt::yellow);
    {
        QPainterCanvas c(p);
        drawFraction(c, 1, 1);
    }
    EXPECT_EQ(p.font(), f);
    EXPECT_EQ(p.pen(), QPen(Qt::green, 3));
    EXPECT_EQ(p.brush(), QBrush(Qt::yellow));
}

TEST(QPainterCanvas, ReplayedPictureDrawsTheSamePixels)
{
    // Measured and recorded with the screen's metrics, then replayed: the same
    // picture as drawing straight on the screen.
    FormulaPicture pic(&QtCanvasMetrics::shared());
    drawFraction(pic, 2, 2);
    pic.setSize(120, 60);

    QImage direct = whiteImage(120, 60), replayed = whiteImage(120, 60), moved = whiteImage(140, 80);
    {
        QPainter p(&direct);
        QPainterCanvas c(p);
        drawFraction(c, 2, 2);
    }
    {
        QPainter p(&replayed);
        QPainterCanvas c(p);
        pic.replay(c);
    }
    {
        QPainter p(&moved);
        QPainterCanvas c(p);
        pic.replay(c, 20, 20);
    }
    EXPECT_EQ(replayed, direct);
    EXPECT_EQ(moved.copy(20, 20, 120, 60), direct);
    EXPECT_GT(inkCount(direct), 50);
}

TEST(QPainterCanvas, RenderedFractionHasInkWhereExpected)
{
    FormulaPicture pic(&QtCanvasMetrics::shared());
    pic.setFont(font(QStringLiteral("Times New Roman"), -20));
    const int w = pic.textWidth(QStringLiteral("1")) + 2;
    const int h = pic.textHeight();
    drawFraction(pic, 2, 2);
    // The picture's size as the formula drawing gives it: the extent plus 4.
    pic.setSize(w + 60 + 4, 2 * h + 4);
    QImage img = whiteImage(pic.width(), pic.height());
    {
        QPainter p(&img);
        QPainterCanvas c(p);
        pic.replay(c);
    }
    EXPECT_EQ(img.size(), QSize(w + 64, 2 * h + 4));
    // The bar: every pixel of its row from x = 2 to 2 + w - 1 is inked, the end not.
    for (int x = 2; x < 2 + w; ++x)
        EXPECT_NE(img.pixel(x, 2 + h) & 0xFFFFFF, 0xFFFFFFu) << x;
    // Ink above the bar (the 1) and below it (the 2).
    EXPECT_GT(inkCount(img.copy(2, 2, w, h)), 5);
    EXPECT_GT(inkCount(img.copy(2, 3 + h, w, h - 1)), 5);
    // The pi is dark red somewhere to the right of the fraction.
    bool red = false;
    const QImage right = img.copy(2 + w + 2, 2, 18, 2 * h);
    for (int y = 0; y < right.height(); ++y)
        for (int x = 0; x < right.width(); ++x) {
            const QColor c = right.pixelColor(x, y);
            red = red || (c.red() > c.green() + 40 && c.red() > c.blue() + 40);
        }
    EXPECT_TRUE(red);
}

TEST(DrawPicture, RendersStretchesAndPlaces)
{
    FormulaPicture pic(&QtCanvasMetrics::shared());
    pic.setBrushColor(clBlack);
    pic.rectangle(2, 2, 12, 7);
    pic.setSize(14, 9);

    const QImage img = RenderPicture(pic, clWhite);
    ASSERT_EQ(img.size(), QSize(14, 9));
    EXPECT_EQ(inkBox(img), QRect(2, 2, 10, 5));
    EXPECT_EQ(img.pixel(0, 0) & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(RenderPicture(pic, clRed).pixel(0, 0) & 0xFFFFFF, 0xFF0000u);

    QImage placed = whiteImage(40, 40);
    {
        QPainter p(&placed);
        DrawPicture(p, pic, 10, 20);
    }
    EXPECT_EQ(inkBox(placed), QRect(12, 22, 10, 5));

    QImage stretched = whiteImage(40, 40);
    {
        QPainter p(&stretched);
        DrawPictureStretched(p, pic, TRect{0, 0, 28, 18});
        DrawPictureStretched(p, pic, TRect{5, 5, 5, 30});  // no extent: nothing
    }
    // Twice the size: the box covers (4, 4)-(23, 13); the scaled outline may
    // spread by a pixel outward.
    const QRect ink = inkBox(stretched);
    EXPECT_NEAR(ink.left(), 4, 1);
    EXPECT_NEAR(ink.top(), 4, 1);
    EXPECT_NEAR(ink.right(), 23, 1);
    EXPECT_NEAR(ink.bottom(), 13, 1);
    EXPECT_EQ(stretched.pixel(14, 9) & 0xFFFFFF, 0u);

    FormulaPicture empty(&QtCanvasMetrics::shared());
    EXPECT_TRUE(RenderPicture(empty, clWhite).isNull());
}
