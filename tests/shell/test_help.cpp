// Help by context number: the command names, the paths, the hook's routing to
// the help viewer with its results and messages, F1 from any control, the
// help debug log, and the help file the build ships.
#include "foundation/core/cp1252.h"
#include "foundation/core/zelini.h"
#include "platform/shell.h"
#include "science/quimica/coloreo.h"
#include "science/unidades/unidades.h"
#include "services/frmayuda.h"
#include "services/help.h"
#include "services/helpfile.h"
#include "services/helplog.h"
#include "shell/helpsetup.h"
#include "support/fixtures.h"
#include "support/recordingsink.h"

#include <QCoreApplication>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QRegularExpression>
#include <QTest>
#include <QTextBrowser>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

void ResetHelp()
{
    FreeHelpWindow();
    AppHelp().reset();
    HelpHost().reset();
    HelpLog().reset();
    TDLogFile::Clock() = nullptr;
}

// A small help file of three topics.
const QByteArray kHelpFile = "Sumbrix ayuda 2.84.0.0\r\n"
                             "@tema contenido 1|Contenido\r\n"
                             "<h1>Contenido</h1>\r\n<p><a href=\"memorias\">Memorias</a></p>\r\n"
                             "@tema memorias 12,13|Las memorias\r\n"
                             "<h1>Las memorias</h1>\r\n"
                             "@tema opciones 29|Opciones\r\n"
                             "<h1>Opciones</h1>\r\n";

class HelpTest : public ExeDirTest {
protected:
    void SetUp() override
    {
        ExeDirTest::SetUp();
        ResetHelp();
        Basicos().Messages = &sink;
        Basicos().ExeFile = path(QStringLiteral("sumbrix"));
        TDLogFile::Clock() = [] { return QDateTime(QDate(2024, 3, 5), QTime(10, 15, 30)); };
    }
    void TearDown() override
    {
        hook.reset();
        ResetHelp();
        ExeDirTest::TearDown();
    }
    // The help log on, in the test folder.
    void startDebug(bool withHelpFile = true)
    {
        if (withHelpFile)
            put(QStringLiteral("sumbrix.ayuda"), kHelpFile);
        put(QStringLiteral("debug.debug"), "");
        StartHelpLog({path(QStringLiteral("sumbrix"))});
        hook = std::make_unique<THookHelpSystem>(ProgramHelpFile(), QString(), 0);
    }
    QStringList logLines() const
    {
        QStringList lines = cp1252::decode(get(QStringLiteral("HHDebug.txt"))).split(QStringLiteral("\r\n"));
        if (!lines.isEmpty() && lines.last().isEmpty())
            lines.removeLast();
        return lines;
    }
    // The log's lines after the header (its last "=" line).
    QStringList callLines() const
    {
        const QStringList lines = logLines();
        return lines.mid(lines.lastIndexOf(QString(79, QLatin1Char('='))) + 1);
    }

    RecordingSink sink;
    std::unique_ptr<THookHelpSystem> hook;
};

TEST(HelpCommands, NamesForTheLog)
{
    struct Case {
        unsigned command;
        const char* name;
    } cases[] = {
        {1, "HELP_CONTEXT (1)"},   {2, "HELP_QUIT (2)"},    {3, "HELP_INDEX or HELP_CONTENTS (3)"},
        {5, "HELP_SETINDEX or HELP_SETCONTENTS (5)"},       {8, "HELP_CONTEXTPOPUP (8)"},
        {13, "HELP_SETPOPUP_POS (13)"}, {257, "HELP_KEY (257)"}, {258, "HELP_COMMAND (258)"},
        {515, "HELP_SETWINPOS (515)"}, {6, "?? (6)"},        {24, "?? (24)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        EXPECT_EQ(HelpCommandName(c.command), QString::fromLatin1(c.name));
    }
}

TEST(HelpCommands, HelpPaths)
{
    struct Case {
        const char* file;
        const char* topic;
        const char* window;
        int prefix;
        const char* path;
    } cases[] = {
        {"/p/sumbrix.ayuda", "", "", 0, "/p/sumbrix.ayuda"},
        {" /p/mi%20ayuda.ayuda ", "", "", 0, "/p/mi ayuda.ayuda"},
        {"a.chm", "html\\tema.htm", "", 0, "a.chm::/html/tema.htm"},
        {"a.chm", "/tema.htm", "main", 1, "mk:@MSITStore:a.chm::/tema.htm>main"},
        {"a.chm", " tema%20uno.htm ", "", 2, "ms-its:a.chm::/tema uno.htm"},
        {"a.chm", "", "%20ventana", 0, "a.chm>ventana"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(MakeHelpPath(QString::fromUtf8(c.file), QString::fromUtf8(c.topic), QString::fromUtf8(c.window), c.prefix),
                  QString::fromUtf8(c.path));
    }
}

TEST(HelpCommands, PopupPositionsTravelAsTwoSixteenBitCoordinates)
{
    for (const QPoint p : {QPoint(0, 0), QPoint(640, 480), QPoint(-20, 15), QPoint(32767, -32768)}) {
        SCOPED_TRACE(p.x());
        EXPECT_EQ(UnpackPoint(PackPoint(p)), p);
    }
    EXPECT_EQ(PackPoint(QPoint(1, 2)), 0x00020001);
}

TEST_F(HelpTest, ContextRequestShowsItsTopicInTheViewerAndLogsEveryStep)
{
    startDebug();
    ShowHelpContext(12);
    TfmAyuda* viewer = HelpWindow();
    ASSERT_NE(viewer, nullptr);
    EXPECT_TRUE(viewer->isVisible());
    EXPECT_EQ(viewer->File().Topics()[viewer->CurrentTopic()].Name, QStringLiteral("memorias"));
    EXPECT_TRUE(viewer->Browser->toPlainText().contains(QStringLiteral("Las memorias")));
    EXPECT_TRUE(sink.empty());
    const QString file = ProgramHelpFile();
    EXPECT_EQ(callLines(), (QStringList{
                               QStringLiteral("10:15:30   THookHelpSystem.Create(\"%1\",\"\", 0)").arg(file),
                               QStringLiteral("10:15:30   THookHelpSystem.HelpHook(HELP_CONTEXT (1), 12)"),
                               QStringLiteral("10:15:30   HHHelpContext(\"%1\", 12, \"\", 0)").arg(file),
                               QStringLiteral("10:15:30   ShowContext(\"%1\", 12)").arg(file),
                               QStringLiteral("10:15:30     returned - 0"),
                           }));
    hook.reset();
    EXPECT_EQ(HelpWindow(), nullptr) << "the hook closes the help windows";
    EXPECT_EQ(callLines().last(), QStringLiteral("10:15:30   THookHelpSystem.Destroy"));
    EXPECT_FALSE(AppHelp().OnHelp) << "the previous handler (none) is back";
}

TEST_F(HelpTest, ViewerFollowsLinksAndGoesBack)
{
    startDebug();
    ShowHelpContext(1);
    TfmAyuda* viewer = HelpWindow();
    ASSERT_NE(viewer, nullptr);
    EXPECT_FALSE(viewer->btnAtras->isEnabled());
    viewer->BrowserAnchorClicked(QUrl(QStringLiteral("memorias")));
    EXPECT_EQ(viewer->CurrentTopic(), 1);
    QTest::mouseClick(viewer->btnAtras, Qt::LeftButton);
    EXPECT_EQ(viewer->CurrentTopic(), 0);
    QTest::mouseClick(viewer->btnAdelante, Qt::LeftButton);
    EXPECT_EQ(viewer->CurrentTopic(), 1);
    EXPECT_EQ(viewer->lstTemas->count(), 3);
    // A second request reuses the one window.
    ShowHelpContext(29);
    EXPECT_EQ(HelpWindow(), viewer);
    EXPECT_EQ(viewer->CurrentTopic(), 2);
    // A context without a topic says so instead of showing a wrong one.
    ShowHelpContext(77);
    EXPECT_EQ(viewer->CurrentTopic(), -1);
    EXPECT_TRUE(viewer->Browser->toPlainText().contains(QStringLiteral("contexto 77")));
    EXPECT_TRUE(sink.empty());
}

TEST_F(HelpTest, MissingHelpFileIsReportedOnceWithItsPath)
{
    startDebug(false);
    ShowHelpContext(12);
    ShowHelpContext(29);
    ASSERT_EQ(sink.count(), 1);
    EXPECT_TRUE(sink.last().text.startsWith(QStringLiteral("MS Html Help is not installed on this PC.")));
    EXPECT_TRUE(sink.last().text.contains(ProgramHelpFile()));
    EXPECT_EQ(sink.last().flags & mb::IconMask, mb::IconWarning);
    EXPECT_EQ(HelpWindow(), nullptr);
    const QStringList lines = callLines();
    EXPECT_EQ(lines.filter(QStringLiteral("returned - 1")).size(), 2);
    EXPECT_EQ(lines.filter(QStringLiteral("HHShowError(1), \"MS Html Help is not installed on this PC.\"")).size(), 2);
}

TEST_F(HelpTest, ExternalViewersThatAreMissingGiveTheirResults)
{
    put(QStringLiteral("sumbrix.ayuda"), kHelpFile);
    struct Case {
        int host;
        int result;
        const char* text;
    } cases[] = {
        {1, 2, "System file KeyHH.EXE was not found in the Windows folder."},
        {2, 3, "System file HH.EXE was not found in the Windows folder."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.host);
        sink.clear();
        EXPECT_EQ(HHHelpContext(ProgramHelpFile(), 12, QString(), c.host), c.result);
        THookHelpSystem h(ProgramHelpFile(), QString(), c.host);
        ShowHelpContext(12);
        ASSERT_EQ(sink.count(), 1);
        EXPECT_EQ(sink.last().text, QString::fromLatin1(c.text));
    }
    EXPECT_EQ(HHErrorText(9), QStringLiteral("Unknown error returned by HHHelpContext"));
}

TEST_F(HelpTest, OtherCommandsGoOnToTheFrameworkAndThePopupPositionIsKept)
{
    startDebug();
    QList<unsigned> passed;
    AppHelp().FrameworkHelp = [&](unsigned command, long long) { passed.append(command); };
    // The hook was installed before the framework handler was set: it still
    // routes, since both live in the application's help.
    HelpCommand(helpcmd::Contents, 0);
    HelpCommand(helpcmd::Key, 0);
    HelpCommand(helpcmd::SetPopupPos, PackPoint(QPoint(100, 200)));
    EXPECT_EQ(passed, (QList<unsigned>{helpcmd::Contents, helpcmd::Key}));
    EXPECT_EQ(hook->PopupPosition(), QPoint(100, 200));
    EXPECT_EQ(HelpWindow(), nullptr);
}

// A window whose edit box uses F1 itself.
class F1Box : public QLineEdit {
public:
    using QLineEdit::QLineEdit;
    int f1 = 0;

protected:
    void keyPressEvent(QKeyEvent* e) override
    {
        if (e->key() == Qt::Key_F1) {
            ++f1;
            return;
        }
        QLineEdit::keyPressEvent(e);
    }
};

TEST_F(HelpTest, F1AsksForTheContextOfTheFirstControlUpTheChainThatHasOne)
{
    InstallF1Help();
    std::vector<int> asked;
    AppHelp().OnHelp = [&](unsigned command, long long data, bool& callHelp) {
        if (command == helpcmd::Context)
            asked.push_back(int(data));
        callHelp = false;
        return true;
    };
    QWidget window;
    auto* panel = new QWidget(&window);
    auto* edit = new QLineEdit(panel);
    auto* own = new F1Box(&window);
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(panel);
    layout->addWidget(own);
    SetHelpContext(&window, 29);
    window.show();

    QTest::keyClick(edit, Qt::Key_F1);
    EXPECT_EQ(asked, std::vector<int>{29});
    SetHelpContext(panel, 12);
    QTest::keyClick(edit, Qt::Key_F1);
    EXPECT_EQ(asked, (std::vector<int>{29, 12}));
    // A control that uses F1 keeps it.
    QTest::keyClick(own, Qt::Key_F1);
    EXPECT_EQ(own->f1, 1);
    EXPECT_EQ(asked.size(), 2u);
    // Shift+F1 is not help; typing goes on as usual.
    QTest::keyClick(edit, Qt::Key_F1, Qt::ShiftModifier);
    QTest::keyClicks(edit, QStringLiteral("12"));
    EXPECT_EQ(asked.size(), 2u);
    EXPECT_EQ(edit->text(), QStringLiteral("12"));
}

// ---------------------------------------------------------------------------
// The log

TEST_F(HelpTest, LogLinesTheirTimeAndSeparators)
{
    TDLogFile log(path(QStringLiteral("log.txt")), false, false, true, true);
    log.WriteLine(QStringLiteral("Ayuda pedida"));
    log.WriteLine(QStringLiteral("ShowContext(\"%s\", %d)"), {QStringLiteral("x"), 5});
    log.WriteLine(QStringLiteral("-"));
    log.WriteLine(QStringLiteral("="));
    log.WriteLine(QStringLiteral("!Cabecera sin hora"));
    log.WriteLine(QStringLiteral("100%"));
    const QByteArray expected = "10:15:30   Ayuda pedida\r\n"
                                "10:15:30   ShowContext(\"x\", 5)\r\n" +
                                QByteArray(79, '-') + "\r\n" + QByteArray(79, '=') + "\r\n" +
                                "Cabecera sin hora\r\n"
                                "10:15:30   100%\r\n";
    EXPECT_EQ(get(QStringLiteral("log.txt")), expected);
    // Text outside ASCII is written in Windows-1252.
    log.WriteLine(QStringLiteral("!Ayuda: ñ"));
    EXPECT_TRUE(get(QStringLiteral("log.txt")).endsWith("Ayuda: \xF1\r\n"));
}

TEST_F(HelpTest, LogWithoutDebugModeWritesNothingAndRemovesAnOldLog)
{
    put(QStringLiteral("HHDebug.txt"), "una sesión anterior\r\n");
    put(QStringLiteral("sumbrix.ayuda"), kHelpFile);
    StartHelpLog({path(QStringLiteral("sumbrix"))});
    EXPECT_FALSE(HelpLog().DebugMode);
    EXPECT_FALSE(exists(QStringLiteral("HHDebug.txt")));
    THookHelpSystem h(ProgramHelpFile(), QString(), 0);
    ShowHelpContext(1);
    DebugLog(QStringLiteral("nada"));
    EXPECT_FALSE(exists(QStringLiteral("HHDebug.txt")));
    EXPECT_NE(HelpWindow(), nullptr);
}

TEST_F(HelpTest, DebugModeFromTheMarkerFileOrTheSwitchInAnyCase)
{
    struct Case {
        QStringList parameters;
        bool marker;
        bool debug;
    } cases[] = {
        {{}, false, false},
        {{QStringLiteral("-debug")}, false, true},
        {{QStringLiteral("x"), QStringLiteral("-DEBUG")}, false, true},
        {{QStringLiteral("/Debug")}, false, true},
        {{QStringLiteral("--debug")}, false, false},
        {{}, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.parameters.join(QLatin1Char(' ')).toStdString() + (c.marker ? " +marker" : ""));
        QFile::remove(path(QStringLiteral("debug.debug")));
        if (c.marker)
            put(QStringLiteral("debug.debug"), "");
        EXPECT_EQ(DebugModeOf(dir.path(), c.parameters), c.debug);
    }
}

TEST_F(HelpTest, HeaderRecordsTheEnvironmentWithoutTimes)
{
    put(QStringLiteral("sumbrix.ayuda"), kHelpFile);
    StartHelpLog({path(QStringLiteral("sumbrix")), QStringLiteral("-Debug"), QStringLiteral("otro")});
    const QStringList lines = logLines();
    ASSERT_GE(lines.size(), 20);
    EXPECT_EQ(lines[0], QString(79, QLatin1Char('=')));
    EXPECT_EQ(lines[1], QStringLiteral("Log File:             ") + QDir::toNativeSeparators(path(QStringLiteral("HHDebug.txt"))));
    EXPECT_EQ(lines[2], QStringLiteral("Date:                 05/03/2024 10:15:30"));
    EXPECT_TRUE(lines[3].startsWith(QStringLiteral("Operating System:      ")));
    EXPECT_TRUE(lines.contains(QStringLiteral("Cmdline Param(s) =  -Debug | otro")));
    EXPECT_TRUE(lines.contains(QStringLiteral("EXE Version =       2.84.0.0")));
    EXPECT_TRUE(lines.contains(QStringLiteral("_hhInstalled =      YES")));
    EXPECT_TRUE(lines.contains(QStringLiteral("_ieInstalled =      NO")));
    EXPECT_TRUE(lines.contains(QStringLiteral("_ModuleName =       sumbrix")));
    EXPECT_EQ(lines.last(), QString(79, QLatin1Char('=')));
    for (const QString& l : lines)
        EXPECT_FALSE(l.startsWith(QStringLiteral("10:15:30"))) << l.toStdString();
}

TEST_F(HelpTest, WithoutHelpFileTheViewerCountsAsNotInstalled)
{
    StartHelpLog({path(QStringLiteral("sumbrix")), QStringLiteral("-debug")});
    EXPECT_FALSE(HelpLog().hhInstalled);
    EXPECT_TRUE(logLines().contains(QStringLiteral("_hhInstalled =      NO")));
}

TEST_F(HelpTest, LogInAFolderThatCannotBeWrittenGoesToTheTemporaryFolder)
{
    const QString locked = path(QStringLiteral("cerrada"));
    ASSERT_TRUE(QDir().mkpath(locked));
    QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    if (FolderWritable(locked))
        GTEST_SKIP() << "the folder stays writable (running as root)";
    TDLogFile log(locked + QStringLiteral("/HHDebug.txt"), false, false, true, true);
    EXPECT_EQ(log.FileName(), QDir(TempFolder()).filePath(QStringLiteral("HHDebug.txt")));
    QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

TEST_F(HelpTest, ReportedErrorsShowABoxAndAreLoggedInDebugMode)
{
    TDLogFile log(path(QStringLiteral("log.txt")), false, false, true, true);
    log.ReportError(QStringLiteral("Function ShellExecute(%s)\rReturned: %s"), {QStringLiteral("-x, prog"), LastErrorText(2)});
    ASSERT_EQ(sink.count(), 1);
    EXPECT_EQ(sink.last().text, QStringLiteral("Function ShellExecute(-x, prog)\rReturned: [Error:2] File Not Found"));
    EXPECT_EQ(sink.last().flags & mb::IconMask, mb::IconWarning);
    EXPECT_TRUE(get(QStringLiteral("log.txt")).contains("Returned: [Error:2] File Not Found"));
}

// ---------------------------------------------------------------------------
// Versions

TEST(HelpVersions, CompareAndNames)
{
    EXPECT_EQ(CompareVersions(MakeVersion(5, 2, 3669, 0).Parts, MakeVersion(5, 2, 3669, 0).Parts), 0);
    EXPECT_EQ(CompareVersions(MakeVersion(5, 10, 0, 0).Parts, MakeVersion(5, 2, 9999, 9).Parts), 1);
    EXPECT_EQ(CompareVersions(MakeVersion(4, 74, 0, 0).Parts, MakeVersion(4, 74, 0, 1).Parts), -1);
    struct Case {
        TFileVersion v;
        const char* help;
        const char* browser;
    } cases[] = {
        {TFileVersion{}, "", ""},
        {MakeVersion(6, 4, 2, 0), "> 1.4a", "Internet Explorer 6 (Windows Server 2003)"},
        {MakeVersion(5, 2, 3669, 0), "1.4a", "Internet Explorer 5.01"},
        {MakeVersion(5, 2, 3626, 0), "1.4", "Internet Explorer 5.01"},
        {MakeVersion(4, 74, 8702, 0), "1.3", "Internet Explorer 4.01 Service Pack 2 (SP2)"},
        {MakeVersion(4, 72, 7290, 0), "1.0", "Internet Explorer 4.01 Service Pack 2 (SP2)"},
        {MakeVersion(4, 72, 7289, 0), "< 1.0", "Internet Explorer 4.01 Service Pack 2 (SP2)"},
        {MakeVersion(4, 40, 307, 0), "< 1.0", "< Internet Explorer 1.0 (Plus!)"},
        {MakeVersion(7, 0, 1, 2), "> 1.4a", ">= Internet Explorer 7.0.1.2"},
        {MakeVersion(6, 0, 2900, 2180), "> 1.4a", "Internet Explorer 6 (Windows XP SP2)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.v.Text.toStdString());
        EXPECT_EQ(HtmlHelpVersionName(c.v), QString::fromUtf8(c.help));
        EXPECT_EQ(BrowserVersionName(c.v), QString::fromUtf8(c.browser));
    }
    EXPECT_FALSE(VersionFromText(QStringLiteral("1.2.3.4.5")).Known());
    EXPECT_FALSE(VersionFromText(QStringLiteral("1.x")).Known());
    EXPECT_EQ(VersionFromText(QStringLiteral("6.4")).Text, QStringLiteral("6.4.0.0"));
}

// ---------------------------------------------------------------------------
// The help file the build ships beside the programs.

TEST(ShippedHelpFile, HasATopicForEveryContextTheProgramUses)
{
    THelpFile file;
    QString error;
    const QString name = QCoreApplication::applicationDirPath() + QStringLiteral("/sumbrix.ayuda");
    ASSERT_TRUE(file.Load(name, &error)) << error.toStdString();
    // The windows' and dialogs' contexts, the memory menu's, the formula
    // picture menu's and the statistics results page's.
    for (int context : {1, 12, 16, 17, 18, 19, 20, 21, 27, 28, 29, 30, 35, 36, 37, 39, 42, 43, 44, 46, 52, 53}) {
        SCOPED_TRACE(context);
        EXPECT_GE(file.TopicOfContext(context), 0);
    }
    // Every link between topics leads somewhere.
    for (const THelpTopic& t : file.Topics()) {
        QRegularExpression link(QStringLiteral("href=\"([^\"]+)\""));
        for (auto it = link.globalMatch(t.Html); it.hasNext();) {
            const QString target = it.next().captured(1);
            if (!target.contains(QLatin1Char(':')))
                EXPECT_GE(file.TopicByName(target), 0) << t.Name.toStdString() << " -> " << target.toStdString();
        }
    }
    EXPECT_EQ(GetFileVersion(name).Text, QStringLiteral("2.84.0.0"));
}

// The topics that list what the program ships say what is there: every
// magnitude of maguni.def and every colouring of the periodic table.
TEST(ShippedHelpFile, ListsTheShippedMagnitudesAndColourings)
{
    THelpFile file;
    QString error;
    const QString dir = QCoreApplication::applicationDirPath();
    ASSERT_TRUE(file.Load(dir + QStringLiteral("/sumbrix.ayuda"), &error)) << error.toStdString();
    const int units = file.TopicByName(QStringLiteral("unidades"));
    const int table = file.TopicByName(QStringLiteral("tablaper"));
    ASSERT_GE(units, 0);
    ASSERT_GE(table, 0);
    QStringList magnitudes;
    TZelIniFile(dir + QStringLiteral("/maguni.def"), UnitDefinitionsKey()).ReadSections(magnitudes);
    EXPECT_GE(magnitudes.size(), 48);
    for (QString m : magnitudes) {
        m.remove(QLatin1Char('&'));
        EXPECT_TRUE(file.Topics()[units].Html.contains(m)) << m.toStdString();
    }
    for (const TColouring& c : Colourings())
        EXPECT_TRUE(file.Topics()[table].Html.contains(c.Item)) << c.Item.toStdString();
    EXPECT_TRUE(file.Topics()[table].Html.contains(QStringLiteral("«Sin datos»")));
    EXPECT_TRUE(file.Topics()[table].Html.contains(QStringLiteral("«desconocido»")));
}

TEST(ShippedHelpFile, ReaderRefusesWhatIsNotAHelpFile)
{
    THelpFile file;
    QString error;
    EXPECT_FALSE(file.Parse(QStringLiteral("[Opciones]\r\nVer=280\r\n"), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(file.Parse(QStringLiteral("Sumbrix ayuda 2.84.0.0\r\n"), &error));
    EXPECT_TRUE(file.Parse(cp1252::decode(kHelpFile), &error));
    EXPECT_EQ(file.TopicOfContext(13), 1);
    EXPECT_EQ(file.TopicByName(QStringLiteral("OPCIONES")), 2);
    EXPECT_EQ(file.TopicOfContext(2), -1);
}

} // namespace
