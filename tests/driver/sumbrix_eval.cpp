// sumbrix-eval: answers every expression line read on stdin with the line the
// main window's result box would show.
//
//   #set NAME VALUE   angle (0-5), base, digits, notation (0-2), strip (0/1),
//                     group (0/1), tolerance, domain (real, complex: see
//                     complex_driver.h, rational: see rational_driver.h)
//   #var NAME VALUE   registers NAME (first time only) and sets it
//   #fun NAME BODY    registers a user function
//   #again            evaluates the last compiled tree again, without compiling
//   anything else     an expression: compiled, solved for "?" when it uses "?",
//                     else evaluated; one line of output
//   #NAME ARGUMENTS   a line of a tool's computing library (below); its
//                     answer is one line, "Excepción: ..." on a fault
// Settings and definitions print nothing (an error in them prints one line).
//
// The tools' lines (TAB: a tab character):
//   #prime N          "primo", "compuesto" or the primes window's message
//   #factors N        the prime factors of N ascending, with repetition
//   #divisors N       every divisor of N ascending
//   #nthprime K       the K-th prime (2 is the first), K from 1 to 2^57
//   #primecount A B   how many primes lie in [A, B]
//   #dates TYPE<TAB>UNIT<TAB>FIELD1<TAB>FIELD2[<TAB>FIELD3]
//                     the dates window's result field: type 0-5 and unit tag
//                     0-7 as in the window; types 0-1 take the two dates,
//                     types 2-5 the three duration fields
//   #stats ENTRIES    value or value*frequency, blank-separated: the 21 results
//                     of the statistics window, "name=value" joined by " ; "
//   #sequence FORM<TAB>RECURRENCE<TAB>STOP<TAB>INITIAL TERMS[<TAB>f<TAB>g<TAB>h]
//                     FORM "Sn=" or "Sn+1=": the report of a detailed run
//                     (at most 1000 terms), its lines joined by " ; "
//   #convert<TAB>VALUE<TAB>FROM<TAB>TO[<TAB>MAGNITUDE]
//                     the value as the result box writes it, or the error;
//                     without a magnitude, the first that has both units
//   #bases<TAB>NUMBER the number in every base: "Bin: 1010 [2] ; 3: 101 [3] ; ..."
//   #roots<TAB>P      the roots of the polynomial P in x, line breaks as " ; "
//   #poly<TAB>OP<TAB>P<TAB>Q
//                     the polynomial window's label<TAB>result (" ; " for line
//                     breaks); OP: suma resta producto cociente potencia (Q=n)
//                     evaluar (Q=x=v,y=w) derivada integral integraldef
//                     (Q=sup,inf) ruffini (Q=a) raices generar (P=roots)
//   #matrix<TAB>MODE<TAB>OP<TAB>ROWS[<TAB>ROWS|VALUE]
//                     the matrix window's result: MODE rational or complex;
//                     OP det triangular transpose inverse solve sum difference
//                     product square (= power) scalar (VALUE); ROWS the cells,
//                     "," between cells and ";" between rows; prints the
//                     result's cells (" , " between cells, " ; " between rows),
//                     the system's classification or the window's message
//   #formula GROUP<TAB>FORMULA<TAB>UNKNOWN [unit]<TAB>symbol=value unit; ...
//                     the formula manager's solution: the unknown's value and
//                     unit; values not given keep their stored value
//   #molar<TAB>FORMULA
//                     the molar mass as the result box writes it, or the error
//   #element<TAB>SYMBOL-OR-NUMBER
//                     the element's data as the periodic table lists them,
//                     " ; " between fields
// The real half calculates through the main window's own calculation model
// (services/calcmodel.h): truth values, solving, the last result, the text.

#include "engine/bases.h"
#include "engine/real/expresion.h"
#include "services/calcmodel.h"
#include "complex_driver.h"
#include "driver_common.h"
#include "rational_driver.h"
#include "foundation/core/directives.h"
#include "foundation/core/format.h"

#include <QCoreApplication>
#include <QString>

#include <cmath>
#include <cstdint>
#include <functional>
#include <iostream>
#include <map>
#include <random>
#include <string>

namespace {

using real::TExpresion;

class Driver {
public:
    Driver() : m_main(m_calc.Main())
    {
        m_calc.SetSolveVariable(evaldriver::SetUpExpressions(m_main, m_input, m_main.Silent));
        // A fixed series of random numbers in [0, 1): the same truth values every run.
        m_calc.Random = [this] { return static_cast<Extended>(m_random() >> 11) * 0x1p-53L; };
    }

    // main() has already cut the line's "\r".
    void line(const QString& text) { evaldriver::DispatchLine(*this, text); }

private:
    template <class D>
    friend void evaldriver::DispatchLine(D&, const QString&);
    static void out(const QString& s) { evaldriver::out(s); }

    void set(const QString& args)
    {
        const auto [rawName, value] = evaldriver::SplitDirective(args);
        const QString name = rawName.toLower();
        Extended v = 0;
        if (name == QLatin1String("domain")) {
            if (value != QLatin1String("real"))
                out(QStringLiteral("Dominio no disponible: ") + value);
            return;
        }
        if (!TryStrToFloat(value, v)) {
            out(QStringLiteral("Valor no válido: ") + value);
            return;
        }
        NumberTextState& nt = numtext();
        // Every setting but the tolerance is a byte; the base goes from 2 to 36.
        const bool isByte = v >= 0 && v <= 255 && v == truncl(v);
        if (name != QLatin1String("tolerance") &&
            (!isByte || (name == QLatin1String("base") && (v < 2 || v > 36)))) {
            out(QStringLiteral("Valor no válido: ") + value);
            return;
        }
        const int i = isByte ? static_cast<int>(v) : 0;
        if (name == QLatin1String("angle"))
            m_main.SetAngleMode(static_cast<std::uint8_t>(i));
        else if (name == QLatin1String("base"))
            nt.DisplayBase = static_cast<std::uint8_t>(i);
        else if (name == QLatin1String("digits"))
            nt.DisplayDigits = static_cast<std::uint8_t>(i);
        else if (name == QLatin1String("notation"))
            nt.DisplayNotation = static_cast<std::uint8_t>(i);
        else if (name == QLatin1String("strip"))
            nt.StripTrailingZeros = i != 0;
        else if (name == QLatin1String("group"))
            nt.GroupDigits = i != 0;
        else if (name == QLatin1String("tolerance"))
            real::engineState().EqualityTolerance = v;
        else
            out(QStringLiteral("Ajuste desconocido: ") + name);
    }

    void var(const QString& args)
    {
        const auto [name, value] = evaldriver::SplitDirective(args);
        Extended v = 0;
        if (!TryStrToFloat(value, v)) {
            try {
                v = m_input.EvaluateText(value);
            } catch (const Exception& e) {
                out(QStringLiteral("ECompilacion: ") + e.message());
                return;
            }
        }
        evaldriver::VariableOnce(m_vars, m_main, name)->SetValue(v);
    }

    void fun(const QString& args) { evaldriver::DefineFunction<real::ECompilacion>(m_main, args, out); }

    void expression(const QString& text)
    {
        try {
            const TCalcModel::TOutcome r = m_calc.Calculate(text);
            m_compiled = r.Ready;
            out(r.Shown);
        } catch (const real::ECompilacion& e) {
            m_compiled = false;
            out(QStringLiteral("ECompilacion: ") + e.message());
        } catch (const Exception& e) {
            m_compiled = false;
            out(QStringLiteral("Excepción: ") + e.message());
        }
    }

    void again()
    {
        if (!m_compiled) {
            out(QStringLiteral("Sin expresión compilada"));
            return;
        }
        try {
            out(m_calc.Evaluate().Shown);
        } catch (const Exception& e) {
            out(QStringLiteral("Excepción: ") + e.message());
        }
    }

    TCalcModel m_calc;
    TExpresion& m_main;
    TExpresion m_input;
    std::map<QString, real::TVariable*> m_vars;
    std::mt19937_64 m_random{20261210};
    bool m_compiled = false;
};
} // namespace

// Every computing library's lines (made by cmake/ToolAreas.cmake).
void RegisterComputingAreas();

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    RegisterComputingAreas();
    Driver driver;
    ComplexDriver complexDriver;
    RationalDriver rationalDriver;
    // "#set domain complex" / "#set domain rational" send the following lines to
    // that engine's half (complex_driver.h, rational_driver.h) until another
    // "#set domain"; the real half answers every other domain itself.
    const std::function<void(const QString&)> realLine = [&](const QString& l) { driver.line(l); };
    const std::function<void(const QString&)> complexLine = [&](const QString& l) { complexDriver.line(l); };
    const std::function<void(const QString&)> rationalLine = [&](const QString& l) { rationalDriver.line(l); };
    const std::function<void(const QString&)>* current = &realLine;
    std::string raw;
    while (std::getline(std::cin, raw)) {
        // Input is UTF-8 (the golden files); "£" is one character either way.
        QString line = QString::fromUtf8(raw.data(), static_cast<qsizetype>(raw.size()));
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        const QString simple = line.simplified();
        if (simple == QLatin1String("#set domain complex")) {
            current = &complexLine;
            continue;
        }
        if (simple == QLatin1String("#set domain rational")) {
            current = &rationalLine;
            continue;
        }
        QString answer;
        if (RunEvalDirective(line, answer)) {
            evaldriver::out(answer);
            std::cout.flush();
            continue;
        }
        if (line.startsWith(QLatin1String("#set domain ")))
            current = &realLine;
        (*current)(line);
        std::cout.flush();
    }
    return 0;
}
