// The polynomial window's operations as texts, through the sumbrix-eval
// lines #poly and #roots (one line in, one line out, CR LF as " ; ").
#include "tools/polinomios/poliactions.h"

#include "engine/complex/expresion.h"
#include "engine/errors.h"
#include "foundation/core/directives.h"
#include "support/fixtures.h"

void RegisterDirectives_tool_polinomios();

namespace {

class PoliActionsTest : public CoreStateTest {
protected:
    void SetUp() override
    {
        CoreStateTest::SetUp();
        EvalDirectives().clear();
        RegisterDirectives_tool_polinomios();
    }
    void TearDown() override
    {
        EvalDirectives().clear();
        CoreStateTest::TearDown();
    }
    static QString Line(const QString& line)
    {
        QString answer;
        EXPECT_TRUE(RunEvalDirective(line, answer)) << line.toStdString();
        return answer;
    }
};

TEST_F(PoliActionsTest, EveryOperationOfTheWindow)
{
    struct Case {
        const char *line, *answer;
    } cases[] = {
        {"#poly\tsuma\t2a+3b2-c\ta-b2+c", "P()+Q()\t3a +2b2"},
        {"#poly\tresta\tx2\tx2", "P()-Q()\t0"},
        {"#poly\tproducto\tx+y\tx-y", "P()*Q()\tx2 -y2"},
        {"#poly\tcociente\tx^2 - 1\tx - 1", "P()/Q()\tCociente: x +1 ; Resto: 0 ; x +1"},
        {"#poly\tcociente\tx^3 + 1\tx^2", "P()/Q()\tCociente: x ; Resto: 1 ; x +x^-2"},
        // The long division is written in the polynomials' own letter.
        {"#poly\tcociente\ta^2 - 1\ta - 1", "P()/Q()\tCociente: a +1 ; Resto: 0 ; a +1"},
        {"#poly\tcociente\tt^3 + 2\tt^2", "P()/Q()\tCociente: t ; Resto: 2 ; t +2t^-2"},
        // Different letters: no long division.
        {"#poly\tcociente\tx2 -1\ty -1", "P()/Q()\t(x2 -1)/(y -1)"},
        {"#poly\tcociente\tx + 2 - x\t1", "P()/Q()\t2"},
        {"#poly\tcociente\t4\t2x", "P()/Q()\t2x^-1"},
        {"#poly\tpotencia\ta+b\t2", "(a +b)^2\ta2 +2ab +b2"},
        {"#poly\tpotencia\tx+1\t0", "(x +1)^0\t1"},
        {"#poly\tevaluar\tx2+1\tx=2", "\t5"},
        {"#poly\tevaluar\tx2+1\tx=1+2i", "\t-2 + 4i"},
        {"#poly\tevaluar\tx2+y\tx=2,y=a-4", "\ta"},
        {"#poly\tevaluar\tx2+y\ty=1|2", "\tx2 +1|2"},
        {"#poly\tderivada\tx^3 - 2x", "P´(x)\t3x^2 -2"},
        {"#poly\tintegral\t3x^2", "Integral P(x)dx\tx^3 +k"},
        {"#poly\tintegraldef\tx\t1,0", "Integral P(x)dx en [0, 1]\t1|2"},
        {"#poly\tintegraldef\tx\tb,a", "Integral P(x)dx en [a, b]\t-1|2a2 +1|2b2"},
        {"#poly\tintegraldef\t2x\t3,", "Integral P(x)dx en [, 3]\t9"},
        {"#poly\truffini\tx^3 - 1\t1", "P(x)/(x-(1))\tCociente: x^2 +x +1 ; Resto: 0"},
        {"#poly\truffini\t2x^2 + 3x - 5\t 2 ", "P(x)/(x-(2))\tCociente: 2x +7 ; Resto: 9"},
        {"#poly\traices\tx^2 + 1", "Raíces de P(x)=0\ti ; -i ; "},
        {"#poly\tgenerar\t1,2,3", "Polinomio con raíces: 1,2,3\tx^3 -6x^2 +11x -6"},
        {"#poly\tgenerar\t1|2", "Polinomio con raíces: 1|2\tx -1|2"},
        {"#roots\tx^4 - 5x^2 + 4", "2 ; -2 ; 1 ; -1"},
        {"#roots\tx^6 + 1", "No se hallaron raíces"},
        {"#roots\t7", "Grado 0 (Raiz indeterminada o no existe)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(Line(QString::fromUtf8(c.line)), QString::fromUtf8(c.answer));
    }
}

TEST_F(PoliActionsTest, FaultsAreMessages)
{
    struct Case {
        const char *line, *answer;
    } cases[] = {
        {"#poly\tcociente\tx2 + 1\t0", "Excepción: División por cero"},
        {"#poly\tcociente\tx\tx - x", "Excepción: División por cero"},
        {"#poly\tcociente\tx\ty - y + 0", "Excepción: División por cero"},
        {"#poly\tpotencia\tx+1\t256", "Excepción: La potencia no puede ser mayor a 127"},
        {"#poly\tpotencia\tx+1\t128", "Excepción: La potencia no puede ser mayor a 127"},
        {"#poly\tpotencia\tx+1\t-1", "Excepción: La potencia no puede ser negativa"},
        {"#poly\tpotencia\tx+1\tdos", "Excepción: 'dos' no es un valor entero válido"},
        {"#poly\tpotencia\tx+1\t99999999999999999999", "Excepción: '99999999999999999999' no es un valor entero válido"},
        {"#poly\tsuma\tx/2\t1", "Excepción: caracter invalido"},
        {"#poly\tderivada\tx2y\t", "Excepción: Esta operación necesita polinomios de una sola variable"},
        {"#poly\tgenerar\t\t", "Excepción: Ingrese al menos una raíz"},
        {"#poly\tproducto\tx^20000\tx^20000", "Excepción: El exponente 40000 está fuera del rango de -32768 a 32767"},
        {"#poly\tnada\tx\t", "Excepción: Operación desconocida: nada"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(Line(QString::fromUtf8(c.line)), QString::fromUtf8(c.answer));
    }
}

// Nothing typed is silently read as something else, and nothing written
// loses digits.
TEST_F(PoliActionsTest, WhatWasTypedIsNeverChanged)
{
    const QString nines(5000, QLatin1Char('9'));
    struct Case {
        QString line;
        const char* answer;
    } cases[] = {
        {QStringLiteral("#poly\tsuma\t12345x\t0"), "P()+Q()\t12345x"},
        {QStringLiteral("#poly\tderivada\t1e15x^2"), "P´(x)\t2000000000000000x"},
        {QStringLiteral("#poly\tderivada\t1e20x^2"), "P´(x)\t200000000000000000000x"},
        {QStringLiteral("#poly\tproducto\t1000000x\t1000000000"), "P()*Q()\t1000000000000000x"},
        {QStringLiteral("#roots\t") + nines + QStringLiteral("x^2-1"), "Excepción: Desbordamiento"},
        {QStringLiteral("#poly\tsuma\t") + nines + QStringLiteral("x\t0"), "Excepción: Desbordamiento"},
        {QStringLiteral("#roots\tx^-2+1"), "Excepción: La potencia no puede ser negativa"},
        {QStringLiteral("#roots\tx^^2++"), "Excepción: error en expresion"},
        {QStringLiteral("#roots\tx^2+y^2"), "Excepción: Esta operación necesita polinomios de una sola variable"},
        {QStringLiteral("#roots\t(x-1)^2"), "Excepción: caracter invalido"},
        {QStringLiteral("#roots\t(x-1)*(x-2)"), "Excepción: caracter invalido"},
        {QStringLiteral("#poly\truffini\tx^2-1\tzz"), "Excepción: 'zz' no es un valor decimal válido"},
        {QStringLiteral("#poly\truffini\tx^2-1\t2+"), "Excepción: '2+' no es un valor decimal válido"},
        {QStringLiteral("#poly\truffini\tx^2-1\t"), "Excepción: '' no es un valor decimal válido"},
        {QStringLiteral("#poly\tgenerar\t1,zz"), "Excepción: 'zz' no es un valor decimal válido"},
        {QStringLiteral("#poly\tsuma\tx-\t1"), "Excepción: error en expresion"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line.left(60).toStdString());
        EXPECT_EQ(Line(c.line), QString::fromUtf8(c.answer));
    }
}

TEST_F(PoliActionsTest, ComplexValueOnlyWhenAskedAndOnlyForX)
{
    complex::TExpresion e;
    e.Silent = true;
    e.SetUseBuiltIns(true);
    std::array<QString, kLetters> typed;
    typed['x' - 'a'] = QStringLiteral("1+2i");
    int asked = 0;
    // Answered No: x is replaced by the polynomial 1 + 2i in the letter i.
    EXPECT_EQ(PoliEvaluate(TPoliN(QStringLiteral("x2+1")), typed, e, [&] { return ++asked, false; }).Memo,
              QStringLiteral("4i2 +4i +2"));
    EXPECT_EQ(asked, 1);
    // A plain number never asks.
    typed['x' - 'a'] = QStringLiteral("2.5");
    EXPECT_EQ(PoliEvaluate(TPoliN(QStringLiteral("x2+1")), typed, e, [&] { return ++asked, true; }).Memo,
              QStringLiteral("29|4"));
    EXPECT_EQ(asked, 1);
    // Text the evaluator cannot compile is substituted.
    typed['x' - 'a'] = QStringLiteral("y+");
    EXPECT_EQ(PoliEvaluate(TPoliN(QStringLiteral("x+1")), typed, e, [&] { return ++asked, true; }).Memo,
              QStringLiteral("y +1"));
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(PoliLetterList(TPoliN(QStringLiteral("2a+3b2-c"))), QStringLiteral("a,b,c,"));
    EXPECT_EQ(PoliLetterList(TPoliN(QStringLiteral("5"))), QString());
}

TEST_F(PoliActionsTest, PowerCountIsReadWhole)
{
    EXPECT_EQ(PoliPowerCount(QStringLiteral(" 127 ")), 127);
    EXPECT_EQ(PoliPowerCount(QStringLiteral("0")), 0);
    EXPECT_THROW(PoliPowerCount(QStringLiteral("256")), Exception);
    EXPECT_THROW(PoliPowerCount(QStringLiteral("2.0")), EConvertError);
}

} // namespace
