#pragma once
// Drives the built program on the X server of the test (DISPLAY, xcb) as a
// user would: a fresh folder holding the program and its data files (the
// program keeps sumbrix.ini and expr.lst beside itself), the program started
// there, its windows found by title, keys typed and clicks made through
// xdotool (XTest), the result box read through the clipboard (xclip), and the
// files it writes on close read back.
//
//     ProgramDriver p;                 // SUMBRIX_BIN_DIR names the built program
//     p.writeSettings();               // not a first run, no tips
//     ASSERT_TRUE(p.start());          // waits for "Sumbrix 2.84"
//     p.typeInto(p.mainWindow(), "2+3*4");
//     p.key("Return");
//     EXPECT_EQ(p.resultText(), "14");
//     ASSERT_TRUE(p.closeByEsc());     // Esc on the empty box, "Sí"
//
// Every wait polls a condition (a window shows or goes, a text or a file
// changes) with a deadline; nothing waits on a fixed sleep alone.
#include <QByteArray>
#include <QPoint>
#include <QProcess>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <memory>

class ProgramDriver {
public:
    // The deadline of every wait unless told otherwise (the program runs
    // under the sanitizers, the machine may be busy).
    static constexpr int kTimeoutMs = 20000;

    // A fresh folder with the built program and its data files.
    ProgramDriver();
    // The program is ended if it still runs.
    ~ProgramDriver();

    bool ready() const { return m_ready; }
    QString error() const { return m_error; }
    QString folder() const { return m_dir.path(); }
    QString path(const QString& name) const { return m_dir.filePath(name); }

    // ---- the folder's files ----
    // A settings file of a program used before (no first-run offer), plus
    // `options` (lines "Key=value\r\n" of
    // the section "Opciones") and `more` (further sections). The tips stay away
    // unless `tips`.
    void writeSettings(const QByteArray& options = {}, const QByteArray& more = {}, bool tips = false);
    // Switches the tips window at start on or off (tips.ini, section OPC).
    void setTipsAtStart(bool on);
    QByteArray readFile(const QString& name) const;
    // The value of `key` in `section` of sumbrix.ini, empty when absent.
    QString iniValue(const QString& section, const QString& key) const;
    // The "key=value" lines of a section of sumbrix.ini, in file order.
    QStringList iniSection(const QString& section) const;

    // ---- the program ----
    // Starts the program and waits for its main window. A box shown before it
    // with the application's title (the occasional offer to look for a new
    // version) is answered "No" with the mouse. With `answerStartBoxes` false
    // the caller deals with the start itself (first run).
    bool start(bool answerStartBoxes = true);
    // Waits for the main window ("Sumbrix 2.84") and keeps it as mainWindow(),
    // answering "No" to a box with the application's title meanwhile.
    bool waitMainWindow();
    bool running() const;
    // The main window ("Sumbrix 2.84"), found by start().
    QString mainWindow() const { return m_main; }
    // Waits for the end of the program; its exit code (-1 if it did not end
    // or crashed).
    int waitFinished(int timeoutMs = kTimeoutMs);
    // What the program wrote on stdout and stderr.
    QString output();
    // Closes the program as a user does: Esc (empties the box), Esc on the
    // empty box, "Sí" to "¿Cierra este programa?"; waits for its end. True
    // when it ended with exit code 0.
    bool closeByEsc();

    // ---- windows (ids as xdotool gives them) ----
    // The program's visible windows whose title matches the regular
    // expression (xdotool's: case-insensitive, over the title's UTF-8 bytes,
    // so an accented letter is "..?"), newest last.
    QStringList windows(const QString& titlePattern = QStringLiteral(".")) const;
    // Waits until one shows; its id, empty on timeout.
    QString waitWindow(const QString& titlePattern, int timeoutMs = kTimeoutMs) const;
    // Waits until a visible window other than `known` matches; its id.
    QString waitNewWindow(const QStringList& known, int timeoutMs = kTimeoutMs) const;
    // Waits until the window is no longer visible.
    bool waitGone(const QString& id, int timeoutMs = kTimeoutMs) const;
    QString windowName(const QString& id) const;
    QRect geometry(const QString& id) const;

    // ---- input ----
    // Gives the window the keyboard focus (waits until it has it).
    void focus(const QString& id) const;
    // Types text (XTest) into the window that has the focus.
    void type(const QString& text) const;
    void typeInto(const QString& id, const QString& text) const;
    // Presses keys by their xdotool names ("Return", "ctrl+u", "Escape").
    void key(const QString& keys) const;
    void keyInto(const QString& id, const QString& keys) const;
    void click(int x, int y) const;
    // Puts a text on the clipboard (xclip keeps it until another owner comes).
    static void setClipboard(const QString& text);
    // A new expression in the main window's box, then Enter: the box's text
    // is selected and replaced. Digits and operators are typed; a text with
    // letters is pasted (Ctrl+V), since a typed letter opens the autocomplete
    // list, which takes the following keys.
    void enter(const QString& text) const;
    // A window that has just been mapped may get keys or clicks before it
    // has set its own focus, and lose them. These repeat an action that
    // closes a dialog until it has gone (or the time is over):
    // keys pressed in it ("Return", "Escape")...
    bool pressUntilGone(const QString& id, const QString& keys, int timeoutMs = kTimeoutMs) const;
    // ... a click at a point given from its bottom right corner (50, 23 is
    // the last button there: "No" of a Yes/No box, "Cancelar" of the input
    // box)...
    bool clickUntilGone(const QString& id, int fromRight, int fromBottom, int timeoutMs = kTimeoutMs) const;
    // ... or a text typed over its entry's whole text, then Enter.
    bool answerUntilGone(const QString& id, const QString& text, int timeoutMs = kTimeoutMs) const;

    // ---- what the screen shows ----
    // The clipboard's text.
    static QString clipboard();
    // The result box's text: Page Down (the focus to the result box), Ctrl+A,
    // Ctrl+C, Page Up (back to the expression box); read from the clipboard.
    QString resultText() const;
    // Polls the result box until it shows `text`; what it showed last.
    QString waitResult(const QString& text, int timeoutMs = kTimeoutMs) const;
    // Polls until `condition` holds or the time is over.
    static bool waitUntil(const std::function<bool()>& condition, int timeoutMs = kTimeoutMs);

    // Runs a helper program to its end; its stdout.
    static QString run(const QString& program, const QStringList& args, int timeoutMs = 10000);

private:
    QTemporaryDir m_dir;
    bool m_ready = false;
    QString m_error;
    std::unique_ptr<QProcess> m_process;
    QString m_main;
    QByteArray m_output;
    // Where the pointer rests between clicks.
    QPoint m_rest{1, 1};
};
