#include "services/userdefs.h"

#include "engine/real/errors.h"
#include "foundation/core/basicos.h"
#include "foundation/core/format.h"
#include "foundation/core/underscore.h"
#include "foundation/core/zelini.h"
#include "platform/profile.h"

#include <QSet>

namespace userdefs {

QString FileName() { return ExeDir() + QStringLiteral("real.duf"); }

QString SectionName(int mode)
{
    switch (mode) {
    case modeFunctions: return QStringLiteral("Funciones");
    case modeExpressions: return QStringLiteral("Expresiones");
    default: return QStringLiteral("Constantes");
    }
}

QString DefinitionOf(const QString& value) { return LeftOfUnderscore(value).trimmed(); }

QString DescriptionOf(const QString& value) { return RightOfUnderscore(value).trimmed(); }

QString FunctionInsertText(const QString& name, int minArgs)
{
    if (minArgs <= 0)
        return name;
    return name + QLatin1Char('(') + QString(minArgs - 1, QLatin1Char(',')) + QLatin1Char(')');
}

// ---------------------------------------------------------------------------
// Loading

namespace {

struct Line {
    QString name;
    QString definition;
    QString description;
};

QList<Line> SectionLines(TZelIniFile& ini, const QString& section)
{
    QStringList raw;
    ini.ReadSectionValues(section, raw);
    QList<Line> out;
    for (const QString& l : raw) {
        const QString name = NamePart(l).trimmed();
        if (name.isEmpty())
            continue;
        const QString value = ValuePart(l);
        out.append(Line{name, DefinitionOf(value), DescriptionOf(value)});
    }
    return out;
}

QString FaultLine(const QString& section, const QString& name, const QString& why)
{
    return Format(QStringLiteral("%s: %s: %s"), {section, name, why});
}

QString KnownMessage(const QString& name) { return name + QStringLiteral(" ya esta definido"); }

QString MissingDefinition() { return QStringLiteral("falta la definición"); }

} // namespace

TUserDefsLoad LoadUserDefinitions(real::TExpresion& main, real::TExpresion& input, const QString& fileName,
                                  bool report)
{
    TUserDefsLoad out;
    // The settings engine reads the whole file and reports one that cannot be
    // read; it writes nothing here.
    TZelIniFile ini(fileName);

    const QString constants = SectionName(modeConstants);
    for (const Line& l : SectionLines(ini, constants)) {
        if (main.GetTable()->Contains(l.name)) {
            out.Faults << FaultLine(constants, l.name, KnownMessage(l.name));
            continue;
        }
        if (l.definition.isEmpty()) {
            out.Faults << FaultLine(constants, l.name, MissingDefinition());
            continue;
        }
        // Evaluated once, with the input evaluator's names and angle unit, by
        // an object of its own: the input evaluator may be the one asking for
        // a letter's value right now, and its text must not change under it.
        // The one value goes to both evaluators.
        Extended value = 0;
        QString why;
        try {
            real::TExpresion e;
            e.Parent = &input;
            e.Silent = true;
            e.AngleMode = input.AngleMode;
            e.SetText(l.definition);
            if (!e.HasError)
                value = e.Evaluate();
            if (e.HasError)
                why = e.ErrorMessage;
        } catch (const EAbort&) {
            why = QStringLiteral("cancelado");
        } catch (const Exception& x) {
            why = x.message();
        }
        if (!why.isEmpty()) {
            out.Faults << FaultLine(constants, l.name, why);
            continue;
        }
        main.AddConstant(l.name, l.description, value);
        input.AddConstant(l.name, l.description, value);
        out.Constants.append(TUserMenuItem{l.description.isEmpty() ? l.name : l.description, int(out.UserNames.size())});
        out.UserNames << l.name;
    }

    const QString functions = SectionName(modeFunctions);
    for (const Line& l : SectionLines(ini, functions)) {
        if (main.GetTable()->Contains(l.name)) {
            out.Faults << FaultLine(functions, l.name, KnownMessage(l.name));
            continue;
        }
        if (l.definition.isEmpty()) {
            out.Faults << FaultLine(functions, l.name, MissingDefinition());
            continue;
        }
        try {
            main.AddUserFunction(l.name, l.definition, l.description);
        } catch (const Exception& x) {
            out.Faults << FaultLine(functions, l.name, x.message());
            continue;
        }
        try {
            input.AddUserFunction(l.name, l.definition, l.description);
        } catch (const Exception&) {
            // The same checks as in the main evaluator: not reached.
        }
        int minArgs = 0;
        int maxArgs = 0;
        main.GetArity(l.name, minArgs, maxArgs);
        out.Functions.append(TUserMenuItem{l.description.isEmpty() ? l.name : l.description, int(out.UserNames.size())});
        out.UserNames << FunctionInsertText(l.name, minArgs);
    }

    if (report && !out.Faults.isEmpty())
        MsgBoxApp(QStringLiteral("Estas definiciones de real.duf tienen errores y no se cargaron:") +
                      QStringLiteral("\r\n\r\n") + out.Faults.join(QStringLiteral("\r\n")),
                  mb::Ok | mb::IconError);
    return out;
}

// ---------------------------------------------------------------------------
// Editing

TUserDefsEditor::TUserDefsEditor(int mode, const QString& fileName)
    : m_mode(mode >= 0 && mode <= 2 ? mode : 0), m_section(SectionName(m_mode)), m_fileName(fileName)
{
}

bool TUserDefsEditor::Load()
{
    m_entries.clear();
    m_modified = false;
    m_readable = true;
    m_loadError.clear();
    // A file that is there but cannot be read must not be written over with
    // an empty section.
    try {
        QByteArray bytes;
        ReadWholeFile(m_fileName, bytes);
    } catch (const Exception& x) {
        m_readable = false;
        m_loadError = x.message();
        return false;
    }
    // The section is read once; two lines of one name read as the first
    // everywhere: one entry.
    QSet<QString> seen;
    for (const QString& line : ProfileReadSectionValues(m_fileName, m_section)) {
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0)
            continue;
        const QString name = line.left(eq);
        const QString key = name.toCaseFolded();
        if (seen.contains(key))
            continue;
        seen.insert(key);
        m_entries.push_back(TUserEntry{name, line.mid(eq + 1), false});
    }
    return true;
}

QStringList TUserDefsEditor::Names() const
{
    QStringList out;
    for (const TUserEntry& e : m_entries)
        out << e.Name;
    return out;
}

void TUserDefsEditor::Edit(int index, const QString& definition, const QString& description)
{
    if (index < 0 || index >= Count())
        return;
    TUserEntry& e = m_entries[std::size_t(index)];
    if (!definition.isEmpty() && !description.isEmpty())
        e.Value = definition + QLatin1Char('_') + description;
    e.Changed = true;
    m_modified = true;
}

QString TUserDefsEditor::CleanName(const QString& name) { return name.trimmed(); }

bool TUserDefsEditor::IsIdentifier(const QString& name)
{
    if (name.isEmpty() || !name.front().isLetter())
        return false;
    // Letters and digits only: "_" splits a definition from its description,
    // and "=", "[" or blanks would break the file's lines.
    for (QChar c : name)
        if (!c.isLetterOrNumber())
            return false;
    return true;
}

TUserDefsEditor::TAddResult TUserDefsEditor::Add(const QString& name, real::TExpresion* mainEvaluator)
{
    const QString n = CleanName(name);
    if (n.isEmpty())
        return TAddResult::Empty;
    if (!IsIdentifier(n))
        return TAddResult::Invalid;
    if (mainEvaluator && mainEvaluator->GetTable()->Contains(n))
        return TAddResult::Known;
    // Two lines of one name would write as one.
    for (const TUserEntry& e : m_entries)
        if (QString::compare(e.Name, n, Qt::CaseInsensitive) == 0)
            return TAddResult::Known;
    m_entries.push_back(TUserEntry{n, QLatin1Char('_') + n, true});
    m_modified = true;
    return TAddResult::Added;
}

void TUserDefsEditor::Delete(int index)
{
    if (index < 0 || index >= Count())
        return;
    m_entries.erase(m_entries.begin() + index);
    m_modified = true;
}

void TUserDefsEditor::CheckDefinitions(real::TExpresion* mainEvaluator)
{
    if (m_mode == modeConstants || !mainEvaluator)
        return;
    for (int i = Count() - 1; i >= 0; --i) {
        const TUserEntry& e = m_entries[std::size_t(i)];
        if (e.Changed)
            mainEvaluator->AddUserFunction(e.Name, DefinitionOf(e.Value), QString());
    }
}

bool TUserDefsEditor::Write()
{
    if (!m_readable)
        return false;
    // One write of the whole file: a failure leaves the old section whole.
    QList<QPair<QString, QString>> lines;
    lines.reserve(qsizetype(m_entries.size()));
    for (const TUserEntry& e : m_entries)
        lines.append({e.Name, e.Value});
    return ProfileWriteSection(m_fileName, m_section, lines);
}

} // namespace userdefs
