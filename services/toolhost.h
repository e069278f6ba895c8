#pragma once
// What a tool window asks of the main window, through one interface the main
// window implements: the input evaluator (and its names, for the tools' entry
// boxes), the last result, the angle unit, the colour scheme and fonts, the
// live-drawing switch, the snapping switch, the current formula picture and
// its copy and export, the letter prompts and message boxes, the report of a
// tool closing, and the notices a tool may follow.
//
// The places later features plug into are here too (TMainExtensions): settings
// read at start and written at close, steps of the start-up, and the notices
// after each calculation and each change of angle unit or scheme.
#include "engine/canvas.h"
#include "foundation/core/extended.h"

#include <QFont>
#include <QString>

#include <cstdint>
#include <functional>
#include <map>
#include <vector>

class FormulaPicture;
class QWidget;
class TToolWindow;
class TZelIniFile;
class VariablePrompter;

namespace real {
class TExpresion;
}

// The colour scheme (colours 0x00BBGGRR) and the fonts of the main window's
// expression box and result box.
struct TAppearance {
    TColor ClLuz = 0xF7F7F7;     // light: gradient starts, result lists
    TColor ClSombra = 0xEDD2AF;  // dark: gradient ends
    TColor ClTexto = 0x674018;   // text
    TColor ClFondo = 0xE8F0EE;   // field backgrounds
    QFont ExpressionFont;
    QFont ResultFont;
};

// What happened in the main window that a tool may follow.
enum class THostNotice {
    AfterCalculation,   // a calculation of the main window ended (whatever its outcome)
    AngleChanged,       // the angle unit changed
    AppearanceChanged,  // the scheme or the fonts changed
};

// Handlers by notice; a handler is removed by the number Connect gave it.
class TNoticeBoard {
public:
    using Handler = std::function<void()>;
    int Connect(THostNotice notice, Handler handler);
    void Disconnect(int id);
    // Runs the notice's handlers in the order they were connected (a handler
    // may connect or disconnect others meanwhile).
    void Post(THostNotice notice);
    int Count(THostNotice notice) const;

private:
    struct Entry {
        THostNotice notice;
        Handler handler;
    };
    std::map<int, Entry> m_entries;
    int m_next = 1;
};

class ToolHost {
public:
    virtual ~ToolHost() = default;

    // The main window's second evaluator: typed values of prompts, dialogs and
    // tool windows; its name table feeds the tools' autocomplete.
    virtual real::TExpresion* InputEvaluator() = 0;
    virtual Extended LastResult() const = 0;
    virtual std::uint8_t AngleUnit() const = 0;
    virtual const TAppearance& Appearance() const = 0;
    // Formulas are drawn while they are typed (the main window's AutoDraw).
    virtual bool DrawsWhileTyping() const = 0;
    // Windows snap to the work-area edges (the main window's Magnetic).
    virtual bool MagneticWindows() const = 0;
    // The main window's formula picture, or none.
    virtual const FormulaPicture* CurrentPicture() const = 0;
    virtual void CopyPicture(const FormulaPicture& picture) = 0;
    // False while the picture cannot be exported.
    virtual bool CanExportPicture() const = 0;
    virtual void ExportPicture(const FormulaPicture& picture, QWidget* owner) = 0;
    // Where letter prompts go.
    virtual VariablePrompter* Prompter() = 0;
    // A box through the program's message route (Basicos().Messages).
    virtual int ShowMessage(const QString& text, unsigned flags) = 0;
    // A tool window was closed (hidden) by the user or by code.
    virtual void ToolClosed(TToolWindow* tool) = 0;
    virtual TNoticeBoard& Notices() = 0;
};

// The main window's extension points.
struct TMainExtensions {
    // A part of the settings file: read at start after the window's own
    // values, written at close before the one write of the file.
    struct Settings {
        QString Name;
        std::function<void(TZelIniFile&)> Read;
        std::function<void(TZelIniFile&)> Write;
    };
    // A step of the start-up, run in order once the names are registered and
    // the settings read (the conversion menu, the tools open at the last exit).
    struct StartStep {
        QString Name;
        std::function<void()> Run;
    };
    // A tool window the main window opens and closes: its menu item in the
    // tools menu, its toggle on the bottom bar, its Ctrl+letter key and its
    // open flag in the settings (none for a window that never reopens).
    struct Tool {
        QString Name;        // the window's control name ("fmPrimos")
        QString FlagKey;     // "Primos"; empty: not saved
        QString Caption;     // "Factores primos"
        QString ButtonName;  // "SpeedButton4"
        QString ButtonText;  // what the button shows
        QString Hint;        // the button's tooltip
        QChar Key;           // Ctrl + this letter
        int AppearanceOrder = 0;   // lower first when the scheme changes
        int MenuOrder = 0;         // lower first in the tools menu and the bar
        std::function<TToolWindow*(ToolHost& host, QWidget* owner)> Create;
        // After every show: the window takes what it follows of the main
        // window (its stay-on-top state); none.
        std::function<void(TToolWindow& window, bool stayOnTop)> AfterShow;
    };
    std::vector<Settings> SettingsParts;
    std::vector<StartStep> StartSteps;
    std::vector<Tool> Tools;
    void reset() { *this = TMainExtensions{}; }
};
// The main window's extension points, filled before the window is made.
TMainExtensions& MainExtensions();
