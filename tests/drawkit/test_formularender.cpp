// Formulas rendered with the real fonts (Liberation faces) on an image: the
// picture has the measured size, and ink lies where the layout says.
#include "engine/formuladraw.h"
#include "engine/formulapicture.h"
#include "drawkit/qpaintercanvas.h"
#include "support/testsupport.h"

#include <QPainter>

using namespace formuladraw;

namespace {

bool Ink(QRgb p) { return qRed(p) < 160 || qGreen(p) < 160 || qBlue(p) < 160; }
// Dark red: much more red than green and blue.
bool DarkRed(QRgb p) { return qRed(p) > qGreen(p) + 40 && qRed(p) > qBlue(p) + 40; }

int Count(const QImage& img, const QRect& r, bool (*test)(QRgb))
{
    int n = 0;
    for (int y = std::max(0, r.top()); y <= std::min(img.height() - 1, r.bottom()); ++y)
        for (int x = std::max(0, r.left()); x <= std::min(img.width() - 1, r.right()); ++x)
            n += test(img.pixel(x, y)) ? 1 : 0;
    return n;
}

// Measures the part at size 20 on a recorded picture with the screen's
// metrics, draws it at (2, 2) on a picture 4 pixels larger, renders it.
struct Rendered {
    Box box;
    QImage image;
};
Rendered Render(const Part& part)
{
    QtCanvasMetrics& m = QtCanvasMetrics::shared();
    FormulaPicture measuring(&m);
    Rendered r;
    r.box = part.Measure(measuring, 20);
    FormulaPicture pic(&m);
    pic.setSize(r.box.width + 4, r.box.height() + 4);
    part.Draw(pic, 2, 2, 20);
    r.image = RenderPicture(pic, clWhite).convertToFormat(QImage::Format_RGB32);
    return r;
}

Part Digit(const char* t) { return TextPart(QString::fromLatin1(t), TimesFace(), 0); }

} // namespace

TEST(FormulaRender, QuotientHasNumeratorBarAndDenominatorWhereMeasured)
{
    const Part q{[](Canvas& c, int s) { return MeasureQuotient(c, s, Digit("12"), Digit("3")); },
                 [](Canvas& c, int x, int y, int s) { DrawQuotient(c, x, y, s, Digit("12"), Digit("3")); }};
    const Rendered r = Render(q);
    ASSERT_EQ(r.image.size(), QSize(r.box.width + 4, r.box.height() + 4));
    const int bar = 2 + r.box.above;
    // The bar: a full row of ink across the width.
    EXPECT_EQ(Count(r.image, QRect(2, bar, r.box.width, 1), Ink), r.box.width);
    // Digits above and below it, nothing in the margin at the left and right.
    EXPECT_GT(Count(r.image, QRect(2, 2, r.box.width, r.box.above - 1), Ink), 10);
    EXPECT_GT(Count(r.image, QRect(2, bar + 1, r.box.width, r.box.below - 1), Ink), 10);
    EXPECT_EQ(Count(r.image, QRect(0, 0, 2, r.image.height()), Ink), 0);
    EXPECT_EQ(Count(r.image, QRect(r.image.width() - 1, 0, 1, r.image.height()), Ink), 0);
}

TEST(FormulaRender, BaseSubscriptIsSmallDarkRedAtTheBottomRight)
{
    const NumberText n = MakeNumberText(QStringLiteral("FF [16]"), 16);
    const Part num{[n](Canvas& c, int s) { return MeasureNumber(c, s, n); },
                   [n](Canvas& c, int x, int y, int s) { DrawNumber(c, x, y, s, n); }};
    const Rendered r = Render(num);
    const int w = r.image.width(), h = r.image.height();
    EXPECT_GT(Count(r.image, QRect(w / 2, h / 2, w - w / 2, h - h / 2), DarkRed), 3);
    EXPECT_EQ(Count(r.image, QRect(0, 0, w / 2, h), DarkRed), 0);
    EXPECT_EQ(Count(r.image, QRect(0, 0, w, h / 3), DarkRed), 0);
    // The digits themselves are black.
    EXPECT_GT(Count(r.image, QRect(0, 0, w / 2, h), Ink), 10);
}

TEST(FormulaRender, PiRadicalAndProductDot)
{
    const Part pi{[](Canvas& c, int s) { return MeasureConstant(c, s, QStringLiteral("pi")); },
                  [](Canvas& c, int x, int y, int s) { DrawConstant(c, x, y, s, QStringLiteral("pi")); }};
    const Rendered p = Render(pi);
    EXPECT_GT(Count(p.image, p.image.rect(), Ink), 10);

    const Part root{[](Canvas& c, int s) { return MeasureRadical(c, s, Digit("2")); },
                    [](Canvas& c, int x, int y, int s) { DrawRadical(c, x, y, s, Digit("2")); }};
    const Rendered r = Render(root);
    // The top stroke of the radical over the argument, at y = 2 + size div 10.
    const Box arg = [] {
        FormulaPicture m(&QtCanvasMetrics::shared());
        return Digit("2").Measure(m, 20);
    }();
    EXPECT_EQ(Count(r.image, QRect(r.box.width + 2 - arg.width, 2 + 2, arg.width, 1), Ink), arg.width);

    const Part dot{[](Canvas& c, int s) { return MeasureProduct(c, s, Digit("2"), Digit("3"), true); },
                   [](Canvas& c, int x, int y, int s) { DrawProduct(c, x, y, s, Digit("2"), Digit("3"), true); }};
    const Rendered d = Render(dot);
    // The 2 x 2 dot at (2 + W0 + 20 div 8 - 1 + 1, 2 + Above - 1): solid.
    const int dx = 2 + arg.width + 2, dy = 2 + d.box.above - 1;
    EXPECT_EQ(Count(d.image, QRect(dx, dy, 2, 2), Ink), 4);
}
