// The complex-number window driven offscreen: typed expressions calculated
// with Enter and compared with the engines' driver on the same texts, z, |z|
// and arg(z) in the main window's angle unit (and again when it changes), the
// letters, the user's definitions of real.duf and "Describir funciones de
// usuario", the live drawing, Esc, the history, the picture's menu, the main
// window's offer after an invalid operation, and the registration.
#include "tools/complejos/window/frmcomplex.h"

#include "controls/comboexpr.h"
#include "controls/frmautocomp.h"
#include "engine/formulapicture.h"
#include "foundation/core/basicos.h"
#include "golden.h"
#include "services/formulaview.h"
#include "support/fixtures.h"
#include "tools/fracciones/window/exprtoolwindowtest.h"
#include "support/recordinghost.h"
#include "support/recordingsink.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QToolButton>

#include <deque>
#include <memory>
#include <variant>

void RegisterWindow_tool_complejos();

namespace {

// The texts a picture writes, in order.
QStringList TextsOf(const FormulaPicture* picture)
{
    QStringList out;
    if (!picture)
        return out;
    for (const PictureOp& op : picture->ops())
        if (const auto* t = std::get_if<pictureop::Text>(&op))
            out << t->text;
    return out;
}

class FrmComplexTest : public ExprToolWindowTest<TfmComplex, &TfmComplex::ComboBox1> {
protected:
    void SetUp() override
    {
        ExprToolWindowTest::SetUp();
        complex::StartUp();
        complex::messageHook() = exprcore::ShowAsMessageBox;
    }
};

TEST_F(FrmComplexTest, LayoutAndFirstState)
{
    open();
    EXPECT_EQ(w->objectName(), QStringLiteral("fmComplex"));
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Complejos"));
    EXPECT_EQ(w->ComboBox1->TextEmpty(), QStringLiteral("{Ingrese aquí una expresión para evaluar}"));
    EXPECT_EQ(w->ComboBox1->FileName(), QStringLiteral("expc.lst"));
    EXPECT_FALSE(w->ComboBox1->AutoComplete());
    EXPECT_EQ(w->ComboBox1->completer(), nullptr);
    EXPECT_NE(w->ComboBox1->NameTable(), nullptr);
    EXPECT_EQ(w->Edit3->toolTip(), QStringLiteral("Norma del resultado"));
    EXPECT_TRUE(w->Edit4->isReadOnly());
    EXPECT_GE(w->width(), 423);
    EXPECT_LE(w->width(), 600);
    EXPECT_FALSE(w->PMeta->lblError->isVisible());
    int help = 0;
    w->OnHelp = [&help](int context) { help = context; };
    QTest::mouseClick(w->SpeedButton9, Qt::LeftButton);
    EXPECT_EQ(help, 43);
    EXPECT_FALSE(w->PMeta->DescribirFunciones->isChecked());
    EXPECT_TRUE(w->PMeta->AjustarALaVentana->isChecked());
    EXPECT_EQ(w->PMeta->DescribirFunciones->text(), QStringLiteral("Describir funciones de usuario"));
    EXPECT_TRUE(AutoComp().AutoCompleteOn);
}

TEST_F(FrmComplexTest, ResultsInTheMainWindowsAngleUnit)
{
    struct Case {
        const char* text;
        std::uint8_t angle;
        const char* z;
        const char* modulus;
        const char* argument;
    } cases[] = {
        {"(3+4i)*(1-2i)", 1, "11 -2i", "11.18034", "-10.304846"},
        {"i", 0, "i", "1", "1.5707963"},
        {"i", 1, "i", "1", "90"},
        {"Sqrt(-1)", 0, "i", "1", "1.5707963"},
        {"2i", 0, " 2i", "2", "1.5707963"},
        {"?^2 = -4", 0, " 2i", "2", "1.5707963"},
    };
    open();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        host.angle = c.angle;
        calculate(QString::fromUtf8(c.text));
        EXPECT_EQ(w->Edit2->text(), QString::fromUtf8(c.z));
        EXPECT_EQ(w->Edit3->text(), QString::fromUtf8(c.modulus));
        EXPECT_EQ(w->Edit4->text(), QString::fromUtf8(c.argument));
    }
    EXPECT_TRUE(sink.empty()) << sink.texts().join(QLatin1Char('/')).toStdString();
}

TEST_F(FrmComplexTest, ResultsAgreeWithTheEnginesDriver)
{
    struct Case {
        const char* text;
        std::uint8_t angle;
    } cases[] = {
        {"(3+4i)*(1-2i)", 0}, {"sqrt(-4)", 0},   {"ln(-1)", 0},       {"(1+i)^(1-i)", 0}, {"polar(2, 90)", 1},
        {"arg(1+i)", 1},      {"?*(1+i) = 2", 0}, {"e^(i*pi)", 0},   {"(-8)\\3", 0},     {"a:2+i;a*a", 0},
        {"sin(i)", 0},        {"1/(1-1)", 0},
    };
    open();
    QStringList input{QStringLiteral("#set domain complex")};
    QStringList shown;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        host.angle = c.angle;
        calculate(QString::fromUtf8(c.text));
        shown << w->Edit2->text();
        input << QStringLiteral("#set angle %1").arg(c.angle) << QString::fromUtf8(c.text);
    }
    QStringList driver = golden::RunDriver(input);
    ASSERT_EQ(driver.size(), shown.size());
    for (int i = 0; i < shown.size(); ++i) {
        SCOPED_TRACE(cases[i].text);
        // The driver writes a failure as "N: message" (the boxes shown in
        // front): a text that does not compile (18) has no value here, any
        // other failure shows the engine's 0 after its box.
        QString d = driver[i];
        while (d.startsWith(QStringLiteral("[caja: ")))
            d = d.mid(d.indexOf(QStringLiteral("] ")) + 2);
        if (d.startsWith(QStringLiteral("18: ")))
            d.clear();
        else if (d.contains(QStringLiteral(": ")))
            d = QStringLiteral("0");
        EXPECT_EQ(shown[i], d);
    }
}

TEST_F(FrmComplexTest, AngleChangeCalculatesAgain)
{
    open();
    calculate(QStringLiteral("-i"));
    EXPECT_EQ(w->Edit4->text(), QStringLiteral("-1.5707963"));
    host.angle = 1;
    host.notices.Post(THostNotice::AngleChanged);
    EXPECT_EQ(w->Edit4->text(), QStringLiteral("-90"));
    host.angle = 2;
    host.notices.Post(THostNotice::AngleChanged);
    EXPECT_EQ(w->Edit4->text(), QStringLiteral("-100"));
    // An empty entry has nothing to calculate: no box.
    w->ComboBox1->SetText(QString());
    host.notices.Post(THostNotice::AngleChanged);
    EXPECT_TRUE(sink.empty());
}

TEST_F(FrmComplexTest, LettersAreAskedOncePerCalculation)
{
    open();
    answers = {QStringLiteral("1+i")};
    calculate(QStringLiteral("x+x"));
    EXPECT_EQ(w->Edit2->text(), QStringLiteral("2 + 2i"));
    EXPECT_EQ(prompts, QStringList{QStringLiteral("x|")});
    // The right operand first, as the engine evaluates; the last answer is
    // offered again.
    answers = {QStringLiteral("i"), QStringLiteral("3")};
    calculate(QStringLiteral("z*x"));
    EXPECT_EQ(w->Edit2->text(), QStringLiteral(" 3i"));
    EXPECT_EQ(prompts.mid(1), (QStringList{QStringLiteral("x|1+i"), QStringLiteral("z|")}));
    answers = {QStringLiteral("2")};
    calculate(QStringLiteral("x"));
    EXPECT_EQ(prompts.last(), QStringLiteral("x|i"));
}

TEST_F(FrmComplexTest, UserDefinitionsAndTheirDescription)
{
    put(QStringLiteral("real.duf"), "[Constantes]\r\nk=2+i_una constante\r\n[Funciones]\r\nf=?A^2_cuadrado\r\n");
    open();
    EXPECT_TRUE(w->Calc().Input.GetTable()->Contains(QStringLiteral("k")));
    calculate(QStringLiteral("f(3)+k"));
    EXPECT_EQ(w->Edit2->text(), QStringLiteral("11 +i"));
    EXPECT_TRUE(TextsOf(w->Picture()).contains(QStringLiteral("f")));
    // Checked: the call is drawn as its body over the argument, and calculated.
    w->PMeta->DescribirFunciones->trigger();
    EXPECT_TRUE(w->Calc().Main.InlineUserFunctions);
    EXPECT_EQ(w->Edit2->text(), QStringLiteral("11 +i"));
    const QStringList inlined = TextsOf(w->Picture());
    EXPECT_FALSE(inlined.contains(QStringLiteral("f")));
    EXPECT_TRUE(inlined.contains(QStringLiteral("3")));
    EXPECT_TRUE(inlined.contains(QStringLiteral("2")));
    w->PMeta->DescribirFunciones->trigger();
    EXPECT_FALSE(w->Calc().Main.InlineUserFunctions);
    EXPECT_TRUE(TextsOf(w->Picture()).contains(QStringLiteral("f")));
}

TEST_F(FrmComplexTest, ATextThatDoesNotCompileShowsItsBoxAndNoValue)
{
    open();
    calculate(QStringLiteral("1+i"));
    // Typed first (the live drawing compiles it silently), then Enter.
    w->ComboBox1->SetText(QStringLiteral("(1+i"));
    EXPECT_TRUE(w->PMeta->lblError->isVisible());
    EXPECT_TRUE(sink.empty());
    QTest::keyClick(w->ComboBox1, Qt::Key_Return);
    EXPECT_EQ(sink.count(), 1);
    EXPECT_TRUE(w->Edit2->text().isEmpty());
    EXPECT_TRUE(w->Edit3->text().isEmpty());
    EXPECT_TRUE(w->Edit4->text().isEmpty());
}

TEST_F(FrmComplexTest, LiveDrawing)
{
    open();
    w->ComboBox1->SetText(QStringLiteral("x+2i"));
    EXPECT_NE(w->Picture(), nullptr);
    EXPECT_FALSE(w->PMeta->lblError->isVisible());
    EXPECT_TRUE(prompts.isEmpty());
    w->ComboBox1->SetText(QString());
    EXPECT_EQ(w->Picture(), nullptr);
    host.drawsWhileTyping = false;
    w->ComboBox1->SetText(QStringLiteral("3i"));
    EXPECT_EQ(w->Picture(), nullptr);
}

TEST_F(FrmComplexTest, EscEmptiesThenClosesAndHistory)
{
    open();
    calculate(QStringLiteral("i*i"));
    calculate(QStringLiteral("i*i"));
    calculate(QStringLiteral("2i"));
    EXPECT_EQ(w->ComboBox1->Items(), (QStringList{QStringLiteral("2i"), QStringLiteral("i*i")}));
    QTest::keyClick(w->ComboBox1, Qt::Key_Escape);
    EXPECT_TRUE(w->ComboBox1->Text().isEmpty() || w->ComboBox1->IsEmpty());
    EXPECT_TRUE(w->isVisible());
    QTest::keyClick(w->ComboBox1, Qt::Key_Escape);
    EXPECT_FALSE(w->isVisible());
    ASSERT_EQ(host.closed.size(), 1u);
    w.reset();
    EXPECT_EQ(get(QStringLiteral("expc.lst")), QByteArray("2i\r\ni*i\r\n"));
}

TEST_F(FrmComplexTest, PictureMenu)
{
    ExportingHost exporting;
    open(exporting);
    emit w->PMeta->MenuMeta->aboutToShow();
    EXPECT_FALSE(w->PMeta->Copiar->isEnabled());
    EXPECT_FALSE(w->PMeta->Exportar->isEnabled());
    calculate(QStringLiteral("1+i"));
    emit w->PMeta->MenuMeta->aboutToShow();
    ASSERT_TRUE(w->PMeta->Exportar->isEnabled());
    w->PMeta->Exportar->trigger();
    EXPECT_EQ(exporting.exportedFrom, w.get());
    QTest::mouseDClick(w->PMeta->pbMeta, Qt::LeftButton);
    EXPECT_EQ(exporting.copied, 1);
    w.reset();   // before its host
}

class OfferTest : public FrmComplexTest {};

TEST_F(OfferTest, NoLeavesEverythingAsItWas)
{
    sink.answer = RecordingSink::kDefaultButton;
    EXPECT_FALSE(OfferComplexCalculation(host, nullptr, QStringLiteral("sqrt(-4)")));
    ASSERT_EQ(sink.count(), 1);
    EXPECT_EQ(sink.last().caption, QStringLiteral("Parametro no válido"));
    EXPECT_EQ(sink.last().text,
              QStringLiteral("Esta expresión no pudo evaluarse, \r\npero quizá sea posible en el dominio de los "
                             "Complejos.\r\n\r\n¿Desea evaluar esta expresión con la Herramienta Complejos? \r\n "));
    EXPECT_EQ(sink.last().flags, mb::YesNo | mb::DefButton2 | mb::IconInformation);
    EXPECT_EQ(TToolWindow::Find(TfmComplex::kName), nullptr);
}

TEST_F(OfferTest, YesOpensTheWindowWithTheText)
{
    sink.answers = {idYes};
    int opened = 0;
    // The main window's toggle makes the window (as its tools menu does).
    EXPECT_TRUE(OfferComplexCalculation(host, nullptr, QStringLiteral("sqrt(-4)"), [&] {
        ++opened;
        w = std::make_unique<TfmComplex>(host, nullptr);
        w->show();
    }));
    EXPECT_EQ(opened, 1);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->ComboBox1->Text(), QStringLiteral("sqrt(-4)"));
    EXPECT_EQ(w->Edit2->text(), QStringLiteral(" 2i"));
    EXPECT_EQ(w->ComboBox1->Items(), QStringList{QStringLiteral("sqrt(-4)")});
    // Without an opener the window is made and shown here.
    w.reset();
    sink.answers = {idYes};
    EXPECT_TRUE(OfferComplexCalculation(host, nullptr, QStringLiteral("ln(-1)")));
    auto* made = dynamic_cast<TfmComplex*>(TToolWindow::Find(TfmComplex::kName));
    ASSERT_NE(made, nullptr);
    w.reset(made);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->Edit2->text(), QStringLiteral(" 3.141592654i"));
}

TEST_F(FrmComplexTest, Registration)
{
    RegisterWindow_tool_complejos();
    ASSERT_EQ(MainExtensions().Tools.size(), 1u);
    const TMainExtensions::Tool& t = MainExtensions().Tools[0];
    EXPECT_EQ(t.Name, QStringLiteral("fmComplex"));
    EXPECT_EQ(t.FlagKey, QStringLiteral("Complejos"));
    EXPECT_EQ(t.Caption, QStringLiteral("Complejos"));
    EXPECT_EQ(t.ButtonName, QStringLiteral("SpeedButton11"));
    EXPECT_EQ(t.Key, QLatin1Char('J'));
    EXPECT_EQ(t.MenuOrder, 8);
    EXPECT_EQ(t.AppearanceOrder, 8);
    EXPECT_EQ(t.Hint, QStringLiteral("Complejos (Ctrl+J)\r\n\r\nRealiza todo tipo de cálculos\r\ncon números complejos a+bi,"));
    TToolWindow* made = t.Create(host, nullptr);
    ASSERT_NE(dynamic_cast<TfmComplex*>(made), nullptr);
    EXPECT_EQ(made, t.Create(host, nullptr));
    delete made;
}

} // namespace
