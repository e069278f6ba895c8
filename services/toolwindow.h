#pragma once
// The base of every tool window (matrices, primes, statistics, fractions,
// complex numbers, sequences, polynomials, dates, units, formulas, periodic
// table): a TFormMX that exists once per name, finds its place of the last
// session when first shown (and saves it when closed or destroyed), takes the main
// window's scheme and fonts at creation and at every change of them, snaps to
// the edges as the main window's option says, and tells its host when it is
// closed.
//
//     auto& w = TToolWindow::Open<TfmPrimos>(host, mainWindow);   // made once
//     w.show();
#include "controls/formmx.h"
#include "foundation/core/placement.h"
#include "services/toolhost.h"

#include <QHash>
#include <QString>

class TToolWindow : public TFormMX {
    Q_OBJECT
public:
    // `name` is the window's control name (the key of its placement record);
    // a window of fixed size restores its position and state only.
    TToolWindow(ToolHost& host, const QString& name, QWidget* parent = nullptr,
                TPosition defaultPosition = TPosition::poDesktopCenter, bool fixedSize = false);
    ~TToolWindow() override;

    ToolHost& Host() const { return m_host; }

    // The open window of that name, or none.
    static TToolWindow* Find(const QString& name);
    // The window of type T: the one there is, or a new one made with these
    // arguments after the host and the parent.
    template <class T, class... Args>
    static T& Open(ToolHost& host, QWidget* parent, Args&&... args)
    {
        if (auto* there = dynamic_cast<T*>(Find(T::kName)))
            return *there;
        return *new T(host, parent, std::forward<Args>(args)...);
    }

    // The host is going away: the window stops following its notices and
    // reports nothing more to it.
    void ForgetHost();

    // Takes the host's scheme and fonts; a tool adds its own controls' colours.
    virtual void ApplyAppearance();

protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    static QHash<QString, TToolWindow*>& Registry();
    ToolHost& m_host;
    TPosition m_defaultPosition;
    bool m_fixedSize;
    bool m_placed = false;
    int m_appearanceNotice = 0;
    bool m_hostGone = false;
};

// Puts the tool window T among the main window's tools: its item in the tools
// menu (`caption`, Ctrl + `key`), its toggle on the bottom bar (`buttonName`,
// `buttonText`, `hint`, with "\r\n" as line breaks) and its open flag in the
// settings (`flagKey`; empty: it never reopens at start).
template <class T>
void AddToolWindow(const QString& flagKey, const QString& caption, const QString& buttonName,
                   const QString& buttonText, const QString& hint, QChar key, int menuOrder, int appearanceOrder)
{
    TMainExtensions::Tool tool;
    tool.Name = T::kName;
    tool.FlagKey = flagKey;
    tool.Caption = caption;
    tool.ButtonName = buttonName;
    tool.ButtonText = buttonText;
    tool.Hint = hint;
    tool.Key = key;
    tool.MenuOrder = menuOrder;
    tool.AppearanceOrder = appearanceOrder;
    tool.Create = [](ToolHost& host, QWidget* owner) -> TToolWindow* { return &TToolWindow::Open<T>(host, owner); };
    MainExtensions().Tools.push_back(std::move(tool));
}
