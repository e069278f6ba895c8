// The primes window driven as a user drives it: the number typed, the five
// operations with their lists, counts and summaries, the messages for what
// it refuses, the list of a range in the window or in a file of the
// program's folder, and Esc during a long search.
#include "tools/primos/window/frmprimos.h"

#include "foundation/core/basicos.h"
#include "platform/keystate.h"
#include "platform/shell.h"
#include "support/fixtures.h"
#include "support/recordinghost.h"
#include "support/recordingsink.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTest>
#include <QToolButton>

#include <deque>
#include <optional>

void RegisterWindow_tool_primos();

namespace {

class RecordingShell : public ShellService {
public:
    bool OpenUrl(const QUrl& url) override
    {
        opened << url;
        return true;
    }
    bool StartProgram(const QString&, const QStringList&, const QString&) override { return true; }
    QList<QUrl> opened;
};

class PrimesWindowTest : public ExeDirTest {
protected:
    void SetUp() override
    {
        ExeDirTest::SetUp();
        Basicos().ExeFile = path(QStringLiteral("sumbrix"));
        Basicos().ApplicationTitle = QStringLiteral("Sumbrix");
        Basicos().Messages = &sink;
        w = new TfmPrimos(host, nullptr);
        w->InputQuery = [this](const QString& caption, const QString& prompt, QString& text) {
            queries << caption + QLatin1Char('|') + prompt + QLatin1Char('|') + text;
            if (lowerBounds.empty() || !lowerBounds.front()) {
                if (!lowerBounds.empty())
                    lowerBounds.pop_front();
                return false;
            }
            text = *lowerBounds.front();
            lowerBounds.pop_front();
            return true;
        };
        w->show();
    }
    void TearDown() override
    {
        delete w;
        ExeDirTest::TearDown();
    }

    // Types the number as a user does (the field emptied first) and presses a button.
    void Do(const QString& number, QToolButton* button)
    {
        w->Edit1->clear();
        QTest::keyClicks(w->Edit1, number);
        QTest::mouseClick(button, Qt::LeftButton);
    }
    QStringList Lines() const
    {
        const QString text = w->Memo1->toPlainText();
        return text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
    }
    void HoldEscape()
    {
        KeyStateTracker::instance();
        QTest::keyPress(w, Qt::Key_Escape);
        ASSERT_TRUE(IsKeyDown(vk::Escape));
    }

    RecordingHost host;
    RecordingSink sink;
    TfmPrimos* w = nullptr;
    QStringList queries;
    std::deque<std::optional<QString>> lowerBounds;
};

TEST_F(PrimesWindowTest, TheNumberFieldTakesDigitsOnlyAndEnablesTheButtons)
{
    QTest::keyClicks(w->Edit1, QStringLiteral("1a2-b3 ,.e"));
    EXPECT_EQ(w->Edit1->text(), QStringLiteral("123"));
    EXPECT_TRUE(w->SpeedButton2->isEnabled());
    QTest::keyClick(w->Edit1, Qt::Key_Backspace);
    EXPECT_EQ(w->Edit1->text(), QStringLiteral("12"));

    struct Case {
        const char* text;
        bool enabled;
    };
    const Case cases[] = {{"", false}, {"0", false}, {"0123", false}, {"1", true}, {"907", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        w->Edit1->setText(QString::fromLatin1(c.text));
        for (QToolButton* b : {w->SpeedButton1, w->SpeedButton2, w->SpeedButton3, w->SpeedButton4, w->SpeedButton5})
            EXPECT_EQ(b->isEnabled(), c.enabled) << b->objectName().toStdString();
    }
    EXPECT_EQ(w->Edit1->maxLength(), 19);
    EXPECT_FALSE(w->pb->isVisible());
}

TEST_F(PrimesWindowTest, IsPrime)
{
    struct Case {
        const char* number;
        const char* line;
    };
    const Case cases[] = {
        {"1", "1 no se considera primo"}, {"2", "Es Primo"}, {"91", "No, es divisible por: 7"},
        {"9223372036854775783", "Es Primo"}, {"9223372036854775807", "No, es divisible por: 7"},
        {"9223371873002223329", "No, es divisible por: 3037000453"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.number);
        Do(QString::fromLatin1(c.number), w->SpeedButton2);
        EXPECT_EQ(Lines(), QStringList{QString::fromUtf8(c.line)});
        EXPECT_EQ(w->Label1->text(), QStringLiteral("1"));
        EXPECT_TRUE(w->Label3->text().endsWith(QStringLiteral(" seg."))) << w->Label3->text().toStdString();
        EXPECT_TRUE(w->Label4->text().isEmpty());
        EXPECT_FALSE(w->pb->isVisible());
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    }
    EXPECT_TRUE(sink.empty());
    Do(QStringLiteral("9223372036854775808"), w->SpeedButton2);
    ASSERT_EQ(sink.count(), 1);
    EXPECT_EQ(sink.last().text, QStringLiteral("El máximo número con el que puede operar es (2^63-1)"));
    EXPECT_EQ(sink.last().caption, QStringLiteral("Sumbrix"));
    EXPECT_FALSE(w->Busy());
}

TEST_F(PrimesWindowTest, NthPrime)
{
    struct Case {
        const char* n;
        const char* prime;
    };
    const Case cases[] = {{"1", "2"}, {"5", "11"}, {"6", "13"}, {"10000", "104729"}, {"203280222", "4294967311"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.n);
        Do(QString::fromLatin1(c.n), w->SpeedButton1);
        EXPECT_EQ(Lines(), QStringList{QString::fromLatin1(c.prime)});
        EXPECT_EQ(w->Label1->text(), QStringLiteral("1"));
        EXPECT_EQ(w->Label4->text(), QStringLiteral("Pr(%1) = %2").arg(QLatin1String(c.n), QLatin1String(c.prime)));
    }
    // The bound the message states is the bound.
    Do(QStringLiteral("144115188075855873"), w->SpeedButton1);
    ASSERT_EQ(sink.count(), 1);
    EXPECT_EQ(sink.last().text, QStringLiteral("Debe operar con números naturales entre 1 y 2^57"));
    EXPECT_FALSE(w->Busy());
}

TEST_F(PrimesWindowTest, PrimeFactors)
{
    struct Case {
        const char* n;
        QStringList lines;
        const char* count;
    };
    const Case cases[] = {
        {"1", {}, "0"},
        {"97", {"Primo"}, "0"},
        {"1024", {"2 ^ 10"}, "10"},
        {"360", {"2 ^ 3", "3 ^ 2", "5"}, "6"},
        {"4611686018427387904", {"2 ^ 62"}, "62"},
        {"9223372036854775807", {"7 ^ 2", "73", "127", "337", "92737", "649657"}, "7"},
        {"9223371873002223329", {"3037000453", "3037000493"}, "2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.n);
        Do(QString::fromLatin1(c.n), w->SpeedButton4);
        EXPECT_EQ(Lines(), c.lines);
        EXPECT_EQ(w->Label1->text(), QString::fromLatin1(c.count));
        EXPECT_TRUE(w->Label3->text().endsWith(QStringLiteral(" seg.")));
    }
    EXPECT_TRUE(sink.empty());
    w->Edit1->setText(QStringLiteral("99999999999999999999"));
    QTest::mouseClick(w->SpeedButton4, Qt::LeftButton);
    ASSERT_EQ(sink.count(), 1);
    EXPECT_EQ(sink.last().text, QStringLiteral("Debe operar con números naturales entre 1 y 2^63-1"));
    EXPECT_EQ(sink.last().flags & mb::IconMask, 0u);
}

TEST_F(PrimesWindowTest, Divisors)
{
    struct Case {
        const char* n;
        QStringList lines;
        const char* count;
    };
    const Case cases[] = {
        {"12", {"1", "2", "3", "4", "6", "12"}, "6"},
        {"16", {"1", "2", "4", "8", "16"}, "5"},
        {"15", {"1", "3", "5", "15"}, "4"},
        {"97", {"1", "97", "Es Primo"}, "2"},
        {"1", {"1"}, "1"},
        {"9223372036854775806",
         {"1", "2", "3", "6", "715827883", "1431655766", "2147483647", "2147483649", "4294967294", "4294967298",
          "6442450941", "12884901882", "1537228672809129301", "3074457345618258602", "4611686018427387903",
          "9223372036854775806"},
         "16"},
        {"9223371994482243049", {"1", "3037000493", "9223371994482243049"}, "3"},   // a square: its root once
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.n);
        Do(QString::fromLatin1(c.n), w->SpeedButton5);
        EXPECT_EQ(Lines(), c.lines);
        EXPECT_EQ(w->Label1->text(), QString::fromLatin1(c.count));
        EXPECT_TRUE(w->Memo1->updatesEnabled());
    }
    EXPECT_TRUE(sink.empty());
}

TEST_F(PrimesWindowTest, PrimesBetweenInTheWindow)
{
    lowerBounds = {QStringLiteral("2"), QStringLiteral("14"), QStringLiteral("17"), QStringLiteral("1"),
                   QStringLiteral("0")};
    Do(QStringLiteral("17"), w->SpeedButton3);
    ASSERT_EQ(queries.size(), 1);
    EXPECT_EQ(queries[0], QStringLiteral("Mostrar primos|¿Desde que número empieza a mostrar?|2"));
    EXPECT_EQ(Lines(), (QStringList{"2", "3", "5", "7", "11", "13", "17"}));
    EXPECT_EQ(w->Label1->text(), QStringLiteral("7"));
    EXPECT_EQ(w->Label4->text(), QStringLiteral("7 / 15  (46.667%)"));

    Do(QStringLiteral("16"), w->SpeedButton3);
    EXPECT_TRUE(Lines().isEmpty());
    EXPECT_EQ(w->Label1->text(), QStringLiteral("0"));
    EXPECT_EQ(w->Label4->text(), QStringLiteral("0 / 2  (0.000%)"));

    // Equal bounds: no division by zero in the summary.
    Do(QStringLiteral("17"), w->SpeedButton3);
    EXPECT_EQ(Lines(), QStringList{"17"});
    EXPECT_EQ(w->Label4->text(), QStringLiteral("1 / 0  (0.000%)"));

    Do(QStringLiteral("10"), w->SpeedButton3);
    EXPECT_EQ(Lines(), (QStringList{"2", "3", "5", "7"}));
    Do(QStringLiteral("3"), w->SpeedButton3);
    EXPECT_EQ(Lines(), (QStringList{"2", "3"}));
    EXPECT_EQ(w->Label4->text(), QStringLiteral("2 / 3  (66.667%)"));
    EXPECT_TRUE(sink.empty());

    // 2 or less: nothing happens at all, not even the question.
    queries.clear();
    Do(QStringLiteral("2"), w->SpeedButton3);
    EXPECT_TRUE(queries.isEmpty());
    EXPECT_EQ(Lines(), (QStringList{"2", "3"}));
}

TEST_F(PrimesWindowTest, PrimesBetweenRefusesBadLowerBoundsAndCancel)
{
    lowerBounds = {QStringLiteral("dos"), QStringLiteral("-3"), std::nullopt};
    for (int i = 0; i < 3; ++i)
        Do(QStringLiteral("100"), w->SpeedButton3);
    EXPECT_EQ(queries.size(), 3);
    EXPECT_EQ(sink.texts(), QStringList(2, QStringLiteral("Debe operar con números naturales entre 1 y 2^63-1")));
    EXPECT_TRUE(Lines().isEmpty());
    EXPECT_FALSE(w->pb->isVisible());
}

TEST_F(PrimesWindowTest, AnEstimateAbove2000OffersTheFile)
{
    // 19790 / ln 19790 rounds to 2000: listed without a question.
    lowerBounds = {QStringLiteral("2"), QStringLiteral("2"), QStringLiteral("2")};
    Do(QStringLiteral("19790"), w->SpeedButton3);
    EXPECT_TRUE(sink.empty());
    EXPECT_EQ(Lines().size(), 2239);
    EXPECT_EQ(Lines().back(), QStringLiteral("19777"));

    // 19791: 2001, the question; Cancel ends it.
    sink.answers = {idCancel};
    Do(QStringLiteral("19791"), w->SpeedButton3);
    ASSERT_EQ(sink.count(), 1);
    EXPECT_EQ(sink.last().text,
              QStringLiteral("La cantidad de primos ha hallar (aprox. 2001) \rpuede ser demasiado grande para "
                             "listarla aquí.\r\r¿Desea dirigir la salida a un archivo?"));
    EXPECT_EQ(sink.last().caption, QStringLiteral("Sumbrix"));
    EXPECT_EQ(sink.last().flags, mb::YesNoCancel | mb::IconInformation | mb::DefButton3);
    EXPECT_EQ(Lines().size(), 2239);   // untouched

    // No: listed in the window all the same.
    sink.answers = {idNo};
    Do(QStringLiteral("19791"), w->SpeedButton3);
    EXPECT_EQ(Lines().size(), 2239);
    EXPECT_EQ(w->Label1->text(), QStringLiteral("2239"));
    EXPECT_TRUE(QDir(dir.path()).entryList({QStringLiteral("Primos*")}).isEmpty());
}

TEST_F(PrimesWindowTest, PrimesBetweenToAFile)
{
    RecordingShell shell;
    SetShellService(&shell);
    lowerBounds = {QStringLiteral("1000"), QStringLiteral("1000")};
    sink.answers = {idYes, idNo, idYes, idYes};
    Do(QStringLiteral("100000"), w->SpeedButton3);
    const QString name = QStringLiteral("Primos entre 1000 y 100000 .txt");
    ASSERT_TRUE(exists(name));
    const QByteArray file = get(name);
    EXPECT_TRUE(file.startsWith("1009\r\n1013\r\n"));
    EXPECT_TRUE(file.endsWith("\r\n99991\r\n"));
    EXPECT_EQ(file.count('\n'), 9592 - 168);
    EXPECT_TRUE(Lines().isEmpty());
    EXPECT_EQ(w->Label4->text(), QStringLiteral("9424 / 99000  (9.519%)"));
    ASSERT_EQ(sink.count(), 2);
    EXPECT_EQ(sink.last().caption, QStringLiteral("Cálculo terminado"));
    EXPECT_EQ(sink.last().text, QStringLiteral("Se creo con éxito:\r\n\r\n") +
                                    QDir::toNativeSeparators(path(name)) +
                                    QStringLiteral("\r\n\r\n¿Desea verlo en el editor predeterminado?"));
    EXPECT_EQ(sink.last().flags, mb::YesNo | mb::IconInformation);
    EXPECT_TRUE(shell.opened.isEmpty());
    EXPECT_FALSE(w->pb->isVisible());

    // Again, replacing the file, and opened in the editor.
    put(name, "something else\r\n");
    Do(QStringLiteral("100000"), w->SpeedButton3);
    EXPECT_EQ(get(name), file);
    ASSERT_EQ(shell.opened.size(), 1);
    EXPECT_EQ(QDir::cleanPath(shell.opened[0].toLocalFile()), QDir::cleanPath(path(name)));
}

TEST_F(PrimesWindowTest, AFileThatCannotBeCreatedIsReported)
{
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("Primos entre 2 y 100000 .txt")));
    lowerBounds = {QStringLiteral("2")};
    sink.answers = {idYes};
    Do(QStringLiteral("100000"), w->SpeedButton3);
    ASSERT_EQ(sink.count(), 2);
    EXPECT_TRUE(sink.last().text.contains(QStringLiteral("Primos entre 2 y 100000 .txt")));
    EXPECT_EQ(sink.last().flags & mb::IconMask, mb::IconError);
    EXPECT_FALSE(w->pb->isVisible());
    EXPECT_FALSE(w->Busy());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(PrimesWindowTest, EscapeDuringALongSearchAsksAndCancels)
{
    HoldEscape();
    // No lets the search go on; it is asked again at the next report.
    sink.answers = {idNo, idYes};
    Do(QStringLiteral("144115188075855872"), w->SpeedButton1);   // 2^57: minutes of counting
    ASSERT_EQ(sink.count(), 2);
    for (const RecordingSink::Box& b : sink.boxes) {
        EXPECT_EQ(b.text, QStringLiteral("¿Cancela este proceso?"));
        EXPECT_EQ(b.caption, QStringLiteral("Cancelar"));
        EXPECT_EQ(b.flags, mb::YesNo | mb::IconQuestion);
    }
    EXPECT_EQ(w->Label3->text(), QStringLiteral("Proceso cancelado"));
    EXPECT_TRUE(w->Label4->text().startsWith(QStringLiteral("Calculado: "))) << w->Label4->text().toStdString();
    EXPECT_TRUE(w->Label4->text().endsWith(QStringLiteral("%")));
    EXPECT_TRUE(Lines().isEmpty());
    EXPECT_FALSE(w->pb->isVisible());
    EXPECT_FALSE(w->Busy());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    // The window works again afterwards.
    QTest::keyRelease(w, Qt::Key_Escape);
    Do(QStringLiteral("91"), w->SpeedButton2);
    EXPECT_EQ(Lines(), QStringList{"No, es divisible por: 7"});
}

TEST_F(PrimesWindowTest, EscapeDuringAFileListKeepsWhatWasWritten)
{
    lowerBounds = {QStringLiteral("9223372000000000000")};
    sink.answers = {idYes, idYes};
    HoldEscape();
    Do(QStringLiteral("9223372036854775807"), w->SpeedButton3);
    ASSERT_EQ(sink.count(), 2);
    EXPECT_EQ(sink.last().caption, QStringLiteral("Cancelar"));
    EXPECT_EQ(w->Label3->text(), QStringLiteral("Proceso cancelado"));
    const QByteArray file = get(QStringLiteral("Primos entre 9223372000000000000 y 9223372036854775807 .txt"));
    EXPECT_TRUE(file.startsWith("92233720000000"));
    EXPECT_TRUE(file.endsWith("\r\n"));
    EXPECT_FALSE(w->pb->isVisible());
}

TEST_F(PrimesWindowTest, ProgressIsShownAtMostEvery50Milliseconds)
{
    // A clock that stands still: no report is due, Esc is never read.
    Basicos().TickSource = [] { return std::uint32_t(1000); };
    HoldEscape();
    Do(QStringLiteral("30000000"), w->SpeedButton1);
    EXPECT_TRUE(sink.empty());
    EXPECT_EQ(Lines(), QStringList{"573259391"});
    EXPECT_EQ(w->Label3->text(), QStringLiteral("0 seg."));
}

TEST_F(PrimesWindowTest, SchemeFontsAndHelp)
{
    host.appearance.ClFondo = 0x0000FF;
    host.appearance.ClLuz = 0x00FF00;
    host.appearance.ResultFont = QFont(QStringLiteral("Liberation Mono"), 13);
    host.notices.Post(THostNotice::AppearanceChanged);
    EXPECT_EQ(w->Edit1->palette().color(QPalette::Base), QColor(255, 0, 0));
    EXPECT_EQ(w->Memo1->palette().color(QPalette::Base), QColor(0, 255, 0));
    EXPECT_EQ(w->Memo1->font().pointSize(), 13);

    QList<int> help;
    w->OnHelp = [&](int context) { help << context; };
    QTest::mouseClick(w->SpeedButton9, Qt::LeftButton);
    QTest::keyClick(w, Qt::Key_F1);
    EXPECT_EQ(help, (QList<int>{28, 28}));
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Primos"));
    EXPECT_EQ(w->SpeedButton9->toolTip(), QStringLiteral("Ayuda (F1)"));
    EXPECT_EQ(w->Label1->toolTip(), QStringLiteral("Cantidad de números hallados"));
}

TEST_F(PrimesWindowTest, ClosingTellsTheHostAndTheEntryOpensOneWindow)
{
    w->close();
    EXPECT_EQ(host.closed, std::vector<TToolWindow*>{w});

    RegisterWindow_tool_primos();
    ASSERT_EQ(MainExtensions().Tools.size(), 1u);
    const TMainExtensions::Tool& t = MainExtensions().Tools[0];
    EXPECT_EQ(t.Name, QStringLiteral("fmPrimos"));
    EXPECT_EQ(t.FlagKey, QStringLiteral("Primos"));
    EXPECT_EQ(t.Caption, QStringLiteral("Factores primos"));
    EXPECT_EQ(t.ButtonName, QStringLiteral("SpeedButton4"));
    EXPECT_EQ(t.Key, QLatin1Char('R'));
    EXPECT_EQ(t.AppearanceOrder, 3);
    EXPECT_EQ(t.Hint, QStringLiteral("Factores Primos (Ctrl+R) \r\n\r\nLista números primos, descompone en factores "
                                     "primos\r\nlistar divisores de un número, busca Primo(n)"));
    EXPECT_EQ(t.Create(host, nullptr), w);   // the one there is
}

} // namespace
