#include "foundation/core/zelini.h"

#include "foundation/core/cp1252.h"
#include "foundation/core/format.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

namespace {

const QString kCant = QStringLiteral("Cant");

QString cut255(const QString& s) { return s.size() > 255 ? s.left(255) : s; }

// A CR or LF inside a value or name would split its line when the file is
// read back: each line break becomes one blank.
QString oneLine(const QString& s)
{
    if (!s.contains('\r') && !s.contains('\n'))
        return s;
    QString r = s;
    r.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    r.replace('\r', ' ');
    r.replace('\n', ' ');
    return r;
}

// A section name longer than 253 characters would lose its closing bracket
// when its header is cut to 255 on reading.
QString sectionName(const QString& s) { return oneLine(s).left(253); }

QString lineName(const QString& s) { return cut255(oneLine(s)); }

bool sameText(QStringView a, QStringView b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

bool sameFile(const QString& a, const QString& b)
{
    return !a.isEmpty() && !b.isEmpty() &&
           QDir::cleanPath(QFileInfo(a).absoluteFilePath()) == QDir::cleanPath(QFileInfo(b).absoluteFilePath());
}

// Exactly 1 to 8 hexadecimal digits (a longer text only when its value
// still fits 32 bits).
bool parseHex32(const QString& s, int& out)
{
    if (s.isEmpty())
        return false;
    unsigned long long v = 0;
    for (QChar ch : s) {
        const char16_t c = ch.unicode();
        int d;
        if (c >= u'0' && c <= u'9')
            d = c - u'0';
        else if (c >= u'a' && c <= u'f')
            d = c - u'a' + 10;
        else if (c >= u'A' && c <= u'F')
            d = c - u'A' + 10;
        else
            return false;
        v = v * 16 + static_cast<unsigned>(d);
        if (v > 0xFFFFFFFFull)
            return false;
    }
    out = static_cast<std::int32_t>(static_cast<std::uint32_t>(v));
    return true;
}

// Optional leading blanks, optional sign, then decimal digits within 32 bits
// or "$" and hexadecimal digits taken as the 32-bit pattern.
bool parseInt32(QString s, int& out)
{
    if (s.size() >= 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X'))
        s = QStringLiteral("$") + s.mid(2);
    qsizetype i = 0;
    const qsizetype n = s.size();
    while (i < n && s[i] == ' ')
        ++i;
    bool negative = false;
    if (i < n && (s[i] == '+' || s[i] == '-')) {
        negative = s[i] == '-';
        ++i;
    }
    if (i >= n)
        return false;
    if (s[i] == '$') {
        int pattern = 0;
        if (!parseHex32(s.mid(i + 1), pattern))
            return false;
        out = negative ? static_cast<int>(0u - static_cast<std::uint32_t>(pattern)) : pattern;
        return true;
    }
    long long v = 0;
    for (; i < n; ++i) {
        const char16_t c = s[i].unicode();
        if (c < u'0' || c > u'9')
            return false;
        v = v * 10 + (c - u'0');
        if (v > 2147483648LL)
            return false;
    }
    if (negative)
        v = -v;
    if (v > 2147483647LL || v < -2147483648LL)
        return false;
    out = static_cast<int>(v);
    return true;
}

// The decimal text of a list item's number ("1", "2", ...): no sign, no
// leading zero.
bool itemNumber(QStringView name, long long& v)
{
    if (name.isEmpty() || name.size() > 10 || name[0] == '0')
        return false;
    v = 0;
    for (QChar ch : name) {
        if (ch < '0' || ch > '9')
            return false;
        v = v * 10 + (ch.unicode() - u'0');
    }
    return true;
}

class ZelStore : public PlacementStore {
public:
    explicit ZelStore(TZelIniFile& f) : f_(f) {}
    int ReadInteger(const QString& s, const QString& n, int d) override { return f_.ReadInteger(s, n, d); }
    void WriteInteger(const QString& s, const QString& n, int v) override { f_.WriteInteger(s, n, v); }
    bool ReadBool(const QString& s, const QString& n, bool d) override { return f_.ReadBool(s, n, d); }
    void WriteBool(const QString& s, const QString& n, bool v) override { f_.WriteBool(s, n, v); }

private:
    TZelIniFile& f_;
};

} // namespace

bool TryReadIniInteger(const QString& text, int& value) { return parseInt32(text, value); }

QString OneIniLine(const QString& text) { return oneLine(text); }

// ---------------------------------------------------------------------------
// Files

QString CannotReadMessage(const QString& fileName)
{
    return Format(QStringLiteral("No se puede leer el archivo \"%s\"."), {QDir::toNativeSeparators(fileName)});
}

QString CannotWriteMessage(const QString& fileName)
{
    return Format(QStringLiteral("No se puede escribir el archivo \"%s\"."), {QDir::toNativeSeparators(fileName)});
}

QString NotOverwrittenMessage(const QString& fileName)
{
    return Format(QStringLiteral("El archivo \"%s\" no se pudo leer; no se guardan los cambios para no perder su contenido."),
                  {QDir::toNativeSeparators(fileName)});
}

QString DamagedDataFileMessage(const QString& fileName)
{
    return Format(QStringLiteral("El archivo \"%s\" está vacío o dañado y no se pudo leer. El programa continúa "
                                 "sin sus datos."),
                  {QDir::toNativeSeparators(fileName)});
}

QStringList SplitLines(const QString& text)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c == '\r' || c == '\n') {
            lines.append(text.mid(start, i - start));
            if (c == '\r' && i + 1 < n && text[i + 1] == '\n')
                ++i;
            start = i + 1;
        }
    }
    if (start < n)
        lines.append(text.mid(start));
    return lines;
}

// ---------------------------------------------------------------------------
// TSectionList

int TSectionList::Add(const QString& name)
{
    items_.push_back({name, {}});
    return Count() - 1;
}

void TSectionList::Delete(int i)
{
    items_.erase(items_.begin() + i);
    LastHit = 0;
}

void TSectionList::Clear()
{
    items_.clear();
    LastHit = 0;
}

void TSectionList::RemoveLaterDuplicates()
{
    QSet<QString> seen;
    seen.reserve(static_cast<qsizetype>(items_.size()));
    std::size_t kept = 0;
    for (std::size_t i = 0; i < items_.size(); ++i) {
        const QString key = items_[i].name.toCaseFolded();
        if (seen.contains(key))
            continue;
        seen.insert(key);
        if (kept != i)
            items_[kept] = std::move(items_[i]);
        ++kept;
    }
    items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(kept), items_.end());
    LastHit = 0;
}

// ---------------------------------------------------------------------------
// TZelIniFile

TZelIniFile::TZelIniFile(const QString& fileName, const QString& key)
{
    if (!key.isEmpty())
        SetKey(key);
    Open(fileName);
}

TZelIniFile::~TZelIniFile()
{
    // Nothing escapes a destructor: a failed write is reported, and a file
    // that could not be read was reported when it was opened.
    try {
        if (Modified && !FileName_.isEmpty() && sameFile(Unread_, FileName_))
            return;
        if (!FailedImage_.isNull() && WrittenImage() == FailedImage_)
            return;
        UpdateFile();
    } catch (const Exception& e) {
        try {
            MsgBoxApp(e.message(), mb::Ok | mb::IconError);
        } catch (...) {   // everything: in a destructor, the box must not throw either
        }
    } catch (...) {   // everything: nothing escapes a destructor
    }
}

void TZelIniFile::Open(const QString& fileName)
{
    UpdateFile();
    Sections_.Clear();
    SectionCursor_ = 0;
    FileName_ = fileName;
    LoadError_.clear();
    Unrecognised_ = false;
    FileFound_ = false;
    Unread_.clear();
    if (!FileName_.isEmpty()) {
        try {
            LoadFromFile(FileName_);
        } catch (const EInOutError& e) {
            // Go on with an empty store, and keep the unread file as it is.
            Sections_.Clear();
            SectionCursor_ = 0;
            LoadError_ = e.message();
            Unread_ = FileName_;
            MsgBoxApp(LoadError_ + QStringLiteral(" Se usan los valores por omisión y el archivo no se modificará."),
                      mb::Ok | mb::IconWarning);
        }
    }
    Modified = false;
}

int TZelIniFile::FindSection(const QString& section)
{
    const QString wanted = sectionName(section);
    const int n = Sections_.Count();
    int start = Sections_.LastHit;
    if (start < 0 || start >= n)
        start = 0;
    for (int k = 0; k < n; ++k) {
        const int i = (start + k) % n;
        if (sameText(Sections_.Name(i), wanted)) {
            Sections_.LastHit = i;
            return i;
        }
    }
    return -1;
}

int TZelIniFile::CursorSection(const QString& section, bool create)
{
    const QString wanted = sectionName(section);
    const int n = Sections_.Count();
    if (n > 0) {
        if (SectionCursor_ < 0 || SectionCursor_ >= n)
            SectionCursor_ = 0;
        const int start = SectionCursor_;
        int i = start;
        do {
            if (sameText(Sections_.Name(i), wanted)) {
                SectionCursor_ = i;
                return i;
            }
            i = (i + 1) % n;
        } while (i != start);
    }
    if (!create)
        return -1;
    SectionCursor_ = Sections_.Add(wanted);
    return SectionCursor_;
}

int TZelIniFile::FindLine(const QStringList& lines, const QString& name) const
{
    for (int i = 0; i < lines.size(); ++i) {
        const QString& line = lines[i];
        const qsizetype p = line.indexOf('=');
        if (p >= 0 && sameText(QStringView(line).left(p), name))
            return i;
    }
    return -1;
}

QString TZelIniFile::ReadString(const QString& section, const QString& name, const QString& def)
{
    const int s = CursorSection(section, false);
    if (s < 0)
        return cut255(def);
    const QStringList& lines = Sections_.Lines(s);
    const int i = FindLine(lines, lineName(name));
    if (i < 0)
        return cut255(def);
    const QString& line = lines[i];
    return line.mid(line.indexOf('=') + 1);
}

void TZelIniFile::WriteString(const QString& section, const QString& name, const QString& value)
{
    if (name.isEmpty()) {
        if (section.isEmpty() && value.isEmpty())
            UpdateFile();
        else
            EraseSection(section);
        return;
    }
    const QString n = lineName(name);
    const QString line = cut255(n + QLatin1Char('=') + oneLine(value));
    const int s = CursorSection(section, true);
    QStringList& lines = Sections_.Lines(s);
    const int i = FindLine(lines, n);
    if (i < 0) {
        lines.append(line);
        Modified = true;
    } else if (lines[i] != line) {
        lines[i] = line;
        Modified = true;
    }
}

int TZelIniFile::ReadInteger(const QString& section, const QString& name, int def)
{
    int v;
    return parseInt32(ReadString(section, name, QString()), v) ? v : def;
}

void TZelIniFile::WriteInteger(const QString& section, const QString& name, int value)
{
    WriteString(section, name, QString::number(value));
}

Extended TZelIniFile::ReadFloat(const QString& section, const QString& name, Extended def)
{
    const QString s = ReadString(section, name, QString());
    qsizetype i = 0;
    while (i < s.size() && s[i] == ' ')
        ++i;
    Extended v;
    return TryStrToFloat(QStringView(s).mid(i), v) ? v : def;
}

void TZelIniFile::WriteFloat(const QString& section, const QString& name, Extended value)
{
    WriteString(section, name, FloatToStr(value));
}

bool TZelIniFile::ReadBool(const QString& section, const QString& name, bool def)
{
    return ReadInteger(section, name, def ? 1 : 0) != 0;
}

void TZelIniFile::WriteBool(const QString& section, const QString& name, bool value)
{
    WriteString(section, name, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void TZelIniFile::ReadSection(const QString& section, QStringList& list)
{
    const int s = FindSection(section);
    if (s < 0)
        return;
    for (const QString& line : Sections_.Lines(s))
        list.append(NamePart(line));
}

void TZelIniFile::ReadSections(QStringList& list)
{
    list.clear();
    for (int i = 0; i < Sections_.Count(); ++i)
        list.append(Sections_.Name(i));
}

void TZelIniFile::ReadSectionValues(const QString& section, QStringList& list)
{
    const int s = FindSection(section);
    if (s >= 0)
        list.append(Sections_.Lines(s));
}

void TZelIniFile::EraseSection(const QString& section)
{
    const int s = FindSection(section);
    if (s < 0)
        return;
    Sections_.Delete(s);
    Modified = true;
    if (SectionCursor_ >= Sections_.Count())
        SectionCursor_ = 0;
}

bool TZelIniFile::SectionExists(const QString& section) { return FindSection(section) >= 0; }

void TZelIniFile::DeleteKey(const QString& section, const QString& name)
{
    const int s = CursorSection(section, false);
    if (s < 0)
        return;
    QStringList& lines = Sections_.Lines(s);
    const int i = FindLine(lines, lineName(name));
    if (i < 0)
        return;
    lines.removeAt(i);
    Modified = true;
}

void TZelIniFile::GetStrings(QStringList& list)
{
    for (int i = 0; i < Sections_.Count(); ++i) {
        const QStringList& lines = Sections_.Lines(i);
        if (lines.isEmpty())
            continue;
        list.append(QLatin1Char('[') + Sections_.Name(i) + QLatin1Char(']'));
        list.append(lines);
        list.append(QString());
    }
}

QByteArray TZelIniFile::WrittenImage()
{
    QStringList lines;
    GetStrings(lines);
    QString text;
    for (const QString& l : lines) {
        text += l;
        text += QStringLiteral("\r\n");
    }
    QByteArray bytes = cp1252::encode(text);
    if (Scrambled_)
        Scramble(bytes, cp1252::encode(Key_));
    return bytes;
}

void TZelIniFile::UpdateFile()
{
    if (!Modified)
        return;
    if (FileName_.isEmpty()) {
        Modified = false;
        return;
    }
    if (sameFile(Unread_, FileName_))
        throw EInOutError(NotOverwrittenMessage(FileName_));
    const QByteArray image = WrittenImage();
    try {
        WriteWholeFile(FileName_, image);
    } catch (const EInOutError&) {
        FailedImage_ = image;
        throw;
    }
    FailedImage_ = QByteArray();
    Modified = false;
}

void TZelIniFile::LoadFromFile(const QString& fileName)
{
    SectionCursor_ = 0;
    QByteArray bytes;
    if (!ReadWholeFile(fileName, bytes))
        return;
    FileFound_ = true;
    if (Scrambled_) {
        Scramble(bytes, cp1252::encode(Key_));
    } else {
        // In a plain text file the first Ctrl+Z ends the text; a UTF-8 mark
        // at the start is no part of the first line.
        const qsizetype eof = bytes.indexOf('\x1A');
        if (eof >= 0)
            bytes.truncate(eof);
        if (bytes.startsWith("\xEF\xBB\xBF"))
            bytes.remove(0, 3);
    }
    const int before = Sections_.Count();
    ParseLines(SplitLines(cp1252::decode(bytes)));
    if (Sections_.Count() == before && !bytes.trimmed().isEmpty())
        Unrecognised_ = true;
    RemoveDuplicateSections();
    if (sameFile(Unread_, fileName))
        Unread_.clear();
}

void TZelIniFile::ParseLines(const QStringList& lines)
{
    int current = -1;
    for (const QString& raw : lines) {
        QString line = cut255(raw);
        if (line == QStringLiteral("\x1A"))
            line.clear();
        if (line.isEmpty())
            continue;
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            current = Sections_.Add(line.mid(1, line.size() - 2));
        } else if (current >= 0) {
            Sections_.Lines(current).append(line);
        }
    }
}

void TZelIniFile::RemoveDuplicateSections() { Sections_.RemoveLaterDuplicates(); }

int TZelIniFile::ReadHex(const QString& section, const QString& name, int def)
{
    const QString s = ReadString(section, name, IntToHex(static_cast<std::uint32_t>(def), 8));
    int v;
    if (!parseHex32(s, v))
        throw EConvertError(Format(QStringLiteral("'%s' no es un valor entero válido"), {QStringLiteral("$") + s}));
    return v;
}

void TZelIniFile::WriteHex(const QString& section, const QString& name, int value)
{
    WriteString(section, name, IntToHex(static_cast<std::uint32_t>(value), 8));
}

void TZelIniFile::SetKey(const QString& key)
{
    const QString k = cut255(key);
    if (!Modified && k != Key_)
        Modified = true;
    Key_ = k;
    Scrambled_ = !Key_.isEmpty();
}

void TZelIniFile::SetSectionLines(const QString& section, const QStringList& lines)
{
    QStringList clean;
    clean.reserve(lines.size());
    for (const QString& l : lines)
        clean.append(cut255(oneLine(l)));
    const int s = FindSection(section);
    if (s < 0) {
        const int i = Sections_.Add(sectionName(section));
        Sections_.Lines(i) = clean;
        Modified = true;
        return;
    }
    QStringList& current = Sections_.Lines(s);
    if (current.size() == clean.size()) {
        for (int i = 0; i < clean.size(); ++i) {
            if (current[i] != clean[i]) {
                current[i] = clean[i];
                Modified = true;
            }
        }
        return;
    }
    current = clean;
    Modified = true;
}

void TZelIniFile::ReadList(const QString& section, QStringList& list, const QString& def)
{
    int n = ReadInteger(section, kCant, 0);
    if (n <= 0)
        return;
    // A corrupt count (2000000000) must not run for ever: no list holds more
    // items than its section holds lines.
    const int s = CursorSection(section, false);
    const int held = s < 0 ? 0 : static_cast<int>(Sections_.Lines(s).size());
    n = std::min(n, held);
    for (int i = 1; i <= n; ++i)
        list.append(ReadString(section, QString::number(i), def));
}

void TZelIniFile::WriteList(const QString& section, const QStringList& list)
{
    int s = CursorSection(section, false);
    const QStringList before = s < 0 ? QStringList() : Sections_.Lines(s);
    const int stored = ReadInteger(section, kCant, 0);
    WriteInteger(section, kCant, static_cast<int>(list.size()));
    const bool wasModified = Modified;
    // Drop the first line of each name "1" .. stored in one pass over the
    // section, whatever the stored count claims.
    s = CursorSection(section, false);
    QStringList& lines = Sections_.Lines(s);
    QSet<long long> dropped;
    for (int i = 0; i < lines.size();) {
        const qsizetype p = lines[i].indexOf('=');
        long long v = 0;
        if (p >= 0 && itemNumber(QStringView(lines[i]).left(p), v) && v <= stored && !dropped.contains(v)) {
            dropped.insert(v);
            lines.removeAt(i);
            Modified = true;
        } else {
            ++i;
        }
    }
    for (int i = 0; i < list.size(); ++i)
        WriteString(section, QString::number(i + 1), list[i]);
    if (!wasModified)
        Modified = Sections_.Lines(CursorSection(section, false)) != before;
}

bool TZelIniFile::ReadFormPos(PlacementTarget& form, TPosition defaultPosition)
{
    ZelStore store(*this);
    return ReadPlacement(form, store, defaultPosition);
}

void TZelIniFile::WriteFormPos(const PlacementTarget& form)
{
    ZelStore store(*this);
    WritePlacement(form, store, false);
}

void TZelIniFile::Scramble(QByteArray& image, const QByteArray& key)
{
    const qsizetype n = std::min<qsizetype>(key.size(), 255);
    const qsizetype size = image.size();
    if (n == 0 || size == 0)
        return;
    // The masks depend only on the image length and the key, so the same
    // pass scrambles and unscrambles.
    qsizetype p = (size % n) + 1;
    char* b = image.data();
    for (qsizetype j = 0; j < size; ++j) {
        const unsigned m = 1u << ((j % p) & 7);
        p = p < n ? p + 1 : 1;
        b[j] = static_cast<char>(static_cast<unsigned char>(b[j]) ^ m ^ static_cast<unsigned char>(key[p - 1]));
    }
}

// ---------------------------------------------------------------------------
// TAppIniFile

void TZelIniFile::KeepUnrecognisedAside()
{
    if (!Unrecognised_ || FileName_.isEmpty())
        return;
    Unrecognised_ = false;
    const QString backup = MoveAsideAsBackup(FileName_);
    if (backup.isEmpty()) {
        Unread_ = FileName_;
        LoadError_ = CannotReadMessage(FileName_);
        MsgBoxApp(LoadError_ + QStringLiteral(" Se usan los valores por omisión y el archivo no se modificará."),
                  mb::Ok | mb::IconWarning);
        return;
    }
    MsgBoxApp(Format(QStringLiteral("El archivo \"%s\" no tiene un formato reconocible. Se conserva como \"%s\" "
                                    "y se usan los valores por omisión."),
                     {QDir::toNativeSeparators(FileName_), QDir::toNativeSeparators(backup)}),
              mb::Ok | mb::IconWarning);
}

TAppIniFile::TAppIniFile() : TZelIniFile(SettingsFileName(), QString()) { KeepUnrecognisedAside(); }
