// The complex tree: evaluation order, comparisons by modulus, truth by real
// part, the root operator, solving and reference counting.
#include "support/fixtures.h"

#include "engine/complex/expresion.h"
#include "engine/errors.h"
#include "foundation/core/basicos.h"

#include <QStringList>

using namespace complex;

namespace {

class ComplexTreeTest : public CoreStateTest {
protected:
    void SetUp() override
    {
        CoreStateTest::SetUp();
        e.Silent = true;
        e.SetUseBuiltIns(true);
        // A function of no arguments that logs its name: shows who is evaluated first.
        for (const char* n : {"A", "B", "C"}) {
            const QString name = QString::fromUtf8(n);
            e.AddFunction0(name, [this, name](TComplex& r) {
                log << name;
                r = TComplex{values.value(name, 1), 0};
            }, 2, QString());
        }
    }

    TComplex Eval(const QString& text)
    {
        e.SetText(text);
        EXPECT_TRUE(e.Compiled) << text.toStdString() << ": " << e.ErrorMessage.toStdString();
        TComplex r;
        e.Evaluate(r);
        return r;
    }

    TExpresion e;
    QStringList log;
    QMap<QString, Extended> values;
};

} // namespace

TEST_F(ComplexTreeTest, EvaluationOrder)
{
    struct Case {
        const char* text;
        const char* order;
    } cases[] = {
        {"A+B", "B,A"},      {"A-B", "B,A"},       {"A*B", "B,A"},     {"A/B", "B,A"},
        {"A^B", "B,A"},      {"A£B", "B,A"},       {"A\\B", "A,B"},    {"A>B", "A,B"},
        {"A<B", "A,B"},      {"A=B", "B,A"},       {"A<>B", "B,A"},    {"A+B*C", "C,B,A"},
        {"Polar(A,B)", "A,B"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        log.clear();
        Eval(QString::fromUtf8(c.text));
        EXPECT_EQ(log.join(QLatin1Char(',')), QString::fromUtf8(c.order));
    }
    // >= and <=: a then b; when the moduli do not decide, b and a again.
    values[QStringLiteral("A")] = 1;
    values[QStringLiteral("B")] = 2;
    log.clear();
    Eval(QStringLiteral("A>=B"));
    EXPECT_EQ(log.join(QLatin1Char(',')), QStringLiteral("A,B,B,A"));
    log.clear();
    Eval(QStringLiteral("B<=A"));
    EXPECT_EQ(log.join(QLatin1Char(',')), QStringLiteral("B,A,A,B"));
}

TEST_F(ComplexTreeTest, ComparisonsByModulusAndByParts)
{
    struct Case {
        const char* text;
        bool truth;
    } cases[] = {
        {"3+4i > 4", true},  {"3+4i < 5", false}, {"3+4i >= 5i", true}, {"3+4i = 5", false},
        {"5 <= 3+4i", true}, {"1 < 2 < 3", true}, {"3 < 2 < 1", false}, {"i*i = -1", true},
        {"5 <> 3+4i", true}, {"-5 > 4", true},    {"2i <> 2i", false},  {"1 < 3 < 2", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const TComplex r = Eval(QString::fromUtf8(c.text));
        const TComplex want = c.truth ? engineState().TrueValue : engineState().FalseValue;
        EXPECT_EQ(r.Re, want.Re);
        EXPECT_EQ(r.Im, want.Im);
    }
    // Equality by parts within the tolerance, on each part separately.
    engineState().EqualityTolerance = 0.5L;
    EXPECT_EQ(Eval(QStringLiteral("1 = 1.4+0.4i")).Re, 1);
    EXPECT_EQ(Eval(QStringLiteral("1 = 1.4+0.6i")).Re, -1);
}

TEST_F(ComplexTreeTest, ConditionIsTheRealPart)
{
    values[QStringLiteral("A")] = 7;
    log.clear();
    EXPECT_EQ(Eval(QStringLiteral("Si(i, A, B)")).Re, 1);   // B only
    EXPECT_EQ(log.join(QLatin1Char(',')), QStringLiteral("B"));
    EXPECT_EQ(Eval(QStringLiteral("Si(0.1-9i, A, B)")).Re, 7);
    EXPECT_EQ(Eval(QStringLiteral("If(3<2, 1, 2)")).Re, 2);
}

TEST_F(ComplexTreeTest, RootOperator)
{
    TComplex r = Eval(QStringLiteral("(-8)\\3"));
    EXPECT_NEAR(static_cast<double>(r.Re), 1, 1e-15);
    EXPECT_NEAR(static_cast<double>(r.Im), 1.7320508075688772, 1e-15);
    r = Eval(QStringLiteral("4\\2"));
    EXPECT_NEAR(static_cast<double>(r.Re), 2, 1e-18);
    EXPECT_EQ(ComplexToStr(Eval(QStringLiteral("(-4)\\2"))), QStringLiteral(" 2i"));
    for (const char* t : {"8\\i", "8\\0", "8\\(1+i)"}) {
        SCOPED_TRACE(t);
        try {
            ComplexRoot(TComplex{8, 0}, t[3] == 'i' ? TComplex{0, 1} : t[3] == '0' ? TComplex{} : TComplex{1, 1});
            ADD_FAILURE();
        } catch (const EMathError& ex) {
            EXPECT_EQ(ex.code(), 19);   // the common class: not one of codes 11..15
            EXPECT_EQ(ex.message(), QStringLiteral("El radical debe ser un número real distinto de cero"));
        }
    }
    EXPECT_THROW(ComplexRoot(TComplex{}, TComplex{-2, 0}), EZeroDivide);
    const TComplex zero = ComplexRoot(TComplex{}, TComplex{2, 0});
    EXPECT_EQ(zero.Re, 0);
}

TEST_F(ComplexTreeTest, SolvingWithTheComplexInverses)
{
    TVariable* x = e.AddVariable(QStringLiteral("x"));
    TVariable* y = e.AddVariable(QStringLiteral("y"));
    y->SetValue(TComplex{5, 0});
    struct Case {
        const char* text;
        const char* result;
    } cases[] = {
        {"x^2 = -4", " 2i"}, {"2*x + 1 = 7", "3"},     {"x/i = 2", " 2i"}, {"2^x = 8", "3"},
        {"x\\3 = 2", "8"},   {"8\\x = 2", "3"},       {"x£2 = 3", "8"},   {"8£x = 3", "2"},
        {"Exp(x) = -1", " 3.141592654i"},              {"x = 3+4i", "3 + 4i"},
        {"3+4i = x", "3 + 4i"}, {"y + x = 5", "0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        e.SetText(QString::fromUtf8(c.text));
        TComplex r;
        e.SolveFor(x, r);
        EXPECT_FALSE(e.HasError) << e.ErrorMessage.toStdString();
        EXPECT_EQ(ComplexToStr(r), QString::fromUtf8(c.result));
    }
    // The equation stays intact for later evaluations when x stands alone.
    e.SetText(QStringLiteral("x = 3+4i"));
    TComplex r;
    e.SolveFor(x, r);
    e.SolveFor(x, r);
    EXPECT_EQ(r.Re, 3);
}

TEST_F(ComplexTreeTest, NamedSubExpressionsCarryTheMark)
{
    Eval(QStringLiteral("a:1+i;b:a*a;b+a"));
    ASSERT_EQ(e.SubExpressions.size(), 2u);
    EXPECT_GE(e.SubExpressions[0].second->RefCount, exprcore::kNamedMark);
    EXPECT_GE(e.SubExpressions[1].second->RefCount, exprcore::kNamedMark);
    // Changing the text frees them (AddressSanitizer checks nothing leaks).
    EXPECT_EQ(ComplexToStr(Eval(QStringLiteral("a:2;a*a"))), QStringLiteral("4"));
}

TEST_F(ComplexTreeTest, ReleaseNodeSharedChild)
{
    TEval* shared = new TNum(TComplex{2, 0});
    TEval* l = CreateOp(NodeKind::Suma, shared, shared);
    EXPECT_EQ(shared->RefCount, 2);
    NodeGuard g(l);
    EXPECT_EQ(l->Value.Re, 4);
    TEval* m = CreateOp(NodeKind::Mul, l, shared);
    EXPECT_EQ(shared->RefCount, 3);
    Discard(m);
    EXPECT_EQ(shared->RefCount, 2);
}

TEST_F(ComplexTreeTest, VariableCaching)
{
    TVariable* x = e.AddVariable(QStringLiteral("x"));
    e.SetText(QStringLiteral("Sin(x)+A"));
    x->SetValue(TComplex{0, 1});
    TComplex r;
    e.Evaluate(r);
    EXPECT_NEAR(static_cast<double>(r.Im), 1.1752011936438014, 1e-15);
    x->SetValue(TComplex{});
    e.Evaluate(r);
    EXPECT_EQ(r.Im, 0);
    EXPECT_EQ(r.Re, 1);
}
