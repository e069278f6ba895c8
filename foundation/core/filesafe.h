#pragma once
// Whole-file reading and writing for every file the program keeps: only regular
// files are opened (a FIFO or a device would block or never end), and a file
// is replaced in one step (written whole to "<name>.tmp" beside it, then
// renamed into place), so that a crash leaves the old file or the new one,
// never half of one.
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

// The steps of one write; tests make a step fail (a full disk) or stop the
// write there as a killed process would.
enum class FileWriteStep {
    Create,    // the temporary file is created
    Write,     // its contents are written
    Rename,    // it replaces the file
};

struct FileWriteSeam {
    // Called before each step; false makes that step fail as the system would
    // (the write then raises EInOutError). It may also throw to stop the write
    // on the spot, leaving what a kill would leave.
    std::function<bool(const QString& fileName, FileWriteStep step)> BeforeStep;
    void reset() { *this = FileWriteSeam{}; }
};
FileWriteSeam& FileWriting();

// The temporary file a write of fileName goes through.
QString TempFileOf(const QString& fileName);

// Reads a whole file as bytes; false when it does not exist. Raises EInOutError
// when it exists but cannot be read or is no regular file.
bool ReadWholeFile(const QString& fileName, QByteArray& bytes);
// The same for a file of a kind that never holds more than maxBytes: a larger
// one is refused with FileTooLargeMessage (EInOutError) before it is read.
bool ReadWholeFile(const QString& fileName, QByteArray& bytes, qint64 maxBytes);
// Whether fileName is a regular file of more than maxBytes.
bool FileLargerThan(const QString& fileName, qint64 maxBytes);
// The message of a file refused for its size.
QString FileTooLargeMessage(const QString& fileName, qint64 maxBytes);
// Reads the first maxLines lines (split at CR LF, CR or LF) of a file as
// Windows-1252 text, without reading further; false when it does not exist.
// Raises EInOutError as ReadWholeFile.
bool ReadFirstLines(const QString& fileName, int maxLines, QStringList& lines);
// Writes bytes to the temporary file and renames it into place; raises
// EInOutError, leaving the old file untouched.
void WriteWholeFile(const QString& fileName, const QByteArray& bytes);

// A write that stopped before its rename leaves the temporary file: at the next
// start it is removed, or, when the file itself is gone, it becomes the file.
void CleanLeftoverWrite(const QString& fileName);
// Moves a file aside as "<name>.bak" (or "<name>.bak2", ... when that exists);
// the new name, or an empty text when the file could not be moved.
QString MoveAsideAsBackup(const QString& fileName);
