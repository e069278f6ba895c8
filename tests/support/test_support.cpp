// The shared test support itself: the reset reaches every process-wide value
// of every layer, the recording sink answers as it is told, the scripted
// prompter answers and cancels from its queue, and the ExeDir fixture gives
// each test a folder of its own.
#include "controls/comboexpr.h"
#include "controls/formmx.h"
#include "controls/frmautocomp.h"
#include "controls/frmteclado.h"
#include "drawkit/gradients.h"
#include "engine/bases.h"
#include "engine/complex/expresion.h"
#include "engine/complex/mcomplex.h"
#include "engine/complex/tree.h"
#include "engine/formatonum.h"
#include "engine/formulapicture.h"
#include "engine/rational/expresion.h"
#include "engine/rational/fraccion.h"
#include "engine/rational/tree.h"
#include "engine/real/builtins_math.h"
#include "engine/real/expresion.h"
#include "engine/real/tree.h"
#include "foundation/core/filesafe.h"
#include "platform/keystate.h"
#include "platform/shell.h"
#include "platform/tickcount.h"
#include "platform/window.h"
#include "services/calcmodel.h"
#include "services/frminput.h"
#include "services/toolhost.h"
#include "support/fixtures.h"
#include "support/recordingsink.h"
#include "support/scriptedprompter.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTest>
#include <QWidget>

#include <gtest/gtest-spi.h>

namespace {

struct NoShell : ShellService {
    bool OpenUrl(const QUrl&) override { return true; }
    bool StartProgram(const QString&, const QStringList&, const QString&) override { return true; }
};

using ProcessState = ProcessStateTest;

// Every value is moved away from its start-up value, then one reset brings
// all of them back.
TEST_F(ProcessState, OneResetPutsEveryLayerBack)
{
    RecordingSink sink;
    NoShell shell;
    FixedWidthMetrics metrics(3);
    ScriptedPrompter prompter;
    const Extended firstRandom = real::builtins::RandomState::next();

    // Foundation.
    SetExeDir(QStringLiteral("/nowhere"));
    Basicos().ApplicationTitle = QStringLiteral("Otro");
    Basicos().Messages = &sink;
    Basicos().TickSource = [] { return 7u; };
    ElapsedTicks(true);
    FileWriting().BeforeStep = [](const QString&, FileWriteStep) { return false; };
    // Engines.
    numtext().DisplayBase = 16;
    numtext().GroupDigits = true;
    NumberFormat().MaxDenominator = 7;
    PictureMetrics::set(&metrics);
    real::engineState().TrueValue = 5;
    real::engineState().CurrentAngleMode = 2;
    real::messageHook() = [](const QString&, const QString&, real::MessageIcon) {};
    real::builtins::RandomState::seed(99);
    complex::engineState().CurrentAngleMode = 2;
    complex::complexSettings().ComplexFormat = QStringLiteral("%g");
    complex::messageHook() = [](const QString&, const QString&, complex::MessageIcon) {};
    rational::engineState().TrueValue = rational::TFrac(5);
    rational::fracSettings().MixedFractions = true;
    rational::messageHook() = [](const QString&, const QString&, rational::MessageIcon) {};
    // Drawing kit and platform.
    {
        QImage img(40, 30, QImage::Format_RGB32);
        QPainter p(&img);
        FillRadialGradient(p, TRect{0, 0, 40, 30}, clBlack, clWhite, kGradientDefaultCentre,
                           kGradientDefaultCentre);
    }
    ASSERT_GT(RadialGradientCacheSize(), 0u);
    platform::tickcount::setFake(5000);
    QWidget w;
    w.show();
    QTest::keyPress(&w, Qt::Key_Escape);
    ASSERT_TRUE(IsKeyDown(vk::Escape));
    SetShellService(&shell);
    platform::ClipCursor(QRect(10, 20, 100, 50));
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    // Controls and services.
    EnsureAutoComp();
    EnsureTeclado();
    AutoComp().AutoCompleteOn = true;
    AutoComp().AutoCompleteCancelled = true;
    AutoComp().OnShown = [](TfmAutoComp&) {};
    ComboExpr().KeyboardEnabled = true;
    FormMXSettings().TranspActive = true;
    FormMXSettings().TranspPercent = 40;
    fmInput = new TfmInput;
    Calc().LastResult = 5;
    Calc().Memories[3] = 2;
    Calc().Assignments = QStringLiteral("{a=2} ");
    Calc().Prompter = &prompter;
    Calc().FixedSeed = 1;
    MainExtensions().StartSteps.push_back({QStringLiteral("Conversiones"), [] {}});

    ResetProcessState();

    EXPECT_EQ(ExeDir(), QCoreApplication::applicationDirPath() + '/');
    EXPECT_EQ(Basicos().ApplicationTitle, QStringLiteral("Sumbrix"));
    EXPECT_EQ(Basicos().Messages, nullptr);
    EXPECT_FALSE(Basicos().TickSource);
    EXPECT_FALSE(Basicos().StopwatchSet);
    EXPECT_FALSE(FileWriting().BeforeStep);
    EXPECT_EQ(numtext().DisplayBase, 10);
    EXPECT_FALSE(numtext().GroupDigits);
    EXPECT_EQ(NumberFormat().MaxDenominator, TFormatoNum().MaxDenominator);
    EXPECT_NE(&PictureMetrics::current(), &metrics);
    EXPECT_EQ(real::engineState().TrueValue, 1);
    EXPECT_EQ(real::engineState().CurrentAngleMode, 0);
    EXPECT_FALSE(real::messageHook());
    EXPECT_EQ(real::builtins::RandomState::next(), firstRandom) << "the start-up seed again";
    EXPECT_EQ(complex::engineState().CurrentAngleMode, 0);
    EXPECT_EQ(complex::complexSettings().ComplexFormat, QStringLiteral("%.8g"));
    EXPECT_FALSE(complex::messageHook());
    EXPECT_EQ(rational::engineState().TrueValue, rational::TFrac(1));
    EXPECT_FALSE(rational::fracSettings().MixedFractions);
    EXPECT_FALSE(rational::messageHook());
    EXPECT_EQ(RadialGradientCacheSize(), 0u);
    platform::tickcount::advance(3);
    EXPECT_EQ(platform::GetTickCount(), 3u) << "the fake clock was off and starts again at 0";
    platform::tickcount::reset();
    EXPECT_FALSE(IsKeyDown(vk::Escape));
    EXPECT_NE(&CurrentShellService(), static_cast<ShellService*>(&shell));
    EXPECT_FALSE(platform::CursorClipRect());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(fmAutoComp(), nullptr);
    EXPECT_EQ(fmTeclado(), nullptr);
    EXPECT_FALSE(AutoComp().AutoCompleteOn);
    EXPECT_FALSE(AutoComp().AutoCompleteCancelled);
    EXPECT_FALSE(AutoComp().OnShown);
    EXPECT_FALSE(ComboExpr().KeyboardEnabled);
    EXPECT_FALSE(FormMXSettings().TranspActive);
    EXPECT_EQ(FormMXSettings().TranspPercent, 0);
    EXPECT_EQ(fmInput, nullptr);
    EXPECT_EQ(Calc().LastResult, 0);
    EXPECT_EQ(Calc().Memories[3], 0);
    EXPECT_TRUE(Calc().Assignments.isEmpty());
    EXPECT_EQ(Calc().Prompter, nullptr);
    EXPECT_FALSE(Calc().FixedSeed);
    EXPECT_TRUE(MainExtensions().StartSteps.empty());
}

TEST(RecordingSinkTest, RecordsEveryBoxAndAnswersAsTold)
{
    struct Case {
        const char* name;
        std::deque<int> queued;
        int answer;
        unsigned flags;
        std::vector<int> results;   // of three boxes in a row
    } cases[] = {
        {"OK by default", {}, idOk, mb::YesNo, {idOk, idOk, idOk}},
        {"a fixed button", {}, idNo, mb::Ok, {idNo, idNo, idNo}},
        {"the default button", {}, RecordingSink::kDefaultButton, mb::YesNo | mb::DefButton2, {idNo, idNo, idNo}},
        {"queued, then fixed", {idYes, idCancel}, idNo, mb::YesNoCancel, {idYes, idCancel, idNo}},
        {"queued, then the default", {idRetry}, RecordingSink::kDefaultButton, mb::RetryCancel,
         {idRetry, idRetry, idRetry}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingSink sink;
        sink.answers = c.queued;
        sink.answer = c.answer;
        std::vector<int> got;
        for (int i = 0; i < 3; ++i)
            got.push_back(sink.showMessage(QStringLiteral("texto %1").arg(i), QStringLiteral("Título"), c.flags));
        EXPECT_EQ(got, c.results);
        ASSERT_EQ(sink.count(), 3);
        EXPECT_EQ(sink.texts(), (QStringList{"texto 0", "texto 1", "texto 2"}));
        EXPECT_EQ(sink.captions(), (QStringList(3, QStringLiteral("Título"))));
        EXPECT_EQ(sink.flags(), (QList<unsigned>(3, c.flags)));
        EXPECT_EQ(sink.last().text, QStringLiteral("texto 2"));
        sink.clear();
        EXPECT_TRUE(sink.empty());
    }
}

TEST(ScriptedPrompterTest, AnswersFromItsQueueAndCancelsWhenTold)
{
    ScriptedPrompter p;
    real::TExpresion* names = reinterpret_cast<real::TExpresion*>(&p); // only compared
    p.answers = {QStringLiteral("2"), ScriptedPrompter::kCancel, QStringLiteral("x+1")};
    struct Step {
        const char* proposed;
        bool accepted;
        const char* text;   // after the prompt
    } steps[] = {
        {"1", true, "2"},
        {"1", false, "1"},     // a marked answer cancels
        {"", true, "x+1"},
        {"7", false, "7"},     // nothing left: cancel
    };
    int n = 0;
    for (const Step& s : steps) {
        SCOPED_TRACE(n);
        QString text = QString::fromUtf8(s.proposed);
        EXPECT_EQ(p.Ask(QStringLiteral("Indique el valor de la variable a"), names, text), s.accepted);
        EXPECT_EQ(text, QString::fromUtf8(s.text));
        ++n;
    }
    ASSERT_EQ(p.prompts.size(), 4u);
    EXPECT_EQ(p.prompts[2].proposed, QString());
    EXPECT_EQ(p.prompts[3].proposed, QStringLiteral("7"));
    EXPECT_EQ(p.prompts[0].caption, QStringLiteral("Indique el valor de la variable a"));
    EXPECT_EQ(p.prompts[0].names, names);
    EXPECT_TRUE(p.answers.empty());

    p.failWhenUnscripted = true;
    QString text;
    EXPECT_NONFATAL_FAILURE(p.Ask(QStringLiteral("Indique el valor de la variable b"), nullptr, text),
                            "unexpected prompt Indique el valor de la variable b");
}

using TempExeDir = ExeDirTest;

TEST_F(TempExeDir, ExeDirIsTheTestsOwnFolder)
{
    EXPECT_EQ(ExeDir(), dir.path() + '/');
    EXPECT_NE(ExeDir(), QCoreApplication::applicationDirPath() + '/');
    EXPECT_FALSE(exists(QStringLiteral("a.ini")));
    EXPECT_EQ(get(QStringLiteral("a.ini")), QByteArray("<missing>"));
    put(QStringLiteral("a.ini"), QByteArray("[x]\r\n\xF1=1\r\n"));
    EXPECT_TRUE(exists(QStringLiteral("a.ini")));
    EXPECT_EQ(path(QStringLiteral("a.ini")), ExeDir() + QStringLiteral("a.ini"));
    EXPECT_EQ(get(QStringLiteral("a.ini")), QByteArray("[x]\r\n\xF1=1\r\n"));
}

} // namespace
