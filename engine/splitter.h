#pragma once
// The text rules of the expression compilers that do not depend on the value
// type: preprocessing, the quick syntax check run before every parse attempt,
// quoted messages, the splitting of call arguments, numbers written in a base
// and the messages every engine gives alike. The compiler itself is
// engine/compilercore.h.

#include "foundation/core/extended.h"

#include <QString>
#include <QStringView>

#include <algorithm>

#include <cstdint>
#include <vector>

namespace exprcore {

// Removes every character below "!" and comments in braces ("{" to "}", an
// unclosed one running to the end), and writes "(" as "*(" when it stands at
// the fifth character or later right after ")".
QString PreprocessText(const QString& text);

// "**" becomes "^" and "//" becomes "\", scanning from the left.
QString ReplaceAltOperators(const QString& text);

// Characters that cannot begin an operand, and that cannot end one ("£" is the
// logarithm operator).
// (Inline: the linear compile path asks at every level.)
inline bool InFirstSet(QChar c)
{
    switch (c.unicode()) {
    case '*': case '+': case ',': case '/': case '\\': case '^': case '|': case 0xA3:
        return true;
    default:
        return false;
    }
}

inline bool InLastSet(QChar c)
{
    switch (c.unicode()) {
    case '*': case '+': case ',': case '-': case '.': case '/': case '\\': case '^': case '|': case 0xA3:
        return true;
    default:
        return false;
    }
}

// The message of the first rule the text breaks, in this order: empty text, an
// operator first, an operator last, two operators in a row, a parenthesis
// closed early, parentheses left open. Empty when the text passes.
// With barIsOperator false "|" counts as an ordinary character (the rational
// engine writes fraction literals with it: 3|4, 1|1|2).
QString SyntaxMessage(QStringView text, bool barIsOperator = true);

// The places of a few operator characters in a text, from the right: each call
// of prev(from) gives the last place at or before `from` that holds one of
// them (-1 when none). `from` must not grow from one call to the next. Each
// character's places are found with the library's own search, so a text is
// read once per character however often the splitter asks.
template <int N>
class OperatorScan {
public:
    OperatorScan(QStringView text, const char16_t (&chars)[N]) : m_text(text)
    {
        for (int k = 0; k < N; ++k) {
            m_chars[k] = QChar(chars[k]);
            m_next[k] = text.size();   // not looked for yet
        }
    }
    qsizetype prev(qsizetype from)
    {
        qsizetype best = -1;
        if (from < 0)
            return best;
        for (int k = 0; k < N; ++k) {
            if (m_next[k] > from)
                m_next[k] = m_text.first(from + 1).lastIndexOf(m_chars[k]);
            best = std::max(best, m_next[k]);
        }
        return best;
    }

private:
    QStringView m_text;
    QChar m_chars[N];
    qsizetype m_next[N];
};

// A text whose first and last characters are single quotes.
bool IsQuotedMessage(QStringView text);

// The arguments between a call's parentheses, split at the commas of depth 0.
std::vector<QStringView> SplitArguments(QStringView inner);

inline bool IsAsciiDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }

// Characters a number in any base may be written with (digits, letters, point,
// signs, the base in brackets).
bool IsBaseNumberChar(QChar c);

// A number literal in any base ("12", "FF[16]", "1.5E3"); false when the text
// is not one. `base` is the base it was written in. A number beyond the
// extended range raises EOverflow.
struct BaseNumber {
    Extended value = 0;
    std::uint8_t base = 10;
};
bool ReadNumberWithBase(const QString& text, BaseNumber& number);

// The answer of ReadNumberWithBase for the commonest texts, without its full
// reading: Read for plain decimals ("12", "0.25", "3.") of at most 19 digits,
// with the very value the full reading gives (the digits as an integer, exact,
// divided once by an exact power of ten: one correct rounding, as the full
// reading's); NotNumber for a text that begins with a letter other than the
// base prefixes b, h and o and holds no "[" (neither a number in a base nor a
// plain decimal); Unsure otherwise. The number reader's state is left as the
// full reading leaves it (but for the message of a refusal).
enum class QuickNumber { Read, NotNumber, Unsure };
QuickNumber QuickReadNumber(QStringView text, BaseNumber& number);

// The message of a call with the wrong number of arguments; empty when right.
QString ArgCountMessage(const QString& name, int count, int minArgs, int maxArgs);

// The message of a name that is neither known nor resolved.
QString UnknownNameMessage(QStringView name);

} // namespace exprcore
