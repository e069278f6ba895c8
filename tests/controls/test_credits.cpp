// The scrolling credits control: line codes, the timer's passes, painting rules.
#include "controls/credits.h"
#include "support/testsupport.h"

#include "foundation/core/exceptions.h"

namespace {

TCreditLine defaults()
{
    TCreditLine d;
    d.Color = clWhite;
    d.FontName = QStringLiteral("Arial");
    d.Size = 8;
    d.Alignment = taCenter;
    return d;
}

// A control of 100 pixels height with lines of known heights.
struct CreditsFixture : testing::Test {
    TScrollCredits c;
    int passes = 0;
    QStringList shown;
    void SetUp() override
    {
        c.resize(120, 100);
        c.AfterLastCredit = [this](QObject*) { ++passes; };
        c.OnShowCredit = [this](QObject*, const QString& t) { shown << t; };
    }
    // Ticks until AfterLastCredit fires; the number of ticks (0 if never within limit).
    int ticksToPassEnd(int limit = 10000)
    {
        const int before = passes;
        for (int i = 1; i <= limit; ++i) {
            c.Tick();
            if (passes != before)
                return i;
        }
        return 0;
    }
};

} // namespace

TEST(CreditLine, CodesGiveStyleSizeColourAndAlignment)
{
    const TCreditLine l = ParseCreditLine(QStringLiteral("&n&h20,&$0000FF;Hola"), defaults());
    EXPECT_EQ(l.Text, QStringLiteral("Hola"));
    EXPECT_EQ(l.Style, TFontStyles(fsBold));
    EXPECT_EQ(l.Size, 20);
    EXPECT_EQ(ColorRed(l.Color), 0xFF); // blue in the high byte, red in the low one
    EXPECT_EQ(ColorGreen(l.Color), 0);
    EXPECT_EQ(ColorBlue(l.Color), 0);
    EXPECT_EQ(l.Alignment, taCenter);
    EXPECT_EQ(l.FontName, QStringLiteral("Arial"));
}

TEST(CreditLine, CodeTable)
{
    struct Case {
        const char* line;
        QString text;
        TFontStyles style;
        TAlignment align;
        bool blink;
        int height; // -1: not given
        const char* font;
        TColor color;
    } cases[] = {
        {"sin codigos", QStringLiteral("sin codigos"), 0, taCenter, false, -1, "Arial", clWhite},
        {";a;b", QStringLiteral("a;b"), 0, taCenter, false, -1, "Arial", clWhite},
        {"&c&s&t;x", QStringLiteral("x"), fsItalic | fsUnderline | fsStrikeOut, taCenter, false, -1, "Arial", clWhite},
        {"&i;x", QStringLiteral("x"), 0, taLeftJustify, false, -1, "Arial", clWhite},
        {"&d&i;x", QStringLiteral("x"), 0, taRightJustify, false, -1, "Arial", clWhite},
        {"&e&i;x", QStringLiteral("x"), 0, taCenter, false, -1, "Arial", clWhite},
        {"&k&v30,;x", QStringLiteral("x"), 0, taCenter, true, 30, "Arial", clWhite},
        {"&$27AC77&fCourier New;x", QStringLiteral("x"), 0, taCenter, false, -1, "Courier New", 0x27AC77},
        {"&$FF;x", QStringLiteral("x"), 0, taCenter, false, -1, "Arial", 0xFF},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const TCreditLine l = ParseCreditLine(QString::fromUtf8(c.line), defaults());
        EXPECT_EQ(l.Text, c.text);
        EXPECT_EQ(l.Style, c.style);
        EXPECT_EQ(l.Alignment, c.align);
        EXPECT_EQ(l.Blink, c.blink);
        EXPECT_EQ(l.HeightGiven, c.height >= 0);
        if (c.height >= 0) {
            EXPECT_EQ(l.Height, c.height);
        }
        EXPECT_EQ(l.FontName, QString::fromUtf8(c.font));
        EXPECT_EQ(l.Color, c.color);
    }
    const TCreditLine red = ParseCreditLine(QStringLiteral("&$27AC77;x"), defaults());
    EXPECT_EQ(ColorRed(red.Color), 0x77);
    EXPECT_EQ(ColorGreen(red.Color), 0xAC);
    EXPECT_EQ(ColorBlue(red.Color), 0x27);
}

TEST(CreditLine, CodesThatAreNoNumberRaiseConversionErrors)
{
    for (const char* bad : {"&h20;x", "&habc,;x", "&v;x", "&$GGGGGG;x", "&$;x", "&h123456,;x"}) {
        SCOPED_TRACE(bad);
        EXPECT_THROW(ParseCreditLine(QString::fromUtf8(bad), defaults()), EConvertError);
    }
}

TEST_F(CreditsFixture, BadCodeInTheListKeepsTheShownLines)
{
    c.setCredits({QStringLiteral("&v10,;uno"), QStringLiteral("&v10,;dos")});
    EXPECT_THROW(c.setCredits({QStringLiteral("&h9;roto")}), EConvertError);
    ASSERT_EQ(c.Credits().size(), 2);
    EXPECT_EQ(c.TotalHeight(), 20);
}

TEST_F(CreditsFixture, PreparedLinesStackTheirHeights)
{
    c.setCredits({QStringLiteral("&v10,;a"), QStringLiteral("&v25,;b"), QStringLiteral("&v5,;c")});
    ASSERT_EQ(c.Lines().size(), 3);
    EXPECT_EQ(c.Lines()[0].Top, 0);
    EXPECT_EQ(c.Lines()[1].Top, 10);
    EXPECT_EQ(c.Lines()[2].Top, 35);
    EXPECT_EQ(c.TotalHeight(), 40);
    // without "&v" the height is the font's line height
    c.setCredits({QStringLiteral("a")});
    EXPECT_GT(c.TotalHeight(), 0);
}

TEST_F(CreditsFixture, OnePassLastsHeightPlusTotalOverStepPlusOneTicks)
{
    c.setCredits({QStringLiteral("&v10,;a"), QStringLiteral("&v10,;b"), QStringLiteral("&v10,;c")});
    c.setAnimate(true);
    EXPECT_EQ(c.Offset(), 99); // height - Step
    EXPECT_EQ(ticksToPassEnd(), (100 + 30) / 1 + 1);
    EXPECT_EQ(passes, 1);
    EXPECT_EQ(c.Offset(), 99); // back at the bottom, not moved on this tick
    // the reports start again: the first line, in view at the bottom, is
    // reported by the paint of that same tick
    EXPECT_EQ(c.LastShown(), 0);
    EXPECT_EQ(ticksToPassEnd(), 131);
    EXPECT_EQ(passes, 2);
    c.setAnimate(false);
}

TEST_F(CreditsFixture, ContinuousPassesAreTotalOverStepPlusOne)
{
    c.setCredits({QStringLiteral("&v10,;a"), QStringLiteral("&v10,;b"), QStringLiteral("&v10,;c")});
    c.setStep(2);
    c.setContinuo(true);
    c.setAnimate(true);
    ticksToPassEnd(); // the first pass starts at the bottom
    EXPECT_EQ(ticksToPassEnd(), 30 / 2 + 1);
    c.setAnimate(false);
}

TEST_F(CreditsFixture, ContinuousShortBlockIsRepeatedDownTheArea)
{
    c.setCredits({QStringLiteral("&v10,;a"), QStringLiteral("&v10,;b"), QStringLiteral("&v10,;c")});
    c.setContinuo(true); // paints at once with y = 0
    ASSERT_EQ(c.Offset(), 0);
    QList<int> tops;
    for (const auto& d : c.LastDrawn())
        tops << d.Top;
    QList<int> expected;
    for (int t = 0; t < 100; t += 10)
        expected << t;
    EXPECT_EQ(tops, expected); // copies at 0, 30, 60 and 90
    // without Continuo only one copy
    c.setContinuo(false);
    EXPECT_EQ(c.LastDrawn().size(), 3);
}

TEST_F(CreditsFixture, EmptyLinesTakeTheirHeightButAreNotDrawnNorReported)
{
    c.setCredits({QStringLiteral("&v10,;uno"), QStringLiteral(""), QStringLiteral(" "), QStringLiteral("&v10,;dos")});
    c.Paint();
    QList<int> indexes;
    for (const auto& d : c.LastDrawn())
        indexes << d.Index;
    EXPECT_EQ(indexes, (QList<int>{0, 3}));
    EXPECT_EQ(shown, (QStringList{QStringLiteral("uno"), QStringLiteral("dos")}));
    const int emptyHeight = c.Lines()[1].Height;
    EXPECT_GT(emptyHeight, 0);
    EXPECT_EQ(c.Lines()[3].Top, 10 + emptyHeight + c.Lines()[2].Height);
}

TEST_F(CreditsFixture, EachLineIsReportedOncePerPass)
{
    c.setCredits({QStringLiteral("&v10,;a"), QStringLiteral("&v10,;b")});
    c.setAnimate(true);
    ticksToPassEnd();
    // a and b of the first pass; the tick that ends it paints the first line
    // of the next pass at the bottom
    EXPECT_EQ(shown, (QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("a")}));
    ticksToPassEnd();
    EXPECT_EQ(shown.size(), 5);
    c.setAnimate(false);
}

TEST_F(CreditsFixture, TimerRunsOnlyWhileAnimatedAndVisible)
{
    EXPECT_FALSE(c.TimerRunning());
    c.setAnimate(true);
    EXPECT_TRUE(c.TimerRunning());
    c.setVisible(false);
    EXPECT_FALSE(c.TimerRunning());
    c.setVisible(true);
    EXPECT_TRUE(c.TimerRunning());
    c.setAnimate(false);
    c.setVisible(false);
    c.setVisible(true);
    EXPECT_FALSE(c.TimerRunning());
    // an interval of 0 stops the timer instead of ticking without pause
    c.setAnimate(true);
    c.setInterval(0);
    EXPECT_FALSE(c.TimerRunning());
    c.setInterval(80);
    EXPECT_TRUE(c.TimerRunning());
    c.setAnimate(false);
}

TEST_F(CreditsFixture, NothingIsPaintedWhileNotVisible)
{
    int erased = 0;
    c.OnErase = [&](QObject*) { ++erased; };
    c.setVisible(false);
    c.Paint();
    EXPECT_EQ(erased, 0);
    c.setVisible(true);
    c.Paint();
    EXPECT_EQ(erased, 1);
}

TEST(Credits, TextPositionByAlignment)
{
    TCreditLine l;
    l.TextWidth = 30;
    l.Alignment = taLeftJustify;
    EXPECT_EQ(TScrollCredits::LineX(l, 100), 4);
    l.Alignment = taRightJustify;
    EXPECT_EQ(TScrollCredits::LineX(l, 100), 66);
    l.Alignment = taCenter;
    EXPECT_EQ(TScrollCredits::LineX(l, 101), 35);
    l.TextWidth = 15;
    EXPECT_EQ(TScrollCredits::LineX(l, 10), -2); // truncated toward zero
}

TEST(Credits, BlinkingLinesHideOnTwoOfFourSteps)
{
    struct Case {
        int y, step;
        bool hidden;
    } cases[] = {{0, 1, true}, {1, 1, true}, {2, 1, false}, {3, 1, false}, {4, 1, true},
                 {-5, 1, true}, {-6, 1, false}, {2, 2, true}, {4, 2, false}, {9, 2, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.y << " step " << c.step);
        EXPECT_EQ(TScrollCredits::BlinkHidden(c.y, c.step), c.hidden);
    }
}

// Fault built soundly: a Step of 0 must not divide by zero in the blink rule
// and the lines simply stand still.
TEST_F(CreditsFixture, StepZeroStandsStillWithoutDividingByZero)
{
    EXPECT_FALSE(TScrollCredits::BlinkHidden(7, 0));
    c.setCredits({QStringLiteral("&k&v10,;parpadea")});
    c.setStep(0);
    ASSERT_EQ(c.Offset(), 0);
    for (int i = 0; i < 5; ++i)
        c.Tick();
    EXPECT_EQ(c.Offset(), 0);
    EXPECT_EQ(c.LastDrawn().size(), 1); // a blinking line stays shown
}

TEST_F(CreditsFixture, ContinuousListWithoutHeightDoesNotHang)
{
    c.setCredits({QStringLiteral("&v0,;a"), QStringLiteral("&v0,;b")});
    c.setContinuo(true);
    c.setAnimate(true);
    for (int i = 0; i < 3; ++i)
        c.Tick();
    EXPECT_EQ(c.TotalHeight(), 0);
    c.setAnimate(false);
}

TEST(Credits, ConstructorDefaults)
{
    TScrollCredits c;
    EXPECT_EQ(c.width(), 230);
    EXPECT_EQ(c.height(), 250);
    EXPECT_EQ(c.Credits().size(), 17);
    EXPECT_EQ(c.Interval(), 50u);
    EXPECT_EQ(c.Step(), 1);
    EXPECT_FALSE(c.Animate());
    EXPECT_FALSE(c.Continuo());
    EXPECT_TRUE(c.ShowBorder());
    EXPECT_EQ(c.BackgroundColor(), clBlack);
    EXPECT_EQ(c.BorderColor(), clWhite);
    EXPECT_EQ(c.CreditsFont().family(), QStringLiteral("Arial"));
    EXPECT_EQ(c.Alignment(), taCenter);
}
