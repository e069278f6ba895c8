#pragma once
// What the three halves of sumbrix-eval (real, complex, rational) read alike:
// the split of a directive's line, the dispatch of a line to its handler, the
// variables registered the first time they are named and the user functions.

#include <QString>

#include <iostream>
#include <map>

namespace evaldriver {

inline void out(const QString& s) { std::cout << s.toStdString() << '\n'; }

// The expression a half answers with (built-ins on, "?" registered for
// solving) and the silent one it reads variables' values with; returns "?".
template <class Expr>
auto SetUpExpressions(Expr& main, Expr& input, bool silent)
{
    main.SetUseBuiltIns(true);
    main.Silent = silent;
    main.EnsureTable();
    auto* solve = main.AddVariable(QStringLiteral("?"));
    input.Parent = &main;
    input.Silent = true;
    return solve;
}

// "NAME VALUE...": the first word and the rest of the line.
struct Directive {
    QString name;
    QString value;
};

inline Directive SplitDirective(const QString& args)
{
    return {args.section(QLatin1Char(' '), 0, 0), args.section(QLatin1Char(' '), 1).trimmed()};
}

// Sends "#set", "#var", "#fun" and "#again" to the driver's handler of that
// name, when it has one; any other line is an expression.
template <class D>
void DispatchLine(D& d, const QString& text)
{
    if (text.startsWith(QLatin1String("#set ")))
        return d.set(text.mid(5));
    if (text.startsWith(QLatin1String("#var ")))
        return d.var(text.mid(5));
    if constexpr (requires { d.fun(text); }) {
        if (text.startsWith(QLatin1String("#fun ")))
            return d.fun(text.mid(5));
    }
    if constexpr (requires { d.again(); }) {
        if (text == QLatin1String("#again"))
            return d.again();
    }
    d.expression(text);
}

// The variable of that name (compared without case), registered on the
// expression the first time it is named.
template <class Expr, class Variable>
Variable* VariableOnce(std::map<QString, Variable*>& vars, Expr& expr, const QString& name)
{
    auto it = vars.find(name.toUpper());
    if (it == vars.end())
        it = vars.emplace(name.toUpper(), expr.AddVariable(name)).first;
    return it->second;
}

// "#fun NAME BODY": a compile error of the body is the line's answer.
template <class CompileError, class Expr, class Out>
void DefineFunction(Expr& expr, const QString& args, Out&& answer)
{
    const QString name = args.section(QLatin1Char(' '), 0, 0);
    const QString body = args.section(QLatin1Char(' '), 1);
    try {
        expr.AddUserFunction(name, body, QString());
    } catch (const CompileError& e) {
        answer(QStringLiteral("ECompilacion: ") + e.message());
    }
}

} // namespace evaldriver
