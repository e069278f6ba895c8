#pragma once
// The small string routines of the spin edit.
#include <QChar>
#include <QString>

// Every occurrence of `find` replaced by `replacement`.
QString ReplaceStr(const QString& s, const QString& find, const QString& replacement);
// Every occurrence of the character deleted.
QString DelChars(const QString& s, QChar ch);
// Blanks trimmed on the left, on the right, on both sides.
QString DelBSpace(const QString& s);
QString DelESpace(const QString& s);
QString DelBESpace(const QString& s);
// n copies of the character; empty for n <= 0.
QString MakeStr(QChar ch, int n);
