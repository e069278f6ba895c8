// Formula drawing of compiled real expressions on the fixed-width canvas
// (every character 8 pixels wide, a line as high as its font): which pieces
// appear, where, in which font, and the picture of DrawToMetafile.
#include "engine/bases.h"
#include "engine/formatonum.h"
#include "engine/formuladraw.h"
#include "engine/real/expresion.h"
#include "fakecanvas.h"
#include "support/fixtures.h"

#include <algorithm>

using namespace real;
using formuladraw::Box;

namespace {

using Kind = FakeCanvas::DrawnShape::Kind;

class DrawTest : public CoreStateTest {
protected:
    void SetUp() override
    {
        CoreStateTest::SetUp();
        e.UseBuiltIns = true;
        for (const char* n : {"a", "b", "c", "d", "x", "y"})
            e.AddVariable(QString::fromLatin1(n));
    }

    // Compiles the text and draws it at (0, 0), size 20, on `c`; the measured box.
    Box DrawText(const QString& text, FakeCanvas& c, int size = 20)
    {
        e.SetText(text);
        EXPECT_NE(e.Root, nullptr) << text.toStdString() << ": " << e.ErrorMessage.toStdString();
        Box b;
        if (!e.Root)
            return b;
        e.Root->Measure(c, size, b.width, b.above, b.below);
        e.Root->Draw(c, 0, 0, size);
        return b;
    }

    static int Count(const FakeCanvas& c, Kind kind)
    {
        const auto s = c.shapes();
        return static_cast<int>(std::count_if(s.begin(), s.end(), [&](const auto& d) { return d.kind == kind; }));
    }

    static FakeCanvas::DrawnText Find(const FakeCanvas& c, const QString& text)
    {
        for (const auto& t : c.texts())
            if (t.text == text)
                return t;
        ADD_FAILURE() << "not drawn: " << text.toStdString() << " in "
                      << c.joinedText(QStringLiteral("|")).toStdString();
        return {};
    }

    TExpresion e;
};

} // namespace

TEST_F(DrawTest, NeedsParensForSumsDifferencesComparisonsAndLogic)
{
    struct Case {
        const char* text;
        bool parens;
    } cases[] = {
        {"a+b", true}, {"a-b", true}, {"-a", true},   {"a*b", false}, {"a/b", false},   {"a^b", false},
        {"a\\b", false}, {"a<b", true}, {"a=b", true}, {"a<>b", true}, {"a&b", true}, {"a$b", true},
        {"a!b", true},  {"x", false},  {"2", false},  {"sin(x)", false}, {"Max(a,b)", false}, {"pi", false},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.text);
        e.SetText(QString::fromLatin1(k.text));
        ASSERT_NE(e.Root, nullptr);
        EXPECT_EQ(NeedsParens(e.Root), k.parens);
    }
    e.SetText(QStringLiteral("x£2"));
    ASSERT_NE(e.Root, nullptr);
    EXPECT_FALSE(NeedsParens(e.Root));
}

TEST_F(DrawTest, QuotientStacksAndNests)
{
    FakeCanvas c;
    EXPECT_EQ(DrawText(QStringLiteral("1/2"), c), (Box{8 + 2, 20, 20}));
    EXPECT_EQ(c.joinedText(QStringLiteral("|")), QStringLiteral("1|2"));
    EXPECT_EQ(Find(c, QStringLiteral("1")).x, 1);
    EXPECT_EQ(Find(c, QStringLiteral("1")).y, 0);
    EXPECT_EQ(Find(c, QStringLiteral("2")).y, 20);
    ASSERT_EQ(c.shapes().size(), 1);
    EXPECT_EQ(c.shapes()[0].box, (TRect{0, 20, 10, 20}));

    // a/(b/c): the inner bar under the outer one, no parentheses.
    FakeCanvas n;
    EXPECT_EQ(DrawText(QStringLiteral("a/(b/c)"), n), (Box{10 + 2, 20, 40}));
    EXPECT_EQ(n.joinedText(QStringLiteral("|")), QStringLiteral("a|b|c"));
    const auto bars = n.shapes();
    ASSERT_EQ(bars.size(), 2);
    EXPECT_EQ(bars[0].box, (TRect{1, 40, 11, 40}));   // inner, drawn first, inside the denominator
    EXPECT_EQ(bars[1].box, (TRect{0, 20, 12, 20}));
}

TEST_F(DrawTest, ProductDotFollowsTheOperands)
{
    struct Case {
        const char* text;
        bool dot;
    } cases[] = {
        {"2x", false},     {"2*3", true},   {"(a+b)(c+d)", false}, {"x*y", true},
        {"2*x^2", false},  {"a*x^2", true}, {"2pi", false},        {"(a+b)*x", true},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.text);
        FakeCanvas c;
        DrawText(QString::fromLatin1(k.text), c);
        EXPECT_EQ(Count(c, Kind::Rectangle), k.dot ? 1 : 0);
    }
    // (a+b)(c+d): both factors between parentheses, side by side.
    FakeCanvas c;
    DrawText(QStringLiteral("(a+b)(c+d)"), c);
    EXPECT_EQ(c.joinedText(), QStringLiteral("()ab+()cd+"));
}

TEST_F(DrawTest, UnaryMinusHidesItsZeroAndDifferencesParenthesiseSums)
{
    FakeCanvas c;
    // width 0 + 8 + T("+") + 5; only the line and the x
    EXPECT_EQ(DrawText(QStringLiteral("-x"), c), (Box{8 + 8 + 5, 10, 10}));
    EXPECT_EQ(c.joinedText(), QStringLiteral("x"));
    ASSERT_EQ(c.shapes().size(), 1);
    EXPECT_EQ(c.shapes()[0].box, (TRect{3, 10, 21 - 8 - 3, 10}));

    FakeCanvas d;
    DrawText(QStringLiteral("a-(b+c)"), d);
    EXPECT_EQ(d.joinedText(), QStringLiteral("a()bc+"));
    FakeCanvas f;
    DrawText(QStringLiteral("a-b*c"), f);
    EXPECT_FALSE(f.joinedText().contains(QLatin1Char('(')));
    // The 0 of a written difference 0-x is hidden as well.
    FakeCanvas g;
    DrawText(QStringLiteral("0-x"), g);
    EXPECT_EQ(g.joinedText(), QStringLiteral("x"));
}

TEST_F(DrawTest, RootShowsItsIndexUnlessItIsTwo)
{
    FakeCanvas two;
    DrawText(QStringLiteral("x\\2"), two);
    EXPECT_EQ(two.joinedText(), QStringLiteral("x"));
    EXPECT_EQ(Count(two, Kind::Line), 3);

    FakeCanvas three;
    DrawText(QStringLiteral("x\\3"), three);
    EXPECT_EQ(three.joinedText(QStringLiteral("|")), QStringLiteral("x|3"));
    const auto index = Find(three, QStringLiteral("3"));
    EXPECT_EQ(index.font.Height, -10);
    EXPECT_EQ(index.x, 0);
    EXPECT_EQ(index.y, 0);
    // The power's base between parentheses when it is an operator.
    FakeCanvas pot;
    DrawText(QStringLiteral("(a+b)^2"), pot);
    EXPECT_EQ(pot.joinedText(), QStringLiteral("()ab+2"));
}

TEST_F(DrawTest, LiteralsDrawWithTheDisplaySettingsOfTheMoment)
{
    struct Case {
        const char* text;
        int digits;
        const char* drawn;
    } cases[] = {
        {"3.14159", 4, "3.1416"},
        {"2.50", 16, "2.5"},
        {"1.5E20", 16, "0.15| 10|21"},   // mantissa, 10 and the raised exponent
        {"hFF", 16, "FF |16"},
        {"255[16]", 16, "255 |16"},        // read in base 16: drawn in that base
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.text);
        numtext().DisplayDigits = static_cast<std::uint8_t>(k.digits);
        FakeCanvas c;
        DrawText(QString::fromLatin1(k.text), c);
        EXPECT_EQ(c.joinedText(QStringLiteral("|")), QString::fromLatin1(k.drawn));
    }
    // The base in dark red at the bottom right.
    FakeCanvas c;
    const Box b = DrawText(QStringLiteral("hFF"), c);
    const auto base = Find(c, QStringLiteral("16"));
    EXPECT_EQ(base.font.Color, clMaroon);
    EXPECT_EQ(base.x + 2 * 8, b.width);
    EXPECT_EQ(Find(c, QStringLiteral("FF ")).font.Color, clBlack);
}

TEST_F(DrawTest, LiteralTextIsMadeOnceAndLeavesTheNumberSettingsAlone)
{
    numtext().StripTrailingZeros = false;
    numtext().DisplayDigits = 4;
    e.SetText(QStringLiteral("2.5"));
    ASSERT_NE(e.Root, nullptr);
    const std::uint8_t lastBase = numtext().LastBase;
    FakeCanvas c;
    int w, a, b;
    e.Root->Measure(c, 20, w, a, b);
    EXPECT_EQ(e.Root->Text, QStringLiteral("2.5"));   // trailing zeros dropped here
    EXPECT_FALSE(numtext().StripTrailingZeros);
    EXPECT_EQ(numtext().LastBase, lastBase);
    numtext().DisplayDigits = 1;
    e.Root->Draw(c, 0, 0, 20);
    EXPECT_EQ(c.joinedText(), QStringLiteral("2.5"));
}

TEST_F(DrawTest, HugeLiteralsInHighBasesDraw)
{
    for (const char* text : {"h10000000000000000", "h1000000000000000000000", "ZZZZZZZZZZZZZZZ[36]", "1E300"}) {
        SCOPED_TRACE(text);
        FakeCanvas c;
        const Box b = DrawText(QString::fromLatin1(text), c);
        EXPECT_GT(b.width, 0);
        EXPECT_FALSE(c.joinedText().isEmpty());
        auto* num = static_cast<TNum*>(e.Root);
        EXPECT_EQ(num->HasExponent, num->Text.contains(QLatin1Char('e')));
    }
}

TEST_F(DrawTest, PiComparisonsAndLogic)
{
    FakeCanvas pi;
    DrawText(QStringLiteral("pi"), pi);
    EXPECT_EQ(pi.joinedText(), QStringLiteral("p"));
    EXPECT_EQ(pi.texts()[0].font.Name, QStringLiteral("Symbol"));

    struct Case {
        const char* text;
        const char* sign;
        int lines;
    } cases[] = {
        {"a>b", ">", 0}, {"a<b", "<", 0}, {"a=b", "=", 0}, {"a>=b", ">", 1}, {"a<=b", "<", 1}, {"a<>b", "=", 1},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.text);
        FakeCanvas c;
        DrawText(QString::fromLatin1(k.text), c);
        EXPECT_EQ(c.joinedText(QStringLiteral("|")), QStringLiteral("a|b|") + QString::fromLatin1(k.sign));
        EXPECT_EQ(e.Root->Text, QString::fromLatin1(k.sign));
        EXPECT_EQ(Count(c, Kind::Line), k.lines);
        EXPECT_EQ(Find(c, QString::fromLatin1(k.sign)).font.Style, TFontStyles(fsBold));
    }
    FakeCanvas chain;
    DrawText(QStringLiteral("a<b<c"), chain);
    EXPECT_EQ(chain.joinedText(), QStringLiteral("ab<c<"));

    for (const char* text : {"a&b", "a$b"}) {
        FakeCanvas c;
        DrawText(QString::fromLatin1(text), c);
        EXPECT_EQ(Count(c, Kind::Line), 2) << text;
        EXPECT_EQ(c.joinedText(), QStringLiteral("ab"));
    }
    FakeCanvas x;
    DrawText(QStringLiteral("a!b"), x);
    EXPECT_EQ(Count(x, Kind::Line), 4);
}

TEST_F(DrawTest, FunctionsAndArgumentLists)
{
    FakeCanvas m;
    // "Max" 24 + list (1, 2) 8 + 16 + 8 in parentheses (d = 4, cell 24: 16)
    EXPECT_EQ(DrawText(QStringLiteral("Max(x,2)"), m), (Box{24 + 32 + 16, 12, 12}));
    EXPECT_EQ(m.joinedText(QStringLiteral("|")), QStringLiteral("Max|(|)|x|, |2"));
    const auto name = Find(m, QStringLiteral("Max"));
    EXPECT_EQ(name.font, (CanvasFont{QStringLiteral("Times New Roman"), -20, 0, clBlack}));
    EXPECT_EQ(Find(m, QStringLiteral("x")).font.Style, TFontStyles(fsBold | fsItalic));

    FakeCanvas s;
    EXPECT_EQ(DrawText(QStringLiteral("sin(x)"), s), (Box{24 + 8 + 3, 10, 10}));
    EXPECT_EQ(s.joinedText(QStringLiteral("|")), QStringLiteral("sin|x"));
    FakeCanvas sp;
    DrawText(QStringLiteral("sen(x+1)"), sp);
    EXPECT_EQ(sp.joinedText(), QStringLiteral("sen()x1+"));

    e.AddUserFunction(QStringLiteral("doble"), QStringLiteral("?A*2"), QString());
    FakeCanvas u;
    DrawText(QStringLiteral("doble(x)"), u);
    EXPECT_EQ(u.joinedText(QStringLiteral("|")), QStringLiteral("doble|(|)|x"));

    FakeCanvas lg;
    DrawText(QStringLiteral("LogN(x,2)"), lg);
    EXPECT_EQ(lg.joinedText(QStringLiteral("|")), QStringLiteral("log|x|2"));
    EXPECT_EQ(Find(lg, QStringLiteral("2")).font.Height, -10);
    FakeCanvas lo;
    DrawText(QStringLiteral("(a+b)£2"), lo);
    EXPECT_EQ(lo.joinedText(), QStringLiteral("log()ab+2"));

    FakeCanvas msg;
    DrawText(QStringLiteral("'hola'"), msg);
    EXPECT_EQ(msg.joinedText(), QStringLiteral("\"hola\""));
    EXPECT_EQ(msg.texts()[0].font.Name, QStringLiteral("Arial"));
}

TEST_F(DrawTest, ArgumentListNode)
{
    auto* one = new TNum(1);
    auto* two = new TNum(22);
    auto* list = new TDibListaArg({one, two});
    FakeCanvas c;
    int w, a, b;
    list->Measure(c, 20, w, a, b);
    EXPECT_EQ((Box{w, a, b}), (Box{8 + 16 + 16, 10, 10}));
    list->DrawWithParens(c, 0, 0, 20, true);
    EXPECT_EQ(c.joinedText(QStringLiteral("|")), QStringLiteral("(|)|1|, |22"));
    Discard(list);
    Discard(one);
    Discard(two);
}

TEST_F(DrawTest, BuiltInsDrawTheirOwnWay)
{
    struct Case {
        const char* text;
        const char* drawn;
        int lines;
    } cases[] = {
        {"Rcp(x)", "x|-1", 0},
        {"Rcp(x+1)", "(|)|x|1|+|-1", 0},
        {"sqr(x)", "x|2", 0},
        {"cuad(sin(x))", "(|)|sin|x|2", 0},
        {"sqrt(x)", "x", 3},
        {"raiz(x)", "x", 3},
        {"exp(x)", "e|x", 0},
        {"exp10(x)", "10|x", 0},
        {"Abs(x)", "x", 2},
        {"Fact(3)", "3|!", 0},
        {"Fact(x+1)", "(|)|x|1|+|!", 0},
        {"Cmb(5,2)", "(|)|5|2", 0},
        {"ln(x)", "ln|x", 0},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.text);
        FakeCanvas c;
        DrawText(QString::fromLatin1(k.text), c);
        EXPECT_EQ(c.joinedText(QStringLiteral("|")), QString::fromLatin1(k.drawn));
        EXPECT_EQ(Count(c, Kind::Line), k.lines);
    }
    FakeCanvas r;
    // x (8, 10, 10); "-1" at 13: 16 wide, above grows by 13 div 3
    EXPECT_EQ(DrawText(QStringLiteral("Rcp(x)"), r), (Box{24, 14, 10}));
    EXPECT_EQ(Find(r, QStringLiteral("-1")).font.Height, -13);
    FakeCanvas ex;
    DrawText(QStringLiteral("exp(x)"), ex);
    EXPECT_EQ(Find(ex, QStringLiteral("e")).font.Style, TFontStyles(fsItalic));
    EXPECT_EQ(Find(ex, QStringLiteral("x")).font.Height, -13);
    FakeCanvas cmb;
    // 5 over 2: above 20, below 20, d = 8; width T("()") + 8
    EXPECT_EQ(DrawText(QStringLiteral("Cmb(5,2)"), cmb), (Box{24, 24, 24}));
}

TEST_F(DrawTest, ResolverProceduresReplaceTheDrawingAndAreMeasuredOncePerDrawing)
{
    int measures = 0;
    e.OnResolveName = [](const QString& name, bool& ok) {
        ok = name == QLatin1String("q");
        return Extended(3);
    };
    e.ExtMeasureProc = [&](TEval*, Canvas&, int size, int& w, int& a, int& b) {
        ++measures;
        w = size;
        a = b = size / 2;
    };
    e.ExtDrawProc = [](TEval*, Canvas& c, int x, int y, int) { c.textOut(x, y, QStringLiteral("Q")); };
    e.SetText(QStringLiteral("q/(q/(q/(q/(q/(q/q)))))"));
    ASSERT_NE(e.Root, nullptr);
    FakeCanvas c;
    e.Root->Draw(c, 0, 0, 20);
    EXPECT_EQ(c.joinedText(), QStringLiteral("QQQQQQQ"));
    EXPECT_EQ(measures, 7);   // each node once in the whole drawing

    // Without procedures a resolved name draws as a constant.
    TExpresion plain;
    plain.OnResolveName = [](const QString& name, bool& ok) {
        ok = name == QLatin1String("q");
        return Extended(3);
    };
    plain.SetText(QStringLiteral("q"));
    ASSERT_NE(plain.Root, nullptr);
    FakeCanvas p;
    plain.Root->Draw(p, 0, 0, 20);
    EXPECT_EQ(p.texts()[0].font.Style, TFontStyles(fsItalic));
}

TEST_F(DrawTest, DeepExponentsNeverAskForAFontOfHeightZero)
{
    QString text = QStringLiteral("x");
    for (int i = 0; i < 12; ++i)
        text = QStringLiteral("x^(") + text + QStringLiteral(")");
    FakeCanvas c;
    DrawText(text, c);
    int smallest = 1000;
    for (const auto& t : c.texts()) {
        EXPECT_NE(t.font.Height, 0);
        smallest = std::min(smallest, std::abs(t.font.Height));
    }
    EXPECT_EQ(smallest, 1);
    EXPECT_EQ(c.texts().size(), 13);
}

TEST_F(DrawTest, VeryDeepTreesDrawWithoutOverflowingTheStack)
{
    // A sum of 2000 terms is a tree 2000 levels deep: drawn as far as the
    // stack allows, never past it.
    QString text = QStringLiteral("x");
    for (int i = 1; i < 2000; ++i)
        text += QStringLiteral("+x");
    FakeCanvas c;
    const Box b = DrawText(text, c);
    EXPECT_GT(b.width, 0);
    EXPECT_FALSE(c.texts().isEmpty());
    FixedWidthMetrics metrics(8);
    auto pic = e.DrawToMetafile(&metrics);
    ASSERT_NE(pic, nullptr);
    EXPECT_EQ(pic->width(), b.width + 4);
}

TEST_F(DrawTest, AnOperatorThatBindsLessThanItsParentIsDrawnInItsParentheses)
{
    struct Case {
        const char* text;
        int parens;   // pairs drawn
    } cases[] = {
        {"x+(1=2)", 1},   {"(1=2)+x", 1},   {"(a=b)-x", 1},  {"-(a=b)", 1},     {"x+(a&b)", 1},
        {"a=(b&c)", 1},   {"(a$b)&c", 1},   {"a=(b=c)", 1},  {"a&(b&c)", 1},    {"a*(b=c)", 1},
        {"(a=b)=c", 0},   {"a&b$c", 0},     {"a+b=c", 0},    {"x+(a+b)", 0},    {"(a+b)-c", 0},
        {"a+b*c", 0},     {"(a=b)/c", 0},   {"a-(b+c)", 1},  {"(a<b)+(c>d)", 2},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.text);
        FakeCanvas c;
        DrawText(QString::fromLatin1(k.text), c);
        const QString drawn = c.joinedText();
        EXPECT_EQ(drawn.count(QLatin1Char('(')), k.parens) << drawn.toStdString();
        EXPECT_EQ(drawn.count(QLatin1Char(')')), k.parens) << drawn.toStdString();
    }
}

TEST_F(DrawTest, ParenthesisedForms)
{
    e.SetText(QStringLiteral("a+b"));
    ASSERT_NE(e.Root, nullptr);
    FakeCanvas c;
    int w0, a0, b0, w1, a1, b1;
    e.Root->MeasureWithParens(c, 20, false, w0, a0, b0);
    e.Root->MeasureWithParens(c, 20, true, w1, a1, b1);
    // d = 20 div 5 = 4
    EXPECT_EQ((Box{w1, a1, b1}), (Box{w0 + 16, a0 + 2, b0 + 2}));
    e.Root->DrawWithParens(c, 0, 0, 20, true);
    EXPECT_EQ(c.joinedText(), QStringLiteral("()ab+"));
    FakeCanvas plain;
    e.Root->DrawWithParens(plain, 0, 0, 20, false);
    EXPECT_EQ(plain.joinedText(), QStringLiteral("ab+"));
}

TEST_F(DrawTest, DrawToMetafile)
{
    FixedWidthMetrics metrics(8);
    TExpresion empty;
    EXPECT_EQ(empty.DrawToMetafile(&metrics), nullptr);

    e.SetText(QStringLiteral("x+1"));
    auto pic = e.DrawToMetafile(&metrics);
    ASSERT_NE(pic, nullptr);
    // measured (29, 10, 10) at size 20
    EXPECT_EQ(pic->width(), 29 + 4);
    EXPECT_EQ(pic->height(), 20 + 4);
    FakeCanvas replayed;
    pic->replay(replayed);
    ASSERT_FALSE(replayed.texts().isEmpty());
    EXPECT_EQ(replayed.texts()[0].x, 2);
    EXPECT_EQ(replayed.texts()[0].y, 2);
    EXPECT_EQ(replayed.texts()[0].font.Height, -20);
    // The same formula gives the same picture.
    EXPECT_TRUE(*pic == *e.DrawToMetafile(&metrics));

    FakeCanvas q;
    const Box qb = DrawText(QStringLiteral("1/2"), q);
    auto quotient = e.DrawToMetafile(&metrics);
    ASSERT_NE(quotient, nullptr);
    EXPECT_EQ(quotient->width(), qb.width + 4);
    EXPECT_EQ(quotient->height(), qb.height() + 4);

    // A text that does not compile leaves no tree and no picture.
    e.Silent = true;
    e.SetText(QStringLiteral("1+"));
    EXPECT_EQ(e.DrawToMetafile(&metrics), nullptr);
}
