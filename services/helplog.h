#pragma once
// The help kit's diagnostic log "HHDebug.txt": switched on by the marker file
// "debug.debug" beside the program or a "/debug" or "-debug" switch on the
// command line. At start it records the environment (system, locale, paths,
// the help viewer's version) and then one line for every help call. With
// debug mode off nothing is written, but an old log is still deleted.
#include "foundation/core/format.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>

// ---------------------------------------------------------------------------
// Versions

// Four 16-bit parts (major, minor, release, build) and their text, the four
// decimal numbers joined with "."; all 0 and an empty text when unknown.
struct TFileVersion {
    std::array<std::uint16_t, 4> Parts{};
    QString Text;
    bool Known() const { return !Text.isEmpty(); }
};

// "a.b.c.d" (missing parts 0); an empty version for a text that is not one.
TFileVersion VersionFromText(const QString& text);
TFileVersion MakeVersion(int major, int minor, int release, int build);
// 0 when equal, 1 when a is greater, -1 when smaller, part by part from the
// major part.
int CompareVersions(const std::array<std::uint16_t, 4>& a, const std::array<std::uint16_t, 4>& b);

// The version recorded in a file: the program's own module and the help file
// carry one; a missing file, or one without a version, gives an empty one.
TFileVersion GetFileVersion(const QString& fileName);

// Friendly names of the help viewer's and the web component's versions.
QString HtmlHelpVersionName(const TFileVersion& v);
QString BrowserVersionName(const TFileVersion& v);

// ---------------------------------------------------------------------------
// Folders

// A file can be created in the folder (a scratch file is made and removed).
bool FolderWritable(const QString& folder);
// The system's temporary folder without trailing separator.
QString TempFolder();
// Debug mode: "debug.debug" in the folder, or a parameter "/debug" or
// "-debug" in any letter case.
bool DebugModeOf(const QString& moduleDir, const QStringList& parameters);

// ---------------------------------------------------------------------------
// The log file

class TDLogFile {
public:
    // An empty file name means the log folder + "/HHDebug.txt". When the
    // file's folder does not exist or cannot be written, the file goes to the
    // temporary folder under its own name. Without append mode an old file
    // is deleted; the header is written in debug mode with the header dump on.
    TDLogFile(const QString& fileName, bool appendMode, bool headerDump, bool timeStamp, bool debugMode);

    // One line: the format itself without arguments, else the format applied
    // to them. "-" and "=" alone become 80 of that character; a line starting
    // with "!", "-" or "=" loses that character and gets no time; any other
    // line gets the time and three blanks when time stamps are on. A file
    // that cannot be opened loses the line silently.
    void WriteLine(const QString& format, std::initializer_list<FormatArg> args = {});
    // WriteLine in debug mode only.
    void DebugLine(const QString& format, std::initializer_list<FormatArg> args = {});
    // The text in a warning box captioned with the application title, and in
    // debug mode as a log line too.
    void ReportError(const QString& format, std::initializer_list<FormatArg> args = {});

    const QString& FileName() const { return m_fileName; }
    bool DebugMode() const { return m_debugMode; }
    bool TimeStamp() const { return m_timeStamp; }

    // The clock of the time stamps and the header's date (tests fix it).
    static std::function<QDateTime()>& Clock();

private:
    void WriteHeader();
    void WriteText(const QString& line);

    QString m_fileName;
    bool m_appendMode;
    bool m_headerDump;
    bool m_timeStamp;
    bool m_debugMode;
};

// ---------------------------------------------------------------------------
// The values found at start and the one log

struct HelpLogGlobals {
    QString ModulePath;   // the program file (at most 300 characters)
    QString ModuleDir;    // its folder, no trailing separator
    QString ModuleName;   // its file name
    QString RunDir;       // the folder the command line names, no trailing separator
    QString LogFolder;    // ModuleDir when writable, else the temporary folder
    QStringList Parameters;
    QString CommandLine;
    bool DebugMode = false;
    // The help viewer: its version while the help file is there, and the
    // file it serves.
    QString HelpFile;
    QString hhVerStr;
    bool hhInstalled = false;
    QString hhFriendlyVerStr;
    // The web component (none on this system).
    QString ieVerStr;
    bool ieInstalled = false;
    QString ieFriendlyVerStr;
    std::unique_ptr<TDLogFile> Log;

    void reset();
};
HelpLogGlobals& HelpLog();

// The help file the program ships: "sumbrix.ayuda" in ExeDir.
QString ProgramHelpFile();

// The start-up work of the help kit, before any window exists: the module's
// folders, debug mode (from the command line's arguments, the program first),
// the versions, and the log (an old one deleted).
void StartHelpLog(const QStringList& arguments);

// A line in the one log in debug mode; nothing before the log exists.
void DebugLog(const QString& format, std::initializer_list<FormatArg> args = {});
// A warning box, and a log line in debug mode.
void DebugError(const QString& format, std::initializer_list<FormatArg> args = {});
