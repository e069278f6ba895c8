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

#include "driver_common.h"
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
        m_solve = evaldriver::SetUpExpressions(m_main, m_input, true);
        rational::messageHook() = [this](const QString&, const QString&, rational::MessageIcon) {
            m_box = true;
        };
    }
    ~RationalDriver() { rational::messageHook() = nullptr; }

    void line(const QString& text)
    {
        evaldriver::DispatchLine(*this, text);
    }

private:
    template <class D>
    friend void evaldriver::DispatchLine(D&, const QString&);

    static void out(const QString& s) { evaldriver::out(s); }
    void answer(const QString& s)
    {
        out(m_box ? QStringLiteral("[caja] ") + s : s);
        m_box = false;
    }

    void set(const QString& args)
    {
        const auto [rawName, value] = evaldriver::SplitDirective(args);
        const QString name = rawName.toLower();
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
        const auto [name, value] = evaldriver::SplitDirective(args);
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
