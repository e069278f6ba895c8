#pragma once
// The text of a generator's source: UTF-8, without a leading byte-order mark.
// Raises Exception when the file cannot be read or is not UTF-8.
#include "foundation/core/exceptions.h"

#include <QFile>
#include <QString>
#include <QStringDecoder>

inline QString ReadSourceText(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw Exception(path + QStringLiteral(": cannot read the source"));
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(f.readAll());
    if (utf8.hasError())
        throw Exception(path + QStringLiteral(": not valid UTF-8"));
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    return text;
}
