#pragma once
// Help by context number. Windows and controls carry help context numbers
// (the dynamic property "HelpContext"); F1, help buttons and menu entries
// turn them into help commands of the application. The help hook, installed
// by the main window, shows the topic of a context number in the program's
// help viewer and passes every other command on; every step goes to the help
// debug log.
//
// Anyone may ask for help with ShowHelpContext(context): without a hook
// installed nothing happens.
#include <QPoint>
#include <QString>

#include <functional>

class QWidget;

// The help commands (numbers of the classic help interface).
namespace helpcmd {
inline constexpr unsigned Context = 1;          // HELP_CONTEXT
inline constexpr unsigned Quit = 2;             // HELP_QUIT
inline constexpr unsigned Contents = 3;         // HELP_INDEX or HELP_CONTENTS
inline constexpr unsigned HelpOnHelp = 4;       // HELP_HELPONHELP
inline constexpr unsigned SetContents = 5;      // HELP_SETINDEX or HELP_SETCONTENTS
inline constexpr unsigned ContextPopup = 8;     // HELP_CONTEXTPOPUP
inline constexpr unsigned ForceFile = 9;        // HELP_FORCEFILE
inline constexpr unsigned ContextMenu = 10;     // HELP_CONTEXTMENU
inline constexpr unsigned Finder = 11;          // HELP_FINDER
inline constexpr unsigned WmHelp = 12;          // HELP_WM_HELP
inline constexpr unsigned SetPopupPos = 13;     // HELP_SETPOPUP_POS
inline constexpr unsigned Key = 257;            // HELP_KEY
inline constexpr unsigned Command = 258;        // HELP_COMMAND
inline constexpr unsigned PartialKey = 261;     // HELP_PARTIALKEY
inline constexpr unsigned MultiKey = 513;       // HELP_MULTIKEY
inline constexpr unsigned SetWinPos = 515;      // HELP_SETWINPOS
} // namespace helpcmd

// The command's name for the log: name + " (" + number + ")", "??" for an
// unknown one.
QString HelpCommandName(unsigned command);

// The path of a help file, a topic in it and a window definition: "%20"
// becomes a blank and blanks are trimmed in all three; a topic gets "/" for
// "\" and a leading "/", and joins as file + "::" + topic; a window
// definition is appended after ">"; prefix 1 puts "mk:@MSITStore:" in front,
// 2 "ms-its:".
QString MakeHelpPath(const QString& helpFile, const QString& topic, const QString& windowDefinition, int prefix);

// Two 16-bit screen coordinates in one number (x low, y high), and back.
long long PackPoint(const QPoint& p);
QPoint UnpackPoint(long long data);

// ---------------------------------------------------------------------------
// The application's help

// The help event handler: it may set callHelp to false when it handled the
// command; true lets the framework's own handling run.
using THelpEvent = std::function<bool(unsigned command, long long data, bool& callHelp)>;

struct AppHelpGlobals {
    THelpEvent OnHelp;
    // The framework's own handling of the commands the handler passes on;
    // none: nothing (the system has no help engine of its own).
    std::function<void(unsigned command, long long data)> FrameworkHelp;
    void reset() { *this = AppHelpGlobals{}; }
};
AppHelpGlobals& AppHelp();

// One help command through the handler and, when it lets it, the framework.
void HelpCommand(unsigned command, long long data);

// A widget's help context (0: none).
void SetHelpContext(QWidget* widget, int context);
int HelpContextOf(const QWidget* widget);
// The first widget from `start` up its parents that has a help context.
QWidget* HelpContextOwner(QWidget* start);

// The help viewer's requests: the popup position of the focused control with
// help, then the topic of the context number.
void ShowHelpContext(int context);
// The contents (the help command HELP_CONTENTS).
void ShowHelpContents();
// F1 anywhere in the program, when the focused control and its windows do not
// use the key themselves: help on the context of the first of them that has
// one. Installed once.
void InstallF1Help();

// ---------------------------------------------------------------------------
// The help hook

class THookHelpSystem {
public:
    // Host type: 0 the program's own viewer, 1 the external "KeyHH.EXE",
    // 2 the external "HH.EXE" (both looked for in the Windows folder).
    THookHelpSystem(const QString& helpFile, const QString& windowDefinition, int hostType);
    // Closes all help windows (host type 0) and puts the previous handler back.
    ~THookHelpSystem();
    THookHelpSystem(const THookHelpSystem&) = delete;
    THookHelpSystem& operator=(const THookHelpSystem&) = delete;

    bool HelpHook(unsigned command, long long data, bool& callHelp);
    void HelpContext(int context);

    const QString& HelpFile() const { return m_helpFile; }
    int HostType() const { return m_hostType; }
    QPoint PopupPosition() const { return m_popup; }

private:
    THelpEvent m_previous;
    QString m_helpFile;
    QString m_windowDefinition;
    int m_hostType;
    QPoint m_popup;
};

// Result 0 shown, 1 no help (the viewer or the help file missing), 2 no
// KeyHH.EXE, 3 no HH.EXE.
int HHHelpContext(const QString& helpFile, int context, const QString& windowDefinition, int hostType);
int ShowContext(const QString& path, int context, int hostType);
// The message of a result (none for 0), shown and logged.
QString HHErrorText(int result);
void HHShowError(int result);
// Closes the help windows and lets them go.
void CloseAllHelpWindows();

// Runs a program with parameters through the desktop; a failure is reported
// (DebugError) with the system's reason.
bool ShellRun(const QString& program, const QString& parameters);
// "[Error:" + code + "] " + the reason of a system error number.
QString LastErrorText(int code);

// What the routing needs of the system (tests replace it).
struct HelpHostGlobals {
    // The Windows folder, where the external help programs would be; none
    // on this system.
    QString WindowsFolder;
    // The message of a missing help file has been shown in this run: later
    // requests only log it.
    bool MissingReported = false;
    // Why the last request found no help.
    QString LastProblem;
    void reset() { *this = HelpHostGlobals{}; }
};
HelpHostGlobals& HelpHost();
