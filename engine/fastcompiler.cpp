#include "engine/fastcompiler.h"

#include "engine/splitter.h"

namespace exprcore {

FastCompileState& fastCompile()
{
    static FastCompileState state;
    return state;
}

void FastText::analyse(QStringView text, bool barIsOperator)
{
    begin = text.data();
    size = static_cast<int>(text.size());
    match.assign(static_cast<std::size_t>(size), -1);
    nextPair.assign(static_cast<std::size_t>(size) + 1, size);
    const auto first = [barIsOperator](QChar c) { return InFirstSet(c) && (barIsOperator || c != QLatin1Char('|')); };
    const auto last = [barIsOperator](QChar c) { return InLastSet(c) && (barIsOperator || c != QLatin1Char('|')); };
    std::vector<int> open;
    for (int i = 0; i < size; ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('(')) {
            open.push_back(i);
        } else if (c == QLatin1Char(')') && !open.empty()) {
            match[static_cast<std::size_t>(open.back())] = i;
            match[static_cast<std::size_t>(i)] = open.back();
            open.pop_back();
        }
    }
    for (int i = size - 1; i >= 1; --i)
        nextPair[static_cast<std::size_t>(i)] =
            last(text[i - 1]) && first(text[i]) ? i : nextPair[static_cast<std::size_t>(i) + 1];
}

} // namespace exprcore
