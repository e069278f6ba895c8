#include "platform/profile.h"

#include "foundation/core/cp1252.h"
#include "foundation/core/zelini.h"

namespace {

// The file as its raw lines; `ok` is false when it exists but cannot be read.
QStringList readLines(const QString& fileName, bool& ok)
{
    ok = true;
    QByteArray bytes;
    try {
        if (!ReadWholeFile(fileName, bytes))
            return {};
    } catch (const EInOutError&) {
        ok = false;
        return {};
    }
    return SplitLines(cp1252::decode(bytes));
}

bool writeLines(const QString& fileName, const QStringList& lines)
{
    QString text;
    for (const QString& l : lines) {
        text += l;
        text += QStringLiteral("\r\n");
    }
    try {
        WriteWholeFile(fileName, cp1252::encode(text));
    } catch (const EInOutError&) {
        return false;
    }
    return true;
}

bool isHeader(const QString& line) { return line.size() >= 2 && line.front() == '[' && line.back() == ']'; }

bool same(QStringView a, QStringView b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

QString cleanSection(const QString& s) { return OneIniLine(s).left(253); }

// The first section of that name: its header's index and the index past its
// last line; false when there is none.
bool findSection(const QStringList& lines, const QString& section, int& header, int& end)
{
    const QString wanted = cleanSection(section);
    for (int i = 0; i < lines.size(); ++i) {
        if (isHeader(lines[i]) && same(QStringView(lines[i]).mid(1, lines[i].size() - 2), wanted)) {
            header = i;
            end = i + 1;
            while (end < lines.size() && !isHeader(lines[end]))
                ++end;
            return true;
        }
    }
    return false;
}

int findName(const QStringList& lines, int from, int to, const QString& name)
{
    for (int i = from; i < to; ++i) {
        const qsizetype p = lines[i].indexOf('=');
        if (p >= 0 && same(QStringView(lines[i]).left(p), name))
            return i;
    }
    return -1;
}

QString cleanName(const QString& s) { return OneIniLine(s).left(255); }

} // namespace

QString ProfileReadString(const QString& fileName, const QString& section, const QString& name, const QString& def)
{
    bool ok;
    const QStringList lines = readLines(fileName, ok);
    int h, e;
    if (!findSection(lines, section, h, e))
        return def.left(255);
    const int i = findName(lines, h + 1, e, cleanName(name));
    if (i < 0)
        return def.left(255);
    return lines[i].left(255).mid(lines[i].indexOf('=') + 1);
}

bool ProfileWriteString(const QString& fileName, const QString& section, const QString& name, const QString& value)
{
    if (name.isEmpty())
        return ProfileEraseSection(fileName, section);
    bool ok;
    QStringList lines = readLines(fileName, ok);
    if (!ok)
        return false;
    const QString n = cleanName(name);
    const QString line = (n + QLatin1Char('=') + OneIniLine(value)).left(255);
    int h, e;
    if (!findSection(lines, section, h, e)) {
        if (!lines.isEmpty() && !lines.last().isEmpty())
            lines.append(QString());
        lines.append(QLatin1Char('[') + cleanSection(section) + QLatin1Char(']'));
        lines.append(line);
        return writeLines(fileName, lines);
    }
    const int i = findName(lines, h + 1, e, n);
    if (i >= 0) {
        if (lines[i] == line)
            return true;
        lines[i] = line;
    } else {
        // After the section's last non-empty line, so that the blank line
        // before the next header stays there.
        int at = e;
        while (at > h + 1 && lines[at - 1].isEmpty())
            --at;
        lines.insert(at, line);
    }
    return writeLines(fileName, lines);
}

namespace {

// Changes the lines of one section of the file in place: `change` gets the
// lines with the section's header index and the index past its last line,
// and returns false when it changed nothing. A missing section changes
// nothing; a file that exists but cannot be read is never written.
template <typename Change>
bool changeSection(const QString& fileName, const QString& section, Change change)
{
    bool ok;
    QStringList lines = readLines(fileName, ok);
    if (!ok)
        return false;
    int h, e;
    if (!findSection(lines, section, h, e) || !change(lines, h, e))
        return true;
    return writeLines(fileName, lines);
}

} // namespace

bool ProfileDeleteKey(const QString& fileName, const QString& section, const QString& name)
{
    return changeSection(fileName, section, [&](QStringList& lines, int h, int e) {
        const int i = findName(lines, h + 1, e, cleanName(name));
        if (i < 0)
            return false;
        lines.removeAt(i);
        return true;
    });
}

bool ProfileEraseSection(const QString& fileName, const QString& section)
{
    return changeSection(fileName, section, [](QStringList& lines, int h, int e) {
        lines.erase(lines.begin() + h, lines.begin() + e);
        return true;
    });
}

bool ProfileWriteSection(const QString& fileName, const QString& section,
                         const QList<QPair<QString, QString>>& entries)
{
    bool ok;
    QStringList lines = readLines(fileName, ok);
    if (!ok)
        return false;
    // Every copy of the section goes; the new one, when it has lines, is put
    // at the end of the file.
    int h, e;
    while (findSection(lines, section, h, e))
        lines.erase(lines.begin() + h, lines.begin() + e);
    if (!entries.isEmpty()) {
        if (!lines.isEmpty() && !lines.last().isEmpty())
            lines.append(QString());
        lines.append(QLatin1Char('[') + cleanSection(section) + QLatin1Char(']'));
        for (const auto& [name, value] : entries)
            lines.append((cleanName(name) + QLatin1Char('=') + OneIniLine(value)).left(255));
    }
    return writeLines(fileName, lines);
}

namespace {

// The lines of the first section of that name, its header left out; none
// when the file cannot be read or holds no such section (`found` false).
QStringList sectionBody(const QString& fileName, const QString& section, bool* found = nullptr)
{
    bool ok;
    const QStringList lines = readLines(fileName, ok);
    int h, e;
    const bool there = findSection(lines, section, h, e);
    if (found)
        *found = there;
    return there ? lines.mid(h + 1, e - h - 1) : QStringList();
}

} // namespace

QStringList ProfileReadSection(const QString& fileName, const QString& section)
{
    QStringList out;
    for (const QString& line : sectionBody(fileName, section)) {
        const qsizetype p = line.indexOf('=');
        if (p >= 0)
            out.append(line.left(p).left(255));
    }
    return out;
}

QStringList ProfileReadSections(const QString& fileName)
{
    bool ok;
    const QStringList lines = readLines(fileName, ok);
    QStringList out;
    for (const QString& l : lines) {
        if (!isHeader(l))
            continue;
        const QString n = l.mid(1, l.size() - 2);
        bool seen = false;
        for (const QString& o : out)
            seen = seen || same(o, n);
        if (!seen)
            out.append(n);
    }
    return out;
}

QStringList ProfileReadSectionValues(const QString& fileName, const QString& section)
{
    QStringList out;
    for (const QString& line : sectionBody(fileName, section))
        if (!line.isEmpty())
            out.append(line.left(255));
    return out;
}

// ---------------------------------------------------------------------------
// TIniFile

QString TIniFile::ReadString(const QString& section, const QString& name, const QString& def) const
{
    return ProfileReadString(FileName_, section, name, def);
}

void TIniFile::WriteString(const QString& section, const QString& name, const QString& value)
{
    LastWriteOk_ = ProfileWriteString(FileName_, section, name, value);
}

int TIniFile::ReadInteger(const QString& section, const QString& name, int def) const
{
    int v;
    return TryReadIniInteger(ReadString(section, name, QString()), v) ? v : def;
}

void TIniFile::WriteInteger(const QString& section, const QString& name, int value)
{
    WriteString(section, name, QString::number(value));
}

bool TIniFile::ReadBool(const QString& section, const QString& name, bool def) const
{
    return ReadInteger(section, name, def ? 1 : 0) != 0;
}

void TIniFile::WriteBool(const QString& section, const QString& name, bool value)
{
    WriteString(section, name, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void TIniFile::ReadSection(const QString& section, QStringList& list) const
{
    list.clear();
    list.append(ProfileReadSection(FileName_, section));
}

void TIniFile::ReadSections(QStringList& list) const { list = ProfileReadSections(FileName_); }

void TIniFile::ReadSectionValues(const QString& section, QStringList& list) const
{
    list.clear();
    list.append(ProfileReadSectionValues(FileName_, section));
}

bool TIniFile::SectionExists(const QString& section) const
{
    bool found = false;
    sectionBody(FileName_, section, &found);
    return found;
}

bool TIniFile::ValueExists(const QString& section, const QString& name) const
{
    return ProfileReadSection(FileName_, section).contains(name, Qt::CaseInsensitive);
}

void TIniFile::EraseSection(const QString& section) { LastWriteOk_ = ProfileEraseSection(FileName_, section); }

void TIniFile::DeleteKey(const QString& section, const QString& name)
{
    LastWriteOk_ = ProfileDeleteKey(FileName_, section, name);
}
