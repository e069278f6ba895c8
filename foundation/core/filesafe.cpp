#include "foundation/core/filesafe.h"

#include "foundation/core/cp1252.h"
#include "foundation/core/exceptions.h"
#include "foundation/core/format.h"
#include "foundation/core/zelini.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <unistd.h>

namespace {

bool stepAllowed(const QString& fileName, FileWriteStep step)
{
    const auto& hook = FileWriting().BeforeStep;
    return !hook || hook(fileName, step);
}

// Opens an existing regular file for reading; false when there is no such file.
bool openForReading(const QString& fileName, QFile& f)
{
    // What a write stopped halfway left is settled before the file is read.
    CleanLeftoverWrite(fileName);
    const QFileInfo fi(fileName);
    if (!fi.exists())
        return false;
    // A FIFO, a device or a folder is never read: opening one may wait forever.
    if (!fi.isFile())
        throw EInOutError(CannotReadMessage(fileName));
    f.setFileName(fileName);
    if (!f.open(QIODevice::ReadOnly))
        throw EInOutError(CannotReadMessage(fileName));
    return true;
}

} // namespace

FileWriteSeam& FileWriting()
{
    static FileWriteSeam seam;
    return seam;
}

QString TempFileOf(const QString& fileName) { return fileName + QStringLiteral(".tmp"); }

bool ReadWholeFile(const QString& fileName, QByteArray& bytes)
{
    QFile f;
    if (!openForReading(fileName, f))
        return false;
    bytes = f.readAll();
    if (f.error() != QFileDevice::NoError)
        throw EInOutError(CannotReadMessage(fileName));
    return true;
}

bool ReadWholeFile(const QString& fileName, QByteArray& bytes, qint64 maxBytes)
{
    QFile f;
    if (!openForReading(fileName, f))
        return false;
    if (f.size() > maxBytes)
        throw EInOutError(FileTooLargeMessage(fileName, maxBytes));
    bytes = f.read(maxBytes + 1);
    if (f.error() != QFileDevice::NoError)
        throw EInOutError(CannotReadMessage(fileName));
    // (A file that grew since it was measured.)
    if (bytes.size() > maxBytes)
        throw EInOutError(FileTooLargeMessage(fileName, maxBytes));
    return true;
}

bool FileLargerThan(const QString& fileName, qint64 maxBytes)
{
    const QFileInfo fi(fileName);
    return fi.isFile() && fi.size() > maxBytes;
}

QString FileTooLargeMessage(const QString& fileName, qint64 maxBytes)
{
    const qint64 mb = 1024 * 1024;
    return Format(QStringLiteral("El archivo \"%s\" ocupa más de %d MB, mucho más de lo que puede ser un archivo de "
                                 "este tipo; no se carga."),
                  {QDir::toNativeSeparators(fileName), int((maxBytes + mb - 1) / mb)});
}

bool ReadFirstLines(const QString& fileName, int maxLines, QStringList& lines)
{
    lines.clear();
    QFile f;
    if (!openForReading(fileName, f))
        return false;
    // Blocks until enough lines are whole; a line may end in the next block.
    QByteArray pending;
    while (lines.size() < maxLines) {
        const QByteArray block = f.read(1 << 16);
        if (f.error() != QFileDevice::NoError)
            throw EInOutError(CannotReadMessage(fileName));
        const bool atEnd = block.isEmpty();
        pending += block;
        qsizetype start = 0;
        for (qsizetype i = 0; i < pending.size() && lines.size() < maxLines; ++i) {
            const char c = pending[i];
            if (c != '\r' && c != '\n')
                continue;
            // A CR at the end of the block may be the first half of CR LF.
            if (c == '\r' && i + 1 == pending.size() && !atEnd)
                break;
            lines.append(cp1252::decode(pending.mid(start, i - start)));
            if (c == '\r' && i + 1 < pending.size() && pending[i + 1] == '\n')
                ++i;
            start = i + 1;
        }
        pending.remove(0, start);
        if (atEnd) {
            if (!pending.isEmpty() && lines.size() < maxLines)
                lines.append(cp1252::decode(pending));
            break;
        }
    }
    return true;
}

void WriteWholeFile(const QString& fileName, const QByteArray& bytes)
{
    const QString temp = TempFileOf(fileName);
    auto fail = [&] {
        QFile::remove(temp);
        throw EInOutError(CannotWriteMessage(fileName));
    };
    const QFileInfo target(fileName);
    if (target.exists() && !target.isFile())
        fail();
    QFile f(temp);
    if (!stepAllowed(fileName, FileWriteStep::Create) || !f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        fail();
    if (!stepAllowed(fileName, FileWriteStep::Write) || f.write(bytes) != bytes.size() || !f.flush() ||
        ::fsync(f.handle()) != 0) {
        f.close();
        fail();
    }
    f.close();
    if (target.exists())
        QFile::setPermissions(temp, target.permissions());
    if (!stepAllowed(fileName, FileWriteStep::Rename) ||
        std::rename(QFile::encodeName(temp).constData(), QFile::encodeName(fileName).constData()) != 0)
        fail();
}

void CleanLeftoverWrite(const QString& fileName)
{
    const QString temp = TempFileOf(fileName);
    const QFileInfo left(temp);
    if (!left.exists() || !left.isFile())
        return;
    if (QFileInfo::exists(fileName))
        QFile::remove(temp);
    else
        std::rename(QFile::encodeName(temp).constData(), QFile::encodeName(fileName).constData());
}

QString MoveAsideAsBackup(const QString& fileName)
{
    QString backup = fileName + QStringLiteral(".bak");
    for (int n = 2; QFileInfo::exists(backup) || QFileInfo(backup).isSymLink(); ++n)
        backup = fileName + QStringLiteral(".bak") + QString::number(n);
    if (std::rename(QFile::encodeName(fileName).constData(), QFile::encodeName(backup).constData()) != 0)
        return QString();
    return backup;
}
