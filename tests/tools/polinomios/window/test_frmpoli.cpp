// The polynomial window driven as a user drives it: typing in the two
// boxes, the buttons and their Ctrl keys, the power and roots prompts, the
// variable grid for evaluation and the definite integral, the input box for
// Ruffini's rule, the messages of what it refuses, and Esc during a long power.
#include "tools/polinomios/window/frmpoli.h"

#include "controls/comboexpr.h"
#include "controls/stringgridx.h"
#include "foundation/core/basicos.h"
#include "platform/keystate.h"
#include "services/frminput.h"
#include "support/fixtures.h"
#include "support/recordinghost.h"
#include "support/recordingsink.h"
#include "tools/polinomios/window/frmvargrid.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include <deque>
#include <optional>

void RegisterWindow_tool_polinomios();

namespace {

class PoliWindowTest : public ExeDirTest {
protected:
    void SetUp() override
    {
        ExeDirTest::SetUp();
        Basicos().ExeFile = path(QStringLiteral("sumbrix"));
        Basicos().ApplicationTitle = QStringLiteral("Sumbrix");
        Basicos().Messages = &sink;
        w = new TfmPoli(host, nullptr);
        w->InputQuery = [this](const QString& caption, const QString& prompt, QString& text) {
            queries << caption + QLatin1Char('|') + prompt + QLatin1Char('|') + text;
            if (answers.empty() || !answers.front()) {
                if (!answers.empty())
                    answers.pop_front();
                return false;
            }
            text = *answers.front();
            answers.pop_front();
            return true;
        };
        w->ExecDialog = [this](QDialog& d) {
            ++dialogs;
            if (!onDialog)
                return int(TfmVarGrid::mrCancel);
            return onDialog(d);
        };
        w->show();
        QApplication::setActiveWindow(w);
    }
    void TearDown() override
    {
        delete w;
        ExeDirTest::TearDown();
    }

    void Type(TComboExpr* box, const QString& text)
    {
        box->setFocus();
        box->SetText(QString());
        QTest::keyClicks(box, text);
    }
    QString Memo() const { return w->Memo1->toPlainText(); }

    // Types each value in its row of the grid, as a user does, then Enter.
    static int FillGrid(QDialog& d, const QStringList& values)
    {
        auto& g = dynamic_cast<TfmVarGrid&>(d);
        g.show();
        for (int i = 0; i < values.size(); ++i) {
            g.grid->SetCurrent(1, i + 1);
            g.grid->editItem(g.grid->item(i + 1, 1));
            // Closed editors go now, so that the open one is the one found.
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            auto* editor = g.grid->findChild<QLineEdit*>(QStringLiteral("InplaceEditor"));
            if (!editor) {
                ADD_FAILURE() << "no editor";
                return int(TfmVarGrid::mrCancel);
            }
            QTest::keyClicks(editor, values[i]);
        }
        auto* editor = g.grid->findChild<QLineEdit*>(QStringLiteral("InplaceEditor"));
        QTest::keyClick(editor ? static_cast<QWidget*>(editor) : g.grid, Qt::Key_Return);
        return g.result();
    }

    RecordingHost host;
    RecordingSink sink;
    TfmPoli* w = nullptr;
    QStringList queries;
    std::deque<std::optional<QString>> answers;
    int dialogs = 0;
    std::function<int(QDialog&)> onDialog;
};

TEST_F(PoliWindowTest, StartsWithItsTextsAndTheFirstBoxSelected)
{
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Polinomios"));
    EXPECT_EQ(w->objectName(), QStringLiteral("fmPoli"));
    EXPECT_EQ(w->SelectedEdit(), w->Edit1);
    EXPECT_EQ(w->Label1->text(), QStringLiteral("P(x)"));
    EXPECT_EQ(w->Label2->text(), QStringLiteral("Q(x)"));
    EXPECT_EQ(w->Edit1->TextEmpty(), QStringLiteral("Ingrese un polinomio. Ejemplo 2x3 +3x2 -4x -1"));
    EXPECT_EQ(w->Edit2->TextEmpty(), QStringLiteral("Ingrese un polinomio. Ejemplo: 2a+3b2-c"));
    EXPECT_EQ(w->btnGenerar->text(), QStringLiteral("G"));
    EXPECT_EQ(w->btnCociente->toolTip(), QStringLiteral("Divide ambos polinomios P/Q (Ctrl+O)"));
    EXPECT_EQ(w->Memo1->toolTip(), QStringLiteral("Resultados"));
    EXPECT_TRUE(w->Memo1->isReadOnly());
    EXPECT_GE(w->minimumWidth(), 410);
    EXPECT_TRUE(w->btnRaices->isVisible());
}

TEST_F(PoliWindowTest, TypingKeepsOnlyPolynomialCharactersAndEnterWritesTheCanonicalText)
{
    Type(w->Edit1, QStringLiteral("X^2 +/3x(_"));
    EXPECT_EQ(w->Edit1->Text(), QStringLiteral("x^2 +3x"));
    QTest::keyClick(w->Edit1, Qt::Key_Return);
    EXPECT_EQ(w->Edit1->Text(), QStringLiteral("x2 +3x"));
    EXPECT_EQ(w->Edit1->Items().value(0), QStringLiteral("x2 +3x"));
}

TEST_F(PoliWindowTest, LettersOtherThanXHideTheOneLetterButtons)
{
    Type(w->Edit1, QStringLiteral("2a+3b2-c"));
    EXPECT_EQ(w->Label1->text(), QStringLiteral("P()"));
    for (QToolButton* b : {w->btnDerivar, w->btnIntegIndef, w->btnIntegralDef, w->btnRuffini, w->btnRaices})
        EXPECT_FALSE(b->isVisible()) << b->objectName().toStdString();
    EXPECT_TRUE(w->btnSuma->isVisible());
    Type(w->Edit2, QStringLiteral("x2 - 1"));
    EXPECT_EQ(w->Label2->text(), QStringLiteral("Q(x)"));
    EXPECT_TRUE(w->btnRaices->isVisible());
    Type(w->Edit2, QStringLiteral("y"));
    EXPECT_EQ(w->Label2->text(), QStringLiteral("Q()"));
}

TEST_F(PoliWindowTest, TwoPolynomialOperations)
{
    struct Case {
        QToolButton* TfmPoli::*button;
        const char *p, *q, *label, *memo;
    } cases[] = {
        {&TfmPoli::btnSuma, "2a+3b2-c", "a - b2 + c", "P()+Q()", "3a +2b2"},
        {&TfmPoli::btnResta, "x2", "x2 + 1", "P()-Q()", "-1"},
        {&TfmPoli::btnProducto, "x+y", "x-y", "P()*Q()", "x2 -y2"},
        {&TfmPoli::btnCociente, "x^2 - 1", "x - 1", "P()/Q()", "Cociente: x +1\nResto: 0\nx +1"},
        {&TfmPoli::btnCociente, "x2 - 1", "y - 1", "P()/Q()", "(x2 -1)/(y -1)"},
        {&TfmPoli::btnCociente, "x + 2 - x", "1", "P()/Q()", "2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.p);
        Type(w->Edit1, QString::fromUtf8(c.p));
        Type(w->Edit2, QString::fromUtf8(c.q));
        QTest::mouseClick(w->*c.button, Qt::LeftButton);
        EXPECT_EQ(w->Label3->text(), QString::fromUtf8(c.label));
        EXPECT_EQ(Memo(), QString::fromUtf8(c.memo));
    }
    EXPECT_EQ(sink.count(), 0);
}

TEST_F(PoliWindowTest, DivisionByTheZeroPolynomialIsAnErrorNotTheNumerator)
{
    Type(w->Edit1, QStringLiteral("x2 + 1"));
    Type(w->Edit2, QStringLiteral("x - x"));
    QTest::mouseClick(w->btnCociente, Qt::LeftButton);
    ASSERT_EQ(sink.count(), 1);
    EXPECT_EQ(sink.boxes[0].text, QStringLiteral("División por cero"));
    EXPECT_EQ(Memo(), QString());
}

TEST_F(PoliWindowTest, PowerAsksForTheCountAndRefusesCountsOutOfRange)
{
    Type(w->Edit1, QStringLiteral("a+b"));
    answers = {QStringLiteral("3")};
    QTest::mouseClick(w->btnPotencia, Qt::LeftButton);
    EXPECT_EQ(queries, QStringList{QStringLiteral("Potencia|Ingrese un valor entero |2")});
    EXPECT_EQ(w->Label3->text(), QStringLiteral("(a +b)^3"));
    EXPECT_EQ(Memo(), QStringLiteral("a3 +3a2b +3ab2 +b3"));

    for (const char* count : {"256", "128", "-1", "x"}) {
        SCOPED_TRACE(count);
        sink.boxes.clear();
        answers = {QString::fromUtf8(count)};
        QTest::mouseClick(w->btnPotencia, Qt::LeftButton);
        ASSERT_EQ(sink.count(), 1);
        EXPECT_EQ(Memo(), QString());
    }
    EXPECT_EQ(sink.boxes[0].text, QStringLiteral("'x' no es un valor entero válido"));
    // Cancelled: nothing changes.
    sink.boxes.clear();
    answers = {std::nullopt};
    w->Memo1->setPlainText(QStringLiteral("antes"));
    QTest::mouseClick(w->btnPotencia, Qt::LeftButton);
    EXPECT_EQ(Memo(), QStringLiteral("antes"));
    EXPECT_EQ(sink.count(), 0);
}

TEST_F(PoliWindowTest, EscStopsALongPower)
{
    Type(w->Edit1, QStringLiteral("a+b+c+d"));
    // Every reading of the clock is 60 ms later: the power reports however
    // fast the machine is.
    std::uint32_t now = 0;
    Basicos().TickSource = [&] { return now += 60; };
    KeyStateTracker::instance();
    QTest::keyPress(w, Qt::Key_Escape);
    ASSERT_TRUE(IsKeyDown(vk::Escape));
    answers = {QStringLiteral("127")};
    QTest::keyClick(w->Edit1, Qt::Key_N, Qt::ControlModifier);
    QTest::keyRelease(w, Qt::Key_Escape);
    EXPECT_EQ(w->Label3->text(), QStringLiteral("Cálculo cancelado"));
    EXPECT_EQ(Memo(), QString());
    EXPECT_EQ(sink.count(), 0);
    Basicos().TickSource = nullptr;
}

TEST_F(PoliWindowTest, EvaluationAsksTheLettersInTheGrid)
{
    Type(w->Edit1, QStringLiteral("x2 + xy"));
    QStringList cells;
    onDialog = [&](QDialog& d) {
        auto& g = dynamic_cast<TfmVarGrid&>(d);
        EXPECT_EQ(fmVarGrid, &g);
        for (int r = 0; r < g.grid->RowCount(); ++r)
            cells << g.grid->Cell(0, r) + QLatin1Char('=') + g.grid->Cell(1, r);
        EXPECT_EQ(g.grid->toolTip(), QStringLiteral("Ingrese los valores para sustituir las variables,\r\n"
                                                    "pueden ser polinomios.\r\nDeje en blanco las que no desea sustituir"));
        // "**" becomes "^" as it is typed; y is left blank.
        return FillGrid(d, {QStringLiteral("a**2")});
    };
    QTest::mouseClick(w->btnEvaluar, Qt::LeftButton);
    EXPECT_EQ(cells, (QStringList{QStringLiteral("Variables=Valores"), QStringLiteral("x="), QStringLiteral("y=")}));
    EXPECT_EQ(Memo(), QStringLiteral("a4 +a2y"));
    EXPECT_EQ(fmVarGrid, nullptr);

    Type(w->Edit1, QStringLiteral("x2+1"));
    onDialog = [&](QDialog& d) { return FillGrid(d, {QStringLiteral("2")}); };
    QTest::mouseClick(w->btnEvaluar, Qt::LeftButton);
    EXPECT_EQ(Memo(), QStringLiteral("5"));
    EXPECT_EQ(sink.count(), 0);
}

TEST_F(PoliWindowTest, AComplexValueOfXIsOfferedAsAComplexNumber)
{
    Type(w->Edit1, QStringLiteral("x2+1"));
    onDialog = [&](QDialog& d) { return FillGrid(d, {QStringLiteral("1+2i")}); };
    sink.answers = {idYes};
    QTest::mouseClick(w->btnEvaluar, Qt::LeftButton);
    ASSERT_EQ(sink.count(), 1);
    EXPECT_EQ(sink.boxes[0].text, QStringLiteral("¿El valor ingresado es un número complejo?"));
    EXPECT_EQ(sink.boxes[0].caption, QStringLiteral("Evaluar polinomio"));
    EXPECT_EQ(Memo(), QStringLiteral("-2 + 4i"));

    sink.answers = {idNo};
    QTest::mouseClick(w->btnEvaluar, Qt::LeftButton);
    EXPECT_EQ(Memo(), QStringLiteral("4i2 +4i +2"));
}

TEST_F(PoliWindowTest, NothingToSubstituteAndNoSelectedBox)
{
    Type(w->Edit1, QStringLiteral("5"));
    QTest::mouseClick(w->btnEvaluar, Qt::LeftButton);
    ASSERT_EQ(sink.count(), 1);
    EXPECT_EQ(sink.boxes[0].text, QStringLiteral("No hay variables para sustituir"));
    EXPECT_EQ(dialogs, 0);
    // With the memo focused no box is selected: the action ends silently.
    w->Memo1->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(w->SelectedEdit(), nullptr);
    QTest::mouseClick(w->btnEvaluar, Qt::LeftButton);
    EXPECT_EQ(sink.count(), 1);
    EXPECT_EQ(dialogs, 0);
}

TEST_F(PoliWindowTest, DefiniteIntegralAsksTheUpperBoundFirst)
{
    Type(w->Edit1, QStringLiteral("x"));
    QString title, first;
    onDialog = [&](QDialog& d) {
        title = d.windowTitle();
        first = dynamic_cast<TfmVarGrid&>(d).grid->Cell(0, 1);
        return FillGrid(d, {QStringLiteral("1"), QStringLiteral("0")});
    };
    QTest::mouseClick(w->btnIntegralDef, Qt::LeftButton);
    EXPECT_EQ(title, QStringLiteral("Intervalo [a,b] de la Integral"));
    EXPECT_EQ(first, QStringLiteral("sup"));
    EXPECT_EQ(Memo(), QStringLiteral("1|2"));
    EXPECT_EQ(w->Label3->text(), QStringLiteral("Integral P(x)dx en [0, 1]"));

    onDialog = [&](QDialog& d) { return FillGrid(d, {QStringLiteral("b"), QStringLiteral("a")}); };
    QTest::mouseClick(w->btnIntegralDef, Qt::LeftButton);
    EXPECT_EQ(Memo(), QStringLiteral("-1|2a2 +1|2b2"));
}

TEST_F(PoliWindowTest, OneLetterOperations)
{
    Type(w->Edit1, QStringLiteral("3x^2 + 1"));
    QTest::mouseClick(w->btnDerivar, Qt::LeftButton);
    EXPECT_EQ(Memo(), QStringLiteral("6x"));
    EXPECT_EQ(w->Label3->text(), QStringLiteral("P´(x)"));
    EXPECT_EQ(w->Edit1->Text(), QStringLiteral("3x^2 +1"));
    QTest::mouseClick(w->btnIntegIndef, Qt::LeftButton);
    EXPECT_EQ(Memo(), QStringLiteral("x^3 +x +k"));
    EXPECT_EQ(w->Label3->text(), QStringLiteral("Integral P(x)dx"));
    Type(w->Edit1, QStringLiteral("x^2 + 1"));
    QTest::mouseClick(w->btnRaices, Qt::LeftButton);
    EXPECT_EQ(Memo(), QStringLiteral("i\n-i\n"));
    EXPECT_EQ(w->Label3->text(), QStringLiteral("Raíces de P(x)=0"));
    // The cubic formulas' order, and a quadruple root found exactly.
    Type(w->Edit1, QStringLiteral("x^3 - 6x^2 + 11x - 6"));
    QTest::keyClick(w->Edit1, Qt::Key_R, Qt::ControlModifier);
    EXPECT_EQ(Memo(), QStringLiteral("3\n1\n2"));
    Type(w->Edit1, QStringLiteral("x^4 - 4x^3 + 6x^2 - 4x + 1"));
    QTest::mouseClick(w->btnRaices, Qt::LeftButton);
    EXPECT_EQ(Memo(), QStringLiteral("1\n1\n1\n1\n"));
    EXPECT_EQ(sink.count(), 0);
}

TEST_F(PoliWindowTest, RuffiniAsksThroughTheInputBox)
{
    Type(w->Edit1, QStringLiteral("x^3 - 1"));
    QString title, prompt;
    onDialog = [&](QDialog& d) {
        auto& box = dynamic_cast<TfmInput&>(d);
        title = box.windowTitle();
        prompt = box.Label1->text();
        box.Texto->SetText(QStringLiteral("1"));
        return int(TfmInput::mrOk);
    };
    QTest::mouseClick(w->btnRuffini, Qt::LeftButton);
    EXPECT_EQ(title, QStringLiteral("Ingrese una valor para Ruffini"));
    EXPECT_EQ(prompt, QStringLiteral("Debe ser un número racional"));
    EXPECT_EQ(Memo(), QStringLiteral("Cociente: x^2 +x +1\nResto: 0"));
    EXPECT_EQ(w->Label3->text(), QStringLiteral("P(x)/(x-(1))"));

    // The program's box gets its own prompt back, also after Cancel.
    fmInput = new TfmInput(w);
    fmInput->Label1->setText(QStringLiteral("Valor:"));
    onDialog = {};
    QTest::mouseClick(w->btnRuffini, Qt::LeftButton);
    EXPECT_EQ(fmInput->Label1->text(), QStringLiteral("Valor:"));
    EXPECT_EQ(Memo(), QStringLiteral("Cociente: x^2 +x +1\nResto: 0"));
    delete fmInput;
    fmInput = nullptr;
}

TEST_F(PoliWindowTest, PolynomialFromItsRoots)
{
    answers = {QStringLiteral("1,2,3")};
    QTest::mouseClick(w->btnGenerar, Qt::LeftButton);
    EXPECT_EQ(queries, QStringList{QStringLiteral("Crear polinomio|Ingrese raíces separadas por comas|")});
    EXPECT_EQ(Memo(), QStringLiteral("x^3 -6x^2 +11x -6"));
    EXPECT_EQ(w->Label3->text(), QStringLiteral("Polinomio con raíces: 1,2,3"));
    answers = {QString()};
    QTest::mouseClick(w->btnGenerar, Qt::LeftButton);
    ASSERT_EQ(sink.count(), 1);
    EXPECT_EQ(sink.boxes[0].text, QStringLiteral("Ingrese al menos una raíz"));
}

TEST_F(PoliWindowTest, CtrlKeysClickTheButtonsEvenWhenHidden)
{
    Type(w->Edit1, QStringLiteral("x^2"));
    Type(w->Edit2, QStringLiteral("y"));
    ASSERT_EQ(w->SelectedEdit(), w->Edit2);
    ASSERT_FALSE(w->btnDerivar->isVisible());
    QTest::keyClick(w->Edit2, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(Memo(), QStringLiteral("x2 +y"));
    EXPECT_EQ(w->Label3->text(), QStringLiteral("P()+Q()"));
    // Ctrl with Shift is not a window key.
    QTest::keyClick(w->Edit2, Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(Memo(), QStringLiteral("x2 +y"));
    // The hidden derivative runs on the selected box; y is no polynomial in x.
    QTest::keyClick(w->Edit2, Qt::Key_D, Qt::ControlModifier);
    ASSERT_EQ(sink.count(), 1);
    EXPECT_EQ(sink.boxes[0].text, QStringLiteral("Esta operación necesita polinomios de una sola variable"));
    EXPECT_EQ(w->Edit2->Text(), QStringLiteral("y"));
}

// Every action writes the polynomials back into their boxes; the next action
// reads them from there, so they must read back the same, every digit kept.
TEST_F(PoliWindowTest, BoxesKeepEveryDigit)
{
    struct Case {
        QToolButton* TfmPoli::*button;
        const char *p, *q, *boxP, *memo;
    } cases[] = {
        {&TfmPoli::btnSuma, "12345x", "0", "12345x", "12345x"},
        {&TfmPoli::btnProducto, "1000000x", "1000000000", "1000000x", "1000000000000000x"},
        {&TfmPoli::btnSuma, "123456789012x2 + 1.5", "0", "123456789012x2 +3|2", "123456789012x2 +3|2"},
        {&TfmPoli::btnDerivar, "100000000000000000000x^2", "", "100000000000000000000x^2", "200000000000000000000x"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.p);
        Type(w->Edit1, QString::fromUtf8(c.p));
        Type(w->Edit2, QString::fromUtf8(c.q));
        w->Edit1->setFocus();
        for (int round = 0; round < 3; ++round) {
            QTest::mouseClick(w->*c.button, Qt::LeftButton);
            EXPECT_EQ(w->Edit1->Text(), QString::fromUtf8(c.boxP));
            EXPECT_EQ(Memo(), QString::fromUtf8(c.memo));
        }
    }
    EXPECT_EQ(sink.count(), 0);
}

TEST_F(PoliWindowTest, ExchangeAndHelp)
{
    Type(w->Edit1, QStringLiteral("x+1"));
    Type(w->Edit2, QStringLiteral("a"));
    QTest::mouseClick(w->SpeedButton12, Qt::LeftButton);
    EXPECT_EQ(w->Edit1->Text(), QStringLiteral("a"));
    EXPECT_EQ(w->Edit2->Text(), QStringLiteral("x+1"));
    int context = 0;
    w->OnHelp = [&](int c) { context = c; };
    QTest::mouseClick(w->SpeedButton11, Qt::LeftButton);
    EXPECT_EQ(context, 52);
    EXPECT_EQ(w->SpeedButton12->toolTip(), QStringLiteral("Intercambiar polinomios"));
}

class VarGridTest : public ExeDirTest {};

TEST_F(VarGridTest, AsksOneRowPerNameAndReadsValuesWithoutCase)
{
    TfmVarGrid g;
    EXPECT_EQ(g.Ask(QString(), [](QDialog&) -> int { ADD_FAILURE() << "shown"; return 1; }), 0);
    int result = g.Ask(QStringLiteral("a,B,"), [](QDialog& d) {
        auto& v = dynamic_cast<TfmVarGrid&>(d);
        v.show();
        EXPECT_EQ(v.grid->RowCount(), 3);
        auto* editor = v.grid->findChild<QLineEdit*>(QStringLiteral("InplaceEditor"));
        EXPECT_NE(editor, nullptr);
        if (editor)
            QTest::keyClicks(editor, QStringLiteral("1..2"));
        EXPECT_EQ(v.grid->Cell(1, 1), QStringLiteral("1|2"));
        QTest::mouseClick(v.Button1, Qt::LeftButton);
        return v.result();
    });
    EXPECT_EQ(result, int(TfmVarGrid::mrOk));
    EXPECT_EQ(g.ValueOf(QStringLiteral("A")), QStringLiteral("1|2"));
    EXPECT_EQ(g.ValueOf(QStringLiteral("b")), QString());
    EXPECT_EQ(g.ValueOf(QStringLiteral("z")), QString());
    EXPECT_EQ(g.Button1->text(), QStringLiteral("&Aceptar"));
    EXPECT_EQ(g.windowTitle(), QStringLiteral("Reemplazar Variables"));
    EXPECT_EQ(g.grid->Cell(0, 0), QStringLiteral("Variables"));
    EXPECT_EQ(g.grid->Cell(1, 0), QStringLiteral("Valores"));

    result = g.Ask(QStringLiteral("x"), [](QDialog& d) {
        // Ctrl+Break.
        QKeyEvent cancel(QEvent::KeyPress, Qt::Key_Cancel, Qt::ControlModifier);
        QApplication::sendEvent(dynamic_cast<TfmVarGrid&>(d).grid, &cancel);
        return d.result();
    });
    EXPECT_EQ(result, int(TfmVarGrid::mrCancel));
}

TEST_F(VarGridTest, RegistrationAddsTheToolAndTheStartUpGrid)
{
    RegisterWindow_tool_polinomios();
    ASSERT_EQ(MainExtensions().Tools.size(), 1u);
    const TMainExtensions::Tool& t = MainExtensions().Tools[0];
    EXPECT_EQ(t.Name, QStringLiteral("fmPoli"));
    EXPECT_EQ(t.FlagKey, QStringLiteral("Polinomios"));
    EXPECT_EQ(t.ButtonName, QStringLiteral("SpeedButton13"));
    EXPECT_EQ(t.Key, QLatin1Char('P'));
    EXPECT_EQ(t.AppearanceOrder, 10);
    EXPECT_EQ(t.MenuOrder, 9);
    EXPECT_EQ(t.Hint, QStringLiteral("Polinomios (Ctrl+P)\r\n\r\nOpera con polinomios de coeficientes racionales \r\n"
                                     "halla derivadas, integrales, raíces reales y complejas"));
    ASSERT_EQ(MainExtensions().StartSteps.size(), 1u);
    QWidget main;
    main.setObjectName(QStringLiteral("frmCalcu"));
    MainExtensions().StartSteps[0].Run();
    ASSERT_NE(fmVarGrid, nullptr);
    EXPECT_EQ(fmVarGrid->parentWidget(), &main);
    RecordingHost host;
    TToolWindow* tool = t.Create(host, nullptr);
    EXPECT_EQ(tool->objectName(), QStringLiteral("fmPoli"));
    delete tool;
}

} // namespace
