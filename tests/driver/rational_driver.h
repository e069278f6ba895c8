#pragma once
// The rational half of sumbrix-eval: after "#set domain rational" every line
// goes here, and each result is printed as FracToStr writes it.
//
//   #set maxden N       FracMaxDenominator (1 or more)
//   #set mixed 0/1      MixedFractions
//   #set silent 0/1     whether the expression is silent (default 1); a line
//                       on which a box was shown begins with "[caja] "
//   #var NAME VALUE     registers NAME (first time only) as a function without
//                       arguments, as the fractions window registers w, x, y
//                       and z, and sets its value; VALUE is a rational expression
//   #again              evaluates the compiled tree again, without compiling
//   anything else       compiled, solved for "?" when it uses "?", else
//                       evaluated; the result as a fraction, or
//                       "Error N: message" with the error code, followed for
//                       a failed evaluation by "; valor V" (what Evaluate
//                       returned: 0 with a box, else the last good value)

#include "engine/rational/expresion.h"
#include "foundation/core/format.h"

#include <QString>

#include <iostream>
#include <map>
#include <memory>

class RationalDriver {
public:
    RationalDriver()
    {
        rational::StartUp();
        m_main.SetUseBuiltIns(true);
        m_main.Silent = true;
        m_main.EnsureTable();
        m_solve = m_main.AddVariable(QStringLiteral("?"));
        m_input.Parent = &m_main;
        m_input.Silent = true;
        rational::messageHook() = [this](const QString&, const QString&, rational::MessageIcon) {
            m_box = true;
        };
    }
    ~RationalDriver() { rational::messageHook() = nullptr; }

    void line(const QString& text)
    {
        if (text.startsWith(QLatin1String("#set ")))
            return set(text.mid(5));
        if (text.startsWith(QLatin1String("#var ")))
            return var(text.mid(5));
        if (text == QLatin1String("#again"))
            return again();
        expression(text);
    }

private:
    static void out(const QString& s) { std::cout << s.toStdString() << '\n'; }
    void answer(const QString& s)
    {
        out(m_box ? QStringLiteral("[caja] ") + s : s);
        m_box = false;
    }

    void set(const QString& args)
    {
        const QString name = args.section(QLatin1Char(' '), 0, 0).toLower();
        const QString value = args.section(QLatin1Char(' '), 1).trimmed();
        long long v = 0;
        if (!TryStrToInt(value, v) || v < 0 || v > 0xFFFFFFFFLL) {
            out(QStringLiteral("Valor no válido: ") + value);
            return;
        }
        if (name == QLatin1String("maxden")) {
            if (v < 1)
                out(QStringLiteral("Valor no válido: ") + value);
            else
                rational::fracSettings().FracMaxDenominator = static_cast<std::uint32_t>(v);
        }
        else if (name == QLatin1String("mixed"))
            rational::fracSettings().MixedFractions = v != 0;
        else if (name == QLatin1String("silent"))
            m_main.Silent = v != 0;
        else
            out(QStringLiteral("Ajuste desconocido: ") + name);
    }

    void var(const QString& args)
    {
        const QString name = args.section(QLatin1Char(' '), 0, 0);
        const QString value = args.section(QLatin1Char(' '), 1).trimmed();
        m_input.SetText(value);
        const rational::TFrac v = m_input.Evaluate();
        if (m_input.HasError) {
            answer(Format(QStringLiteral("Error %d: %s"), {int(m_input.ErrorCode), m_input.ErrorMessage}));
            return;
        }
        auto it = m_vars.find(name.toUpper());
        if (it == m_vars.end()) {
            auto cell = std::make_shared<rational::TFrac>();
            it = m_vars.emplace(name.toUpper(), cell).first;
            m_main.AddFunction0(name, [cell] { return *cell; }, 2, QString());
        }
        *it->second = v;
    }

    void expression(const QString& text)
    {
        m_box = false;
        m_main.SetText(text);
        // The same text twice compiles once: only a missing tree is a failed compile.
        if (!m_main.Root) {
            m_compiled = false;
            printError();
            return;
        }
        m_compiled = true;
        report();
    }

    void again()
    {
        if (!m_compiled) {
            out(QStringLiteral("Sin expresión compilada"));
            return;
        }
        m_box = false;
        report();
    }

    void report()
    {
        const rational::TFrac r = m_main.DependsOn(m_solve) ? m_main.SolveFor(m_solve) : m_main.Evaluate();
        if (m_main.HasError) {
            answer(Format(QStringLiteral("Error %d: %s; valor %s"),
                          {int(m_main.ErrorCode), m_main.ErrorMessage, rational::FracToStr(r)}));
            return;
        }
        answer(rational::FracToStr(r));
    }

    void printError()
    {
        answer(Format(QStringLiteral("Error %d: %s"), {int(m_main.ErrorCode), m_main.ErrorMessage}));
    }

    rational::TExpresion m_main;
    rational::TExpresion m_input;
    rational::TVariable* m_solve = nullptr;
    std::map<QString, std::shared_ptr<rational::TFrac>> m_vars;
    bool m_compiled = false;
    bool m_box = false;
};
