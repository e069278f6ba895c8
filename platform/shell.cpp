#include "platform/shell.h"

#include "foundation/core/basicos.h"

#include <QCursor>
#include <QDesktopServices>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QRegularExpression>

#include <exception>

namespace {

class DesktopShell : public ShellService {
public:
    bool OpenUrl(const QUrl& url) override { return QDesktopServices::openUrl(url); }
    bool StartProgram(const QString& program, const QStringList& arguments, const QString& workingDir) override
    {
        return QProcess::startDetached(program, arguments, workingDir);
    }
};

ShellService* g_service = nullptr;

class WaitCursor {
public:
    WaitCursor()
    {
        if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
            QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
            active_ = true;
        }
    }
    ~WaitCursor()
    {
        if (active_)
            QGuiApplication::restoreOverrideCursor();
    }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    bool active_ = false;
};

} // namespace

void SetShellService(ShellService* service) { g_service = service; }

ShellService& CurrentShellService()
{
    static DesktopShell desktop;
    return g_service ? *g_service : desktop;
}

QUrl ShellTarget(const QString& fileName)
{
    // A scheme of two letters or more ("http:", "mailto:"); "C:" is a drive.
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+:"));
    if (scheme.match(fileName).hasMatch())
        return QUrl(fileName);
    return QUrl::fromLocalFile(QFileInfo(fileName).absoluteFilePath());
}

void ShellOpenFile(const QString& fileName, const QString& params)
{
    WaitCursor wait;
    try {
        const QFileInfo fi(fileName);
        if (!params.isEmpty() && fi.isFile() && fi.isExecutable())
            CurrentShellService().StartProgram(fi.absoluteFilePath(), QProcess::splitCommand(params),
                                               fi.absolutePath());
        else
            CurrentShellService().OpenUrl(ShellTarget(fileName));
    } catch (const std::exception&) {
        // The shell calls report nothing.
    }
}

void ShellOpenDocument(const QString& fileName) { CurrentShellService().OpenUrl(ShellTarget(fileName)); }

void OpenMailTo(const QString& address, const QString& subject, const QString& body)
{
    CurrentShellService().OpenUrl(QUrl(MailToText(address, subject, body)));
}

void OpenUrl(const QString& address) { CurrentShellService().OpenUrl(QUrl(address)); }
