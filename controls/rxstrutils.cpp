#include "controls/rxstrutils.h"

QString ReplaceStr(const QString& s, const QString& find, const QString& replacement)
{
    if (find.isEmpty())
        return s;
    QString r = s;
    return r.replace(find, replacement);
}

QString DelChars(const QString& s, QChar ch)
{
    QString r = s;
    return r.remove(ch);
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
