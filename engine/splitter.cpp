#include "engine/splitter.h"

#include "engine/bases.h"
#include "engine/errors.h"
#include "foundation/core/exceptions.h"
#include "foundation/core/format.h"

namespace exprcore {

QString PreprocessText(const QString& text)
{
    // Written straight into a buffer long enough for every "(" to become "*(".
    const qsizetype n = text.size();
    const QChar* in = text.constData();
    const qsizetype opens = text.count(QLatin1Char('('));
    QString out(n + opens, Qt::Uninitialized);
    QChar* o = out.data();
    bool comment = false;
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = in[i];
        if (c.unicode() < 33)
            continue;
        if (comment) {
            if (c == QLatin1Char('}'))
                comment = false;
            continue;
        }
        if (c == QLatin1Char('{')) {
            comment = true;
            continue;
        }
        // ")(" from the fifth character on is a product; "(2)(3)" keeps its form.
        if (c == QLatin1Char('(') && i + 1 >= 5 && in[i - 1] == QLatin1Char(')'))
            *o++ = QLatin1Char('*');
        *o++ = c;
    }
    out.truncate(o - out.constData());
    return out;
}

QString ReplaceAltOperators(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (i + 1 < text.size() && text[i] == QLatin1Char('*') && text[i + 1] == QLatin1Char('*')) {
            out += QLatin1Char('^');
            ++i;
        } else if (i + 1 < text.size() && text[i] == QLatin1Char('/') && text[i + 1] == QLatin1Char('/')) {
            out += QLatin1Char('\\');
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

QString SyntaxMessage(QStringView text, bool barIsOperator)
{
    const auto first = [barIsOperator](QChar c) { return InFirstSet(c) && (barIsOperator || c != QLatin1Char('|')); };
    const auto last = [barIsOperator](QChar c) { return InLastSet(c) && (barIsOperator || c != QLatin1Char('|')); };
    if (text.isEmpty())
        return QStringLiteral("Falta expresión");
    if (first(text.front()))
        return Format(QStringLiteral("Falta operando antes de \"%s\""), {QString(text.front())});
    if (last(text.back()))
        return Format(QStringLiteral("Falta operando después de \"%s\""), {QString(text.back())});
    for (qsizetype i = 1; i < text.size(); ++i)
        if (last(text[i - 1]) && first(text[i]))
            return QStringLiteral("Operadores seguidos: ") + text[i - 1] + text[i];
    if (!text.contains(QLatin1Char('(')) && !text.contains(QLatin1Char(')')))
        return QString();
    int depth = 0;
    for (QChar c : text) {
        if (c == QLatin1Char('(')) {
            ++depth;
        } else if (c == QLatin1Char(')')) {
            if (--depth < 0)
                return QStringLiteral("Paréntesis de cierre sin abrir #1");
        }
    }
    if (depth != 0)
        return QStringLiteral("Faltan paréntesis");
    return QString();
}

bool IsQuotedMessage(QStringView t)
{
    return t.size() >= 2 && t.front() == QLatin1Char('\'') && t.back() == QLatin1Char('\'');
}

std::vector<QStringView> SplitArguments(QStringView inner)
{
    std::vector<QStringView> parts;
    int depth = 0;
    qsizetype start = 0;
    for (qsizetype i = 0; i < inner.size(); ++i) {
        const QChar c = inner[i];
        if (c == QLatin1Char('('))
            ++depth;
        else if (c == QLatin1Char(')'))
            --depth;
        else if (c == QLatin1Char(',') && depth == 0) {
            parts.push_back(inner.mid(start, i - start));
            start = i + 1;
        }
    }
    parts.push_back(inner.mid(start));
    return parts;
}

bool IsBaseNumberChar(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= '0' && u <= '9') || (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || u == '.' ||
           u == '+' || u == '-' || u == '[' || u == ']';
}

QuickNumber QuickReadNumber(QStringView text, BaseNumber& number)
{
    const qsizetype n = text.size();
    if (n == 0)
        return QuickNumber::Unsure;
    const char16_t first = text[0].unicode();
    if (((first >= 'a' && first <= 'z') || (first >= 'A' && first <= 'Z')) && first != 'b' && first != 'h' &&
        first != 'o') {
        for (const QChar c : text)   // (a name is short: no call to search it)
            if (c == QLatin1Char('['))
                return QuickNumber::Unsure;
        NumberTextState& st = numtext();
        st.BaseError = true;
        st.BaseOverflow = false;
        return QuickNumber::NotNumber;
    }
    // Up to 19 digits the integer is below 2^64: exact in the 64-bit mantissa,
    // and so is every power of ten up to 10^19 (5^19 < 2^64).
    static constexpr long double kPowers[] = {1e0L,  1e1L,  1e2L,  1e3L,  1e4L,  1e5L,  1e6L,
                                              1e7L,  1e8L,  1e9L,  1e10L, 1e11L, 1e12L, 1e13L,
                                              1e14L, 1e15L, 1e16L, 1e17L, 1e18L, 1e19L};
    std::uint64_t digits = 0;
    int count = 0;
    qsizetype point = -1;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = text[i].unicode();
        if (c >= '0' && c <= '9') {
            if (++count > 19)
                return QuickNumber::Unsure;
            digits = digits * 10 + (c - '0');
        } else if (c == '.' && point < 0) {
            point = i;
        } else {
            return QuickNumber::Unsure;
        }
    }
    if (count == 0)
        return QuickNumber::Unsure;
    const qsizetype fraction = point < 0 ? 0 : n - point - 1;
    const long double whole = static_cast<long double>(digits);
    number.value = fraction == 0 ? whole : whole / kPowers[fraction];
    number.base = 10;
    NumberTextState& st = numtext();
    st.BaseError = false;
    st.BaseOverflow = false;
    st.LastBase = 10;
    return QuickNumber::Read;
}

bool ReadNumberWithBase(const QString& text, BaseNumber& number)
{
    switch (QuickReadNumber(text, number)) {
    case QuickNumber::Read: return true;
    case QuickNumber::NotNumber: return false;
    case QuickNumber::Unsure: break;
    }
    try {
        number.value = ParseNumberWithBase(text);
    } catch (const EConvertError&) {
        // A base between brackets that is not an integer: not a number.
        return false;
    }
    // A number too large for the extended range is an error of the text, not
    // something else to try reading it as.
    if (numtext().BaseOverflow)
        throw EOverflow();
    if (numtext().BaseError)
        return false;
    number.base = numtext().LastBase;
    return true;
}

QString ArgCountMessage(const QString& name, int count, int minArgs, int maxArgs)
{
    if (count > maxArgs) {
        if (maxArgs == 0)
            return Format(QStringLiteral("%s no lleva argumentos"), {name});
        if (minArgs == maxArgs)
            return Format(QStringLiteral("%s lleva exactamente %d argumento(s)"), {name, maxArgs});
        return Format(QStringLiteral("%s lleva como máximo %d argumentos"), {name, maxArgs});
    }
    if (count < minArgs) {
        if (minArgs == maxArgs)
            return Format(QStringLiteral("%s necesita %d argumento(s)"), {name, minArgs});
        return Format(QStringLiteral("%s necesita al menos %d argumentos"), {name, minArgs});
    }
    return QString();
}

QString UnknownNameMessage(QStringView name)
{
    return QLatin1Char('"') + name.toString() + QStringLiteral("\" no está definido");
}

} // namespace exprcore
