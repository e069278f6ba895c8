#pragma once
// The program's settings-file engine: the whole file in memory as sections of
// raw "name=value" lines, every read answered from memory, the file rewritten
// whole (to a temporary file renamed into place) when something changed.
// A file may be scrambled as a whole with a key.
//
// Files are Windows-1252 with CR LF line ends. Texts are cut to 255
// characters, section names to 253 so that their header line stays whole.
#include "foundation/core/basicos.h"
#include "foundation/core/extended.h"
#include "foundation/core/filesafe.h"
#include "foundation/core/placement.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

// The sections of a file in file order, each with its raw lines.
class TSectionList {
public:
    int Count() const { return static_cast<int>(items_.size()); }
    const QString& Name(int i) const { return items_[static_cast<size_t>(i)].name; }
    const QStringList& Lines(int i) const { return items_[static_cast<size_t>(i)].lines; }
    QStringList& Lines(int i) { return items_[static_cast<size_t>(i)].lines; }

    int Add(const QString& name);
    void Delete(int i);
    void Clear();
    // Drops every section whose name an earlier one has (without regard to
    // case), in one pass: the survivors keep their order.
    void RemoveLaterDuplicates();

    // The index found by the last section lookup.
    int LastHit = 0;

private:
    struct Section {
        QString name;
        QStringList lines;
    };
    std::vector<Section> items_;
};

class TZelIniFile {
public:
    // Opens FileName (empty: a store in memory only) with the scrambling key
    // Key (empty: a plain file). A missing file gives an empty store. A file
    // that exists but cannot be read is reported with a Spanish message, the
    // store starts empty and that file is never overwritten (see LoadError).
    // Creating the engine never writes.
    explicit TZelIniFile(const QString& fileName, const QString& key = QString());
    // Writes the changes; a failure is reported, never thrown. Callers that
    // must know whether the write succeeded call UpdateFile first.
    virtual ~TZelIniFile();

    TZelIniFile(const TZelIniFile&) = delete;
    TZelIniFile& operator=(const TZelIniFile&) = delete;

    virtual QString ReadString(const QString& section, const QString& name, const QString& def);
    virtual void WriteString(const QString& section, const QString& name, const QString& value);
    virtual int ReadInteger(const QString& section, const QString& name, int def);
    virtual void WriteInteger(const QString& section, const QString& name, int value);
    virtual Extended ReadFloat(const QString& section, const QString& name, Extended def);
    virtual void WriteFloat(const QString& section, const QString& name, Extended value);
    virtual bool ReadBool(const QString& section, const QString& name, bool def);
    virtual void WriteBool(const QString& section, const QString& name, bool value);
    virtual void ReadSection(const QString& section, QStringList& list);
    virtual void ReadSections(QStringList& list);
    virtual void ReadSectionValues(const QString& section, QStringList& list);
    virtual void EraseSection(const QString& section);
    virtual bool SectionExists(const QString& section);
    virtual void DeleteKey(const QString& section, const QString& name);
    virtual void GetStrings(QStringList& list);
    // Writes the file when Modified; raises EInOutError when it cannot be
    // written (the contents and Modified stay, so a later call tries again).
    virtual void UpdateFile();
    // Reads a file and appends its sections; raises EInOutError when the file
    // exists but cannot be read.
    virtual void LoadFromFile(const QString& fileName);
    virtual int ReadHex(const QString& section, const QString& name, int def);
    virtual void WriteHex(const QString& section, const QString& name, int value);

    void SetKey(const QString& key);
    void SetSectionLines(const QString& section, const QStringList& lines);
    void ReadList(const QString& section, QStringList& list, const QString& def);
    void WriteList(const QString& section, const QStringList& list);

    // The window placement record through this engine.
    bool ReadFormPos(PlacementTarget& form, TPosition defaultPosition);
    void WriteFormPos(const PlacementTarget& form);

    const QString& FileName() const { return FileName_; }
    const QString& Key() const { return Key_; }
    bool Scrambled() const { return Scrambled_; }
    const TSectionList& Sections() const { return Sections_; }
    int SectionCursor() const { return SectionCursor_; }

    // The message of a file that existed but could not be read when the
    // engine was opened; empty when it was read (or did not exist).
    const QString& LoadError() const { return LoadError_; }
    // The file had text but not one section (another encoding, binary data).
    bool Unrecognised() const { return Unrecognised_; }
    // The file existed and was read when the engine was opened (it may have
    // held nothing).
    bool FileFound() const { return FileFound_; }
    // A data file that was there and was read but gave not one section:
    // empty, cut or garbled (one that could not be read at all has LoadError).
    bool ReadNoSection() const { return FileFound_ && LoadError_.isEmpty() && Sections_.Count() == 0; }

    // An unrecognised file is moved aside as a backup and the user told; when
    // it cannot be moved it is treated as unread (never overwritten).
    void KeepUnrecognisedAside();

    // The contents differ from the file; a caller may set it to force a write.
    bool Modified = false;

    // The whole-file scrambling: the same call scrambles and unscrambles.
    static void Scramble(QByteArray& image, const QByteArray& key);

protected:
    // Opens FileName: flush, clear, load (a failure is recorded and reported).
    void Open(const QString& fileName);

private:
    int FindSection(const QString& section);
    // The section holding the name lookups (-1: none); create: append it.
    int CursorSection(const QString& section, bool create);
    int FindLine(const QStringList& lines, const QString& name) const;
    void ParseLines(const QStringList& lines);
    void RemoveDuplicateSections();
    QByteArray WrittenImage();

    QString FileName_;
    QString Key_;
    bool Scrambled_ = false;
    TSectionList Sections_;
    int SectionCursor_ = 0;
    QString LoadError_;
    bool Unrecognised_ = false;
    bool FileFound_ = false;
    // What the last write that failed (and was raised to its caller) held:
    // the destructor does not try and report the same contents again.
    QByteArray FailedImage_;
    // The file named here could not be read: it is never overwritten.
    QString Unread_;
};

// The engine bound to the settings file named after the program (in ExeDir).
// A settings file without one section it can read is not overwritten: it is
// moved aside as a backup, and the user is told.
class TAppIniFile : public TZelIniFile {
public:
    TAppIniFile();
};

// The messages of failed file operations.
QString CannotReadMessage(const QString& fileName);
QString CannotWriteMessage(const QString& fileName);
QString NotOverwrittenMessage(const QString& fileName);
// The message of a data file that is there but holds nothing the program can
// read (empty, cut or garbled): the program goes on without it.
QString DamagedDataFileMessage(const QString& fileName);

// Splits text at CR LF, CR or LF.
QStringList SplitLines(const QString& text);

// The settings files' integer text: optional leading blanks, optional sign,
// decimal digits within 32 bits, or "$" (or a leading "0x") and hexadecimal
// digits taken as the 32-bit pattern; nothing after them.
bool TryReadIniInteger(const QString& text, int& value);
// A CR or LF inside a settings line would split it when the file is read
// back: each line break becomes one blank.
QString OneIniLine(const QString& text);
