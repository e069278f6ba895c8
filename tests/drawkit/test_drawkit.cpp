// Rectangle arithmetic, proportional fitting, bitmaps, regions, lines and text
// placement of the drawing kit.
#include "drawkit/drawkit.h"
#include "inkimage.h"
#include "support/testsupport.h"

#include <QFontDatabase>
#include <QPainter>

#include <climits>

namespace {

QFont serif(int px)
{
    QFont f(QStringLiteral("Liberation Serif"));
    f.setPixelSize(px);
    return f;
}

}  // namespace

TEST(Rects, MakeShrinkOffset)
{
    EXPECT_EQ(MakeRect(1, 2, 3, 4), (TRect{1, 2, 3, 4}));
    EXPECT_EQ(MakeBounds(10, 20, 5, 6), (TRect{10, 20, 15, 26}));
    TRect r{0, 0, 10, 8};
    ShrinkRect(r, 2);
    EXPECT_EQ(r, (TRect{2, 2, 8, 6}));
    ShrinkRect(r, -1);
    EXPECT_EQ(r, (TRect{1, 1, 9, 7}));
    OffsetRectBy(r, -3, 4);
    EXPECT_EQ(r, (TRect{-2, 5, 6, 11}));
    EXPECT_EQ(ToQRect(r), QRect(-2, 5, 8, 6));
    EXPECT_EQ(FromQRect(QRect(-2, 5, 8, 6)), r);
}

TEST(FitRectProportional, KeepsAspectAndCentres)
{
    struct Case {
        TRect picture, area;
        bool enlarge;
        TRect expected;
    } cases[] = {
        {{0, 0, 200, 100}, {0, 0, 100, 100}, false, {0, 25, 100, 75}},
        {{0, 0, 50, 20}, {0, 0, 100, 100}, false, {25, 40, 75, 60}},
        {{0, 0, 50, 20}, {0, 0, 100, 100}, true, {0, 30, 100, 70}},
        // Area wider than the picture: the height decides.
        {{0, 0, 100, 200}, {0, 0, 100, 100}, false, {25, 0, 75, 100}},
        {{0, 0, 10, 20}, {0, 0, 100, 100}, true, {25, 0, 75, 100}},
        {{0, 0, 10, 20}, {0, 0, 100, 100}, false, {45, 40, 55, 60}},
        // In the area's own coordinates, wherever the rectangles are.
        {{5, 5, 205, 105}, {300, 300, 400, 400}, false, {0, 25, 100, 75}},
        // MulDiv rounding: 30 * 100 / 70 = 42.86 -> 43; (100 - 43) / 2 = 28.
        {{0, 0, 70, 30}, {0, 0, 100, 100}, true, {0, 28, 100, 71}},
        // Same aspect ratio: the width branch.
        {{0, 0, 50, 50}, {0, 0, 100, 100}, true, {0, 0, 100, 100}},
        // Nothing to keep the aspect of: empty, at the centre, no division by zero.
        {{0, 0, 50, 0}, {0, 0, 100, 100}, true, {50, 50, 50, 50}},
        {{0, 0, 0, 0}, {0, 0, 100, 100}, false, {50, 50, 50, 50}},
        {{0, 0, 50, 20}, {0, 0, 100, 0}, true, {50, 0, 50, 0}},
        {{0, 0, 50, 20}, {0, 0, 0, 0}, false, {0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.picture.Width() << "x" << c.picture.Height() << " into "
                                        << c.area.Width() << "x" << c.area.Height() << " enlarge " << c.enlarge);
        TRect r{-1, -1, -1, -1};
        FitRectProportional(c.picture, c.area, c.enlarge, r);
        EXPECT_EQ(r, c.expected) << r.Left << "," << r.Top << "," << r.Right << "," << r.Bottom;
    }
}

TEST(Colors, SystemColoursResolveThroughTheTable)
{
    std::uint8_t r, g, b, x;
    ColorToRGBBytes(RGBColor(10, 20, 30), r, g, b, x);
    EXPECT_EQ(r, 10);
    EXPECT_EQ(g, 20);
    EXPECT_EQ(b, 30);
    EXPECT_EQ(x, 0);
    ColorToRGBBytes(clBtnFace, r, g, b, x);
    EXPECT_EQ(RGBColor(r, g, b), SysColor(15));
    EXPECT_EQ(x, 0);
    EXPECT_EQ(ColorToRGB(0xFF000005), clWhite);
    EXPECT_EQ(ColorToRGB(0x80000005), clWhite);  // any non-zero high byte
    EXPECT_EQ(ColorToRGB(0xFF0000C8), clBlack);  // unknown index
    EXPECT_EQ(ToQColor(RGBColor(1, 2, 3)), QColor(1, 2, 3));
    EXPECT_EQ(FromQColor(QColor(1, 2, 3)), RGBColor(1, 2, 3));
    EXPECT_EQ(ColorRed(clBlue), 0);
    EXPECT_EQ(ColorBlue(clBlue), 255);
}

TEST(CreateBitmap, SizeAndFormatFollowTheBitCount)
{
    struct Case {
        int bits;
        QImage::Format format;
        int depth;
    } cases[] = {
        {0, QImage::Format_RGB32, 32},    {1, QImage::Format_Mono, 1},       {4, QImage::Format_Indexed8, 8},
        {8, QImage::Format_Indexed8, 8},  {15, QImage::Format_RGB555, 16},   {16, QImage::Format_RGB16, 16},
        {24, QImage::Format_RGB888, 24},  {32, QImage::Format_RGB32, 32},    {7, QImage::Format_RGB32, 32},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bits);
        const QImage img = CreateBitmap(13, 7, c.bits);
        EXPECT_EQ(img.size(), QSize(13, 7));
        EXPECT_EQ(img.format(), c.format);
        EXPECT_EQ(img.depth(), c.depth);
        EXPECT_EQ(img.pixel(12, 6) & 0xFFFFFF, 0u);  // starts black
    }
    EXPECT_EQ(CreateBitmap(1, 1, 4).colorCount(), 16);
    EXPECT_EQ(CreateBitmap(1, 1, 8).colorCount(), 256);
    EXPECT_EQ(CreateBitmap(1, 1, 1).colorCount(), 2);
    EXPECT_TRUE(CreateBitmap(0, 5, 24).isNull());
    EXPECT_TRUE(CreateBitmap(-3, 5, 24).isNull());
}

TEST(CreateRegionFromBitmap, BottomLeftKeyLeavesTheOtherPixels)
{
    QImage img(20, 10, QImage::Format_RGB32);
    img.fill(qRgb(0, 255, 0));
    img.setPixel(0, 0, qRgb(1, 255, 0));    // differs by one in red
    img.setPixel(19, 9, qRgb(0, 0, 0));
    for (int x = 5; x < 9; ++x)
        img.setPixel(x, 3, qRgb(200, 10, 10));
    const TColor key = FromQColor(img.pixelColor(0, img.height() - 1));
    const auto region = CreateRegionFromBitmap(&img, key, 0);
    ASSERT_TRUE(region.has_value());
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            SCOPED_TRACE(testing::Message() << x << "," << y);
            EXPECT_EQ(region->contains(QPoint(x, y)), img.pixel(x, y) != img.pixel(0, 9));
        }
    // A tolerance of 1 in red takes the pixel at (0, 0) in as key coloured.
    const auto tolerant = CreateRegionFromBitmap(&img, key, RGBColor(1, 0, 0));
    ASSERT_TRUE(tolerant.has_value());
    EXPECT_FALSE(tolerant->contains(QPoint(0, 0)));
    EXPECT_TRUE(tolerant->contains(QPoint(19, 9)));
    EXPECT_TRUE(tolerant->contains(QPoint(6, 3)));
    // The range runs upward from the key only: red 1..2 leaves red 0 out.
    const auto above = CreateRegionFromBitmap(&img, RGBColor(1, 255, 0), RGBColor(1, 0, 0));
    ASSERT_TRUE(above.has_value());
    EXPECT_TRUE(above->contains(QPoint(3, 3)));
    EXPECT_FALSE(above->contains(QPoint(0, 0)));
    // The range stops at 255: a tolerance beyond it does not wrap round to 0.
    const auto top = CreateRegionFromBitmap(&img, RGBColor(0, 250, 0), RGBColor(0, 100, 0));
    EXPECT_FALSE(top->contains(QPoint(3, 3)));
    EXPECT_TRUE(top->contains(QPoint(19, 9)));
}

TEST(CreateRegionFromBitmap, ManyRunsAreGatheredInBatches)
{
    // A checkerboard of 100 x 100 has 5000 one-pixel runs: more than two batches.
    QImage img(100, 100, QImage::Format_RGB32);
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x)
            img.setPixel(x, y, (x + y) % 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
    const auto region = CreateRegionFromBitmap(&img, clBlack, 0);
    ASSERT_TRUE(region.has_value());
    long long area = 0;
    for (const QRect& r : *region)
        area += (long long)r.width() * r.height();
    EXPECT_EQ(area, 5000);
    EXPECT_TRUE(region->contains(QPoint(1, 0)));
    EXPECT_FALSE(region->contains(QPoint(0, 0)));
    EXPECT_TRUE(region->contains(QPoint(98, 99)));
}

TEST(CreateRegionFromBitmap, NoBitmapGivesNoRegionAndAllKeyAnEmptyOne)
{
    EXPECT_FALSE(CreateRegionFromBitmap(nullptr, 0, 0).has_value());
    QImage null;
    EXPECT_FALSE(CreateRegionFromBitmap(&null, 0, 0).has_value());
    QImage img(8, 8, QImage::Format_RGB888);
    img.fill(QColor(10, 20, 30));
    const auto region = CreateRegionFromBitmap(&img, RGBColor(10, 20, 30), 0);
    ASSERT_TRUE(region.has_value());
    EXPECT_TRUE(region->isEmpty());
}

TEST(DrawLine, TheEndPointIsNotDrawn)
{
    struct Case {
        int x1, y1, x2, y2;
        int pixels;
    } cases[] = {
        {2, 5, 12, 5, 10}, {12, 5, 2, 5, 10}, {5, 2, 5, 9, 7}, {5, 9, 5, 2, 7},
        {2, 2, 10, 10, 8}, {10, 2, 2, 10, 8}, {2, 2, 14, 6, 12}, {3, 3, 4, 3, 1}, {3, 3, 3, 3, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x1 << "," << c.y1 << " -> " << c.x2 << "," << c.y2);
        QImage img = whiteImage(20, 20);
        {
            QPainter p(&img);
            p.setPen(QPen(Qt::black, 1));
            DrawLine(p, c.x1, c.y1, c.x2, c.y2);
        }
        EXPECT_EQ(inkCount(img, qRgb(255, 255, 255)), c.pixels);
        if (c.pixels > 0) {
            EXPECT_EQ(img.pixel(c.x1, c.y1) & 0xFFFFFF, 0u);
            EXPECT_NE(img.pixel(c.x2, c.y2) & 0xFFFFFF, 0u);
        }
    }
}

TEST(DrawTextCentered, PlacesTheTextCellByTruncatedHalves)
{
    const QFont font = serif(20);
    const QFontMetrics fm(font);
    const QString text = QStringLiteral("Hola");
    struct Case {
        TRect rect;
    } cases[] = {{{0, 0, 200, 60}}, {{13, 7, 150, 51}}, {{40, 30, 41, 31}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.rect.Left << "," << c.rect.Top);
        // The same text drawn by hand at the expected corner gives the same pixels.
        const int x = c.rect.Left + (c.rect.Width() - fm.horizontalAdvance(text)) / 2;
        const int y = c.rect.Top + (c.rect.Height() - fm.height()) / 2;
        QImage a = whiteImage(220, 90), b = whiteImage(220, 90);
        {
            QPainter p(&a);
            p.setFont(font);
            DrawTextCentered(p, c.rect, text);
        }
        {
            QPainter p(&b);
            p.setFont(font);
            p.drawText(x, y + fm.ascent(), text);
        }
        EXPECT_EQ(a, b);
        EXPECT_FALSE(inkBox(a, qRgb(255, 255, 255)).isEmpty());
    }
    // Truncation toward zero when the text is wider than the rectangle.
    QImage img = whiteImage(100, 60);
    QPainter p(&img);
    p.setFont(font);
    DrawTextCentered(p, TRect{50, 20, 51, 40}, text);
    p.end();
    const QRect ink = inkBox(img, qRgb(255, 255, 255));
    EXPECT_LT(ink.left(), 50);
    EXPECT_GT(ink.right(), 50);
}

TEST(DrawTextWrappedCentered, WrapsAtWordsAndCentresTheBlock)
{
    const QFont font = serif(16);
    const QFontMetrics fm(font);
    const QString text = QStringLiteral("uno dos tres cuatro cinco seis siete ocho");
    const TRect rect{10, 10, 130, 190};
    QImage img = whiteImage(140, 200);
    {
        QPainter p(&img);
        p.setFont(font);
        DrawTextWrappedCentered(p, rect, text);
    }
    const QRect ink = inkBox(img, qRgb(255, 255, 255));
    ASSERT_FALSE(ink.isEmpty());
    // Several lines, within the rectangle's width.
    EXPECT_GT(ink.height(), 2 * fm.height());
    EXPECT_GE(ink.left(), rect.Left);
    EXPECT_LT(ink.right(), rect.Right);
    // The block is centred: the measured height sits at (top + bottom - h) / 2.
    const int h = fm.boundingRect(QRect(rect.Left, rect.Top, rect.Width(), 0),
                                  Qt::TextWordWrap | Qt::AlignHCenter, text)
                      .height();
    const int top = (rect.Top + rect.Bottom - h) / 2;
    EXPECT_GE(ink.top(), top);
    EXPECT_LE(ink.bottom(), top + h);
    EXPECT_NEAR(ink.top() - rect.Top, rect.Bottom - 1 - ink.bottom(), fm.height());
    // Each line is centred horizontally: left and right margins alike.
    EXPECT_NEAR(ink.left() - rect.Left, rect.Right - 1 - ink.right(), 4);
}

TEST(TextOutRotated, WritesUpwardAtNinetyDegreesAndRestoresTheFont)
{
    QImage img = whiteImage(120, 120);
    QPainter p(&img);
    const QFont font = serif(18);
    p.setFont(font);
    TextOutRotated(p, 40, 100, 900, QStringLiteral("Texto"));
    EXPECT_EQ(p.font(), font);
    p.end();
    const QRect ink = inkBox(img, qRgb(255, 255, 255));
    ASSERT_FALSE(ink.isEmpty());
    // Counter-clockwise by 90 degrees: the text runs up from (40, 100) and its
    // top (the cell's top-left corner) is at x = 40, the glyphs to the right.
    EXPECT_GT(ink.height(), ink.width());
    EXPECT_LE(ink.bottom(), 100);
    EXPECT_GE(ink.left(), 40);
    EXPECT_LE(ink.right(), 40 + QFontMetrics(font).height());

    // Angle 0 is the plain text.
    QImage a = whiteImage(120, 60), b = whiteImage(120, 60);
    {
        QPainter pa(&a);
        pa.setFont(font);
        TextOutRotated(pa, 5, 10, 0, QStringLiteral("Texto"));
    }
    {
        QPainter pb(&b);
        QFont f = font;
        f.setStyleStrategy(QFont::PreferAntialias);
        pb.setFont(f);
        pb.drawText(5, 10 + QFontMetrics(f).ascent(), QStringLiteral("Texto"));
    }
    EXPECT_EQ(a, b);
}

TEST(CreateRotatedFont, KeepsTheAttributes)
{
    QFont f = serif(12);
    f.setBold(true);
    const RotatedFont r = CreateRotatedFont(f, 450, FontQuality::Antialiased);
    EXPECT_EQ(r.angle, 450);
    EXPECT_TRUE(r.font.bold());
    EXPECT_EQ(r.font.pixelSize(), 12);
    EXPECT_EQ(r.font.family(), f.family());
    EXPECT_EQ(r.font.styleStrategy(), QFont::PreferAntialias);
}

TEST(Shapes, RectangleAndEllipseStayInsideTheBox)
{
    QImage img = whiteImage(30, 30);
    {
        QPainter p(&img);
        p.setPen(QPen(Qt::black, 1));
        p.setBrush(Qt::NoBrush);
        PaintRectangle(p, TRect{5, 6, 15, 12});
    }
    EXPECT_EQ(inkBox(img, qRgb(255, 255, 255)), QRect(5, 6, 10, 6));
    EXPECT_EQ(inkCount(img, qRgb(255, 255, 255)), 2 * 10 + 2 * 4);

    img = whiteImage(30, 30);
    {
        QPainter p(&img);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::black);
        PaintRectangle(p, TRect{5, 6, 15, 12});  // without a pen one pixel smaller
    }
    EXPECT_EQ(inkBox(img, qRgb(255, 255, 255)), QRect(5, 6, 9, 5));

    img = whiteImage(30, 30);
    {
        QPainter p(&img);
        p.setPen(QPen(Qt::black, 1));
        p.setBrush(Qt::black);
        PaintEllipse(p, TRect{3, 4, 23, 14});
    }
    EXPECT_EQ(inkBox(img, qRgb(255, 255, 255)), QRect(3, 4, 20, 10));
}
