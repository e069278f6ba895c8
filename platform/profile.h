#pragma once
// Profile files: read and write one value of an ini file in place, leaving
// every other line of the file as it stands. The line rules are those of the
// settings engine (TZelIniFile), so that a file written here reads the same
// there: a header is a line that begins with "[" and ends with "]", a line's
// name is its text before the first "=" (compared without regard to case, no
// blanks trimmed), the first of two equal sections or names wins.
// Files are Windows-1252 with CR LF, written whole to a temporary file that
// is renamed into place. Writes fail silently (false), as the program expects
// of them; a file that exists but cannot be read is never written.
#include "foundation/core/placement.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

QString ProfileReadString(const QString& fileName, const QString& section, const QString& name, const QString& def);
bool ProfileWriteString(const QString& fileName, const QString& section, const QString& name, const QString& value);
bool ProfileDeleteKey(const QString& fileName, const QString& section, const QString& name);
bool ProfileEraseSection(const QString& fileName, const QString& section);
// Replaces the section (every copy of it) by one at the end of the file with
// `entries` (name, value), or by none when there are none, in one write of
// the file: it holds the old section or the new one, never a part of either.
bool ProfileWriteSection(const QString& fileName, const QString& section,
                         const QList<QPair<QString, QString>>& entries);
// The names of the section's lines that have one, in file order.
QStringList ProfileReadSection(const QString& fileName, const QString& section);
QStringList ProfileReadSections(const QString& fileName);
// The section's non-empty raw lines.
QStringList ProfileReadSectionValues(const QString& fileName, const QString& section);

// The framework's ini-file class over the profile functions: every call
// reads or changes the file at once.
class TIniFile {
public:
    explicit TIniFile(const QString& fileName) : FileName_(fileName) {}

    const QString& FileName() const { return FileName_; }

    QString ReadString(const QString& section, const QString& name, const QString& def) const;
    void WriteString(const QString& section, const QString& name, const QString& value);
    int ReadInteger(const QString& section, const QString& name, int def) const;
    void WriteInteger(const QString& section, const QString& name, int value);
    bool ReadBool(const QString& section, const QString& name, bool def) const;
    void WriteBool(const QString& section, const QString& name, bool value);
    void ReadSection(const QString& section, QStringList& list) const;
    void ReadSections(QStringList& list) const;
    void ReadSectionValues(const QString& section, QStringList& list) const;
    bool SectionExists(const QString& section) const;
    bool ValueExists(const QString& section, const QString& name) const;
    void EraseSection(const QString& section);
    void DeleteKey(const QString& section, const QString& name);
    // Every write has reached the file already.
    void UpdateFile() {}

    // False when the last write could not be made.
    bool LastWriteOk() const { return LastWriteOk_; }

private:
    QString FileName_;
    bool LastWriteOk_ = true;
};

// The placement routines' view of a TIniFile.
class IniFilePlacementStore : public PlacementStore {
public:
    explicit IniFilePlacementStore(TIniFile& ini) : ini_(ini) {}
    int ReadInteger(const QString& s, const QString& n, int d) override { return ini_.ReadInteger(s, n, d); }
    void WriteInteger(const QString& s, const QString& n, int v) override { ini_.WriteInteger(s, n, v); }
    bool ReadBool(const QString& s, const QString& n, bool d) override { return ini_.ReadBool(s, n, d); }
    void WriteBool(const QString& s, const QString& n, bool v) override { ini_.WriteBool(s, n, v); }
    void Flush() override { ini_.UpdateFile(); }

private:
    TIniFile& ini_;
};
