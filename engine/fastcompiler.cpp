#include "engine/fastcompiler.h"

#include "engine/splitter.h"

#include <algorithm>

namespace exprcore {

FastCompileState& fastCompile()
{
    static FastCompileState state;
    return state;
}

namespace {

// The characters that cannot begin (1) or end (2) an operand, below 256 (as
// InFirstSet and InLastSet, and "|" only where it is an operator).
struct OperatorChars {
    unsigned char flags[256] = {};
    explicit OperatorChars(bool barIsOperator)
    {
        for (int c = 0; c < 256; ++c) {
            const QChar q(static_cast<char16_t>(c));
            const bool counts = barIsOperator || q != QLatin1Char('|');
            flags[c] = static_cast<unsigned char>((counts && InFirstSet(q) ? 1 : 0) | (counts && InLastSet(q) ? 2 : 0));
        }
    }
};

} // namespace

void FastText::analyse(QStringView text, bool barIsOperator)
{
    static const OperatorChars withBar(true);
    static const OperatorChars withoutBar(false);
    const unsigned char* flags = barIsOperator ? withBar.flags : withoutBar.flags;
    begin = text.data();
    size = static_cast<int>(text.size());
    match.clear();
    pairs.clear();
    depth = 0;
    bool stray = false;
    std::vector<int> open;
    unsigned char before = 0;
    for (int i = 0; i < size; ++i) {
        const char16_t c = text[i].unicode();
        const unsigned char f = c < 256 ? flags[c] : 0;
        if (i >= 1 && (before & 2) && (f & 1))
            pairs.push_back(i);
        before = f;
        if (c == u'(') {
            if (match.empty())
                match.assign(static_cast<std::size_t>(size), -1);
            open.push_back(i);
        } else if (c == u')') {
            if (open.empty()) {
                stray = true;
                continue;
            }
            depth = std::max(depth, static_cast<int>(open.size()));
            match[static_cast<std::size_t>(open.back())] = i;
            match[static_cast<std::size_t>(i)] = open.back();
            open.pop_back();
        }
    }
    // A text whose parentheses do not pair up fails its syntax check first.
    if (stray || !open.empty())
        depth = 0;
}

} // namespace exprcore
