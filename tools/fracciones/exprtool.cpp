#include "tools/fracciones/exprtool.h"

#include <algorithm>

namespace exprtool {

QChar LetterAt(int index)
{
    static const QString letters = QStringLiteral("wxyz");
    return letters.at(index);
}

bool ReplaceDigraphs(QString& text, int& caret)
{
    static const std::pair<QString, QString> digraphs[] = {
        {QStringLiteral(".."), QStringLiteral("|")},
        {QStringLiteral("//"), QStringLiteral("|")},
        {QStringLiteral("**"), QStringLiteral("^")},
    };
    bool changed = false;
    for (const auto& [from, to] : digraphs) {
        const qsizetype at = text.indexOf(from);
        if (at < 0)
            continue;
        text.replace(at, from.size(), to);
        changed = true;
    }
    if (changed)
        caret = std::max(0, caret - 1);
    return changed;
}

bool BelongsAtTop(const QStringList& history, const QString& text)
{
    return history.isEmpty() || history.first() != text;
}

} // namespace exprtool
