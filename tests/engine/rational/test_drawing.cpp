// Drawing of rational formulas on the fixed-width canvas (every character 8
// pixels wide, a line as high as the font's height): stacked fractions, whole
// parts in bold, mixed numbers and the parenthesis rules of this engine.
#include "engine/rational/expresion.h"

#include "fakecanvas.h"
#include "support/fixtures.h"

using namespace rational;

namespace {

class RationalDrawingTest : public CoreStateTest {
protected:
    void SetUp() override
    {
        CoreStateTest::SetUp();
        e.SetUseBuiltIns(true);
        e.Silent = true;
        e.AddFunction0(QStringLiteral("x"), [] { return TFrac(1); }, 2, QString());
    }

    // Measures and draws the text's tree at size 20 at (0, 0).
    void Draw(const QString& text)
    {
        e.SetText(text);
        ASSERT_TRUE(e.Root) << text.toStdString();
        canvas = std::make_unique<FakeCanvas>();
        e.Root->Measure(*canvas, 20, width, above, below);
        e.Root->Draw(*canvas, 0, 0, 20);
    }

    TExpresion e;
    std::unique_ptr<FakeCanvas> canvas;
    int width = 0, above = 0, below = 0;
};

TEST_F(RationalDrawingTest, FractionIsStackedWithABar)
{
    Draw(QStringLiteral("3|4"));
    EXPECT_EQ(width, 8);
    EXPECT_EQ(above, 20);
    EXPECT_EQ(below, 20);
    const auto texts = canvas->texts();
    ASSERT_EQ(texts.size(), 2);
    EXPECT_EQ(texts[0].text, QStringLiteral("3"));
    EXPECT_EQ(texts[0].y, 0);
    EXPECT_EQ(texts[0].font.Style, 0u);
    EXPECT_EQ(texts[1].text, QStringLiteral("4"));
    EXPECT_EQ(texts[1].y, 20);
    const auto shapes = canvas->shapes();
    ASSERT_EQ(shapes.size(), 1);
    EXPECT_EQ(shapes[0].box, (TRect{0, 20, 8, 20}));
    EXPECT_EQ(shapes[0].pen.Width, 1);
}

TEST_F(RationalDrawingTest, IntegersAreBold)
{
    Draw(QStringLiteral("25"));
    EXPECT_EQ(width, 16);
    EXPECT_EQ(above, 10);
    EXPECT_EQ(below, 10);
    const auto texts = canvas->texts();
    ASSERT_EQ(texts.size(), 1);
    EXPECT_EQ(texts[0].text, QStringLiteral("25"));
    EXPECT_EQ(texts[0].font.Style, unsigned(fsBold));
    EXPECT_TRUE(canvas->shapes().isEmpty());
}

TEST_F(RationalDrawingTest, MixedNumbers)
{
    struct Case {
        const char* text;
        bool mixed;
        const char* drawn;   // the texts in drawing order, "/" between them
        int width;
    };
    const Case cases[] = {
        {"7|4", false, "7/4", 8},
        {"7|4", true, "1/3/4", 16},       // a bold 1, then 3 over 4
        {"27|4", true, "6/3/4", 16},
        {"1|2", true, "1/2", 8},          // no whole part
        {"12|5", false, "12/5", 16},      // the wider of the two texts
        // A negative non-integer is always a plain stacked fraction.
        {"2*-7|4", true, "2/-7/4", -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        fracSettings().MixedFractions = c.mixed;
        e.SetText(QString());
        Draw(QString::fromUtf8(c.text));
        EXPECT_EQ(canvas->joinedText(QStringLiteral("/")), QString::fromUtf8(c.drawn));
        if (c.width >= 0) {
            EXPECT_EQ(width, c.width);
        }
    }
    fracSettings().MixedFractions = true;
    e.SetText(QString());
    Draw(QStringLiteral("7|4"));
    const auto texts = canvas->texts();
    ASSERT_EQ(texts.size(), 3);
    EXPECT_EQ(texts[0].font.Style, unsigned(fsBold));
    EXPECT_EQ(texts[0].y, 10);   // centred on the bar: (20 + 20 - 20) / 2
    EXPECT_EQ(texts[1].x, 8);    // the fraction after the whole part
    EXPECT_EQ(texts[1].font.Style, 0u);
}

TEST_F(RationalDrawingTest, ParenthesesOfPowersAndSuperscripts)
{
    struct Case {
        const char* text;
        bool parens;
    };
    const Case cases[] = {
        {"(1|2)^2", true}, {"2^2", false}, {"(1+1)^2", true}, {"sqr(2)^2", true},
        {"sqr(1|2)", true}, {"sqr(2)", false}, {"Rcp(3|4)", true}, {"Rcp(x)", false},
        {"x^2", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        Draw(QString::fromUtf8(c.text));
        EXPECT_EQ(canvas->joinedText().contains(QLatin1Char('(')), c.parens) << canvas->joinedText().toStdString();
    }
    Draw(QStringLiteral("Rcp(3|4)"));
    EXPECT_TRUE(canvas->joinedText().endsWith(QStringLiteral("-1")));
    Draw(QStringLiteral("sqr(x)"));
    EXPECT_TRUE(canvas->joinedText().endsWith(QStringLiteral("2")));
}

TEST_F(RationalDrawingTest, OperatorsFollowTheSharedLayout)
{
    // A unary minus hides its 0; a root of index 2 shows no index.
    Draw(QStringLiteral("-x"));
    EXPECT_EQ(canvas->joinedText(), QStringLiteral("x"));
    Draw(QStringLiteral("x\\2"));
    EXPECT_EQ(canvas->joinedText(), QStringLiteral("x"));
    Draw(QStringLiteral("x\\3"));
    EXPECT_EQ(canvas->texts().size(), 2);
    EXPECT_TRUE(canvas->joinedText().contains(QLatin1Char('3')));
    // Built-ins draw without their names: radical, bars.
    Draw(QStringLiteral("sqrt(x)+Abs(x)"));
    EXPECT_FALSE(canvas->joinedText().contains(QStringLiteral("sqrt")));
    EXPECT_FALSE(canvas->joinedText().contains(QStringLiteral("Abs")));
    // The functions without arguments of the fractions window are italic names.
    Draw(QStringLiteral("x"));
    ASSERT_EQ(canvas->texts().size(), 1);
    EXPECT_EQ(canvas->texts()[0].font.Style, unsigned(fsItalic));
    // A comparison keeps its sign as its text.
    Draw(QStringLiteral("x>=1"));
    EXPECT_EQ(e.Root->Text, QStringLiteral(">"));
    Draw(QStringLiteral("LogBase(8,2)"));
    EXPECT_TRUE(canvas->joinedText().startsWith(QStringLiteral("log")));
}

TEST_F(RationalDrawingTest, PictureIsFourPixelsLarger)
{
    e.SetText(QStringLiteral("1|2+x"));
    FixedWidthMetrics metrics(8);
    auto picture = e.DrawToMetafile(&metrics);
    ASSERT_TRUE(picture);
    FakeCanvas measure;
    int w = 0, a = 0, b = 0;
    e.Root->Measure(measure, 20, w, a, b);
    EXPECT_EQ(picture->width(), w + 4);
    EXPECT_EQ(picture->height(), a + b + 4);
    EXPECT_FALSE(picture->isEmpty());

    e.SetText(QStringLiteral("1|0"));
    EXPECT_EQ(e.DrawToMetafile(&metrics), nullptr);
}

} // namespace

TEST_F(RationalDrawingTest, AComparisonInsideASumKeepsItsParentheses)
{
    struct Case {
        const char* text;
        int parens;   // pairs drawn
    } cases[] = {{"x+(1=2)", 1}, {"(1=2)-x", 1}, {"1=(2=x)", 1}, {"x+2=3", 0}, {"x+(1+2)", 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        Draw(QString::fromLatin1(c.text));
        EXPECT_EQ(canvas->joinedText().count(QLatin1Char('(')), c.parens) << canvas->joinedText().toStdString();
    }
}
