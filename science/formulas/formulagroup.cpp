#include "science/formulas/formulagroup.h"

#include "foundation/core/basicos.h"
#include "foundation/core/cp1252.h"
#include "foundation/core/filesafe.h"
#include "foundation/core/format.h"
#include "foundation/core/zelini.h"

#include <QDir>

#include <algorithm>

namespace {

constexpr int kMaxLine = 255;
constexpr int kMaxSectionName = 253;
constexpr int kMaxGroupName = 100;

bool looksLikeHeader(const QString& line) { return line.size() >= 2 && line.front() == '[' && line.back() == ']'; }

bool containsName(const QStringList& names, const QString& name)
{
    return std::any_of(names.begin(), names.end(),
                       [&](const QString& n) { return n.compare(name, Qt::CaseInsensitive) == 0; });
}

// A line cut into pieces of at most `width` characters, at the last blank
// when there is one.
QStringList wrap(const QString& line, int width)
{
    QStringList out;
    QString rest = line;
    while (rest.size() > width) {
        int cut = int(rest.lastIndexOf(QLatin1Char(' '), width));
        if (cut <= 0)
            cut = width;
        out.append(rest.left(cut).trimmed());
        rest = rest.mid(cut).trimmed();
    }
    if (!rest.isEmpty())
        out.append(rest);
    return out;
}

} // namespace

const QString& FormulaGroupKey()
{
    static const QString key = QStringLiteral("Sbx#Formulas.Grupos:Leyes+Elementos!7");
    return key;
}

QString FormulaGroupFile(const QString& group) { return ExeDir() + group + QStringLiteral(".fcm"); }

QStringList ListFormulaGroups()
{
    QDir dir(ExeDir().isEmpty() ? QStringLiteral(".") : ExeDir());
    const QStringList files = dir.entryList({QStringLiteral("*.fcm")}, QDir::Files | QDir::Hidden | QDir::System);
    QStringList groups;
    for (const QString& f : files)
        if (f.size() > 4 && f.right(4).compare(QStringLiteral(".fcm"), Qt::CaseInsensitive) == 0)
            groups.append(f.left(f.size() - 4));
    std::sort(groups.begin(), groups.end(),
              [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    return groups;
}

QString DefTag() { return QStringLiteral("<def>"); }
QString ImgTag() { return QStringLiteral("<img>"); }

TFormula ParseFormulaLines(const QStringList& lines)
{
    TFormula f;
    if (lines.isEmpty())
        return f;
    f.Ley = lines[0];
    int i = 1;
    for (; i < lines.size() && lines[i] != DefTag(); ++i) {
        const qsizetype img = lines[i].indexOf(ImgTag());
        if (img >= 0)
            f.ImageReference = lines[i].mid(img + ImgTag().size());
        else
            f.Desc.append(lines[i]);
    }
    for (++i; i < lines.size(); ++i) {
        QStringList fields;
        SplitByChar(lines[i], kFieldSeparator, fields);
        while (fields.size() < 8)
            fields.append(QString());
        TFormulaElement e{fields[0], fields[1], fields[2], fields[3], fields[4], fields[6], fields[7]};
        if (fields[5] == QStringLiteral("1"))
            f.Unknown = int(f.Elements.size());
        f.Elements.push_back(e);
    }
    return f;
}

QStringList DescriptionLines(const QStringList& text)
{
    QStringList out;
    for (const QString& line : text) {
        if (line.trimmed().isEmpty())
            continue;
        if (line.contains(ImgTag()) || line.trimmed() == DefTag())
            throw Exception(Format(QStringLiteral("La descripción no puede tener una línea con \"%s\" ni \"%s\":\r\n%s"),
                                   {ImgTag(), DefTag(), line}));
        for (QString piece : wrap(line, kMaxLine - 1)) {
            if (looksLikeHeader(piece))
                piece.prepend(QLatin1Char(' '));
            out.append(piece);
        }
    }
    return out;
}

QString CheckCellText(const QString& text)
{
    if (text.contains(kFieldSeparator))
        return QStringLiteral("Las celdas no pueden contener el carácter \"_\"");
    return QString();
}

QStringList FormulaLines(const TFormula& formula)
{
    QStringList lines;
    const QString law = OneIniLine(formula.Ley);
    if (law.trimmed().isEmpty())
        throw Exception(QStringLiteral("Indique la ecuación de la fórmula"));
    if (law.size() > kMaxLine)
        throw Exception(Format(QStringLiteral("La ecuación tiene %d caracteres; no puede pasar de %d"),
                               {int(law.size()), kMaxLine}));
    if (law == DefTag() || law.contains(ImgTag()) || looksLikeHeader(law))
        throw Exception(Format(QStringLiteral("La ecuación \"%s\" no es válida"), {law}));
    lines.append(law);
    lines.append(DescriptionLines(formula.Desc));
    if (!formula.ImageReference.isEmpty()) {
        const QString img = ImgTag() + OneIniLine(formula.ImageReference);
        if (img.size() > kMaxLine)
            throw Exception(QStringLiteral("La referencia de la imagen es demasiado larga"));
        lines.append(img);
    }
    lines.append(DefTag());
    for (size_t k = 0; k < formula.Elements.size(); ++k) {
        const TFormulaElement& e = formula.Elements[k];
        if (e.Simb.isEmpty())
            continue;
        const QString cells[] = {e.Simb, e.Descripcion, e.Valor, e.Unidad, e.Base, e.Min, e.Max};
        for (const QString& c : cells) {
            const QString why = CheckCellText(c);
            if (!why.isEmpty())
                throw Exception(why + QStringLiteral(": ") + e.Simb);
        }
        QString line;
        for (int c = 0; c < 5; ++c)
            line += OneIniLine(cells[c]) + kFieldSeparator;
        line += (int(k) == formula.Unknown ? QStringLiteral("1") : QStringLiteral("0"));
        line += kFieldSeparator + OneIniLine(e.Min) + kFieldSeparator + OneIniLine(e.Max);
        if (line.size() > kMaxLine)
            throw Exception(Format(QStringLiteral("Los datos del elemento %s pasan de %d caracteres"), {e.Simb, kMaxLine}));
        lines.append(line);
    }
    return lines;
}

TFormula NewFormulaTemplate()
{
    TFormula f;
    f.Ley = QStringLiteral("{Indique aquí la ecuación de la fórmula}");
    f.Desc = {QStringLiteral("ingrese aqui una descripción")};
    f.Elements.push_back({QString(), QString(), QStringLiteral("0"), QString(), QString(), QString(), QString()});
    return f;
}

QString CheckGroupName(const QString& name, const QStringList& existing)
{
    if (name.trimmed().isEmpty())
        return QStringLiteral("Indique un nombre para el grupo");
    static const QString forbidden = QStringLiteral("\\/:*?\"<>|");
    for (QChar c : name) {
        unsigned char b;
        if (forbidden.contains(c) || c.unicode() < 32 || !cp1252::fromUnicode(c, b))
            return Format(QStringLiteral("El nombre de grupo no puede contener el carácter \"%s\""), {QString(c)});
    }
    if (name != name.trimmed() || name.endsWith(QLatin1Char('.')) || name.startsWith(QLatin1Char('.')))
        return QStringLiteral("El nombre de grupo no puede empezar ni terminar con un punto o un espacio");
    if (name.size() > kMaxGroupName)
        return Format(QStringLiteral("El nombre de grupo no puede pasar de %d caracteres"), {kMaxGroupName});
    if (containsName(existing, name))
        return Format(QStringLiteral("Ya existe un grupo llamado %s"), {name});
    return QString();
}

QString CheckFormulaName(const QString& name, const QStringList& existing)
{
    if (name.trimmed().isEmpty())
        return QStringLiteral("Indique un nombre para la fórmula");
    if (name != name.trimmed())
        return QStringLiteral("El nombre de la fórmula no puede empezar ni terminar con un espacio");
    if (name.contains(QLatin1Char('\r')) || name.contains(QLatin1Char('\n')) || name.startsWith(QLatin1Char('[')))
        return QStringLiteral("El nombre de la fórmula no es válido");
    if (name.size() > kMaxSectionName)
        return Format(QStringLiteral("El nombre de la fórmula no puede pasar de %d caracteres"), {kMaxSectionName});
    if (containsName(existing, name))
        return Format(QStringLiteral("Ya existe una fórmula llamada %s"), {name});
    return QString();
}

// ---- the group file ----

TFormulaGroup::TFormulaGroup(const QString& group) : m_file(FormulaGroupFile(group)) {}

QStringList TFormulaGroup::Names(QString* problem) const
{
    if (FileLargerThan(m_file, kMaxFormulaGroupBytes)) {
        if (problem)
            *problem = FileTooLargeMessage(m_file, kMaxFormulaGroupBytes);
        return {};
    }
    TZelIniFile ini(m_file, FormulaGroupKey());
    if (problem && ini.Unrecognised())
        *problem = DamagedDataFileMessage(m_file);
    QStringList names;
    ini.ReadSections(names);
    return names;
}

bool TFormulaGroup::Exists(const QString& name) const { return containsName(Names(), name); }

QStringList TFormulaGroup::Lines(const QString& name) const
{
    if (FileLargerThan(m_file, kMaxFormulaGroupBytes))
        return {};
    TZelIniFile ini(m_file, FormulaGroupKey());
    QStringList lines;
    ini.ReadSectionValues(name, lines);
    return lines;
}

TFormula TFormulaGroup::Read(const QString& name) const { return ParseFormulaLines(Lines(name)); }

void TFormulaGroup::Write(const QString& name, const TFormula& formula) const { WriteLines(name, FormulaLines(formula)); }

std::unique_ptr<TZelIniFile> TFormulaGroup::openForChange() const
{
    if (FileLargerThan(m_file, kMaxFormulaGroupBytes))
        throw EInOutError(FileTooLargeMessage(m_file, kMaxFormulaGroupBytes));
    auto ini = std::make_unique<TZelIniFile>(m_file, FormulaGroupKey());
    if (!ini->LoadError().isEmpty())
        throw EInOutError(ini->LoadError());
    // A file that was there but could not be made out is kept as it is.
    if (ini->Unrecognised())
        throw EInOutError(NotOverwrittenMessage(m_file));
    return ini;
}

void TFormulaGroup::WriteLines(const QString& name, const QStringList& lines) const
{
    const auto ini = openForChange();
    ini->SetSectionLines(name, lines);
    ini->UpdateFile();
}

void TFormulaGroup::Erase(const QString& name) const
{
    const auto ini = openForChange();
    ini->EraseSection(name);
    ini->UpdateFile();
}

void TFormulaGroup::Rename(const QString& oldName, const QString& newName) const
{
    const auto ini = openForChange();
    QStringList lines;
    ini->ReadSectionValues(oldName, lines);
    ini->EraseSection(oldName);
    ini->SetSectionLines(newName, lines);
    ini->UpdateFile();
}
