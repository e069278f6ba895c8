// Formula drawing of the complex engine: its own number text and argument
// lists; the operators' layout is the shared one.
#include "support/fixtures.h"

#include "engine/complex/expresion.h"
#include "engine/formulapicture.h"
#include "foundation/core/basicos.h"

using namespace complex;

namespace {

class ComplexDrawTest : public CoreStateTest {
protected:
    void SetUp() override
    {
        CoreStateTest::SetUp();
        e.Silent = true;
        e.SetUseBuiltIns(true);
        x = e.AddVariable(QStringLiteral("x"));
    }

    const FormulaPicture& Draw(const QString& text)
    {
        e.SetText(text);
        EXPECT_TRUE(e.Compiled) << text.toStdString();
        pictures.push_back(std::make_unique<FormulaPicture>(&metrics));
        if (e.Root)
            e.Root->Draw(*pictures.back(), 0, 0, 20);
        return *pictures.back();
    }
    std::vector<std::unique_ptr<FormulaPicture>> pictures;

    static QStringList Texts(const FormulaPicture& pic)
    {
        QStringList out;
        for (const PictureOp& op : pic.ops())
            if (const auto* t = std::get_if<pictureop::Text>(&op))
                out << t->text;
        return out;
    }

    static int Count(const FormulaPicture& pic, std::size_t index)
    {
        int n = 0;
        for (const PictureOp& op : pic.ops())
            n += op.index() == index ? 1 : 0;
        return n;
    }

    FixedWidthMetrics metrics;
    TExpresion e;
    TVariable* x = nullptr;
};

constexpr std::size_t kEllipse = 7;
constexpr std::size_t kRectangle = 6;

} // namespace

TEST_F(ComplexDrawTest, LiteralWithExponentHasRoundMark)
{
    const FormulaPicture& pic = Draw(QStringLiteral("1e20"));
    EXPECT_EQ(Texts(pic), (QStringList{QStringLiteral("1"), QStringLiteral(" 10"), QStringLiteral("20")}));
    EXPECT_EQ(Count(pic, kEllipse), 1);
    EXPECT_EQ(Count(pic, kRectangle), 0);
    auto* num = dynamic_cast<TNum*>(e.Root);
    ASSERT_NE(num, nullptr);
    EXPECT_TRUE(num->HasExponent);
    EXPECT_EQ(num->Mantissa, QStringLiteral("1"));
    EXPECT_EQ(num->Exponent, QStringLiteral("20"));
}

TEST_F(ComplexDrawTest, LiteralInAnotherBaseDrawsItsDecimalValue)
{
    const FormulaPicture& pic = Draw(QStringLiteral("FF[16]"));
    EXPECT_EQ(Texts(pic), QStringList{QStringLiteral("255")});
    EXPECT_EQ(Draw(QStringLiteral("2.50")).ops().size(), Draw(QStringLiteral("2.5")).ops().size());
    EXPECT_EQ(Texts(Draw(QStringLiteral("2.50"))), QStringList{QStringLiteral("2.5")});
}

TEST_F(ComplexDrawTest, ExponentSplitsAtTheLaterOfEAnde)
{
    TNum n(TComplex{1.5e30L, 0});
    n.PrepareText();
    EXPECT_EQ(n.Text, ComplexToStr(TComplex{1.5e30L, 0}));
    EXPECT_TRUE(n.HasExponent);
    EXPECT_EQ(n.Mantissa + QLatin1Char('E') + n.Exponent, n.Text);
    TNum plain(TComplex{255, 0});
    plain.PrepareText();
    EXPECT_FALSE(plain.HasExponent);
}

TEST_F(ComplexDrawTest, UnaryMinusHidesTheZero)
{
    const QStringList texts = Texts(Draw(QStringLiteral("-x")));
    EXPECT_EQ(texts, QStringList{QStringLiteral("x")});
}

TEST_F(ComplexDrawTest, FunctionOfSeveralArgumentsWidth)
{
    // Name 5 x 8; the list as drawn, 8 + T(", ") + 8 = 32, in parentheses:
    // 32 + 16 = 48; one "," in the parentheses' font: 8.
    Draw(QStringLiteral("Polar(1, 2)"));
    int w = 0, a = 0, b = 0;
    FormulaPicture m(&metrics);
    e.Root->Measure(m, 20, w, a, b);
    EXPECT_EQ(w, 40 + 48 + 8);
    EXPECT_EQ(a, 12);
    EXPECT_EQ(b, 12);
    const QStringList texts = Texts(Draw(QStringLiteral("Polar(1, 2)")));
    EXPECT_EQ(texts, (QStringList{QStringLiteral("Polar"), QStringLiteral("("), QStringLiteral(")"),
                                  QStringLiteral("1"), QStringLiteral(", "), QStringLiteral("2")}));
}

TEST_F(ComplexDrawTest, ArgumentListNode)
{
    TNum a(TComplex{1, 0}), b(TComplex{2, 0}), c(TComplex{3, 0});
    TDibListaArg list({&a, &b, &c});
    FormulaPicture m(&metrics);
    int w = 0, ab = 0, be = 0;
    list.Measure(m, 20, w, ab, be);
    // 3 x 8 and a ", " between each two, as drawn.
    EXPECT_EQ(w, 24 + 2 * 16);
    TComplex v{7, 7};
    list.Evaluate(v);
    EXPECT_EQ(v.Re, 0);
    TDibListaArg empty({});
    empty.Measure(m, 20, w, ab, be);
    EXPECT_EQ(ab, 0);
    EXPECT_EQ(be, 0);
}

TEST_F(ComplexDrawTest, RootIndexTwoIsHidden)
{
    EXPECT_FALSE(Texts(Draw(QStringLiteral("x\\2"))).contains(QStringLiteral("2")));
    EXPECT_TRUE(Texts(Draw(QStringLiteral("x\\3"))).contains(QStringLiteral("3")));
}

TEST_F(ComplexDrawTest, BuiltInsWithTheirOwnDrawing)
{
    EXPECT_EQ(Texts(Draw(QStringLiteral("Exp(x)"))), (QStringList{QStringLiteral("e"), QStringLiteral("x")}));
    EXPECT_EQ(Texts(Draw(QStringLiteral("Sqr(x)"))), (QStringList{QStringLiteral("x"), QStringLiteral("2")}));
    EXPECT_EQ(Texts(Draw(QStringLiteral("Rcp(x)"))), (QStringList{QStringLiteral("x"), QStringLiteral("-1")}));
    EXPECT_EQ(Texts(Draw(QStringLiteral("Sqrt(x)"))), QStringList{QStringLiteral("x")});
    EXPECT_EQ(Texts(Draw(QStringLiteral("Conj(x)"))), (QStringList{QStringLiteral("Conj"), QStringLiteral("x")}));
}

TEST_F(ComplexDrawTest, ComparisonKeepsItsSign)
{
    Draw(QStringLiteral("x >= 2i"));
    EXPECT_EQ(e.Root->Text, QStringLiteral(">"));
    Draw(QStringLiteral("x <> 2i"));
    EXPECT_EQ(e.Root->Text, QStringLiteral("="));
}

TEST_F(ComplexDrawTest, ACallClosesItsParenthesisAfterItsLastArgument)
{
    e.AddUserFunction(QStringLiteral("ff"), QStringLiteral("?A*2"), QString());
    e.AddUserFunction(QStringLiteral("gg"), QStringLiteral("?A+?B"), QString());
    struct Case {
        const char* text;
        const char* last;   // the last argument's text
    } cases[] = {{"ff(3)", "3"}, {"ff(123)", "123"}, {"gg(1, 25)", "25"}, {"Polar(1, 2)", "2"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const FormulaPicture& pic = Draw(QString::fromLatin1(c.text));
        int lastEnd = -1, close = -1;
        for (const PictureOp& op : pic.ops()) {
            if (const auto* t = std::get_if<pictureop::Text>(&op)) {
                if (t->text == QLatin1String(c.last))
                    lastEnd = t->x + 8 * int(t->text.size());
                if (t->text == QStringLiteral(")"))
                    close = t->x;
            }
        }
        ASSERT_GE(lastEnd, 0);
        EXPECT_GE(close, lastEnd) << "\")\" over the argument";
    }
}

TEST_F(ComplexDrawTest, ALowerOperatorInsideASumKeepsItsParentheses)
{
    struct Case {
        const char* text;
        int parens;   // pairs drawn
    } cases[] = {{"x+(1=2)", 1}, {"(1=2)+x", 1}, {"(x=1)-2", 1}, {"x=(1=2)", 1}, {"(x=1)=2", 0},
                 {"x+2=3", 0},   {"x+(2+3)", 0}, {"x-(2+3)", 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(Texts(Draw(QString::fromLatin1(c.text))).count(QStringLiteral("(")), c.parens);
    }
}
