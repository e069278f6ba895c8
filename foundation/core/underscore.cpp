#include "foundation/core/underscore.h"

namespace {

// Blanks and control characters count alike (everything up to the blank).
QString TrimControls(const QString& s)
{
    int a = 0;
    int b = int(s.size());
    while (a < b && s.at(a).unicode() <= 32)
        ++a;
    while (b > a && s.at(b - 1).unicode() <= 32)
        --b;
    return s.mid(a, b - a);
}

} // namespace

QString LeftOfUnderscore(const QString& text)
{
    const QString t = TrimControls(text);
    const qsizetype p = t.indexOf(QLatin1Char('_'));
    return p < 0 ? t : t.left(p);
}

QString RightOfUnderscore(const QString& text)
{
    const QString t = TrimControls(text);
    const qsizetype p = t.indexOf(QLatin1Char('_'));
    return p < 0 ? QString() : t.mid(p + 1);
}
