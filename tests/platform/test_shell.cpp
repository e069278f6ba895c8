#include "platform/shell.h"

#include "support/fixtures.h"

#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>

namespace {

struct RecordingShell : ShellService {
    QList<QUrl> urls;
    QStringList programs;
    QList<QStringList> arguments;
    QStringList folders;
    bool fail = false;
    bool cursorWasWaiting = false;
    bool OpenUrl(const QUrl& url) override
    {
        cursorWasWaiting = QGuiApplication::overrideCursor() != nullptr;
        if (fail)
            throw std::runtime_error("no");
        urls.append(url);
        return true;
    }
    bool StartProgram(const QString& program, const QStringList& args, const QString& dir) override
    {
        programs.append(program);
        arguments.append(args);
        folders.append(dir);
        return true;
    }
};

class Shell : public ProcessStateTest {
protected:
    void SetUp() override
    {
        ProcessStateTest::SetUp();
        SetShellService(&shell);
    }
    RecordingShell shell;
};

TEST_F(Shell, MailToOpensAMessageAndSendsNothing)
{
    OpenMailTo(QStringLiteral(" autor@ejemplo.es "), QStringLiteral("Sumbrix 2.84"), QString());
    ASSERT_EQ(shell.urls.size(), 1);
    EXPECT_EQ(shell.urls[0].scheme(), QStringLiteral("mailto"));
    EXPECT_EQ(shell.urls[0].path(), QStringLiteral("autor@ejemplo.es"));
    EXPECT_EQ(shell.urls[0].query(QUrl::FullyDecoded), QStringLiteral("Subject=Sumbrix 2.84"));
}

TEST_F(Shell, WebAddressesAndFiles)
{
    OpenUrl(QStringLiteral("https://ejemplo.es/sumbrix"));
    ShellOpenDocument(QStringLiteral("/tmp/Sumbrix.eml"));
    ShellOpenFile(QStringLiteral("/tmp/Primos entre 1 y 100 .txt"), QString());
    ASSERT_EQ(shell.urls.size(), 3);
    EXPECT_EQ(shell.urls[0], QUrl(QStringLiteral("https://ejemplo.es/sumbrix")));
    EXPECT_EQ(shell.urls[1], QUrl::fromLocalFile(QStringLiteral("/tmp/Sumbrix.eml")));
    EXPECT_EQ(shell.urls[2].toLocalFile(), QStringLiteral("/tmp/Primos entre 1 y 100 .txt"));
    EXPECT_EQ(ShellTarget(QStringLiteral("mailto:a@b")).scheme(), QStringLiteral("mailto"));
    EXPECT_TRUE(ShellTarget(QStringLiteral("C:x.txt")).isLocalFile()) << "a drive letter is no scheme";
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(Shell, ParametersStartAProgramInItsFolder)
{
    QTemporaryDir dir;
    const QString prog = dir.path() + QStringLiteral("/tool");
    {
        QFile f(prog);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.setPermissions(f.permissions() | QFile::ExeOwner);
    }
    ShellOpenFile(prog, QStringLiteral("-a \"dos palabras\""));
    ASSERT_EQ(shell.programs.size(), 1);
    EXPECT_EQ(shell.arguments[0], (QStringList{"-a", "dos palabras"}));
    EXPECT_EQ(shell.folders[0], dir.path());
}

TEST_F(Shell, TheWaitCursorGoesAwayAlsoOnFailure)
{
    shell.fail = true;
    ShellOpenFile(QStringLiteral("/tmp/x.txt"), QString());
    EXPECT_TRUE(shell.cursorWasWaiting);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

} // namespace
