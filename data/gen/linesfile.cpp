// The "lines" kind of sumbrix-datagen: a text file of lines (the element
// table tablaper.tab) from its UTF-8 source. Lines that begin with "#" are
// the source's comments and are left out; every other line is written as it
// stands, in Windows-1252 with CR LF. A character without a Windows-1252 byte
// or a control character other than TAB is an error with the source line's
// number, and nothing is written.
#include "foundation/core/cp1252.h"
#include "foundation/core/exceptions.h"
#include "foundation/core/filesafe.h"
#include "foundation/core/zelini.h"
#include "sourcetext.h"

#include <QFile>
#include <QStringDecoder>

void WriteLinesFile(const QString& source, const QString& output)
{
    const QString text = ReadSourceText(source);
    QStringList lines = SplitLines(text);
    if (!lines.isEmpty() && lines.back().isEmpty())
        lines.removeLast();   // the end of the last line
    QStringList out;
    int number = 0;
    for (const QString& line : lines) {
        ++number;
        if (line.startsWith(QLatin1Char('#')))
            continue;
        for (QChar c : line) {
            unsigned char b;
            if ((c.category() == QChar::Other_Control && c != QLatin1Char('\t')) || !cp1252::fromUnicode(c, b))
                throw Exception(QStringLiteral("%1:%2: U+%3 cannot be written in the file")
                                    .arg(source)
                                    .arg(number)
                                    .arg(c.unicode(), 4, 16, QLatin1Char('0')));
        }
        out.append(line);
    }
    if (out.isEmpty())
        throw Exception(source + QStringLiteral(": no line"));
    QFile::remove(output);
    const QByteArray bytes = cp1252::encode(out.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"));
    WriteWholeFile(output, bytes);
    QByteArray back;
    if (!ReadWholeFile(output, back) || back != bytes) {
        QFile::remove(output);
        throw Exception(output + QStringLiteral(": the file does not read back as written"));
    }
}
