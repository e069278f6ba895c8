// The main window driven as the user drives it: typing in the expression box,
// Enter, prompts answered through the window's prompter, the result box, the
// histories, the memories, the total and undo, and the files written at close.
#include "shell/frmcalc.h"
#include "frmcalcfixture.h"

#include "controls/comboexpr.h"
#include "controls/frmautocomp.h"
#include "controls/formmx.h"
#include "services/formulaview.h"
#include "services/toolwindow.h"
#include "controls/frmteclado.h"
#include "engine/bases.h"
#include "engine/formulapicture.h"
#include "engine/real/builtins_math.h"
#include "engine/real/expresion.h"
#include "foundation/core/basicos.h"
#include "foundation/core/cp1252.h"
#include "foundation/core/filesafe.h"
#include "foundation/core/zelini.h"
#include "services/frmusuario.h"
#include "shell/startup.h"
#include "support/recordingsink.h"
#include "support/scriptedprompter.h"
#include "testsupport.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QTest>
#include <QToolButton>

#include <deque>
#include <memory>
#include <optional>

namespace {

// ---------------------------------------------------------------------------
// Results

TEST_F(FrmCalcTest, EnterShowsTheResultAndFillsHistoriesAndTotal)
{
    struct Case {
        const char* text;
        const char* shown;
        bool inExpressionHistory;
        bool addsPair;
        bool totals;
    };
    const Case cases[] = {
        {"2+3", "5", true, true, true},
        // A truth value goes to the history but never into the total.
        {"1=1", "Verdadero", true, true, false},
        {"1=2", "Falso", true, true, false},
        {"1/0", "División por cero", false, false, false},
        {"Raiz(-1)", nullptr, false, false, false},   // an arithmetic failure: its own text
        {"0", "0", true, false, false},               // evaluated and shown, never added
        {"2+", nullptr, false, false, false},         // the compiler's message
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        openNotFirstRun();
        const QString text = QString::fromUtf8(c.text);
        enter(text);
        if (c.shown)
            EXPECT_EQ(result(), QString::fromUtf8(c.shown));
        else
            EXPECT_FALSE(result().isEmpty() || result() == QStringLiteral("Calculando..."));
        EXPECT_EQ(history().contains(text), c.inExpressionHistory);
        EXPECT_EQ(w->HistoryCount(), c.addsPair ? 2 : 0);
        EXPECT_EQ(w->TotalCount(), c.totals ? 1 : 0);
        EXPECT_EQ(w->Total(), c.totals ? 5 : 0);
        EXPECT_TRUE(sink.boxes.empty());
        w.reset();
        sink.boxes.clear();
    }
}

TEST_F(FrmCalcTest, TruthValuesAreDrawnAfreshForEveryCalculation)
{
    openNotFirstRun();
    enter(QStringLiteral("1=1"));
    const Extended t1 = real::engineState().TrueValue;
    const Extended f1 = real::engineState().FalseValue;
    EXPECT_EQ(Calc().LastResult, t1);
    EXPECT_GT(t1, 0);
    EXPECT_LT(f1, 0);
    enter(QStringLiteral("1<2"));
    EXPECT_EQ(result(), QStringLiteral("Verdadero"));
    EXPECT_NE(real::engineState().TrueValue, t1);
    // A comparison result is an ordinary number for the next calculation.
    enter(QStringLiteral("(1=1)>0"));
    EXPECT_EQ(result(), QStringLiteral("Verdadero"));
}

TEST_F(FrmCalcTest, EmptyEnterAddsNothingAnywhere)
{
    openNotFirstRun();
    enter(QStringLiteral("7"));
    ASSERT_EQ(w->TotalCount(), 1);
    enter(QString());
    EXPECT_EQ(result(), QString());
    EXPECT_EQ(w->Picture(), nullptr);
    EXPECT_EQ(w->HistoryCount(), 2);
    EXPECT_EQ(w->TotalCount(), 1);
    EXPECT_EQ(history(), QStringList{QStringLiteral("7")});
    // Nor does a change of the result base afterwards.
    w->SetResultBase(2);
    EXPECT_EQ(w->HistoryCount(), 2);
    EXPECT_EQ(w->Total(), 7);
}

TEST_F(FrmCalcTest, ResultBaseShowsAPairButKeepsTheTotal)
{
    openNotFirstRun();
    enter(QStringLiteral("5"));
    enter(QStringLiteral("2"));
    ASSERT_EQ(w->Total(), 7);
    w->SetResultBase(2);
    EXPECT_EQ(result(), QStringLiteral("10 [2]"));
    EXPECT_EQ(w->HistoryCount(), 6);
    EXPECT_EQ(w->HistoryLine(1), QStringLiteral("10 [2]   "));
    EXPECT_EQ(w->Total(), 7);
    EXPECT_EQ(w->TotalCount(), 2);
    EXPECT_TRUE(w->Edit2->toolTip().contains(QStringLiteral("(Decimal: 2)")));
}

TEST_F(FrmCalcTest, SettingChangesAfterAFailedCalculationKeepTheUsersLastAddition)
{
    openNotFirstRun();
    enter(QStringLiteral("4"));
    enter(QStringLiteral("6"));
    ASSERT_EQ(w->Total(), 10);
    enter(QStringLiteral("1/0"));
    w->SetAngleMode(1);
    EXPECT_EQ(w->Total(), 10);
    EXPECT_EQ(w->TotalCount(), 2);
    w->SetResultBase(16);
    EXPECT_EQ(w->Total(), 10);
    // The undo button still takes back the user's last addition.
    w->btnUndo->click();
    EXPECT_EQ(w->Total(), 4);
}

TEST_F(FrmCalcTest, AngleChangeRecalculatesWithTheUnitsImage)
{
    openNotFirstRun();
    enter(QStringLiteral("ArcSen(1)"));
    w->SetAngleMode(1);
    EXPECT_EQ(result(), QStringLiteral("90"));
    ASSERT_EQ(w->HistoryCount(), 4);
    EXPECT_EQ(w->HistoryObject(1), 1);
    EXPECT_EQ(w->HistoryObject(3), 0);
    EXPECT_EQ(w->HistoryObject(0), 0);
    EXPECT_EQ(w->TotalCount(), 1);
}

// ---------------------------------------------------------------------------
// Letter variables

TEST_F(FrmCalcTest, LettersAreAskedOnceInOrderAndTheirAssignmentsFollowTheResult)
{
    openNotFirstRun();
    prompter.answers = {QStringLiteral("2"), QStringLiteral("3")};
    enter(QStringLiteral("a+b+a"));
    EXPECT_EQ(result(), QStringLiteral("7"));
    ASSERT_EQ(prompter.prompts.size(), 2u);
    EXPECT_EQ(prompter.prompts[0].caption, QStringLiteral("Indique el valor de la variable a"));
    EXPECT_EQ(prompter.prompts[0].proposed, QStringLiteral("1"));
    EXPECT_EQ(prompter.prompts[1].caption, QStringLiteral("Indique el valor de la variable b"));
    ASSERT_EQ(w->HistoryCount(), 2);
    EXPECT_EQ(w->HistoryLine(0), QStringLiteral("a+b+a"));
    EXPECT_EQ(w->HistoryLine(1), QStringLiteral("7   {a=2} {b=3} "));
    // The next calculation asks again and offers the last text.
    prompter.answers = {QStringLiteral("10")};
    enter(QStringLiteral("a*2"));
    EXPECT_EQ(prompter.prompts.back().proposed, QStringLiteral("2"));
    EXPECT_EQ(result(), QStringLiteral("20"));
    EXPECT_EQ(w->Total(), 27);
}

TEST_F(FrmCalcTest, LetterWithoutProposedTextAndAnswersThatAreExpressions)
{
    openNotFirstRun();
    enter(QStringLiteral("4"));
    prompter.answers = {QStringLiteral("Rst*M0+2^3")};
    enter(QStringLiteral("p"));
    ASSERT_EQ(prompter.prompts.size(), 1u);
    EXPECT_EQ(prompter.prompts[0].proposed, QString());
    EXPECT_EQ(result(), QStringLiteral("8"));
}

TEST_F(FrmCalcTest, CancellingAPromptShowsTheMessageAndKeepsOnlyTheExpression)
{
    openNotFirstRun();
    prompter.answers = {QStringLiteral("2"), std::nullopt};
    enter(QStringLiteral("a+b"));
    EXPECT_EQ(result(), QStringLiteral("Cálculo cancelado"));
    EXPECT_EQ(history().value(0), QStringLiteral("a+b"));
    EXPECT_EQ(w->HistoryCount(), 0);
    EXPECT_EQ(w->TotalCount(), 0);
}

TEST_F(FrmCalcTest, AnswersThatDoNotEvaluateAreAskedAgain)
{
    openNotFirstRun();
    prompter.answers = {QStringLiteral("1/0"), QStringLiteral("3+"), QStringLiteral("6")};
    enter(QStringLiteral("c*2"));
    EXPECT_EQ(result(), QStringLiteral("12"));
    EXPECT_EQ(prompter.prompts.size(), 3u);
    // The retyped texts come back as the proposal.
    EXPECT_EQ(prompter.prompts[1].proposed, QStringLiteral("1/0"));
    EXPECT_EQ(sink.boxes.size(), 2u);
    EXPECT_EQ(w->HistoryLine(1), QStringLiteral("12   {c=6} "));
}

TEST_F(FrmCalcTest, AnswersUsingXOrNDoNotReenterTheRunningEvaluator)
{
    openNotFirstRun();
    // a's answer asks x; x's answer is a number.
    prompter.answers = {QStringLiteral("x*2"), QStringLiteral("3")};
    enter(QStringLiteral("a+1"));
    EXPECT_EQ(result(), QStringLiteral("7"));
    EXPECT_EQ(w->HistoryLine(1), QStringLiteral("7   {x=3} {a=x*2} "));

    // x's answer uses x itself: refused with a box, then asked again.
    prompter.prompts.clear();
    sink.boxes.clear();
    prompter.answers = {QStringLiteral("x+1"), QStringLiteral("5")};
    enter(QStringLiteral("x*10"));
    EXPECT_EQ(result(), QStringLiteral("50"));
    EXPECT_EQ(prompter.prompts.size(), 2u);
    ASSERT_EQ(sink.boxes.size(), 1u);
    EXPECT_TRUE(sink.boxes[0].text.contains(QStringLiteral("x")));

    // n's answer asks x, whose answer asks n: refused, then a number.
    prompter.prompts.clear();
    sink.boxes.clear();
    prompter.answers = {QStringLiteral("x"), QStringLiteral("n"), QStringLiteral("2")};
    enter(QStringLiteral("n+100"));
    EXPECT_EQ(result(), QStringLiteral("102"));
    EXPECT_EQ(sink.boxes.size(), 1u);
}

TEST_F(FrmCalcTest, AnUndeclaredNameEndsTheRequestWithTheErrorBox)
{
    openNotFirstRun();
    enter(QStringLiteral("3"));
    enter(QStringLiteral("zz9+1"));
    ASSERT_EQ(sink.boxes.size(), 1u);
    EXPECT_EQ(sink.boxes[0].caption, QStringLiteral("Sumbrix 2.84"));
    // The result box says what the box said.
    EXPECT_EQ(result(), QStringLiteral("\"zz9\" no está definido"));
    EXPECT_EQ(history(), QStringList{QStringLiteral("3")});
    EXPECT_EQ(w->HistoryCount(), 2);
    EXPECT_EQ(w->Total(), 3);
    // An answer with an undeclared name ends the request the same way.
    sink.boxes.clear();
    prompter.answers = {QStringLiteral("qq7")};
    enter(QStringLiteral("a+1"));
    EXPECT_EQ(sink.boxes.size(), 1u);
    EXPECT_EQ(result(), QStringLiteral("\"qq7\" no está definido"));
    EXPECT_EQ(w->HistoryCount(), 2);
    // The base change that follows adds nothing for the broken request.
    w->SetResultBase(2);
    EXPECT_EQ(w->HistoryCount(), 2);
}

TEST_F(FrmCalcTest, AnEquationWithTheUnknownIsSolved)
{
    openNotFirstRun();
    enter(QStringLiteral("2*?=10"));
    EXPECT_EQ(result(), QStringLiteral("5"));
    EXPECT_EQ(w->Total(), 5);
}

// ---------------------------------------------------------------------------
// Expression history

TEST_F(FrmCalcTest, AnExpressionFoundInTheHistorySwapsPlacesWithTheFirst)
{
    openNotFirstRun();
    for (const char* t : {"1+1", "2+2", "3+3", "4+4"})
        enter(QString::fromLatin1(t));
    ASSERT_EQ(history(), (QStringList{"4+4", "3+3", "2+2", "1+1"}));
    enter(QStringLiteral("1+1"));
    EXPECT_EQ(history(), (QStringList{"1+1", "3+3", "2+2", "4+4"}));
    // Letter case does not matter; found at the top nothing changes.
    enter(QStringLiteral("1+1"));
    EXPECT_EQ(history(), (QStringList{"1+1", "3+3", "2+2", "4+4"}));
    enter(QStringLiteral("SEN(0)"));
    enter(QStringLiteral("sen(0)"));
    EXPECT_EQ(history().size(), 5);
}

TEST_F(FrmCalcTest, TheHistoryKeepsAtMostMaxListEntries)
{
    openNotFirstRun();
    Calc().MaxList = 5;
    for (int i = 1; i <= 6; ++i)
        enter(QStringLiteral("%1*2").arg(i));
    EXPECT_EQ(history(), (QStringList{"6*2", "5*2", "4*2", "3*2", "2*2"}));
}

// ---------------------------------------------------------------------------
// Total and undo

TEST_F(FrmCalcTest, UndoRestoresTheTotalBeforeTheLastAdditionOnlyOnce)
{
    openNotFirstRun();
    enter(QStringLiteral("10"));
    enter(QStringLiteral("5"));
    EXPECT_EQ(w->edtTotal->text(), QStringLiteral("15"));
    EXPECT_EQ(w->Label1->text(), QStringLiteral("2"));
    EXPECT_TRUE(w->btnUndo->isEnabled());
    w->btnUndo->click();
    EXPECT_EQ(w->edtTotal->text(), QStringLiteral("10"));
    EXPECT_EQ(w->Label1->text(), QStringLiteral("1"));
    EXPECT_FALSE(w->btnUndo->isEnabled());
    w->btnUndoClick();
    EXPECT_EQ(w->Total(), 10);
    EXPECT_EQ(w->TotalCount(), 1);
    EXPECT_EQ(w->edtTotal->toolTip(), QStringLiteral("Total (suma de resultados): 10"));
    // Total to zero can be undone as well.
    w->SpeedButton1->click();
    EXPECT_EQ(w->Total(), 0);
    EXPECT_EQ(w->TotalCount(), 0);
    w->btnUndo->click();
    EXPECT_EQ(w->Total(), 10);
}

// ---------------------------------------------------------------------------
// Memories

TEST_F(FrmCalcTest, MemoryActionsWorkOnTheLastResult)
{
    openNotFirstRun();
    enter(QStringLiteral("6"));
    w->MemoryAction(3, 1001);   // Cargar
    w->MemoryAction(3, 1002);   // Sumar
    EXPECT_EQ(Calc().Memories[3], 12);
    w->MemoryAction(3, 1003);   // Restar
    EXPECT_EQ(Calc().Memories[3], 6);
    w->cmbEdit->SetText(QStringLiteral("1+"));
    w->cmbEdit->SetSel(2, 0);
    w->MemoryAction(3, 1000);   // Insertar
    EXPECT_EQ(w->cmbEdit->Text(), QStringLiteral("1+M3"));
    QTest::keyClick(w->cmbEdit, Qt::Key_Return);
    EXPECT_EQ(result(), QStringLiteral("7"));
    w->MenuMemoriaPopup();
    EXPECT_EQ(w->PopupMenu5->actions().value(3)->text(), QStringLiteral("M3 = 6"));
    w->MemoryAction(3, 1004);   // Borrar
    EXPECT_EQ(Calc().Memories[3], 0);
}

// ---------------------------------------------------------------------------
// History list

TEST_F(FrmCalcTest, HistoryListMenu)
{
    openNotFirstRun();
    prompter.answers = {QStringLiteral("2"), QStringLiteral("3")};
    enter(QStringLiteral("a*b"));
    enter(QStringLiteral("1+1"));
    ASSERT_EQ(lines(), (QStringList{"1+1", "2   ", "a*b", "6   {a=2} {b=3} "}));

    w->CopiarTodoClick();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("1+1\t2   \ra*b\t6   {a=2} {b=3} \r"));
    w->CopiarResultadosClick();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("2   \r6   {a=2} {b=3} \r"));

    // A result line goes to the box without its assignments.
    selectLine(3);
    w->ReemplazarenexpresinClick();
    EXPECT_EQ(w->cmbEdit->Text(), QStringLiteral("6"));
    selectLine(2);
    w->ReemplazarenexpresinClick();
    EXPECT_EQ(w->cmbEdit->Text(), QStringLiteral("a*b"));

    w->MenuListaPopup();
    EXPECT_TRUE(w->Eliminar1->isEnabled());
    selectLine(3);
    w->EliminarClick();
    EXPECT_EQ(lines(), (QStringList{"1+1", "2   "}));

    sink.answers = {idNo};
    w->LimpiarTodoClick();
    EXPECT_EQ(w->HistoryCount(), 2);
    sink.answers = {idYes};
    w->LimpiarTodoClick();
    EXPECT_EQ(w->HistoryCount(), 0);
    EXPECT_EQ(sink.boxes.back().caption, QStringLiteral("Vaciar Detalle"));
    EXPECT_EQ(sink.boxes.back().text, QStringLiteral("¿Esta seguro?"));
    w->MenuListaPopup();
    EXPECT_FALSE(w->LimpiarTodo1->isEnabled());
    EXPECT_FALSE(w->Reemplazarenexpresin1->isEnabled());
    // The total is not touched by the list.
    EXPECT_EQ(w->Total(), 8);
}

// ---------------------------------------------------------------------------
// Live drawing and the picture

TEST_F(FrmCalcTest, LiveDrawingShowsCompileErrorsWithoutEvaluating)
{
    openNotFirstRun();
    w->show();
    w->cmbEdit->SetText(QStringLiteral("2+"));
    EXPECT_TRUE(w->lblError->isVisible());
    EXPECT_FALSE(w->lblError->text().isEmpty());
    // Letters are drawn, never asked.
    w->cmbEdit->SetText(QStringLiteral("a/b"));
    EXPECT_FALSE(w->lblError->isVisible());
    EXPECT_TRUE(prompter.prompts.empty());
    ASSERT_NE(w->Picture(), nullptr);
    EXPECT_FALSE(w->Picture()->isEmpty());
    w->cmbEdit->SetText(QString());
    EXPECT_EQ(w->Picture(), nullptr);
    // Switched off: the error label goes and typing draws nothing.
    w->cmbEdit->SetText(QStringLiteral("2+"));
    w->SetAutoDraw(false);
    EXPECT_FALSE(w->lblError->isVisible());
    w->cmbEdit->SetText(QStringLiteral("1+*"));
    EXPECT_FALSE(w->lblError->isVisible());
    EXPECT_EQ(w->HistoryCount(), 0);
}

TEST_F(FrmCalcTest, EnterDrawsThePictureOfTheCompiledExpression)
{
    openNotFirstRun();
    w->SetAutoDraw(false);
    enter(QStringLiteral("1/2"));
    ASSERT_NE(w->Picture(), nullptr);
    EXPECT_GT(w->Picture()->width(), 4);
    enter(QStringLiteral("2+"));
    EXPECT_EQ(w->Picture(), nullptr);
}

// ---------------------------------------------------------------------------
// Start-up and shut-down

TEST_F(FrmCalcTest, FirstRunOffersHelpOnceAndRecordsTheVersion)
{
    int helpShown = 0;
    sink.answers = {idYes};
    // The help file beside the program: "Yes" opens its first topic.
    ASSERT_TRUE(QFile::copy(QCoreApplication::applicationDirPath() + QStringLiteral("/sumbrix.ayuda"),
                            dir.filePath(QStringLiteral("sumbrix.ayuda"))));
    open();
    ASSERT_EQ(sink.boxes.size(), 1u);
    EXPECT_TRUE(sink.boxes[0].text.startsWith(QStringLiteral("Parece que es la primera vez")));
    EXPECT_EQ(sink.boxes[0].flags, mb::YesNo | mb::IconInformation);
    {
        TZelIniFile ini(dir.filePath(QStringLiteral("sumbrix.ini")));
        EXPECT_EQ(ini.ReadInteger(QStringLiteral("Opciones"), QStringLiteral("Ver"), 0), 280);
    }
    w->OnHelpContext = [&](int) { ++helpShown; };
    w->close();
    w.reset();
    sink.boxes.clear();
    open();
    EXPECT_TRUE(sink.boxes.empty());
    EXPECT_EQ(helpShown, 0);
}

TEST_F(FrmCalcTest, ClosingWritesSettingsAndTheExpressionHistory)
{
    writeSettings("[Memoria]\r\nM2=1.5\r\n");
    open();
    EXPECT_EQ(Calc().Memories[2], 1.5L);
    // Without any calculation expr.lst is written all the same.
    w->close();
    EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("expr.lst"))));
    w.reset();

    open();
    prompter.answers = {QStringLiteral("4")};
    enter(QStringLiteral("my_x+1"));   // an identifier with "_" (unknown: not kept)
    enter(QStringLiteral("t*2"));
    enter(QStringLiteral("0.1"));
    Calc().Memories[9] = 0.1L;
    w->SetAngleMode(5);
    w->close();
    w.reset();

    EXPECT_EQ(cp1252::decode(file(QStringLiteral("expr.lst"))), QStringLiteral("0.1\r\nt*2\r\n"));
    TZelIniFile ini(dir.filePath(QStringLiteral("sumbrix.ini")));
    EXPECT_EQ(ini.ReadFloat(QStringLiteral("Memoria"), QStringLiteral("M9"), 0), 0.1L);
    EXPECT_EQ(ini.ReadString(QStringLiteral("Calculos"), QStringLiteral("0"), QString()), QStringLiteral("0.1_0"));
    EXPECT_EQ(ini.ReadString(QStringLiteral("Calculos"), QStringLiteral("1"), QString()),
              QStringLiteral("0.1   _5"));
    EXPECT_TRUE(ini.SectionExists(QStringLiteral("Posfrmcalcu")) || ini.SectionExists(QStringLiteral("PosfrmCalcu")));

    // The next start shows the same lines, icons and expression history.
    Calc().reset();
    Calc().FixedSeed = 1;
    Calc().Prompter = &prompter;
    open();
    EXPECT_EQ(w->HistoryCount(), 6);
    EXPECT_EQ(w->HistoryObject(1), 5);
    EXPECT_EQ(w->HistoryLine(4), QStringLiteral("t*2"));
    EXPECT_EQ(w->HistoryLine(5), QStringLiteral("8   {t=4}"));
    EXPECT_EQ(history(), (QStringList{"0.1", "t*2"}));
    EXPECT_EQ(Calc().Memories[9], 0.1L);
}

TEST_F(FrmCalcTest, SavedHistoryLinesAreCutAfterMaxListAndTextsKeepTheirUnderscores)
{
    QByteArray lines = "[Calculos]\r\n0=a_b+1_0\r\n1=3   _1\r\n2=texto sin icono\r\n3=cortado_x9\r\n4=_\r\n";
    writeSettings(lines);
    open();
    ASSERT_EQ(w->HistoryCount(), 5);
    EXPECT_EQ(w->HistoryLine(0), QStringLiteral("a_b+1"));
    EXPECT_EQ(w->HistoryObject(0), 0);
    EXPECT_EQ(w->HistoryLine(1), QStringLiteral("3"));
    EXPECT_EQ(w->HistoryObject(1), 1);
    EXPECT_EQ(w->HistoryLine(2), QStringLiteral("texto sin icono"));
    EXPECT_EQ(w->HistoryLine(3), QStringLiteral("cortado_x9"));
    EXPECT_EQ(w->HistoryObject(3), 0);
    EXPECT_EQ(w->HistoryLine(4), QString());
    Calc().MaxList = 2;
    w->close();
    w.reset();
    TZelIniFile ini(dir.filePath(QStringLiteral("sumbrix.ini")));
    QStringList keys;
    ini.ReadSection(QStringLiteral("Calculos"), keys);
    EXPECT_EQ(keys, (QStringList{"0", "1", "2"}));
}

TEST_F(FrmCalcTest, AnUnreadableHistoryFileIsReportedAndTheStartGoesOn)
{
    writeSettings();
    // A folder where the history file should be: it exists but cannot be read.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("expr.lst")));
    open();
    ASSERT_EQ(sink.boxes.size(), 1u);
    enter(QStringLiteral("2"));
    EXPECT_EQ(result(), QStringLiteral("2"));
    w->close();
    w.reset();
    EXPECT_TRUE(QFileInfo(dir.filePath(QStringLiteral("expr.lst"))).isDir());
    // Nothing more was reported, and the settings were written.
    EXPECT_EQ(sink.boxes.size(), 1u);
    TZelIniFile ini(dir.filePath(QStringLiteral("sumbrix.ini")));
    EXPECT_EQ(ini.ReadString(QStringLiteral("Calculos"), QStringLiteral("0"), QString()), QStringLiteral("2_0"));
}

// Closing replaces the settings file once, whole: a kill or a full disk at
// any step of that write leaves the old file, history lines included.
TEST_F(FrmCalcTest, AKillWhileClosingNeverLosesTheHistory)
{
    writeSettings("[Calculos]\r\n0=7_0\r\n1=7\r\n");
    struct Killed {};
    int writes = 0;
    bool dead = false;
    FileWriting().BeforeStep = [&](const QString& name, FileWriteStep step) {
        if (dead)
            return false; // nothing more reaches the disk
        if (!name.endsWith(QStringLiteral("sumbrix.ini")))
            return true;
        writes += step == FileWriteStep::Create;
        if (step == FileWriteStep::Rename) {
            dead = true;
            throw Killed{};
        }
        return true;
    };
    open();
    enter(QStringLiteral("2"));
    EXPECT_THROW(w->SaveSettings(), Killed);
    FileWriting().reset();
    EXPECT_EQ(writes, 1);
    w.reset();
    sink.boxes.clear();
    // The old file, whole, at the next start; the leftover is gone.
    open();
    EXPECT_EQ(lines(), (QStringList{"7", "7"}));
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("sumbrix.ini.tmp"))));
}

TEST_F(FrmCalcTest, AFullDiskAtCloseIsReportedOncePerFile)
{
    writeSettings();
    open();
    enter(QStringLiteral("2"));
    FileWriting().BeforeStep = [](const QString&, FileWriteStep step) { return step != FileWriteStep::Write; };
    sink.boxes.clear();
    w->close();
    w.reset();
    FileWriting().reset();
    ASSERT_EQ(sink.boxes.size(), 2) << "the settings and expr.lst";
    EXPECT_TRUE(sink.boxes[0].text.contains(QStringLiteral("sumbrix.ini")));
    EXPECT_TRUE(sink.boxes[1].text.contains(QStringLiteral("expr.lst")));
    // The old settings stand.
    EXPECT_EQ(file(QStringLiteral("sumbrix.ini")), QByteArray("[Opciones]\r\nVer=280\r\n"));
}

TEST_F(FrmCalcTest, OnlyNumberedKeysAreHistoryLines)
{
    writeSettings("[Calculos]\r\nCant=999999999\r\n1=4_0\r\n0=2+2\r\nx=1\r\n");
    open();
    EXPECT_EQ(lines(), (QStringList{"2+2", "4"}));
    EXPECT_EQ(w->HistoryObject(1), 0);
}

// Only the expressions the box keeps are read from a long expr.lst.
TEST_F(FrmCalcTest, ALongExpressionHistoryIsReadUpToTheBoxsLength)
{
    writeSettings();
    QFile f(dir.filePath(QStringLiteral("expr.lst")));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    for (int i = 0; i < 20000; ++i)
        f.write(QByteArray::number(i) + "+1\r\n");
    f.close();
    open();
    ASSERT_EQ(history().size(), Calc().MaxList);
    EXPECT_EQ(history().first(), QStringLiteral("0+1"));
    w->close();
    w.reset();
    EXPECT_EQ(file(QStringLiteral("expr.lst")).count('\n'), Calc().MaxList);
}

// ---------------------------------------------------------------------------
// Calculator functions and user definitions through the window

TEST_F(FrmCalcTest, CalculatorFunctionsBindTheirLetterWithoutAskingIt)
{
    openNotFirstRun();
    struct Case {
        const char* text;
        const char* shown;
    };
    const Case cases[] = {
        {"Sumatoria(1,4,n)", "10"},
        {"Producto(1,4,n)", "24"},
        {"MCM(4,6,8)", "24"},
        {"Det(1,2,3,4)", "-2"},
        {"Evaluar(3,x^2)", "9"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        enter(QString::fromUtf8(c.text));
        EXPECT_EQ(result(), QString::fromUtf8(c.shown));
    }
    EXPECT_TRUE(prompter.prompts.empty());
    // An x outside the function is asked once, as usual.
    prompter.answers = {QStringLiteral("10")};
    enter(QStringLiteral("Evaluar(2,x^2)+x"));
    EXPECT_EQ(result(), QStringLiteral("14"));
    EXPECT_EQ(prompter.prompts.size(), 1u);
}

TEST_F(FrmCalcTest, DefinitionsDialogOkRegistersTheNamesAgain)
{
    openNotFirstRun();
    {
        QFile f(dir.filePath(QStringLiteral("real.duf")));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[Constantes]\r\nk2=3*2_dos veces tres\r\n");
    }
    int runs = 0;
    w->RunDialog = [&](QDialog& d) {
        ++runs;
        EXPECT_EQ(d.objectName().isEmpty(), false);
        return runs == 1 ? int(TfmUsuario::mrCancel) : int(TfmUsuario::mrOk);
    };
    w->Constantes1Click(0);
    enter(QStringLiteral("k2"));
    EXPECT_EQ(result(), QStringLiteral("\"k2\" no está definido"));   // unknown until OK
    sink.boxes.clear();
    w->Constantes1Click(0);
    enter(QStringLiteral("k2*2"));
    EXPECT_EQ(result(), QStringLiteral("12"));
    emit w->Constante1->aboutToShow();
    const QList<QAction*> items = w->Constante1->actions();
    ASSERT_EQ(items.size(), 4);
    EXPECT_EQ(items[3]->text(), QStringLiteral("dos veces tres"));
    w->cmbEdit->SetText(QString());
    items[3]->trigger();
    EXPECT_EQ(w->cmbEdit->Text(), QStringLiteral("k2"));
    // The letters, memories and functions are still there.
    prompter.answers = {QStringLiteral("1")};
    enter(QStringLiteral("a+M0+Sumatoria(1,2,n)"));
    EXPECT_EQ(result(), QStringLiteral("4"));
    EXPECT_EQ(prompter.prompts.size(), 1u);
    enter(QStringLiteral("2*?=4"));
    EXPECT_EQ(result(), QStringLiteral("2"));
}

TEST_F(FrmCalcTest, UserDefinitionsLoadAtStartAndAFaultyOneIsReportedOnce)
{
    const QByteArray duf = "[Constantes]\r\nk2=3*2_dos veces tres\r\nmala=1/_rota\r\n"
                           "[Funciones]\r\ndoble=?A*2_el doble\r\n";
    {
        QFile f(dir.filePath(QStringLiteral("real.duf")));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(duf);
    }
    openNotFirstRun();
    // Reported (possibly with the engine's own box first), and the start went on.
    EXPECT_GE(sink.boxes.size(), 1u);
    EXPECT_LE(sink.boxes.size(), 2u);
    enter(QStringLiteral("k2+doble(5)"));
    EXPECT_EQ(result(), QStringLiteral("16"));
    EXPECT_TRUE(w->UserNames.contains(QStringLiteral("k2")));
    ASSERT_TRUE(w->UserNames.contains(QStringLiteral("doble()")));
    w->cmbEdit->SetText(QStringLiteral("1+"));
    w->cmbEdit->SetSel(2, 0);
    w->InsertUserName(int(w->UserNames.indexOf(QStringLiteral("doble()"))));
    EXPECT_EQ(w->cmbEdit->Text(), QStringLiteral("1+doble()"));
    EXPECT_EQ(w->cmbEdit->SelStart(), 8);
    w->close();
    w.reset();
    EXPECT_EQ(file(QStringLiteral("real.duf")), duf);
}

} // namespace

// Many constants: the menu is filled when it opens, in groups that each open
// at once, and every constant is reachable.
TEST_F(FrmCalcTest, ManyUserConstantsOpenInGroups)
{
    {
        QFile f(dir.filePath(QStringLiteral("real.duf")));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[Constantes]\r\n");
        for (int i = 0; i < 1200; ++i)
            f.write("c" + QByteArray::number(i) + "=" + QByteArray::number(i) + "\r\n");
    }
    openNotFirstRun();
    EXPECT_EQ(w->Constante1->actions().size(), 3) << "filled only when shown";
    emit w->Constante1->aboutToShow();
    const QList<QAction*> items = w->Constante1->actions();
    ASSERT_EQ(items.size(), 6);
    EXPECT_EQ(items[3]->text(), QStringLiteral("c0 … c499"));
    EXPECT_EQ(items[5]->text(), QStringLiteral("c1000 … c1199"));
    const QList<QAction*> last = items[5]->menu()->actions();
    ASSERT_EQ(last.size(), 200);
    w->cmbEdit->SetText(QString());
    last.back()->trigger();
    EXPECT_EQ(w->cmbEdit->Text(), QStringLiteral("c1199"));
}

// The extension points: a settings part read at start and written into the
// one write at close, start-up steps in order, and the notices a tool follows.
TEST_F(FrmCalcTest, ExtensionPointsAndNotices)
{
    std::vector<QString> log;
    MainExtensions().SettingsParts.push_back(
        {QStringLiteral("prueba"),
         [&](TZelIniFile& ini) { log.push_back(ini.ReadString(QStringLiteral("Prueba"), QStringLiteral("x"), QStringLiteral("?"))); },
         [&](TZelIniFile& ini) { ini.WriteString(QStringLiteral("Prueba"), QStringLiteral("x"), QStringLiteral("escrito")); }});
    MainExtensions().StartSteps.push_back({QStringLiteral("uno"), [&] { log.push_back(QStringLiteral("paso 1")); }});
    MainExtensions().StartSteps.push_back({QStringLiteral("dos"), [&] { log.push_back(QStringLiteral("paso 2")); }});
    writeSettings("[Prueba]\r\nx=leido\r\n");
    open();
    EXPECT_EQ(log, (std::vector<QString>{"leido", "paso 1", "paso 2"}));

    int calculations = 0, angles = 0;
    w->Notices().Connect(THostNotice::AfterCalculation, [&] { ++calculations; });
    w->Notices().Connect(THostNotice::AngleChanged, [&] { ++angles; });
    enter(QStringLiteral("2+2"));
    enter(QStringLiteral("2+"));   // a compile error ends a calculation too
    EXPECT_EQ(calculations, 2);
    w->SetAngleMode(1);
    EXPECT_EQ(angles, 1);
    EXPECT_EQ(w->AngleUnit(), 1);
    EXPECT_EQ(w->LastResult(), 4);
    EXPECT_EQ(w->InputEvaluator(), Calc().InputEvaluator);
    w->close();
    w.reset();
    MainExtensions().reset();
    TZelIniFile ini(dir.filePath(QStringLiteral("sumbrix.ini")));
    EXPECT_EQ(ini.ReadString(QStringLiteral("Prueba"), QStringLiteral("x"), QString()), QStringLiteral("escrito"));
}

// ---------------------------------------------------------------------------
// Options of the settings file

TEST_F(FrmCalcTest, OptionsTakeEffectAndAreWrittenBackInOrder)
{
    writeSettings("FAngulo=1\r\nSeparaMiles=1\r\nBaseResultado=16\r\nDigitos=4\r\nModoDigitos=1\r\n"
                  "MaxDif=0.001\r\nMostrarTeclado=0\r\nMagnetico=0\r\nAutocompletar=0\r\nMaxList=7\r\n"
                  "FENom=Fuente Inexistente\r\nFETam=14\r\nFETipo=2\r\nFRTipo=0\r\n"
                  "ClLuz=255\r\nClFondo=65280\r\nVerTotal=0\r\nVerHistorial=1\r\nPrimos=1\r\nAutoDibujar=0\r\n");
    open();
    EXPECT_EQ(w->AngleUnit(), 1);
    EXPECT_EQ(w->MainEvaluator()->AngleMode, 1);
    EXPECT_TRUE(numtext().GroupDigits);
    EXPECT_EQ(numtext().DisplayBase, 16);
    EXPECT_EQ(numtext().DisplayDigits, 4);
    EXPECT_FALSE(numtext().StripTrailingZeros);
    EXPECT_EQ(numtext().DisplayNotation, 1);
    EXPECT_EQ(real::engineState().EqualityTolerance, 0.001L);
    EXPECT_FALSE(ComboExpr().KeyboardEnabled);
    EXPECT_FALSE(w->Magnetic);
    EXPECT_FALSE(AutoComp().AutoCompleteOn);
    EXPECT_EQ(Calc().MaxList, 7);
    // The stored face name stays even where the system lacks it.
    EXPECT_EQ(w->cmbEdit->font().family(), QStringLiteral("Fuente Inexistente"));
    EXPECT_EQ(w->cmbEdit->font().pointSize(), 14);
    EXPECT_TRUE(w->cmbEdit->font().italic());
    EXPECT_FALSE(w->cmbEdit->font().bold());
    EXPECT_FALSE(w->Edit2->font().bold());
    EXPECT_EQ(w->Appearance().ClLuz, TColor(255));
    EXPECT_EQ(w->Appearance().ClFondo, TColor(65280));
    EXPECT_EQ(w->FormulaView->Background(), TColor(65280));
    EXPECT_TRUE(w->edtTotal->isHidden()) << "no total";
    EXPECT_TRUE(w->Label1->isHidden());
    EXPECT_FALSE(w->Panel2->isHidden()) << "the bar stays";
    EXPECT_FALSE(w->Panel3->isHidden());
    EXPECT_TRUE(w->ToolFlag(QStringLiteral("Primos")));
    EXPECT_FALSE(w->AutoDraw());
    w->close();
    w.reset();

    TZelIniFile ini(dir.filePath(QStringLiteral("sumbrix.ini")));
    QStringList keys;
    ini.ReadSection(QStringLiteral("Opciones"), keys);
    // "Ver" first (written at the first run), then the close's order.
    EXPECT_EQ(keys, (QStringList{"Ver", "FAngulo", "SeparaMiles", "BaseResultado", "Digitos", "ModoDigitos",
                                 "MaxDif", "MostrarTeclado", "Magnetico", "Autocompletar", "MaxList", "FENom",
                                 "FETam", "FETipo", "FRTipo", "ClLuz", "ClFondo", "VerTotal", "VerHistorial",
                                 "Primos", "AutoDibujar", "SiempreVisible", "ModoReducido", "MMR", "NoTitulo",
                                 "Conversor", "Formulas", "Fechas", "Matrices", "Estadisticas", "Fracciones",
                                 "Complejos", "Polinomios", "TablaPer", "VerBarra", "AltoF", "AltoH", "ClSombra",
                                 "ClTexto", "Transp"}));
    auto value = [&](const char* key) { return ini.ReadString(QStringLiteral("Opciones"), QLatin1String(key), "-"); };
    EXPECT_EQ(value("FAngulo"), "1");
    EXPECT_EQ(value("BaseResultado"), "16");
    EXPECT_EQ(value("Digitos"), "4");
    EXPECT_EQ(value("Primos"), "1") << "a tool flag survives until its tool exists";
    EXPECT_EQ(value("AutoDibujar"), "0");
    EXPECT_EQ(value("ClLuz"), "255");
    EXPECT_EQ(value("FENom"), "Fuente Inexistente") << "written by the options dialog only";
}

TEST_F(FrmCalcTest, OptionsOutOfRangeFallBackToTheirDefaults)
{
    struct Case {
        const char* line;
        std::function<void()> check;
    };
    const Case cases[] = {
        {"FAngulo=9", [&] { EXPECT_EQ(w->AngleUnit(), 0); }},
        {"FAngulo=-1", [&] { EXPECT_EQ(w->AngleUnit(), 0); }},
        {"BaseResultado=1", [&] { EXPECT_EQ(numtext().DisplayBase, 10); }},
        {"BaseResultado=37", [&] { EXPECT_EQ(numtext().DisplayBase, 10); }},
        {"Digitos=3", [&] { EXPECT_TRUE(numtext().StripTrailingZeros); }},
        {"Digitos=255", [&] { EXPECT_EQ(numtext().DisplayDigits, 16); }},
        {"ModoDigitos=7", [&] { EXPECT_EQ(numtext().DisplayNotation, 0); }},
        {"MaxList=0", [&] { EXPECT_EQ(Calc().MaxList, 50); }},
        {"MaxList=-5", [&] { EXPECT_EQ(Calc().MaxList, 50); }},
        {"FETipo=5", [&] { EXPECT_TRUE(w->cmbEdit->font().bold()) << "the designed style stays"; }},
        {"TranspVal=400", [&] { EXPECT_EQ(FormMXSettings().TranspPercent, 15); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        writeSettings(QByteArray(c.line) + "\r\n");
        open();
        c.check();
        enter(QStringLiteral("1/3"));   // the number text works with what was read
        EXPECT_FALSE(result().isEmpty());
        w.reset();
        numtext().reset();
        FormMXSettings().reset();
        Calc().reset();
        Calc().FixedSeed = 20260101;
        Calc().Prompter = &prompter;
    }
}

TEST_F(FrmCalcTest, DigitsFourKeepTrailingZerosAndHundredIsFloating)
{
    writeSettings("Digitos=4\r\n");
    open();
    enter(QStringLiteral("1/2"));
    EXPECT_EQ(result(), QStringLiteral("0.5000"));
    w->SetDigits(100);
    EXPECT_EQ(result(), QStringLiteral("0.5"));
}

// ---------------------------------------------------------------------------
// Menus and keys

QAction* ActionByText(QMenu* menu, const QString& text)
{
    for (QAction* a : menu->actions()) {
        if (a->text() == text)
            return a;
        if (a->menu())
            if (QAction* found = ActionByText(a->menu(), text))
                return found;
    }
    return nullptr;
}

TEST_F(FrmCalcTest, InsertMenuOperatorsAndFunctionTemplates)
{
    openNotFirstRun();
    struct Case {
        const char* before;
        int selStart, selLength;
        const char* item;
        const char* after;
        int caret;
    } cases[] = {
        {"2*x+1", 2, 3, "Seno", "2*Sen(x+1)", 9},
        {"2", 1, 0, "Mayor Igual", "2>=", 3},
        {"", 0, 0, "Logarítmo base N", "LogN(,)", 6},
        {"a", 0, 1, "Máximo", "Max(a,{,...255})", 15},
        {"7", 1, 0, "Radicación", "7\\", 2},
        {"", 0, 0, "Resolver", "Resolver(,,)", 11},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.item);
        w->cmbEdit->SetText(QString::fromUtf8(c.before));
        w->cmbEdit->SetSel(c.selStart, c.selLength);
        QAction* a = ActionByText(w->PopupMenu4, QString::fromUtf8(c.item));
        ASSERT_NE(a, nullptr);
        a->trigger();
        EXPECT_EQ(w->cmbEdit->Text(), QString::fromUtf8(c.after));
        EXPECT_EQ(w->cmbEdit->SelStart(), c.caret);
    }
    // The designed menu: the hidden "&Expresión" and "Resolver" last.
    const QList<QAction*> top = w->PopupMenu4->actions();
    EXPECT_EQ(top.front()->text(), QStringLiteral("&Resultado"));
    EXPECT_EQ(top.back()->text(), QStringLiteral("Resolver"));
}

TEST_F(FrmCalcTest, BaseAndAngleButtonsCycleAndMirrorTheirMenus)
{
    openNotFirstRun();
    const int bases[] = {2, 8, 16, 10};
    for (int b : bases) {
        w->btnBaseClick();
        EXPECT_EQ(numtext().DisplayBase, b);
        EXPECT_TRUE(w->FindMenuItemByTag(w->PopupMenu8, b)->isChecked());
        EXPECT_EQ(w->btnBase->toolTip(), QStringLiteral("Base numérica del resultado: %1 (F7)").arg(b));
    }
    w->SetResultBase(5);
    w->btnBaseClick();
    EXPECT_EQ(numtext().DisplayBase, 10) << "any other base goes to 10";
    for (int i = 1; i <= 6; ++i) {
        QTest::keyClick(w->cmbEdit, Qt::Key_F11);
        EXPECT_EQ(w->AngleUnit(), i % 6);
    }
    w->SetAngleMode(1);
    EXPECT_EQ(w->FormAngulo->toolTip(), QStringLiteral("Formato de Angulos: Sexagesimales (F11)"));
    EXPECT_TRUE(w->FindMenuItemByTag(w->PopupMenu2, 1)->isChecked());
    QTest::keyClick(w->cmbEdit, Qt::Key_F7);
    EXPECT_EQ(numtext().DisplayBase, 2);
}

TEST_F(FrmCalcTest, DigitsMenuAndHints)
{
    openNotFirstRun();
    enter(QStringLiteral("2/3"));
    ActionByText(w->PopupMenu3, QStringLiteral("4 decimales"))->trigger();
    EXPECT_EQ(result(), QStringLiteral("0.6667"));
    EXPECT_EQ(w->btnDigitos->toolTip(), QStringLiteral("Formato Decimal (F12): 4 dígitos"));
    ActionByText(w->PopupMenu3, QStringLiteral("Flotante"))->trigger();
    EXPECT_EQ(w->btnDigitos->toolTip(), QStringLiteral("Formato Decimal (F12): Flotante"));
    ActionByText(w->PopupMenu3, QStringLiteral("Científico"))->trigger();
    EXPECT_EQ(numtext().DisplayNotation, 1);
    EXPECT_TRUE(ActionByText(w->PopupMenu3, QStringLiteral("Científico"))->isChecked());
    ActionByText(w->PopupMenu3, QStringLiteral("Separador de miles"))->trigger();
    EXPECT_TRUE(numtext().GroupDigits);
    // F12 has no action of its own.
    const QString before = result();
    QTest::keyClick(w->cmbEdit, Qt::Key_F12);
    EXPECT_EQ(result(), before);
}

TEST_F(FrmCalcTest, KeysOfTheWindow)
{
    openNotFirstRun();
    enter(QStringLiteral("5"));
    EXPECT_EQ(w->Total(), 5);
    QTest::keyClick(w->cmbEdit, Qt::Key_0, Qt::ControlModifier);
    EXPECT_EQ(w->Total(), 0);
    QTest::keyClick(w->cmbEdit, Qt::Key_PageDown);
    EXPECT_TRUE(w->Edit2->hasFocus() || QApplication::focusWidget() == nullptr);
    // Esc with text empties the box; with an empty box it asks, and No keeps
    // the window, Yes closes it.
    w->show();
    w->cmbEdit->SetText(QStringLiteral("1+1"));
    QTest::keyClick(w->cmbEdit, Qt::Key_Escape);
    EXPECT_TRUE(w->cmbEdit->Text().isEmpty());
    EXPECT_TRUE(sink.boxes.isEmpty());
    sink.answers = {idNo};
    QTest::keyClick(w->cmbEdit, Qt::Key_Escape);
    ASSERT_EQ(sink.boxes.size(), 1);
    EXPECT_EQ(sink.boxes[0].text, QStringLiteral("¿Cierra este programa?"));
    EXPECT_TRUE(w->isVisible());
    sink.answers = {idYes};
    QTest::keyClick(w->cmbEdit, Qt::Key_Escape);
    EXPECT_FALSE(w->isVisible());
}

// ---------------------------------------------------------------------------
// The tool-window protocol, over a tool registered as the real ones will be

class TfmHerramienta : public TToolWindow {
public:
    static inline const QString kName = QStringLiteral("fmHerramienta");
    static inline int made = 0;
    static inline int appearances = 0;
    TfmHerramienta(ToolHost& host, QWidget* owner) : TToolWindow(host, kName, owner) { ++made; }
    void ApplyAppearance() override
    {
        TToolWindow::ApplyAppearance();
        ++appearances;
    }
};

class ToolProtocolTest : public FrmCalcTest {
protected:
    void SetUp() override
    {
        FrmCalcTest::SetUp();
        TfmHerramienta::made = 0;
        TfmHerramienta::appearances = 0;
        AddToolWindow<TfmHerramienta>(QStringLiteral("Primos"), QStringLiteral("Factores primos"),
                                      QStringLiteral("SpeedButton4"), QStringLiteral("P"),
                                      QStringLiteral("Factores Primos (Ctrl+R)"), QLatin1Char('R'), 0, 0);
    }
    QAction* item() const { return w->findChild<QAction*>(QStringLiteral("MostrarfmHerramienta")); }
    QToolButton* button() const { return w->findChild<QToolButton*>(QStringLiteral("SpeedButton4")); }
};

TEST_F(ToolProtocolTest, MenuButtonAndKeyOpenAndCloseOneWindow)
{
    openNotFirstRun();
    ASSERT_NE(item(), nullptr);
    ASSERT_NE(button(), nullptr);
    EXPECT_EQ(item()->text(), QStringLiteral("Factores primos\tCtrl+R"));
    EXPECT_EQ(button()->toolTip(), QStringLiteral("Factores Primos (Ctrl+R)"));
    EXPECT_EQ(TfmHerramienta::made, 0) << "made on first use only";

    item()->trigger();
    ASSERT_NE(w->ToolWindowOf(TfmHerramienta::kName), nullptr);
    EXPECT_TRUE(w->ToolWindowOf(TfmHerramienta::kName)->isVisible());
    EXPECT_TRUE(item()->isChecked());
    EXPECT_TRUE(button()->isChecked());

    QTest::keyClick(w->cmbEdit, Qt::Key_R, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_FALSE(w->ToolOpen(TfmHerramienta::kName));
    EXPECT_FALSE(w->ToolWindowOf(TfmHerramienta::kName)->isVisible());
    EXPECT_FALSE(button()->isChecked());

    button()->click();
    EXPECT_TRUE(w->ToolOpen(TfmHerramienta::kName));
    EXPECT_EQ(TfmHerramienta::made, 1) << "the same window again";
    // The user closes the tool: the flag, the item and the button follow.
    w->ToolWindowOf(TfmHerramienta::kName)->close();
    EXPECT_FALSE(w->ToolOpen(TfmHerramienta::kName));
    EXPECT_FALSE(item()->isChecked());
    EXPECT_FALSE(button()->isChecked());
}

TEST_F(ToolProtocolTest, AnOpenToolReopensAtTheNextStartAndFollowsTheScheme)
{
    openNotFirstRun();
    w->ShowTool(TfmHerramienta::kName, true);
    const int before = TfmHerramienta::appearances;
    w->ApplySettings();
    EXPECT_EQ(TfmHerramienta::appearances, before + 1);
    w->close();
    w.reset();
    TZelIniFile ini(dir.filePath(QStringLiteral("sumbrix.ini")));
    EXPECT_EQ(ini.ReadString(QStringLiteral("Opciones"), QStringLiteral("Primos"), QString()), QStringLiteral("1"));

    TfmHerramienta::made = 0;
    open();
    EXPECT_EQ(TfmHerramienta::made, 1);
    EXPECT_TRUE(w->ToolOpen(TfmHerramienta::kName));
    EXPECT_TRUE(button()->isChecked());
}

TEST_F(FrmCalcTest, NoToolEntryWithoutItsWindow)
{
    openNotFirstRun();
    EXPECT_FALSE(w->ToolBar2->isVisibleTo(w.get()));
    for (QAction* a : w->PopupMenu7->actions())
        EXPECT_FALSE(a->objectName().startsWith(QStringLiteral("Mostrar"))) << a->text().toStdString();
    QTest::keyClick(w->cmbEdit, Qt::Key_R, Qt::ControlModifier);   // nothing to open
}

TEST_F(FrmCalcTest, ConfigureMenuTogglesAndShowsTheOptions)
{
    openNotFirstRun();
    w->show();
    emit w->PopupMenu7->aboutToShow();
    auto item = [&](const char* name) { return w->findChild<QAction*>(QLatin1String(name)); };
    EXPECT_TRUE(item("Autocompletar1")->isChecked());
    EXPECT_TRUE(item("MostrarTotal1")->isChecked());
    EXPECT_TRUE(item("Autorepresentar1")->isChecked());
    EXPECT_FALSE(item("Transparencia1")->isChecked());
    item("MostrarTotal1")->trigger();
    EXPECT_FALSE(w->edtTotal->isVisible());
    EXPECT_FALSE(w->SpeedButton1->isVisible());
    EXPECT_TRUE(w->Panel2->isVisible());
    item("VerFormulaHistorial1")->trigger();
    EXPECT_FALSE(w->Panel3->isVisible());
    item("Autocompletar1")->trigger();
    EXPECT_FALSE(AutoComp().AutoCompleteOn);
    item("Autorepresentar1")->trigger();
    EXPECT_FALSE(w->AutoDraw());
    item("Transparencia1")->trigger();
    EXPECT_TRUE(FormMXSettings().TranspInactive);
    emit w->PopupMenu7->aboutToShow();
    EXPECT_FALSE(item("MostrarTotal1")->isChecked());
    EXPECT_TRUE(item("Transparencia1")->isChecked());
    // What the menu changed is what the settings keep.
    w->close();
    w.reset();
    TZelIniFile ini(dir.filePath(QStringLiteral("sumbrix.ini")));
    EXPECT_EQ(ini.ReadString(QStringLiteral("Opciones"), QStringLiteral("VerTotal"), QString()), QStringLiteral("0"));
    EXPECT_EQ(ini.ReadString(QStringLiteral("Opciones"), QStringLiteral("Transp"), QString()), QStringLiteral("1"));
}

TEST_F(FrmCalcTest, BoxMenusEditAndCopy)
{
    openNotFirstRun();
    enter(QStringLiteral("6*7"));
    for (QAction* a : w->PopupMenuX2->actions())
        if (a->text() == QStringLiteral("&Copiar"))
            a->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("42"));
    w->cmbEdit->SetText(QStringLiteral("1+2"));
    for (QAction* a : w->PopupMenuX1->actions())
        if (a->data().toInt() == 4 && !a->isSeparator())
            a->trigger();
    EXPECT_TRUE(w->cmbEdit->Text().isEmpty());
}

TEST_F(FrmCalcTest, F2OpensTheNamesListForTheExpressionBox)
{
    openNotFirstRun();
    w->show();
    w->cmbEdit->SetText(QStringLiteral("2+Se"));
    w->cmbEdit->SetSel(4, 0);
    int shown = 0;
    AutoComp().AutoCompleteCancelled = true;
    AutoComp().OnShown = [&](TfmAutoComp& list) {
        ++shown;
        EXPECT_FALSE(AutoComp().AutoCompleteCancelled);
        list.hide();
    };
    QTest::keyClick(w->cmbEdit, Qt::Key_F2);
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(w->cmbEdit->SelLength(), 0);
    EXPECT_EQ(w->cmbEdit->Text().left(2), QStringLiteral("2+"));
}

TEST_F(FrmCalcTest, EditMenuWorksOnTheFocusedBox)
{
    openNotFirstRun();
    enter(QStringLiteral("6*7"));
    auto action = [&](int tag) {
        for (QAction* a : w->PopupMenu1->actions())
            if (!a->isSeparator() && a->data().toInt() == tag)
                return a;
        return static_cast<QAction*>(nullptr);
    };
    w->Edit2->selectAll();
    w->ShowEditMenu(w->Edit2);
    EXPECT_TRUE(action(0)->isEnabled());
    EXPECT_FALSE(action(1)->isEnabled()) << "the result box is read-only";
    EXPECT_FALSE(action(4)->isEnabled());
    action(0)->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("42"));
    w->PopupMenu1->hide();
    w->cmbEdit->SetText(QStringLiteral("1+2"));
    w->ShowEditMenu(w->cmbEdit->lineEdit());
    EXPECT_TRUE(action(4)->isEnabled());
    EXPECT_TRUE(action(2)->isEnabled()) << "the clipboard holds text";
    action(2)->trigger();
    EXPECT_TRUE(w->cmbEdit->Text().contains(QStringLiteral("42")));
    w->PopupMenu1->hide();
}
