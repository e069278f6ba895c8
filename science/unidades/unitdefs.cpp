#include "science/unidades/unitdefs.h"

#include "foundation/core/basicos.h"
#include "foundation/core/format.h"
#include "foundation/core/underscore.h"
#include "science/unidades/unidades.h"

#include <algorithm>

namespace {

const QString kFundamentalKey = QStringLiteral("UniFundamental");

} // namespace

TUnitDefsEditor::TUnitDefsEditor(const QString& fileName)
    : m_ini(std::make_unique<TZelIniFile>(fileName.isEmpty() ? UnitDefinitionsFile() : fileName,
                                          UnitDefinitionsKey()))
{
    m_ini->ReadSections(m_magnitudes);
    SortMagnitudeNames(m_magnitudes);
}

TUnitDefsEditor::~TUnitDefsEditor()
{
    // Closing without saving must leave the file as it was.
    m_ini->Modified = false;
}

int TUnitDefsEditor::IndexOf(const QString& name) const
{
    for (int i = 0; i < m_magnitudes.size(); ++i)
        if (m_magnitudes[i].compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

void TUnitDefsEditor::Show(const QString& name)
{
    Rows.clear();
    Fundamental.clear();
    Modified = false;
    if (m_magnitudes.isEmpty()) {
        m_current.clear();
        return;
    }
    m_current = m_magnitudes[std::max(0, IndexOf(name))];
    QStringList lines;
    m_ini->ReadSectionValues(m_current, lines);
    for (const QString& line : lines) {
        const QString key = NamePart(line);
        const QString value = line.contains(QLatin1Char('=')) ? ValuePart(line) : QString();
        if (key == kFundamentalKey && line.contains(QLatin1Char('=')))
            Fundamental = value;
        else
            Rows.push_back({key, LeftOfUnderscore(value), RightOfUnderscore(value)});
    }
}

QString TUnitDefsEditor::Store()
{
    if (m_current.isEmpty())
        return QString();
    QStringList lines;
    if (!Fundamental.isEmpty()) {
        const QString bad = CheckUnitName(Fundamental);
        if (!bad.isEmpty())
            return bad;
        lines.append(kFundamentalKey + QLatin1Char('=') + Fundamental);
    }
    QStringList seen;
    if (!Fundamental.isEmpty())
        seen.append(Fundamental);
    for (const TUnitRow& r : Rows) {
        if (r.IsEmpty())
            continue;
        const QString bad = CheckUnitName(r.Name);
        if (!bad.isEmpty())
            return bad;
        if (seen.contains(r.Name, Qt::CaseInsensitive))
            return Format(QStringLiteral("La unidad \"%s\" ya existe en la magnitud \"%s\""), {r.Name, m_current});
        seen.append(r.Name);
        lines.append(r.Name + QLatin1Char('=') + r.ToSide.trimmed() + QLatin1Char('_') + r.FromSide.trimmed());
    }
    for (const QString& l : lines)
        if (l.size() > 255)
            return Format(QStringLiteral("La línea \"%s\" pasa de 255 caracteres"), {l.left(40) + QStringLiteral("...")});
    if (lines.isEmpty())
        m_ini->EraseSection(m_current);
    else
        m_ini->SetSectionLines(m_current, lines);
    Modified = false;
    return QString();
}

QString TUnitDefsEditor::Add(const QString& name, const QString& fundamental)
{
    for (const QString& n : {name, fundamental}) {
        const QString bad = CheckUnitName(n);
        if (!bad.isEmpty())
            return bad;
    }
    if (IndexOf(name) >= 0)
        return Format(QStringLiteral("La magnitud \"%s\" ya existe"), {name});
    if (Modified) {
        const QString bad = Store();
        if (!bad.isEmpty())
            return bad;
    }
    m_magnitudes.append(name);
    SortMagnitudeNames(m_magnitudes);
    m_current = name;
    Rows.clear();
    Fundamental = fundamental;
    Modified = false;
    return QString();
}

void TUnitDefsEditor::Delete()
{
    const int i = CurrentIndex();
    if (i < 0)
        return;
    Modified = false;
    m_ini->EraseSection(m_current);
    m_magnitudes.removeAt(i);
    if (m_magnitudes.isEmpty()) {
        m_current.clear();
        Rows.clear();
        Fundamental.clear();
        return;
    }
    Show(m_magnitudes[std::min(i, int(m_magnitudes.size()) - 1)]);
}

QString TUnitDefsEditor::Rename(const QString& newName)
{
    const QString bad = CheckUnitName(newName);
    if (!bad.isEmpty())
        return bad;
    const int there = IndexOf(newName);
    if (there >= 0 && there != CurrentIndex())
        return Format(QStringLiteral("La magnitud \"%s\" ya existe"), {newName});
    const int i = CurrentIndex();
    if (i < 0 || newName == m_current)
        return QString();
    m_ini->EraseSection(m_current);
    m_magnitudes[i] = newName;
    SortMagnitudeNames(m_magnitudes);
    m_current = newName;
    Modified = true;
    return QString();
}

void TUnitDefsEditor::SortRows()
{
    std::stable_sort(Rows.begin(), Rows.end(), [](const TUnitRow& a, const TUnitRow& b) {
        return a.Name.compare(b.Name, Qt::CaseInsensitive) < 0;
    });
    Modified = true;
}

void TUnitDefsEditor::MoveRow(int from, int to)
{
    const int n = int(Rows.size());
    if (from < 0 || from >= n || to < 0 || to >= n || from == to)
        return;
    TUnitRow row = std::move(Rows[size_t(from)]);
    Rows.erase(Rows.begin() + from);
    Rows.insert(Rows.begin() + to, std::move(row));
    Modified = true;
}

void TUnitDefsEditor::Save()
{
    if (Modified) {
        const QString bad = Store();
        if (!bad.isEmpty())
            throw EConvertError(bad);
    }
    // A file that was there but of which nothing could be made out is kept
    // as a backup (and the user told) before the new definitions replace it.
    if (m_ini->Modified)
        m_ini->KeepUnrecognisedAside();
    m_ini->UpdateFile();
}

bool TUnitDefsEditor::Unsaved() const { return Modified || m_ini->Modified; }
