#pragma once
// The complex half of sumbrix-eval: after "#set domain complex" every line goes
// here, and each result is printed as ComplexToStr writes it.
//
//   #set angle N        angle unit of the expression (0-5)
//   #set tolerance X    EqualityTolerance of the complex engine
//   #set silent 0/1     whether the expression is silent (default 1)
//   #var NAME VALUE     registers NAME (first time only) and sets it; VALUE is
//                       complex text ("3 + 4i") or an expression
//   #fun NAME BODY      registers a user function
//   anything else       compiled, solved for "?" when it uses "?", else evaluated

#include "driver_common.h"
#include "engine/complex/expresion.h"
#include "foundation/core/basicos.h"
#include "foundation/core/format.h"

#include <QString>

#include <iostream>
#include <map>

class ComplexDriver {
public:
    ComplexDriver()
    {
        complex::StartUp();
        // The expression's boxes take the program's route (as the start-up
        // installs it), so that the sink below catches them.
        complex::messageHook() = exprcore::ShowAsMessageBox;
        m_solve = evaldriver::SetUpExpressions(m_main, m_input, true);
    }
    ~ComplexDriver() { complex::messageHook() = nullptr; }

    void line(const QString& text)
    {
        // Boxes shown while this line is answered are caught here.
        struct Sink {
            MessageSink* saved;
            explicit Sink(MessageSink* mine) : saved(Basicos().Messages) { Basicos().Messages = mine; }
            ~Sink() { Basicos().Messages = saved; }
        } sink(&m_boxes);
        evaldriver::DispatchLine(*this, text);
    }

private:
    template <class D>
    friend void evaldriver::DispatchLine(D&, const QString&);

    // Boxes shown while a line is answered go in front of its answer, each as
    // "[caja: text] ", so that every line still gets one line of output.
    class Boxes : public MessageSink {
    public:
        int showMessage(const QString& text, const QString&, unsigned) override
        {
            pending += QStringLiteral("[caja: ") + text + QStringLiteral("] ");
            return idOk;
        }
        QString pending;
    };

    void out(const QString& s)
    {
        std::cout << (m_boxes.pending + s).toStdString() << '\n';
        m_boxes.pending.clear();
    }

    void set(const QString& args)
    {
        const auto [rawName, value] = evaldriver::SplitDirective(args);
        const QString name = rawName.toLower();
        Extended v = 0;
        if (!TryStrToFloat(value, v)) {
            out(QStringLiteral("Valor no válido: ") + value);
            return;
        }
        if (name == QLatin1String("angle") && v >= 0 && v <= 255 && v == truncl(v))
            m_main.SetAngleMode(static_cast<std::uint8_t>(v));
        else if (name == QLatin1String("tolerance"))
            complex::engineState().EqualityTolerance = v;
        else if (name == QLatin1String("silent"))
            m_main.Silent = v != 0;
        else
            out(QStringLiteral("Ajuste desconocido: ") + name);
    }

    void var(const QString& args)
    {
        const auto [name, value] = evaldriver::SplitDirective(args);
        complex::TComplex v;
        try {
            v = complex::StrToComplex(value);
        } catch (const EConvertError&) {
            try {
                m_input.EvaluateText(value, v);
            } catch (const Exception& e) {
                out(QStringLiteral("Excepción: ") + e.message());
                return;
            }
        }
        evaldriver::VariableOnce(m_vars, m_main, name)->SetValue(v);
    }

    void fun(const QString& args)
    {
        evaldriver::DefineFunction<Exception>(m_main, args, [this](const QString& s) { out(s); });
    }

    void expression(const QString& text)
    {
        if (text.isEmpty()) {
            out(QString());
            return;
        }
        try {
            // The same text twice still compiles again (a new line of input).
            m_main.Text.clear();
            m_main.SetText(text);
            if (m_main.HasError) {
                out(QStringLiteral("%1: %2").arg(m_main.ErrorCode).arg(m_main.ErrorMessage));
                return;
            }
            complex::TComplex r;
            if (m_main.DependsOn(m_solve))
                m_main.SolveFor(m_solve, r);
            else
                m_main.Evaluate(r);
            if (m_main.HasError)
                out(QStringLiteral("%1: %2").arg(m_main.ErrorCode).arg(m_main.ErrorMessage));
            else
                out(complex::ComplexToStr(r));
        } catch (const Exception& e) {
            out(QStringLiteral("Excepción: ") + e.message());
        }
    }

    complex::TExpresion m_main;
    complex::TExpresion m_input;
    complex::TVariable* m_solve = nullptr;
    std::map<QString, complex::TVariable*> m_vars;
    Boxes m_boxes;
};
