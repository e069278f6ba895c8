#include "foundation/core/basicos.h"

#include "foundation/core/cp1252.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QtDebug>

#include <chrono>

// ---------------------------------------------------------------------------
// Process-wide values

namespace {

// The program's own path, once the application object can tell it.
void findProgram(BasicosGlobals& g)
{
    if (!QCoreApplication::instance())
        return;
    g.ExeFile = QCoreApplication::applicationFilePath();
    g.ExeDir = QCoreApplication::applicationDirPath();
    if (!g.ExeDir.isEmpty() && !g.ExeDir.endsWith('/'))
        g.ExeDir += '/';
}

} // namespace

void BasicosGlobals::reset()
{
    ExeFile.clear();
    ExeDir.clear();
    findProgram(*this);
    ApplicationTitle = QStringLiteral("Sumbrix");
    Messages = nullptr;
    TickSource = nullptr;
    StopwatchMark = 0;
    StopwatchSet = false;
}

BasicosGlobals& Basicos()
{
    static BasicosGlobals g = [] {
        BasicosGlobals v;
        v.reset();
        return v;
    }();
    // First asked before the application object existed: ask again now.
    if (g.ExeFile.isEmpty() && g.ExeDir.isEmpty())
        findProgram(g);
    return g;
}

void SetExeDir(const QString& folder)
{
    QString d = folder;
    if (!d.isEmpty() && !d.endsWith('/'))
        d += '/';
    Basicos().ExeDir = d;
}

QString SettingsFileName()
{
    const BasicosGlobals& g = Basicos();
    QString base = QFileInfo(g.ExeFile).completeBaseName();
    if (base.isEmpty())
        base = QStringLiteral("sumbrix");
    return g.ExeDir + base + QStringLiteral(".ini");
}

// ---------------------------------------------------------------------------
// Message boxes

QList<int> ButtonsOf(unsigned flags)
{
    switch (flags & mb::ButtonMask) {
    case mb::OkCancel:
        return {idOk, idCancel};
    case mb::AbortRetryIgnore:
        return {idAbort, idRetry, idIgnore};
    case mb::YesNoCancel:
        return {idYes, idNo, idCancel};
    case mb::YesNo:
        return {idYes, idNo};
    case mb::RetryCancel:
        return {idRetry, idCancel};
    default:
        return {idOk};
    }
}

int DefaultButtonResult(unsigned flags)
{
    const QList<int> buttons = ButtonsOf(flags);
    const int index = static_cast<int>((flags & mb::DefButtonMask) >> 8);
    return index < buttons.size() ? buttons[index] : buttons.first();
}

int MsgBox(const QString& text, const QString& caption, unsigned flags)
{
    if (MessageSink* sink = Basicos().Messages)
        return sink->showMessage(text, caption, flags);
    qWarning().noquote() << caption << ":" << text;
    return DefaultButtonResult(flags);
}

int MsgBoxApp(const QString& text, unsigned flags) { return MsgBox(text, Basicos().ApplicationTitle, flags); }

int ShowMsgApp(const QString& text) { return MsgBoxApp(text, mb::Ok); }

void ErrorAndAbort(const QString& text)
{
    MsgBoxApp(text, mb::Ok | mb::IconError);
    throw EAbort();
}

// ---------------------------------------------------------------------------
// Text routines

QString NamePart(const QString& s)
{
    const qsizetype p = s.indexOf('=');
    return p < 0 ? QString() : s.left(p);
}

QString ValuePart(const QString& s)
{
    const qsizetype p = s.indexOf('=');
    return p < 0 ? s : s.mid(p + 1);
}

QString NameOrAll(const QString& s)
{
    const qsizetype p = s.indexOf('=');
    return p >= 1 ? s.left(p) : s;
}

QString ValueOrAll(const QString& s)
{
    const qsizetype p = s.indexOf('=');
    return (p >= 0 && p + 1 < s.size()) ? s.mid(p + 1) : s;
}

QString LeftChars(const QString& s, int n)
{
    const qsizetype count = n < 0 ? s.size() + n : n;
    return count <= 0 ? QString() : s.left(count);
}

QString RightChars(const QString& s, int n)
{
    if (n < 0)
        return -static_cast<qsizetype>(n) >= s.size() ? QString() : s.mid(-static_cast<qsizetype>(n));
    return s.right(n);
}

int PosFrom(int from, const QString& sub, const QString& s)
{
    if (sub.isEmpty())
        return 0;
    if (from < 1)
        from = 1;
    if (from > s.size())
        return 0;
    const qsizetype p = s.indexOf(sub, from - 1);
    return p < 0 ? 0 : static_cast<int>(p + 1);
}

int ReplaceAll(const QString& find, const QString& replacement, QString& s)
{
    if (find.isEmpty())
        return 0;
    int count = 0;
    QString out;
    qsizetype from = 0;
    for (;;) {
        const qsizetype p = s.indexOf(find, from);
        if (p < 0)
            break;
        out += QStringView(s).mid(from, p - from);
        out += replacement;
        from = p + find.size();
        ++count;
    }
    if (count > 0) {
        out += QStringView(s).mid(from);
        s = out;
    }
    return count;
}

void SplitByChar(const QString& s, QChar separator, QStringList& parts)
{
    parts = s.split(separator, Qt::KeepEmptyParts);
}

QString RepeatChar(QChar ch, std::uint16_t count) { return QString(count, ch); }

QString StripAmpersands(const QString& s) { return RemoveChar(s, '&'); }

QString RemoveChar(const QString& s, QChar ch)
{
    QString r = s;
    r.remove(ch);
    return r;
}

QChar LowerCharEs(QChar ch)
{
    const char16_t c = ch.unicode();
    if (c >= u'A' && c <= u'Z')
        return QChar(c + 32);
    switch (c) {
    case u'Á': return QChar(u'á');
    case u'É': return QChar(u'é');
    case u'Í': return QChar(u'í');
    case u'Ó': return QChar(u'ó');
    case u'Ú': return QChar(u'ú');
    case u'Ü': return QChar(u'ü');
    default: return ch;
    }
}

// ---------------------------------------------------------------------------
// Unscrambling of literals

namespace {

QChar charOf(unsigned byte) { return cp1252::toUnicode(static_cast<unsigned char>(byte & 0xFF)); }

// A text and its key as the unscrambling routines see them: Windows-1252
// bytes, at most 255 of each, positions 1-based.
class KeyedText {
public:
    KeyedText(const QString& s, const QString& key)
        : original_(s.left(255)), text_(cp1252::encode(original_)), key_(cp1252::encode(key.left(255)))
    {
    }
    int n() const { return static_cast<int>(key_.size()); }
    int len() const { return static_cast<int>(text_.size()); }
    unsigned stored(int i) const { return static_cast<unsigned char>(text_[i - 1]); }
    unsigned k(int p) const { return static_cast<unsigned char>(key_[p - 1]); }
    // The mask of the cycled routines: fixed for the whole text.
    unsigned mask() const { return 1u << ((n() % len()) & 7); }
    // Where the cycled routines' walk through the key starts.
    int start() const { return (len() % n()) + 1; }

    // Nothing to unscramble: an empty text, or no key to do it with.
    bool trivial() const { return len() == 0 || n() == 0; }
    QString unchanged() const { return len() == 0 ? QString() : original_; }

    // The plain text: plain(i, kept) gives character i's unscrambled value
    // and sets `kept` to what stands instead when that value is refused (a
    // value below 32 or the apostrophe is not a character of the plain
    // text). Called for i = 1 .. len in order.
    template <typename Plain>
    QString build(Plain plain) const
    {
        QString out(len(), QChar(' '));
        for (int i = 1; i <= len(); ++i) {
            unsigned kept = stored(i);
            const unsigned v = plain(i, kept) & 0xFF;
            out[i - 1] = charOf((v < 32 || v == 39) ? kept : v);
        }
        return out;
    }

private:
    QString original_;
    QByteArray text_;
    QByteArray key_;
};

} // namespace

QString XorUnscramble(const QString& s, const QString& key)
{
    const KeyedText t(s, key);
    if (t.trivial())
        return t.unchanged();
    return t.build([&](int i, unsigned&) { return t.stored(i) ^ t.k((i % t.n()) + 1); });
}

QString XorUnscrambleCycled(const QString& s, const QString& key)
{
    const KeyedText t(s, key);
    if (t.trivial())
        return t.unchanged();
    const unsigned m = t.mask();
    int p = t.start();
    return t.build([&](int i, unsigned&) {
        p = p < t.n() ? p + 1 : 1;
        return t.stored(i) ^ m ^ t.k(p);
    });
}

QString XorUnscrambleTwice(const QString& s, const QString& key)
{
    const KeyedText t(s, key);
    if (t.trivial())
        return t.unchanged();
    const unsigned m = t.mask();
    int p = t.start();
    return t.build([&](int i, unsigned& kept) {
        p = p > 1 ? p - 1 : t.n();
        kept = t.stored(i) ^ 5u; // the keep-rule restores the first combination
        return kept ^ (static_cast<unsigned>(i) & 0xB3u) ^ m ^ t.k(p);
    });
}

// ---------------------------------------------------------------------------
// Sorting

void QuickSortIndexed(int lo, int hi, const std::function<int(int, int)>& compare,
                      const std::function<void(int, int)>& swap)
{
    // An empty range has nothing to sort; reading it would read outside the
    // collection (a grid with one body row asks for 1..0).
    if (lo > hi)
        return;
    int i;
    do {
        i = lo;
        int j = hi;
        int p = (lo + hi) / 2;
        do {
            // The bounds never stop a consistent comparison; they keep an
            // inconsistent one from reading outside lo..hi.
            while (i <= hi && compare(i, p) < 0)
                ++i;
            while (j >= lo && compare(j, p) > 0)
                --j;
            if (i <= j) {
                swap(i, j);
                if (p == i)
                    p = j;
                else if (p == j)
                    p = i;
                ++i;
                --j;
            }
        } while (i <= j);
        // A consistent comparison always swaps, so each pass shrinks its
        // range; an inconsistent one must not make the sort run for ever.
        if (lo < j && j < hi)
            QuickSortIndexed(lo, j, compare, swap);
        if (i <= lo)
            break;
        lo = i;
    } while (i < hi);
}

// ---------------------------------------------------------------------------
// Time

std::uint32_t TickCount()
{
    const BasicosGlobals& g = Basicos();
    if (g.TickSource)
        return g.TickSource();
    using namespace std::chrono;
    const auto ms = duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    return static_cast<std::uint32_t>(static_cast<unsigned long long>(ms));
}

std::uint32_t ElapsedTicks(bool reset)
{
    BasicosGlobals& g = Basicos();
    const std::uint32_t now = TickCount();
    // Unsigned subtraction counts across the counter's wrap-around.
    const std::uint32_t elapsed = g.StopwatchSet ? now - g.StopwatchMark : 0;
    if (reset) {
        g.StopwatchMark = now;
        g.StopwatchSet = true;
    }
    return elapsed;
}

// ---------------------------------------------------------------------------
// Files

namespace {

int attributesOf(const QFileInfo& fi)
{
    int a = 0;
    if (fi.isDir())
        a |= faDirectory;
    if (fi.isHidden() || fi.fileName().startsWith('.'))
        a |= faHidden;
    if (!fi.isWritable())
        a |= faReadOnly;
    if (fi.isFile())
        a |= faArchive;
    return a;
}

void findIn(const QString& folder, const QString& mask, int attributes, bool recursive, QList<TFoundFile>& out)
{
    QDir dir(folder);
    if (!dir.exists())
        return;
    QDir::Filters filters = QDir::Files | QDir::System;
    if (attributes & faHidden)
        filters |= QDir::Hidden;
    const QFileInfoList entries =
        dir.entryInfoList(QStringList{mask}, filters, QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo& fi : entries) {
        if (fi.isDir())
            continue;
        const int a = attributesOf(fi);
        // Hidden and read-only files count only when asked for.
        if ((a & faHidden) && !(attributes & faHidden))
            continue;
        out.append({folder + fi.fileName(), a});
    }
    if (!recursive)
        return;
    QDir::Filters dirFilters = QDir::Dirs | QDir::NoDotAndDotDot;
    if (attributes & faHidden)
        dirFilters |= QDir::Hidden;
    const QFileInfoList subs = dir.entryInfoList(dirFilters, QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo& sub : subs) {
        if (sub.isSymLink())
            continue; // a link back up would never end
        findIn(folder + sub.fileName() + '/', mask, attributes, true, out);
    }
}

} // namespace

QList<TFoundFile> FindFiles(const QString& folder, const QString& masks, int attributes, bool recursive)
{
    QList<TFoundFile> out;
    QString base = folder;
    if (base.isEmpty())
        return out;
    if (!base.endsWith('/') && !base.endsWith('\\'))
        base += '/';
    const QStringList list = masks.split(',', Qt::SkipEmptyParts);
    for (const QString& raw : list) {
        const QString mask = raw.trimmed();
        if (mask.isEmpty())
            continue;
        findIn(base, mask, attributes & ~faDirectory, recursive, out);
    }
    return out;
}

// ---------------------------------------------------------------------------
// Shell

QString MailToText(const QString& address, const QString& subject, const QString& body)
{
    QString s = QStringLiteral("mailto:") + address.trimmed();
    if (!subject.isEmpty())
        s += QStringLiteral("?Subject=") + subject.trimmed();
    if (!body.isEmpty())
        s += QStringLiteral("&Body=") + body.trimmed();
    return s;
}

// ---------------------------------------------------------------------------
// Desktop work area

TRect WorkAreaFromDockedStrip(int screenWidth, int screenHeight, const TRect& s)
{
    TRect r{0, 0, screenWidth, screenHeight};
    if (s.Top > 0 && s.Top < screenHeight) {
        r.Bottom = s.Top; // along the bottom
    } else if (s.Bottom > 0 && s.Top < screenHeight && s.Bottom < screenHeight) {
        // Along the top. A strip as tall as the screen stands at a side: taken
        // for a top strip it would leave no work area at all.
        r.Top = s.Bottom;
    } else if (s.Left > 0 && s.Left < screenWidth) {
        r.Right = s.Left; // along the right
    } else if (s.Right > 0 && s.Right < screenWidth) {
        r.Left = s.Right; // along the left
    }
    return r;
}
