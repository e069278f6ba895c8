// The fractions window driven offscreen: typed expressions calculated with
// Enter and compared with the engines' driver on the same texts, the mixed
// display and the largest denominator (its keys, its list, its clamping),
// the letters asked through the input box, the typed digraphs, the live
// drawing, Esc, the history, the settings kept between runs, the picture's
// menu and the registration.
#include "tools/fracciones/window/frmfraccion.h"

#include "controls/comboexpr.h"
#include "controls/paintbox.h"
#include "engine/formulapicture.h"
#include "engine/rational/expresion.h"
#include "foundation/core/basicos.h"
#include "foundation/core/zelini.h"
#include "golden.h"
#include "services/formulaview.h"
#include "services/frminput.h"
#include "support/fixtures.h"
#include "tools/fracciones/window/exprtoolwindowtest.h"
#include "support/recordinghost.h"
#include "support/recordingsink.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <deque>
#include <memory>

void RegisterWindow_tool_fracciones();

namespace {

class FrmFraccionTest : public ExprToolWindowTest<TfmFraccion, &TfmFraccion::cmbExp> {
protected:
    void SetUp() override
    {
        ExprToolWindowTest::SetUp();
        rational::StartUp();
        rational::messageHook() = exprcore::ShowAsMessageBox;
    }
    void typeDenominator(const QString& text)
    {
        w->ComboBox1->lineEdit()->selectAll();
        QTest::keyClick(w->ComboBox1->lineEdit(), Qt::Key_Backspace);
        QTest::keyClicks(w->ComboBox1->lineEdit(), text);
    }
};

TEST_F(FrmFraccionTest, LayoutAndFirstState)
{
    open();
    EXPECT_EQ(w->objectName(), QStringLiteral("fmFraccion"));
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Fracciones"));
    EXPECT_EQ(w->cmbExp->TextEmpty(), QStringLiteral("Ingrese aquí una expresión para evaluar. Ejemplo: 1|2+3|4|5"));
    EXPECT_EQ(w->cmbExp->FileName(), QStringLiteral("expq.lst"));
    EXPECT_FALSE(w->cmbExp->Autoagregar());
    EXPECT_FALSE(w->cmbExp->Duplicados());
    EXPECT_NE(w->cmbExp->NameTable(), nullptr);
    EXPECT_EQ(w->ComboBox1->currentText(), QStringLiteral("1000"));
    EXPECT_EQ(w->ComboBox1->count(), 7);
    EXPECT_EQ(w->ComboBox1->itemText(6), QStringLiteral("10000000"));
    EXPECT_EQ(w->ComboBox1->completer(), nullptr);
    EXPECT_EQ(w->Label1->text(), QStringLiteral("Denominador máximo al convertir decimales"));
    EXPECT_EQ(w->sbEntero->text(), QStringLiteral("1½"));
    EXPECT_FALSE(w->sbEntero->isChecked());
    EXPECT_EQ(w->Shape1->width(), 0);
    EXPECT_TRUE(w->Edit2->isReadOnly());
    EXPECT_EQ(w->Edit3->toolTip(), QStringLiteral("Resultado en formato decimal"));
    EXPECT_EQ(w->findChild<QWidget*>(QStringLiteral("pbMeta")), w->PMeta->pbMeta);
    EXPECT_FALSE(w->findChild<QLabel*>(QStringLiteral("lblError"))->isVisible());
    EXPECT_EQ(w->SpeedButton9->toolTip(), QStringLiteral("Ayuda (F1)"));
    int help = 0;
    w->OnHelp = [&help](int context) { help = context; };
    QTest::mouseClick(w->SpeedButton9, Qt::LeftButton);
    EXPECT_EQ(help, 42);
    EXPECT_FALSE(rational::fracSettings().MixedFractions);
}

TEST_F(FrmFraccionTest, AQuarterAndItsMixedForm)
{
    open();
    calculate(QStringLiteral("1|2+3|4"));
    EXPECT_EQ(w->Edit2->text(), QStringLiteral("5|4"));
    EXPECT_EQ(w->Edit3->text(), QStringLiteral("1.25"));
    EXPECT_EQ(w->Label2->text(), QStringLiteral("1+"));
    EXPECT_EQ(w->Shape1->width(), (w->PaintBox1->width() + 2) / 4);
    EXPECT_EQ(w->Shape1->x(), 0);
    ASSERT_NE(w->Picture(), nullptr);
    // 1½ shows the whole part apart, for the whole program.
    QTest::mouseClick(w->sbEntero, Qt::LeftButton);
    EXPECT_TRUE(rational::fracSettings().MixedFractions);
    EXPECT_EQ(w->Edit2->text(), QStringLiteral("1|1|4"));
    calculate(QStringLiteral("-7|2"));
    EXPECT_EQ(w->Edit2->text(), QStringLiteral("-3|1|2"));
    EXPECT_EQ(w->Edit3->text(), QStringLiteral("-3.5"));
    EXPECT_EQ(w->Label2->text(), QStringLiteral("-3+"));
    EXPECT_EQ(w->Shape1->width(), (w->PaintBox1->width() + 1) / 2);
    QTest::mouseClick(w->sbEntero, Qt::LeftButton);
    EXPECT_FALSE(rational::fracSettings().MixedFractions);
    EXPECT_EQ(w->Edit2->text(), QStringLiteral("-7|2"));
    EXPECT_TRUE(sink.empty()) << sink.texts().join(QLatin1Char('/')).toStdString();
}

TEST_F(FrmFraccionTest, ResultsAgreeWithTheEnginesDriver)
{
    struct Case {
        const char* text;
        const char* maxDen;
        bool mixed;
    } cases[] = {
        {"1|2+3|4", "1000", false}, {"1|2+3|4", "1000", true}, {"-7|2", "1000", true},
        {"0.3333", "1000", false},  {"2^(1|2)", "100", false},   {"0.3333", "10000", false},
        {"?*4=3", "1000", false},   {"(1|3+1|6)*4", "1000", true}, {"3|1|2-1|4", "1000", false},
        {"0.125+1|8", "10", false}, {"5|3>1", "1000", false},   {"1|2/(1-1)", "1000", false},
    };
    open();
    QStringList input{QStringLiteral("#set domain rational")};
    QStringList shown;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        typeDenominator(QString::fromUtf8(c.maxDen));
        if (w->sbEntero->isChecked() != c.mixed)
            w->sbEntero->setChecked(c.mixed), rational::fracSettings().MixedFractions = c.mixed;
        calculate(QString::fromUtf8(c.text));
        shown << w->Edit2->text();
        input << QStringLiteral("#set maxden ") + QString::fromUtf8(c.maxDen)
              << QStringLiteral("#set mixed ") + (c.mixed ? QStringLiteral("1") : QStringLiteral("0"))
              << QString::fromUtf8(c.text);
    }
    const QStringList driver = golden::RunDriver(input);
    ASSERT_EQ(driver.size(), shown.size());
    for (int i = 0; i < shown.size(); ++i) {
        SCOPED_TRACE(cases[i].text);
        // The driver writes a failed evaluation as "Error N: message; valor V":
        // the window shows V (the engine's 0 after its box); a failed compile
        // (no value) as "Error N: message": the window shows "Error".
        const QString d = driver[i];
        const qsizetype valor = d.indexOf(QStringLiteral("; valor "));
        const QString expected = valor >= 0 ? d.mid(valor + 8)
                                 : d.startsWith(QStringLiteral("Error ")) ? QStringLiteral("Error")
                                                                          : d;
        EXPECT_EQ(shown[i], expected);
    }
}

TEST_F(FrmFraccionTest, LargestDenominatorFromTheList)
{
    open();
    calculate(QStringLiteral("0.3333"));
    EXPECT_EQ(w->Edit2->text(), QStringLiteral("1|3"));
    // Choosing 10000 calculates again, compiling the same text anew.
    w->ComboBox1->setCurrentIndex(3);
    emit w->ComboBox1->activated(3);
    EXPECT_EQ(w->ComboBox1->currentText(), QStringLiteral("10000"));
    EXPECT_EQ(rational::fracSettings().FracMaxDenominator, 10000u);
    EXPECT_EQ(w->Edit2->text(), QStringLiteral("3333|10000"));
}

TEST_F(FrmFraccionTest, LargestDenominatorKeys)
{
    open();
    QLineEdit* edit = w->ComboBox1->lineEdit();
    typeDenominator(QStringLiteral("12a.-b3"));
    EXPECT_EQ(edit->text(), QStringLiteral("123"));
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_Left);
    QTest::keyClick(edit, Qt::Key_4, Qt::KeypadModifier);
    EXPECT_EQ(edit->text(), QStringLiteral("123"));
    QTest::keyClicks(edit, QStringLiteral("456789"));
    EXPECT_EQ(edit->text(), QStringLiteral("123456"));
    QTest::keyClick(edit, Qt::Key_Backspace);
    EXPECT_EQ(edit->text(), QStringLiteral("12345"));
    // Enter in the box calculates with it.
    w->cmbExp->SetText(QStringLiteral("0.5"));
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(rational::fracSettings().FracMaxDenominator, 12345u);
    EXPECT_EQ(w->Edit2->text(), QStringLiteral("1|2"));
}

TEST_F(FrmFraccionTest, ALargestDenominatorOfZeroBecomesOne)
{
    open();
    typeDenominator(QStringLiteral("0"));
    calculate(QStringLiteral("0.75+1|4"));
    EXPECT_EQ(w->ComboBox1->currentText(), QStringLiteral("1"));
    EXPECT_EQ(rational::fracSettings().FracMaxDenominator, 1u);
    EXPECT_TRUE(sink.empty()) << sink.texts().join(QLatin1Char('/')).toStdString();
    EXPECT_NE(w->Edit2->text(), QStringLiteral("Error"));
    // A text that is no number at all goes back to 1000.
    w->ComboBox1->setEditText(QStringLiteral("mil"));
    calculate(QStringLiteral("0.3333"));
    EXPECT_EQ(w->ComboBox1->currentText(), QStringLiteral("1000"));
    EXPECT_EQ(w->Edit2->text(), QStringLiteral("1|3"));
}

TEST_F(FrmFraccionTest, LettersAreAskedOncePerCalculation)
{
    open();
    answers = {QStringLiteral("1|3")};
    calculate(QStringLiteral("x+x"));
    EXPECT_EQ(w->Edit2->text(), QStringLiteral("2|3"));
    EXPECT_EQ(prompts, QStringList{QStringLiteral("x|")});
    answers = {QStringLiteral("1|6")};
    calculate(QStringLiteral("x*3"));
    EXPECT_EQ(w->Edit2->text(), QStringLiteral("1|2"));
    EXPECT_EQ(prompts.last(), QStringLiteral("x|1|3"));
}

TEST_F(FrmFraccionTest, TheInputBoxAsksUntilTheAnswerEvaluates)
{
    open();
    w->AskLetter = nullptr;
    // Two answers closed with Cancel: the first does not evaluate and the box
    // comes back; the second evaluates and counts.
    QStringList captions;
    const QStringList typed{QStringLiteral("1|"), QStringLiteral("3|4")};
    int answered = 0;
    std::function<void()> answer = [&] {
        if (!fmInput || !fmInput->isVisible()) {
            QTimer::singleShot(10, answer);
            return;
        }
        captions << fmInput->windowTitle();
        fmInput->Texto->SetText(typed.value(answered));
        ++answered;
        QTest::mouseClick(fmInput->Button2, Qt::LeftButton);
        if (answered < typed.size())
            QTimer::singleShot(10, answer);
    };
    QTimer::singleShot(10, answer);
    calculate(QStringLiteral("y*2"));
    EXPECT_EQ(answered, 2);
    EXPECT_EQ(captions, (QStringList{QStringLiteral("y"), QStringLiteral("y")}));
    EXPECT_EQ(w->Edit2->text(), QStringLiteral("3|2"));
    EXPECT_EQ(sink.count(), 1);
}

TEST_F(FrmFraccionTest, TypedDigraphs)
{
    open();
    struct Case {
        const char* typed;
        const char* text;
    } cases[] = {{"1..2", "1|2"}, {"3**2", "3^2"}, {"1//4", "1|4"}, {"1..2+3..4", "1|2+3|4"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        w->cmbExp->SetText(QString());
        w->cmbExp->setFocus();
        QTest::keyClicks(w->cmbExp, QString::fromUtf8(c.typed));
        EXPECT_EQ(w->cmbExp->Text(), QString::fromUtf8(c.text));
        EXPECT_EQ(w->cmbExp->SelStart(), w->cmbExp->Text().size());
    }
}

TEST_F(FrmFraccionTest, LiveDrawing)
{
    open();
    w->cmbExp->SetText(QStringLiteral("1|2+"));
    QLabel* error = w->PMeta->lblError;
    EXPECT_TRUE(error->isVisible());
    EXPECT_FALSE(error->text().isEmpty());
    EXPECT_EQ(w->Picture(), nullptr);
    w->cmbExp->SetText(QStringLiteral("1|2+x"));
    EXPECT_FALSE(error->isVisible());
    ASSERT_NE(w->Picture(), nullptr);
    EXPECT_TRUE(prompts.isEmpty());
    EXPECT_TRUE(sink.empty());
    w->cmbExp->SetText(QString());
    EXPECT_EQ(w->Picture(), nullptr);
    // Without live drawing the picture waits for Enter.
    host.drawsWhileTyping = false;
    w->cmbExp->SetText(QStringLiteral("1|2"));
    EXPECT_EQ(w->Picture(), nullptr);
    QTest::keyClick(w->cmbExp, Qt::Key_Return);
    EXPECT_NE(w->Picture(), nullptr);
}

TEST_F(FrmFraccionTest, ATextThatDoesNotCompileShowsNoValue)
{
    open();
    calculate(QStringLiteral("1|2"));
    calculate(QStringLiteral("1|2+"));
    EXPECT_EQ(sink.count(), 1);
    EXPECT_EQ(w->Edit2->text(), QStringLiteral("Error"));
    EXPECT_TRUE(w->Edit3->text().isEmpty());
    EXPECT_TRUE(w->Label2->text().isEmpty());
    EXPECT_EQ(w->Shape1->width(), 0);
}

TEST_F(FrmFraccionTest, EscEmptiesThenCloses)
{
    open();
    w->cmbExp->SetText(QStringLiteral("1|2"));
    w->cmbExp->setFocus();
    QTest::keyClick(w->cmbExp, Qt::Key_Escape);
    EXPECT_TRUE(w->cmbExp->Text().isEmpty() || w->cmbExp->IsEmpty());
    EXPECT_TRUE(w->isVisible());
    QTest::keyClick(w->cmbExp, Qt::Key_Escape);
    EXPECT_FALSE(w->isVisible());
    ASSERT_EQ(host.closed.size(), 1u);
    EXPECT_EQ(host.closed[0], w.get());
}

TEST_F(FrmFraccionTest, HistoryAndItsFile)
{
    open();
    calculate(QStringLiteral("1|2"));
    calculate(QStringLiteral("1|2"));
    EXPECT_EQ(w->cmbExp->Items(), QStringList{QStringLiteral("1|2")});
    calculate(QStringLiteral("1|3"));
    calculate(QStringLiteral("1|2"));
    EXPECT_EQ(w->cmbExp->Items(), (QStringList{QStringLiteral("1|2"), QStringLiteral("1|3")}));
    // Enter on an empty entry adds nothing.
    calculate(QString());
    EXPECT_EQ(w->cmbExp->count(), 2);
    w.reset();
    EXPECT_EQ(get(QStringLiteral("expq.lst")), QByteArray("1|2\r\n1|3\r\n"));
    open();
    EXPECT_EQ(w->cmbExp->Items(), (QStringList{QStringLiteral("1|2"), QStringLiteral("1|3")}));
}

TEST_F(FrmFraccionTest, SettingsBetweenRuns)
{
    put(QStringLiteral("sumbrix.ini"), "[Opciones]\r\nFracDenominadorDec=100\r\nFracSepEntero=1\r\n");
    open();
    EXPECT_EQ(w->ComboBox1->currentText(), QStringLiteral("100"));
    EXPECT_TRUE(w->sbEntero->isChecked());
    EXPECT_TRUE(rational::fracSettings().MixedFractions);
    calculate(QStringLiteral("0.3333+1"));
    EXPECT_EQ(w->Edit2->text(), QStringLiteral("1|1|3"));
    // The box's value is stored, also when it was typed after the last
    // calculation.
    typeDenominator(QStringLiteral("250"));
    QTest::mouseClick(w->sbEntero, Qt::LeftButton);
    w.reset();
    TAppIniFile ini;
    EXPECT_EQ(ini.ReadString(QStringLiteral("Opciones"), QStringLiteral("FracDenominadorDec"), QString()),
              QStringLiteral("250"));
    EXPECT_FALSE(ini.ReadBool(QStringLiteral("Opciones"), QStringLiteral("FracSepEntero"), true));
}

TEST_F(FrmFraccionTest, PictureMenu)
{
    ExportingHost exporting;
    open(exporting);
    QMenu* menu = w->PMeta->MenuMeta;
    emit menu->aboutToShow();
    EXPECT_FALSE(w->PMeta->Copiar->isEnabled());
    EXPECT_FALSE(w->PMeta->Exportar->isEnabled());
    calculate(QStringLiteral("1|2"));
    emit menu->aboutToShow();
    EXPECT_TRUE(w->PMeta->Copiar->isEnabled());
    ASSERT_TRUE(w->PMeta->Exportar->isEnabled());
    w->PMeta->Copiar->trigger();
    EXPECT_EQ(exporting.copied, 1);
    w->PMeta->Exportar->trigger();
    EXPECT_EQ(exporting.exportedFrom, w.get());
    // Without the host's export the item stays off.
    w.reset();   // before its host
    open();
    calculate(QStringLiteral("1|2"));
    emit w->PMeta->MenuMeta->aboutToShow();
    EXPECT_TRUE(w->PMeta->Exportar->isVisible());
    EXPECT_FALSE(w->PMeta->Exportar->isEnabled());
}

TEST_F(FrmFraccionTest, TheMainWindowsPictureWhileThereIsNone)
{
    ExportingHost exporting;
    rational::TExpresion e;
    e.SetUseBuiltIns(true);
    e.SetText(QStringLiteral("1|2+3|4"));
    exporting.mainPicture = e.DrawToMetafile();
    open(exporting);
    QWidget* box = w->PMeta->pbMeta;
    const QImage shown = box->grab().toImage();
    const QRgb background = shown.pixel(0, 0);
    bool drawn = false;
    for (int y = 0; y < shown.height() && !drawn; ++y)
        for (int x = 0; x < shown.width() && !drawn; ++x)
            drawn = shown.pixel(x, y) != background;
    EXPECT_TRUE(drawn);
    // The main window's picture is not the window's to copy.
    emit w->PMeta->MenuMeta->aboutToShow();
    EXPECT_FALSE(w->PMeta->Copiar->isEnabled());
    w.reset();   // before its host
}

TEST_F(FrmFraccionTest, Registration)
{
    RegisterWindow_tool_fracciones();
    ASSERT_EQ(MainExtensions().Tools.size(), 1u);
    const TMainExtensions::Tool& t = MainExtensions().Tools[0];
    EXPECT_EQ(t.Name, QStringLiteral("fmFraccion"));
    EXPECT_EQ(t.FlagKey, QStringLiteral("Fracciones"));
    EXPECT_EQ(t.Caption, QStringLiteral("Fracciones"));
    EXPECT_EQ(t.ButtonName, QStringLiteral("SpeedButton10"));
    EXPECT_EQ(t.Key, QLatin1Char('Q'));
    EXPECT_EQ(t.MenuOrder, 7);
    EXPECT_EQ(t.AppearanceOrder, 7);
    EXPECT_TRUE(t.Hint.startsWith(QStringLiteral("Fracciones (Ctrl+Q)\r\n\r\n")));
    TToolWindow* made = t.Create(host, nullptr);
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made, t.Create(host, nullptr));
    EXPECT_NE(dynamic_cast<TfmFraccion*>(made), nullptr);
    delete made;
}

} // namespace
