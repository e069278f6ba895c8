#include "services/help.h"

#include "controls/application.h"
#include "foundation/core/basicos.h"
#include "foundation/core/format.h"
#include "platform/shell.h"
#include "services/frmayuda.h"
#include "services/helplog.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QThread>
#include <QVariant>
#include <QWidget>

#include <cerrno>

namespace {

const char* const kHelpContextProperty = "HelpContext";

// The help file named by a path: without its prefix, topic and window.
QString FileOfPath(QString path)
{
    for (const QString& prefix : {QStringLiteral("mk:@MSITStore:"), QStringLiteral("ms-its:")})
        if (path.startsWith(prefix, Qt::CaseInsensitive))
            path.remove(0, prefix.size());
    const int topic = path.indexOf(QStringLiteral("::"));
    if (topic >= 0)
        path.truncate(topic);
    const int window = path.indexOf(QLatin1Char('>'));
    if (window >= 0)
        path.truncate(window);
    return path;
}

QString Cleaned(QString s)
{
    s.replace(QStringLiteral("%20"), QStringLiteral(" "));
    return s.trimmed();
}

// The popup position of the focused control with help.
void SetPopupPosition()
{
    QWidget* owner = HelpContextOwner(QApplication::focusWidget());
    if (!owner)
        return;
    HelpCommand(helpcmd::SetPopupPos, PackPoint(owner->mapToGlobal(QPoint(0, 0))));
}

// F1 goes first to the focused control and its windows, as any key; only
// when none of them used it does it ask for help.
class THelpKeyFilter : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (m_inside || event->type() != QEvent::KeyPress || !watched->isWidgetType())
            return false;
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_F1 || key->modifiers() != Qt::NoModifier)
            return false;
        QKeyEvent copy(key->type(), key->key(), key->modifiers(), key->nativeScanCode(), key->nativeVirtualKey(),
                       key->nativeModifiers(), key->text(), key->isAutoRepeat(), quint16(key->count()), key->device());
        m_inside = true;
        QCoreApplication::sendEvent(watched, &copy);
        m_inside = false;
        if (!copy.isAccepted()) {
            if (QWidget* owner = HelpContextOwner(static_cast<QWidget*>(watched)))
                TApplication::Guarded([context = HelpContextOf(owner)] { ShowHelpContext(context); });
        }
        return true;
    }

private:
    bool m_inside = false;
};

} // namespace

QString HelpCommandName(unsigned command)
{
    const char* name = "??";
    switch (command) {
    case 1: name = "HELP_CONTEXT"; break;
    case 2: name = "HELP_QUIT"; break;
    case 3: name = "HELP_INDEX or HELP_CONTENTS"; break;
    case 4: name = "HELP_HELPONHELP"; break;
    case 5: name = "HELP_SETINDEX or HELP_SETCONTENTS"; break;
    case 8: name = "HELP_CONTEXTPOPUP"; break;
    case 9: name = "HELP_FORCEFILE"; break;
    case 10: name = "HELP_CONTEXTMENU"; break;
    case 11: name = "HELP_FINDER"; break;
    case 12: name = "HELP_WM_HELP"; break;
    case 13: name = "HELP_SETPOPUP_POS"; break;
    case 257: name = "HELP_KEY"; break;
    case 258: name = "HELP_COMMAND"; break;
    case 261: name = "HELP_PARTIALKEY"; break;
    case 513: name = "HELP_MULTIKEY"; break;
    case 515: name = "HELP_SETWINPOS"; break;
    default: break;
    }
    return QString::fromLatin1(name) + QStringLiteral(" (") + IntToStr(command) + QLatin1Char(')');
}

QString MakeHelpPath(const QString& helpFile, const QString& topic, const QString& windowDefinition, int prefix)
{
    QString path = Cleaned(helpFile);
    QString t = Cleaned(topic);
    if (!t.isEmpty()) {
        t.replace(QLatin1Char('\\'), QLatin1Char('/'));
        if (!t.startsWith(QLatin1Char('/')))
            t.prepend(QLatin1Char('/'));
        path += QStringLiteral("::") + t;
    }
    const QString window = Cleaned(windowDefinition);
    if (!window.isEmpty())
        path += QLatin1Char('>') + window;
    if (prefix == 1)
        path.prepend(QStringLiteral("mk:@MSITStore:"));
    else if (prefix == 2)
        path.prepend(QStringLiteral("ms-its:"));
    return path;
}

long long PackPoint(const QPoint& p) { return (long long)(((unsigned(p.y()) & 0xFFFFu) << 16) | (unsigned(p.x()) & 0xFFFFu)); }

QPoint UnpackPoint(long long data)
{
    return QPoint(std::int16_t(data & 0xFFFF), std::int16_t((data >> 16) & 0xFFFF));
}

AppHelpGlobals& AppHelp()
{
    static AppHelpGlobals g;
    return g;
}

void HelpCommand(unsigned command, long long data)
{
    bool callHelp = true;
    if (AppHelp().OnHelp)
        AppHelp().OnHelp(command, data, callHelp);
    if (callHelp && AppHelp().FrameworkHelp)
        AppHelp().FrameworkHelp(command, data);
}

void SetHelpContext(QWidget* widget, int context)
{
    if (widget)
        widget->setProperty(kHelpContextProperty, context);
}

int HelpContextOf(const QWidget* widget)
{
    return widget ? widget->property(kHelpContextProperty).toInt() : 0;
}

QWidget* HelpContextOwner(QWidget* start)
{
    for (QWidget* w = start; w; w = w->parentWidget())
        if (HelpContextOf(w) > 0)
            return w;
    return nullptr;
}

void ShowHelpContext(int context)
{
    SetPopupPosition();
    HelpCommand(helpcmd::Context, context);
}

void ShowHelpContents() { HelpCommand(helpcmd::Contents, 0); }

void InstallF1Help()
{
    static THelpKeyFilter* filter = nullptr;
    if (filter || !qApp)
        return;
    filter = new THelpKeyFilter(qApp);
    qApp->installEventFilter(filter);
}

// ---------------------------------------------------------------------------

THookHelpSystem::THookHelpSystem(const QString& helpFile, const QString& windowDefinition, int hostType)
    : m_previous(AppHelp().OnHelp), m_helpFile(helpFile), m_windowDefinition(windowDefinition), m_hostType(hostType)
{
    AppHelp().OnHelp = [this](unsigned command, long long data, bool& callHelp) {
        return HelpHook(command, data, callHelp);
    };
    DebugLog(QStringLiteral("THookHelpSystem.Create(\"%s\",\"%s\", %d)"), {helpFile, windowDefinition, hostType});
}

THookHelpSystem::~THookHelpSystem()
{
    if (m_hostType == 0)
        CloseAllHelpWindows();
    AppHelp().OnHelp = m_previous;
    DebugLog(QStringLiteral("THookHelpSystem.Destroy"));
}

bool THookHelpSystem::HelpHook(unsigned command, long long data, bool& callHelp)
{
    DebugLog(QStringLiteral("THookHelpSystem.HelpHook(%s, %d)"), {HelpCommandName(command), data});
    switch (command) {
    case helpcmd::Context:
    case helpcmd::ContextPopup:
        HelpContext(int(data));
        callHelp = false;
        break;
    case helpcmd::SetPopupPos:
        m_popup = UnpackPoint(data);
        callHelp = false;
        break;
    default:
        callHelp = true;
        break;
    }
    return true;
}

void THookHelpSystem::HelpContext(int context)
{
    HHShowError(HHHelpContext(m_helpFile, context, m_windowDefinition, m_hostType));
}

int HHHelpContext(const QString& helpFile, int context, const QString& windowDefinition, int hostType)
{
    DebugLog(QStringLiteral("HHHelpContext(\"%s\", %d, \"%s\", %d)"), {helpFile, context, windowDefinition, hostType});
    const QString path = MakeHelpPath(helpFile, QString(), windowDefinition, hostType == 2 ? 1 : 0);
    return ShowContext(path, context, hostType);
}

int ShowContext(const QString& path, int context, int hostType)
{
    DebugLog(QStringLiteral("ShowContext(\"%s\", %d)"), {path, context});
    HelpHostGlobals& host = HelpHost();
    const QString file = FileOfPath(path);
    int result = 0;
    if (hostType == 0) {
        const bool existed = HelpWindow() != nullptr;
        TfmAyuda& viewer = EnsureHelpWindow();
        if (viewer.OpenFile(file, &host.LastProblem)) {
            viewer.ShowContext(context);
            viewer.show();
            viewer.raise();
            viewer.activateWindow();
        } else {
            if (!existed)
                FreeHelpWindow();
            result = 1;
        }
    } else {
        THelpFile probe;
        const QString folder = host.WindowsFolder;
        if (!probe.Load(file, &host.LastProblem)) {
            result = 1;
        } else if (hostType == 1) {
            const QString program = QDir(folder).filePath(QStringLiteral("KeyHH.EXE"));
            if (!folder.isEmpty() && QFileInfo(program).isFile())
                ShellRun(program, QStringLiteral("-win -#mapid ") + IntToStr(context) + QLatin1Char(' ') + path);
            else
                result = 2;
        } else {
            const QString program = QDir(folder).filePath(QStringLiteral("HH.EXE"));
            if (!folder.isEmpty() && QFileInfo(program).isFile())
                ShellRun(program, QStringLiteral("-mapid ") + IntToStr(context) + QLatin1Char(' ') + path);
            else
                result = 3;
        }
    }
    DebugLog(QStringLiteral("  returned - %d"), {result});
    return result;
}

QString HHErrorText(int result)
{
    switch (result) {
    case 0: return QString();
    case 1: return QStringLiteral("MS Html Help is not installed on this PC.");
    case 2: return QStringLiteral("System file KeyHH.EXE was not found in the Windows folder.");
    case 3: return QStringLiteral("System file HH.EXE was not found in the Windows folder.");
    default: return QStringLiteral("Unknown error returned by HHHelpContext");
    }
}

void HHShowError(int result)
{
    const QString text = HHErrorText(result);
    if (text.isEmpty())
        return;
    DebugLog(QStringLiteral("HHShowError(%d), \"%s\""), {result, text});
    HelpHostGlobals& host = HelpHost();
    if (result == 1) {
        // The files are missing: the user is told once, with the reason, and
        // later requests of this run only log it.
        if (host.MissingReported)
            return;
        host.MissingReported = true;
        MsgBoxApp(host.LastProblem.isEmpty() ? text : text + QStringLiteral("\r\n\r\n") + host.LastProblem,
                  mb::Ok | mb::IconWarning);
        return;
    }
    MsgBoxApp(text, mb::Ok | mb::IconWarning);
}

void CloseAllHelpWindows()
{
    if (!HelpWindow())
        return;
    FreeHelpWindow();
    QThread::yieldCurrentThread();
}

QString LastErrorText(int code)
{
    const char* text = "General Failure";
    switch (code) {
    case ENOENT: text = "File Not Found"; break;
    case ENOTDIR: text = "Path Not Found"; break;
    case EACCES:
    case EPERM: text = "Access Denied"; break;
    case ENOMEM: text = "Insufficient Memory"; break;
    case EROFS: text = "Media Is Write Protected"; break;
    case ENXIO:
    case ENODEV: text = "Device Not Ready"; break;
    case ETXTBSY:
    case EBUSY: text = "File In Use"; break;
    case ENOSPC: text = "Disk Full"; break;
    case EIO: text = "Corrupt File Or Disk"; break;
    case ENOEXEC: text = "Not A Windows Or MSDos Program"; break;
    default: break;
    }
    return QStringLiteral("[Error:") + IntToStr(code) + QStringLiteral("] ") + QString::fromLatin1(text);
}

bool ShellRun(const QString& program, const QString& parameters)
{
    const QFileInfo info(program);
    int code = 0;
    if (!info.exists())
        code = ENOENT;
    else if (!info.isExecutable())
        code = EACCES;
    else if (!CurrentShellService().StartProgram(program, parameters.split(QLatin1Char(' '), Qt::SkipEmptyParts),
                                                 info.absolutePath()))
        code = EIO;
    if (code == 0)
        return true;
    DebugError(QStringLiteral("Function ShellExecute(%s)\rReturned: %s"),
               {parameters + QStringLiteral(", ") + program, LastErrorText(code)});
    return false;
}

HelpHostGlobals& HelpHost()
{
    static HelpHostGlobals g;
    return g;
}
