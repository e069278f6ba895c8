#include "science/unidades/conversion.h"

#include "engine/bases.h"
#include "foundation/core/exceptions.h"
#include "foundation/core/format.h"
#include "foundation/core/zelini.h"

namespace {

bool IsDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }
bool IsDigit19(QChar c) { return c >= QLatin1Char('1') && c <= QLatin1Char('9'); }
bool IsExponent(QChar c) { return c == QLatin1Char('E') || c == QLatin1Char('e'); }

const QString kSection = QStringLiteral("RectConv");

} // namespace

TNumberAtCaret FindNumberAtCaret(const QString& text, int caret)
{
    TNumberAtCaret out;
    const int n = int(text.size());
    caret = std::clamp(caret, 0, n);
    bool point = false, exponent = false, expSign = false;
    // Backward from the character before the caret.
    int start = caret;
    for (int i = caret - 1; i >= 0; --i) {
        const QChar c = text[i];
        if (IsDigit(c)) {
            start = i;
        } else if (c == QLatin1Char('.') && !point) {
            point = true;
            start = i;
        } else if (IsExponent(c) && !exponent && i > 0 && IsDigit19(text[i - 1])) {
            exponent = true;
            start = i;
        } else if (c == QLatin1Char('-') && !exponent && i > 1 && IsExponent(text[i - 1]) && IsDigit(text[i - 2])) {
            // The exponent's sign, with its letter.
            exponent = expSign = true;
            start = --i;
        } else if (c == QLatin1Char('-')) {
            if (i + 1 < n && IsDigit(text[i + 1]))
                start = i;
            break;
        } else {
            break;
        }
    }
    // Forward from the character after the caret.
    int end = caret;
    for (int i = caret; i < n; ++i) {
        const QChar c = text[i];
        if (IsDigit(c)) {
            end = i + 1;
        } else if (c == QLatin1Char('.') && !point) {
            point = true;
            end = i + 1;
        } else if (IsExponent(c) && !exponent && i + 1 < n &&
                   (text[i + 1] == QLatin1Char('-') || IsDigit19(text[i + 1]))) {
            exponent = true;
            end = i + 1;
        } else if (c == QLatin1Char('-') && exponent && !expSign && i > 0 && IsExponent(text[i - 1])) {
            expSign = true;
            end = i + 1;
        } else {
            break;
        }
    }
    Extended v = 0;
    if (end > start && TryStrToFloat(QStringView(text).mid(start, end - start), v)) {
        out.Found = true;
        out.Value = v;
        out.Start = start;
        out.Length = end - start;
    }
    return out;
}

QString ConvertedText(Extended value) { return Format(QStringLiteral("%g"), {value}); }

QString PreviewText(Extended value) { return Format(QStringLiteral("%8.4g"), {value}).toLower(); }

bool ReadResultNumber(const QString& text, Extended& value)
{
    QString s;
    for (QChar c : text)
        if (c > QLatin1Char(' '))
            s.append(c);
    return TryStrToFloat(s, value);
}

// ---------------------------------------------------------------------------

void TRecentConversions::Add(const QString& caption)
{
    m_items.removeAll(caption);
    m_items.prepend(caption);
    while (m_items.size() > kMax)
        m_items.removeLast();
}

void TRecentConversions::Read(TZelIniFile& ini)
{
    m_items.clear();
    QStringList lines;
    ini.ReadSectionValues(kSection, lines);
    for (const QString& line : lines) {
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        const QString value = eq < 0 ? QString() : line.mid(eq + 1);
        if (!value.isEmpty() && m_items.size() < kMax)
            m_items.append(value);
    }
}

void TRecentConversions::Write(TZelIniFile& ini) const
{
    // Keys "0" upward over what the section holds: the section is never
    // erased, so a longer list of an earlier session keeps its tail until the
    // user removes the section.
    for (int i = 0; i < m_items.size(); ++i)
        ini.WriteString(kSection, QString::number(i), m_items[i]);
}

// ---------------------------------------------------------------------------

QString BaseLabel(int base)
{
    switch (base) {
    case 2: return QStringLiteral("Bin");
    case 8: return QStringLiteral("Oct");
    case 10: return QStringLiteral("Dec");
    case 16: return QStringLiteral("Hex");
    default: return QString::number(base);
    }
}

QString NumberInBase(int base, Extended x) { return FloatToStrBase(base, x); }

std::vector<TBaseRow> AllBases(Extended x)
{
    std::vector<TBaseRow> rows;
    for (int b = 2; b <= 36; ++b)
        rows.push_back({b, BaseLabel(b), NumberInBase(b, x)});
    return rows;
}

bool ReadNumberWithBase(const QString& text, Extended& value, QString& error)
{
    try {
        value = ParseNumberWithBase(text);
    } catch (const Exception& e) {
        // A base between brackets that is not a whole number ("1[a]").
        error = e.message();
        return false;
    }
    if (numtext().BaseError) {
        error = numtext().BaseErrorMessage;
        return false;
    }
    return true;
}
