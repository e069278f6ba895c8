// The recorded formula picture, the canvas state rules and the tests' fixed-width canvas.
#include "engine/formulapicture.h"
#include "fakecanvas.h"
#include "support/fixtures.h"

namespace {

// Draws a little of everything the formula drawing uses.
void drawSample(Canvas& c)
{
    c.setFontName(QStringLiteral("Times New Roman"));
    c.setFontHeight(-20);
    c.setBrushStyle(bsClear);
    c.textOut(2, 3, QStringLiteral("x"));
    c.setFontStyle(fsBold | fsItalic);
    c.textOut(14, 3, QStringLiteral("y"));
    c.setPenWidth(2);
    c.line(1, 10, 30, 10);
    c.setPenWidth(1);
    c.polyline({{40, 2}, {35, 2}, {32, 20}, {30, 14}});
    c.setBrushStyle(bsSolid);
    c.setBrushColor(clBlack);
    c.rectangle(5, 5, 7, 7);
    c.ellipse(TRect{0, 0, 9, 9});
    c.fillRect(TRect{1, 1, 3, 3});
    c.setFontColor(clMaroon);
    c.setFontName(QStringLiteral("Symbol"));
    c.textOut(20, 0, QStringLiteral("p"));
}

// Metrics that answer with whatever they were told, counting the questions.
struct CountingMetrics : CanvasMetrics {
    int widthCalls = 0, heightCalls = 0;
    int textWidth(const CanvasFont& f, const QString& t) override
    {
        ++widthCalls;
        return int(t.size()) * 100 + f.Height;
    }
    int textHeight(const CanvasFont& f) override
    {
        ++heightCalls;
        return 1000 + f.Height;
    }
};

}  // namespace

TEST(FormulaPicture, RecordsStateChangesAndDrawingInOrder)
{
    FakeCanvas c;
    c.setFontHeight(-20);
    c.setFontHeight(-20);  // unchanged: nothing recorded
    c.textOut(1, 2, QStringLiteral("ab"));
    c.setPenColor(clRed);
    c.moveTo(3, 4);
    c.lineTo(9, 4);
    c.setBrush(CanvasBrush());  // the default again: nothing
    c.rectangle(0, 0, 2, 2);

    CanvasFont f;
    f.Height = -20;
    CanvasPen p;
    p.Color = clRed;
    const QList<PictureOp> expected = {
        pictureop::SetFont{f},
        pictureop::Text{1, 2, QStringLiteral("ab")},
        pictureop::SetPen{p},
        pictureop::Line{3, 4, 9, 4},
        pictureop::Rectangle{TRect{0, 0, 2, 2}},
    };
    EXPECT_EQ(c.ops(), expected);
}

TEST(FormulaPicture, MeasuringAsksTheMetricsAndLeavesNoTrace)
{
    CountingMetrics m;
    FormulaPicture pic(&m);
    pic.setFontHeight(-7);
    const auto before = pic.ops();
    EXPECT_EQ(pic.textWidth(QStringLiteral("abc")), 293);
    EXPECT_EQ(pic.textHeight(QStringLiteral("abc")), 993);
    EXPECT_EQ(pic.textHeight(), 993);  // the height does not depend on the text
    EXPECT_EQ(m.widthCalls, 1);
    EXPECT_EQ(m.heightCalls, 2);
    EXPECT_EQ(pic.ops(), before);
    EXPECT_EQ(&pic.metrics(), &m);
}

TEST(FormulaPicture, ReplayReproducesTheCalls)
{
    FakeCanvas original;
    drawSample(original);
    original.setSize(50, 30);

    FakeCanvas copy;
    original.replay(copy);
    // Same calls; the replay ends by putting the target's state back, which the
    // target records as well.
    ASSERT_GE(copy.ops().size(), original.ops().size());
    EXPECT_EQ(copy.ops().mid(0, original.ops().size()), original.ops());
    EXPECT_EQ(copy.texts(), original.texts());
    EXPECT_EQ(copy.shapes(), original.shapes());
    EXPECT_EQ(copy.font(), CanvasFont());
    EXPECT_EQ(copy.pen(), CanvasPen());
    EXPECT_EQ(copy.brush(), CanvasBrush());
}

TEST(FormulaPicture, ReplayMovesByTheOffsetAndStartsFromTheDefaults)
{
    FakeCanvas pic;
    pic.textOut(1, 2, QStringLiteral("a"));  // in the default font
    pic.polyline({{0, 0}, {4, 5}});
    pic.fillRect(TRect{1, 1, 3, 3});

    FakeCanvas target;
    target.setFontName(QStringLiteral("Symbol"));
    target.setFontHeight(-30);
    target.setPenWidth(5);
    target.moveTo(77, 88);
    const CanvasFont targetFont = target.font();
    pic.replay(target, 10, 20);

    const auto texts = target.texts();
    ASSERT_EQ(texts.size(), 1);
    EXPECT_EQ(texts[0].x, 11);
    EXPECT_EQ(texts[0].y, 22);
    EXPECT_EQ(texts[0].font, CanvasFont());  // not the target's Symbol font
    const auto shapes = target.shapes();
    ASSERT_EQ(shapes.size(), 2);
    EXPECT_EQ(shapes[0].box, (TRect{10, 20, 14, 25}));
    EXPECT_EQ(shapes[0].pen, CanvasPen());
    EXPECT_EQ(shapes[1].box, (TRect{11, 21, 13, 23}));
    // The target's own state comes back.
    EXPECT_EQ(target.font(), targetFont);
    EXPECT_EQ(target.pen().Width, 5);
    EXPECT_EQ(target.penPos(), (TPoint{77, 88}));
}

TEST(FormulaPicture, EqualityCloneAndClear)
{
    FakeCanvas a, b;
    drawSample(a);
    drawSample(b);
    a.setSize(10, 20);
    b.setSize(10, 20);
    EXPECT_TRUE(a == b);
    b.setSize(10, 21);
    EXPECT_FALSE(a == b);
    b.setSize(10, 20);
    b.textOut(0, 0, QStringLiteral("z"));
    EXPECT_FALSE(a == b);

    const auto c = a.clone();
    EXPECT_TRUE(*c == a);
    EXPECT_EQ(c->font(), a.font());
    EXPECT_EQ(&c->metrics(), &a.metrics());
    c->textOut(0, 0, QStringLiteral("z"));  // the copy is independent
    EXPECT_FALSE(*c == a);

    a.clear();
    EXPECT_TRUE(a.isEmpty());
    EXPECT_EQ(a.font(), CanvasFont());
    EXPECT_EQ(a.width(), 10);
    a.setSize(-3, 4);
    EXPECT_EQ(a.width(), 0);
    EXPECT_EQ(a.height(), 4);
}

TEST(FormulaPicture, ReplayedPictureOfAPictureIsTheSamePicture)
{
    // What the screen, the clipboard and the exports get: the same calls again.
    FakeCanvas a;
    drawSample(a);
    FormulaPicture b(&a.metrics());
    a.replay(b);
    FormulaPicture c(&a.metrics());
    b.replay(c);
    EXPECT_TRUE(b == c);
}

class PictureMetricsTest : public CoreStateTest {};

TEST_F(PictureMetricsTest, NewPicturesMeasureWithTheProgramMetrics)
{
    FormulaPicture standIn;
    standIn.setFontHeight(-20);
    EXPECT_EQ(standIn.textWidth(QStringLiteral("abcd")), 32);  // 8 pixels a character
    EXPECT_EQ(standIn.textHeight(), 20);

    CountingMetrics m;
    PictureMetrics::set(&m);
    FormulaPicture pic;
    EXPECT_EQ(&pic.metrics(), &m);
    EXPECT_EQ(pic.textWidth(QStringLiteral("a")), 100 - 12);
    PictureMetrics::reset();
    EXPECT_NE(&PictureMetrics::current(), &m);
    FixedWidthMetrics fixed(3);
    FormulaPicture own(&fixed);
    EXPECT_EQ(own.textWidth(QStringLiteral("ab")), 6);
}

TEST(FakeCanvas, ExactFixedWidthMetrics)
{
    struct Case {
        int charWidth;
        int height;
        QString text;
        int width, lineHeight;
    } cases[] = {
        {8, -20, QStringLiteral("abc"), 24, 20},
        {8, 20, QStringLiteral("abc"), 24, 20},
        {5, -13, QString(), 0, 13},
        {5, 0, QStringLiteral("£"), 5, 1},  // one character; the smallest font
        {1, -1, QStringLiteral("( )"), 3, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.charWidth << " " << c.height << " " << c.text.toStdString());
        FakeCanvas canvas(c.charWidth);
        canvas.setFontHeight(c.height);
        EXPECT_EQ(canvas.textWidth(c.text), c.width);
        EXPECT_EQ(canvas.textHeight(c.text), c.lineHeight);
        EXPECT_EQ(canvas.charWidth(), c.charWidth);
    }
}

TEST(FakeCanvas, ListsWhatWasDrawnWithItsState)
{
    FakeCanvas c;
    drawSample(c);
    const auto texts = c.texts();
    ASSERT_EQ(texts.size(), 3);
    EXPECT_EQ(c.joinedText(QStringLiteral("|")), QStringLiteral("x|y|p"));
    EXPECT_EQ(texts[0].font.Name, QStringLiteral("Times New Roman"));
    EXPECT_EQ(texts[0].font.Style, 0u);
    EXPECT_EQ(texts[0].brush.Style, bsClear);
    EXPECT_EQ(texts[1].font.Style, TFontStyles(fsBold | fsItalic));
    EXPECT_EQ(texts[2].font.Name, QStringLiteral("Symbol"));
    EXPECT_EQ(texts[2].font.Color, clMaroon);
    EXPECT_EQ(texts[2].font.Height, -20);

    const auto shapes = c.shapes();
    using K = FakeCanvas::DrawnShape;
    ASSERT_EQ(shapes.size(), 7);
    EXPECT_EQ(shapes[0].kind, K::Line);
    EXPECT_EQ(shapes[0].pen.Width, 2);
    EXPECT_EQ(shapes[1].box, (TRect{40, 2, 35, 2}));  // polyline segments
    EXPECT_EQ(shapes[3].box, (TRect{32, 20, 30, 14}));
    EXPECT_EQ(shapes[3].pen.Width, 1);
    EXPECT_EQ(shapes[4].kind, K::Rectangle);
    EXPECT_EQ(shapes[4].brush.Color, clBlack);
    EXPECT_EQ(shapes[5].kind, K::Ellipse);
    EXPECT_EQ(shapes[6].kind, K::FillRect);
}

TEST(Canvas, PenPositionFollowsLinesButNotPolylines)
{
    FakeCanvas c;
    c.moveTo(2, 3);
    c.lineTo(5, 6);
    EXPECT_EQ(c.penPos(), (TPoint{5, 6}));
    c.lineTo(1, 1);
    EXPECT_EQ(c.shapes().last().box, (TRect{5, 6, 1, 1}));
    c.line(7, 8, 9, 10);
    EXPECT_EQ(c.penPos(), (TPoint{9, 10}));
    c.polyline({{0, 0}, {3, 3}});
    EXPECT_EQ(c.penPos(), (TPoint{9, 10}));
    const auto n = c.ops().size();
    c.polyline({});
    EXPECT_EQ(c.ops().size(), n);
}

TEST(Canvas, FontHeightFromPoints)
{
    struct Case {
        int points, ppi, height;
    } cases[] = {
        {12, 96, -16}, {9, 96, -12}, {10, 96, -13}, {11, 96, -15},
        // A negative size asks for a cell height (the exponent font of literals).
        {-12, 96, 16}, {-7, 96, 9},
        // MulDiv rounds halves away from zero.
        {1, 108, -2}, {-1, 108, 2}, {0, 96, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.points << "pt at " << c.ppi);
        EXPECT_EQ(FontHeightFromPoints(c.points, c.ppi), c.height);
    }
    FakeCanvas canvas;
    EXPECT_EQ(canvas.pixelsPerInch(), 96);
    canvas.setFontSize(-12);  // the literal exponent's font at Size 20
    EXPECT_EQ(canvas.font().Height, 16);
    canvas.setFontSize(9);
    EXPECT_EQ(canvas.font().Height, -12);
}
