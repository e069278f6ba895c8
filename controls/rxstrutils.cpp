#include "controls/rxstrutils.h"

#include "foundation/core/basicos.h"

QString ReplaceStr(const QString& s, const QString& find, const QString& replacement)
{
    QString r = s;
    ReplaceAll(find, replacement, r);
    return r;
}

QString DelChars(const QString& s, QChar ch)
{
    return RemoveChar(s, ch);
}

QString DelBSpace(const QString& s)
{
    int i = 0;
    while (i < s.size() && s.at(i) == u' ')
        ++i;
    return s.mid(i);
}

QString DelESpace(const QString& s)
{
    int n = s.size();
    while (n > 0 && s.at(n - 1) == u' ')
        --n;
    return s.left(n);
}

QString DelBESpace(const QString& s)
{
    return DelESpace(DelBSpace(s));
}

QString MakeStr(QChar ch, int n)
{
    return n <= 0 ? QString() : QString(n, ch);
}
