#include "tools/complejos/complexcalc.h"

#include "engine/angulos.h"
#include "engine/errors.h"
#include "foundation/core/basicos.h"
#include "foundation/core/format.h"
#include "foundation/core/underscore.h"
#include "foundation/core/zelini.h"

#include <QFileInfo>

using complex::TComplex;

TComplexCalc::TComplexCalc()
{
    Input.SetUseBuiltIns(true);
    Main.SetUseBuiltIns(true);
    Solve = Main.AddVariable(QStringLiteral("?"));
    for (int i = 0; i < exprtool::kLetterCount; ++i)
        Main.AddFunction0(
            QString(exprtool::LetterAt(i)), [this, i](TComplex& r) { r = AskLetter(i); }, 1, QString());
}

TComplex TComplexCalc::AskLetter(int index)
{
    return Letters.Ask(index, Prompt, [this](const QString& text, TComplex& value) {
        Input.SetText(text);
        Input.Evaluate(value);
        return !Input.HasError;
    });
}

void TComplexCalc::LoadDefinitions(const QString& fileName)
{
    if (!QFileInfo::exists(fileName))
        return;
    TZelIniFile ini(fileName);
    QStringList lines;
    ini.ReadSectionValues(QStringLiteral("Constantes"), lines);
    for (const QString& line : lines) {
        const QString name = NamePart(line).trimmed();
        const QString value = ValuePart(line);
        // A name the expression knows already (a built-in, "?", a letter, an
        // earlier line) keeps its meaning.
        if (name.isEmpty() || Main.GetTable()->Contains(name))
            continue;
        try {
            Input.SetText(LeftOfUnderscore(value));
            TComplex v;
            Input.Evaluate(v);
            // A definition that failed has shown its box: it is left out
            // rather than kept with the value of some earlier evaluation.
            if (Input.HasError)
                continue;
            Main.AddConstant(name, v, RightOfUnderscore(value));
            Input.AddConstant(name, v, RightOfUnderscore(value));
        } catch (const Exception&) {
        }
    }
    lines.clear();
    ini.ReadSectionValues(QStringLiteral("Funciones"), lines);
    for (const QString& line : lines) {
        const QString name = NamePart(line).trimmed();
        const QString value = ValuePart(line);
        if (name.isEmpty() || Main.GetTable()->Contains(name))
            continue;
        try {
            Main.AddUserFunction(name, LeftOfUnderscore(value), RightOfUnderscore(value));
            Input.AddUserFunction(name, LeftOfUnderscore(value), RightOfUnderscore(value));
        } catch (const Exception&) {
        }
    }
}

TComplexCalc::TOutcome TComplexCalc::Calculate(const QString& text, std::uint8_t angle)
{
    Letters.ClearAsked();
    Main.SetAngleMode(angle);
    Input.SetAngleMode(angle);
    // Compiled anew even when the live drawing has compiled the same text
    // silently: a text that does not compile shows its box now.
    Main.SetText(QStringLiteral("0"));
    Main.SetText(text);
    TOutcome out;
    if (!Main.Root)
        return out;
    out.Compiled = true;
    if (Main.DependsOn(Solve))
        Main.SolveFor(Solve, out.Value);
    else
        Main.Evaluate(out.Value);
    out.Z = complex::ComplexToStr(out.Value);
    out.Modulus = ModulusText(out.Value);
    out.Argument = ArgumentText(out.Value, Main.AngleMode);
    return out;
}

QString TComplexCalc::ModulusText(TComplex z)
{
    try {
        return FloatToStrF(complex::ComplexAbs(z), FloatFormat::General, 8, 0);
    } catch (const Exception& e) {
        return e.message();
    }
}

QString TComplexCalc::ArgumentText(TComplex z, std::uint8_t angle)
{
    try {
        return Format(complex::complexSettings().ComplexFormat, {RadToAngle(angle, complex::ComplexArg(z))});
    } catch (const Exception& e) {
        return e.message();
    }
}
