#include "shell/helpsetup.h"

#include "controls/frmautocomp.h"
#include "services/help.h"
#include "services/helplog.h"
#include "shell/frmcalc.h"

#include <QEvent>
#include <QObject>
#include <QPointer>

#include <memory>

namespace {

// Holds the hook for the main window's life and closes the help windows when
// the window closes.
class THelpOwner : public QObject {
public:
    THelpOwner(TfrmCalcu& main)
        : QObject(&main), m_hook(std::make_unique<THookHelpSystem>(ProgramHelpFile(), QString(), 0))
    {
        setObjectName(QStringLiteral("HookHelpSystem"));
        main.installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Close)
            CloseAllHelpWindows();
        return false;
    }

private:
    std::unique_ptr<THookHelpSystem> m_hook;
};

} // namespace

void StartHelp(const QStringList& arguments)
{
    StartHelpLog(arguments);
    InstallF1Help();
}

void InstallHelp(TfrmCalcu& main)
{
    new THelpOwner(main);
    // F1 on the main window opens the contents.
    if (HelpContextOf(&main) == 0)
        SetHelpContext(&main, 1);
    main.OnHelpContext = [](int context) { ShowHelpContext(context); };
    // F1 in the names list: the topic of the selected name.
    EnsureAutoComp()->OnHelpRequest = [window = QPointer<TfrmCalcu>(&main)](const QString& name, int icon) {
        if (window && window->OnHelpContext)
            window->OnHelpContext(window->NameHelpContext(name, icon));
    };
}
