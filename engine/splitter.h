#pragma once
// The text rules of the expression compilers that do not depend on the value
// type: preprocessing, the quick syntax check run before every parse attempt,
// quoted messages and the splitting of call arguments. The real engine uses them;
// the complex and rational compilers follow the same plan.

#include <QString>
#include <QStringView>

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
bool InFirstSet(QChar c);
bool InLastSet(QChar c);

// The message of the first rule the text breaks, in this order: empty text, an
// operator first, an operator last, two operators in a row, a parenthesis
// closed early, parentheses left open. Empty when the text passes.
// With barIsOperator false "|" counts as an ordinary character (the rational
// engine writes fraction literals with it: 3|4, 1|1|2).
QString SyntaxMessage(QStringView text, bool barIsOperator = true);

// A text whose first and last characters are single quotes.
bool IsQuotedMessage(QStringView text);

// The arguments between a call's parentheses, split at the commas of depth 0.
std::vector<QStringView> SplitArguments(QStringView inner);

} // namespace exprcore
