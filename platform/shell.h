#pragma once
// Opening files, web addresses and mail messages with the desktop's
// programs. Everything goes through one ShellService, which tests replace so
// that nothing is opened.
#include <QString>
#include <QStringList>
#include <QUrl>

class ShellService {
public:
    virtual ~ShellService() = default;
    virtual bool OpenUrl(const QUrl& url) = 0;
    virtual bool StartProgram(const QString& program, const QStringList& arguments, const QString& workingDir) = 0;
};

// nullptr: the desktop's own (QDesktopServices, QProcess).
void SetShellService(ShellService* service);
ShellService& CurrentShellService();

// What the shell opens for a file name: a web or mail address as it stands,
// anything else as a local file.
QUrl ShellTarget(const QString& fileName);

// The default action on the file; with Params, a program is started with
// them in the file's own folder. The wait cursor shows meanwhile and is
// taken away also when the call fails. Nothing is reported.
void ShellOpenFile(const QString& fileName, const QString& params);
void ShellOpenDocument(const QString& fileName);
// Opens a new message in the mail program; nothing is sent.
void OpenMailTo(const QString& address, const QString& subject, const QString& body);
// Opens a web address in the default browser.
void OpenUrl(const QString& address);
