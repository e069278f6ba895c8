#pragma once
// The program's box of small shared routines: the executable's folder, message
// boxes captioned with the application title, text slicing, the indexed
// quicksort, the file search, the stopwatch, Spanish lower-casing, the work-area
// rule and the unscrambling of literals stored scrambled.
//
// Texts are QStrings; the files they come from and go to are Windows-1252.
#include "foundation/core/geometry.h"
#include "foundation/core/exceptions.h"

#include <QChar>
#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>

// A file that could not be opened, read, created or written.
class EInOutError : public Exception {
public:
    using Exception::Exception;
};

// ---------------------------------------------------------------------------
// Message boxes

// Buttons, icons and default button of a message box, and the button pressed:
// the values the program's callers were written with.
namespace mb {
inline constexpr unsigned Ok = 0x0;
inline constexpr unsigned OkCancel = 0x1;
inline constexpr unsigned AbortRetryIgnore = 0x2;
inline constexpr unsigned YesNoCancel = 0x3;
inline constexpr unsigned YesNo = 0x4;
inline constexpr unsigned RetryCancel = 0x5;
inline constexpr unsigned ButtonMask = 0xF;

inline constexpr unsigned IconError = 0x10;
inline constexpr unsigned IconQuestion = 0x20;
inline constexpr unsigned IconWarning = 0x30;
inline constexpr unsigned IconInformation = 0x40;
inline constexpr unsigned IconMask = 0xF0;

inline constexpr unsigned DefButton1 = 0x000;
inline constexpr unsigned DefButton2 = 0x100;
inline constexpr unsigned DefButton3 = 0x200;
inline constexpr unsigned DefButtonMask = 0xF00;
} // namespace mb

enum DialogResult : int { idOk = 1, idCancel = 2, idAbort = 3, idRetry = 4, idIgnore = 5, idYes = 6, idNo = 7 };

// Where message boxes go. The GUI layer registers the one that shows real
// boxes; tests register one that records and answers.
class MessageSink {
public:
    virtual ~MessageSink() = default;
    // Shows Text under Caption with the buttons and icon of Flags (mb::...);
    // returns the button pressed (DialogResult).
    virtual int showMessage(const QString& text, const QString& caption, unsigned flags) = 0;
};

// The button a box of these flags would return when its default button is
// pressed (what an unattended program answers).
int DefaultButtonResult(unsigned flags);

// The buttons of a box of these flags, in the order they are shown.
QList<int> ButtonsOf(unsigned flags);

int MsgBox(const QString& text, const QString& caption, unsigned flags);
int MsgBoxApp(const QString& text, unsigned flags);
int ShowMsgApp(const QString& text);
// An error box with the application title, then the silent abort.
[[noreturn]] void ErrorAndAbort(const QString& text);

// ---------------------------------------------------------------------------
// Process-wide values of this module

struct BasicosGlobals {
    // The folder of the running program with its trailing "/": data files are
    // opened as ExeDir + name. Tests point it at a temporary folder.
    QString ExeDir;
    // The running program's full path; the settings file is named after it.
    QString ExeFile;
    // Caption of the program's message boxes; the main window sets it.
    QString ApplicationTitle;
    // Where message boxes go (not owned); none: they are logged and answered
    // with their default button.
    MessageSink* Messages = nullptr;
    // Millisecond tick counter (wraps at 32 bits); empty: the steady clock.
    std::function<std::uint32_t()> TickSource;
    // The stopwatch mark of ElapsedTicks.
    std::uint32_t StopwatchMark = 0;
    bool StopwatchSet = false;

    // Back to the values of a freshly started program.
    void reset();
};

BasicosGlobals& Basicos();

inline const QString& ExeDir() { return Basicos().ExeDir; }
// Points ExeDir at a folder; a trailing "/" is added when missing.
void SetExeDir(const QString& folder);
// The settings file: the program's name with the extension ".ini", in ExeDir.
QString SettingsFileName();

// ---------------------------------------------------------------------------
// Text routines (positions are 1-based)

QString NamePart(const QString& s);
QString ValuePart(const QString& s);
QString NameOrAll(const QString& s);
QString ValueOrAll(const QString& s);
QString LeftChars(const QString& s, int n);
QString RightChars(const QString& s, int n);
int PosFrom(int from, const QString& sub, const QString& s);
int ReplaceAll(const QString& find, const QString& replacement, QString& s);
void SplitByChar(const QString& s, QChar separator, QStringList& parts);
QString RepeatChar(QChar ch, std::uint16_t count);
QString StripAmpersands(const QString& s);
QString RemoveChar(const QString& s, QChar ch);
QChar LowerCharEs(QChar ch);
// A to Z or a to z.
inline bool IsAsciiLetter(char16_t c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); }

// The three character-wise unscrambling routines of literals stored
// scrambled. Texts and keys are taken as Windows-1252 bytes, at most 255.
QString XorUnscramble(const QString& s, const QString& key);
QString XorUnscrambleCycled(const QString& s, const QString& key);
QString XorUnscrambleTwice(const QString& s, const QString& key);

// ---------------------------------------------------------------------------
// Sorting

// Sorts the positions lo..hi of a collection known only to the callbacks:
// compare(i, j) < 0, 0, > 0 and swap(i, j). The pivot is a position that
// follows the item it names through the swaps. Not stable.
void QuickSortIndexed(int lo, int hi, const std::function<int(int, int)>& compare,
                      const std::function<void(int, int)>& swap);

// ---------------------------------------------------------------------------
// Time

// The millisecond tick counter (32 bits, wrapping).
std::uint32_t TickCount();
// Milliseconds since the stopwatch mark (0 while none was set); with reset
// true the current tick becomes the new mark.
std::uint32_t ElapsedTicks(bool reset);

// ---------------------------------------------------------------------------
// Files

// Attribute bits of a found file.
inline constexpr int faReadOnly = 0x01;
inline constexpr int faHidden = 0x02;
inline constexpr int faSysFile = 0x04;
inline constexpr int faDirectory = 0x10;
inline constexpr int faArchive = 0x20;
inline constexpr int faAnyFile = 0x3F;

struct TFoundFile {
    QString Path;
    int Attributes = 0;
    bool operator==(const TFoundFile&) const = default;
};

// The files matching any of the comma-separated masks ("*.fcm,*.txt"), mask
// by mask; hidden files only when faHidden is asked for. Recursive: also in
// every subfolder, depth first. Nothing matching, or no such folder: empty.
QList<TFoundFile> FindFiles(const QString& folder, const QString& masks, int attributes, bool recursive);

// ---------------------------------------------------------------------------
// Shell

// "mailto:" + address, then "?Subject=" and "&Body=" when given (all trimmed).
QString MailToText(const QString& address, const QString& subject, const QString& body);

// ---------------------------------------------------------------------------
// Desktop work area

// The screen (0, 0, width, height) less the desktop's docked strip: a strip
// along the bottom, the top, the right or the left edge.
TRect WorkAreaFromDockedStrip(int screenWidth, int screenHeight, const TRect& strip);
