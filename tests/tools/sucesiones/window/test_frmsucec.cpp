// The sequences window driven offscreen: typing a recurrence and running it
// in detail and in batches (stopped by Esc), the initial-term prompts and
// their Cancel, errors, the shift button, evaluating f at a point, the
// formula picture, saving, loading and deleting definitions in suce.ini, the
// state kept under "_" from one window to the next, and the registration.
#include "tools/sucesiones/window/frmsucec.h"

#include "controls/comboexpr.h"
#include "controls/paintbox.h"
#include "controls/transedit.h"
#include "engine/formulapicture.h"
#include "foundation/core/basicos.h"
#include "platform/keystate.h"
#include "support/fixtures.h"
#include "support/recordinghost.h"
#include "support/recordingsink.h"
#include "testsupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <deque>
#include <memory>
#include <optional>

void RegisterWindow_tool_sucesiones();

namespace {

class FrmSucecTest : public ExeDirTest {
protected:
    void SetUp() override
    {
        ExeDirTest::SetUp();
        Basicos().ExeFile = path(QStringLiteral("sumbrix"));
        Basicos().ApplicationTitle = QStringLiteral("Sumbrix 2.84");
        Basicos().Messages = &sink;
        open();
    }
    void TearDown() override
    {
        w.reset();
        ExeDirTest::TearDown();
    }
    void open()
    {
        w = std::make_unique<TfmSucec>(host, nullptr);
        w->InputQuery = [this](const QString& caption, const QString& prompt, QString& text) {
            queries.push_back(caption + QLatin1Char('|') + prompt + QLatin1Char('|') + text);
            if (answers.empty() || !answers.front()) {
                if (!answers.empty())
                    answers.pop_front();
                return false;
            }
            text = *answers.front();
            answers.pop_front();
            return true;
        };
        w->show();
    }
    void define(const QString& s, const QString& p, const QString& f = QString())
    {
        w->cmbS->SetText(s);
        w->cmbP->SetText(p);
        w->cmbF->SetText(f);
    }
    void start() { QTest::mouseClick(w->Button1, Qt::LeftButton); }
    QStringList report() const
    {
        QString t = w->Memo1->toPlainText();
        return t.isEmpty() ? QStringList() : t.split(QLatin1Char('\n'));
    }
    void answer(std::initializer_list<const char*> texts)
    {
        for (const char* t : texts)
            answers.push_back(t ? std::optional<QString>(QString::fromUtf8(t)) : std::nullopt);
    }

    RecordingHost host;
    RecordingSink sink;
    std::unique_ptr<TfmSucec> w;
    QStringList queries;
    std::deque<std::optional<QString>> answers;
};

TEST_F(FrmSucecTest, LayoutAndFirstState)
{
    EXPECT_EQ(w->objectName(), QStringLiteral("fmSucec"));
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Sucesiones"));
    EXPECT_EQ(w->cmbF->TextEmpty(), QStringLiteral("Ingrese un Función sobre x"));
    EXPECT_EQ(w->cmbH->TextEmpty(), QStringLiteral("Ingrese una Función sobre x"));
    EXPECT_EQ(w->cmbS->TextEmpty(), QStringLiteral("Defina la sucesión aquí"));
    EXPECT_EQ(w->cmbP->TextEmpty(), QStringLiteral("Ingrese una condición de parada aquí"));
    // Only the stop condition offers the names.
    EXPECT_NE(w->cmbP->NameTable(), nullptr);
    EXPECT_EQ(w->cmbS->NameTable(), nullptr);
    EXPECT_EQ(w->cmbF->NameTable(), nullptr);
    EXPECT_EQ(w->btnSn->text(), QStringLiteral("Sn="));
    EXPECT_FALSE(w->Button2->isEnabled());
    EXPECT_TRUE(w->chkDetallado->isChecked());
    EXPECT_TRUE(w->SpeedButton4->isChecked());
    EXPECT_FALSE(w->SpeedButton6->isEnabled());
    EXPECT_EQ(w->Button1->text(), QStringLiteral("Iniciar"));
    EXPECT_EQ(w->Button2->toolTip(), QStringLiteral("Continuar un calculo interrumpido"));
    EXPECT_EQ(real::engineState().EqualityTolerance, 0);
}

TEST_F(FrmSucecTest, APlaceholderIsNoText)
{
    define(QStringLiteral("n*2"), QStringLiteral("n>=2"));
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
    w->cmbF->setFocus(Qt::TabFocusReason);
    w->cmbS->setFocus(Qt::TabFocusReason);   // cmbF, left empty, shows its placeholder
    ASSERT_EQ(w->cmbF->Text(), QStringLiteral("Ingrese un Función sobre x"));
    start();
    EXPECT_TRUE(sink.empty()) << sink.texts().join('|').toStdString();
    EXPECT_EQ(report(), (QStringList{"S(1)=\t2", "S(2)=\t4"}));
    EXPECT_EQ(w->Sucesion().F.Text, QString());
}

TEST_F(FrmSucecTest, DetailedRunAsksTheInitialTermsAndListsEveryTerm)
{
    define(QStringLiteral("S1+S2"), QStringLiteral("n>=10"));
    answer({"1", "1"});
    start();
    EXPECT_EQ(queries, (QStringList{"Sucesiones|Indique un valor para S(1)|", "Sucesiones|Indique un valor para S(2)|"}));
    EXPECT_EQ(report(), (QStringList{"S(1)=\t1", "S(2)=\t1", "S(3)=\t2", "S(4)=\t3", "S(5)=\t5", "S(6)=\t8",
                                     "S(7)=\t13", "S(8)=\t21", "S(9)=\t34", "S(10)=\t55"}));
    EXPECT_EQ(w->Label7->text(), QStringLiteral("n=10"));
    EXPECT_TRUE(w->Button2->isEnabled());
    EXPECT_TRUE(w->Memo1->isVisible());
    EXPECT_TRUE(w->cmbS->Items().contains(QStringLiteral("S1+S2")));
    EXPECT_TRUE(sink.empty());
    // The next start offers the last answers.
    queries.clear();
    answer({"2", "1"});
    start();
    EXPECT_EQ(queries.value(0), QStringLiteral("Sucesiones|Indique un valor para S(1)|1"));
    EXPECT_EQ(report().value(2), QStringLiteral("S(3)=\t3"));
}

TEST_F(FrmSucecTest, TheLongerFormAsksTheSameTerms)
{
    QTest::mouseClick(w->btnSn, Qt::LeftButton);
    EXPECT_EQ(w->btnSn->text(), QStringLiteral("Sn+1="));
    define(QStringLiteral("Sn+S1"), QStringLiteral("n>=5"));
    answer({"1", "1"});
    start();
    EXPECT_EQ(queries.size(), 2);
    EXPECT_EQ(report().mid(2), (QStringList{"S(3)=\t2", "S(4)=\t3", "S(5)=\t5", "S(6)=\t8"}));
    QTest::mouseClick(w->btnSn, Qt::LeftButton);
    EXPECT_EQ(w->btnSn->text(), QStringLiteral("Sn="));
}

TEST_F(FrmSucecTest, CancelAndBadAnswersEndTheStart)
{
    define(QStringLiteral("S1*2"), QStringLiteral("n>=3"));
    answer({nullptr});
    start();
    EXPECT_TRUE(sink.empty());
    EXPECT_FALSE(w->Button2->isEnabled());
    EXPECT_TRUE(report().isEmpty());
    answer({"abc"});
    start();
    ASSERT_EQ(sink.count(), 1);
    EXPECT_EQ(sink.last().text, QStringLiteral("'abc' no es un valor decimal válido"));
    EXPECT_FALSE(w->Button2->isEnabled());
}

TEST_F(FrmSucecTest, ErrorsOfTheRecurrenceAndUnknownNames)
{
    define(QStringLiteral("1/(n-3)"), QString());
    start();
    EXPECT_EQ(report(), (QStringList{"S(1)=\t-0.5", "S(2)=\t-1", "S(3)=\tDivisión por cero"}));
    EXPECT_TRUE(sink.empty());
    // Outside detailed mode the report is not emptied before compiling.
    w->chkDetallado->setChecked(false);
    define(QStringLiteral("zz+1"), QString());
    start();
    ASSERT_EQ(sink.count(), 1);
    EXPECT_TRUE(sink.last().text.contains(QStringLiteral("zz"))) << sink.last().text.toStdString();
    EXPECT_EQ(report().size(), 3);
}

TEST_F(FrmSucecTest, DetailedRunsGoOnWithContinuar)
{
    define(QStringLiteral("n"), QString());
    start();
    EXPECT_EQ(report().size(), 1000);
    EXPECT_EQ(report().last(), QStringLiteral("S(1000)=\t1000"));
    QTest::mouseClick(w->Button2, Qt::LeftButton);
    EXPECT_EQ(report().size(), 2000);
    EXPECT_EQ(w->Label7->text(), QStringLiteral("n=2000"));
}

TEST_F(FrmSucecTest, BatchRunToItsStopCondition)
{
    w->chkDetallado->setChecked(false);
    define(QStringLiteral("S1+1"), QStringLiteral("n>=1000000"));
    answer({"1"});
    start();
    EXPECT_EQ(w->Label7->text(), QStringLiteral("n=1000000"));
    const QStringList r = report();
    ASSERT_EQ(r.size(), 1 + 8 + 1);
    EXPECT_EQ(r.first(), QStringLiteral("S(1)=\t1"));
    EXPECT_EQ(r[1], QStringLiteral("S(999992)=\t999992"));
    EXPECT_EQ(r.last(), QStringLiteral("S(1000000)=\t1000000"));
}

TEST_F(FrmSucecTest, ABatchRunWithoutEndIsStoppedByEsc)
{
    IsKeyDown(vk::Escape);   // the key state follows the keyboard from now on
    w->chkDetallado->setChecked(false);
    define(QStringLiteral("S1+1"), QString());
    answer({"0"});
    // Esc goes down while the run is under way.
    QTimer::singleShot(50, w.get(), [this] { QTest::keyPress(w.get(), Qt::Key_Escape); });
    start();
    QTest::keyRelease(w.get(), Qt::Key_Escape);
    const QString label = w->Label7->text();
    EXPECT_TRUE(sink.empty()) << sink.texts().join('|').toStdString();
    EXPECT_EQ(queries.size(), 1) << queries.join('|').toStdString();
    ASSERT_TRUE(label.startsWith(QStringLiteral("n="))) << label.toStdString();
    const unsigned n = label.mid(2).toUInt();
    EXPECT_GT(n, 1u);
    EXPECT_EQ(n, w->Sucesion().N);
    const QStringList r = report();
    EXPECT_EQ(r.last(), QStringLiteral("S(%1)=\t%2").arg(n).arg(n - 1));
    EXPECT_LE(r.size(), 1 + 8 + 1);
    EXPECT_TRUE(w->Memo1->isVisible());
    // Continuar goes on from there (and Esc stops it again).
    QTimer::singleShot(50, w.get(), [this] { QTest::keyPress(w.get(), Qt::Key_Escape); });
    QTest::mouseClick(w->Button2, Qt::LeftButton);
    QTest::keyRelease(w.get(), Qt::Key_Escape);
    EXPECT_GT(w->Sucesion().N, n);
}

TEST_F(FrmSucecTest, EvaluatingAFunctionAtAPoint)
{
    w->cmbF->SetText(QStringLiteral("x^2+1"));
    answer({"3"});
    QTest::mouseClick(w->SpeedButton7, Qt::LeftButton);
    EXPECT_EQ(queries, QStringList{"Evaluar f(x)|Indique un valor númerico para x|"});
    ASSERT_EQ(sink.count(), 1);
    EXPECT_EQ(sink.last().text, QStringLiteral("El valor de f(3) es\r\n\r\n10"));
    EXPECT_EQ(sink.last().caption, QStringLiteral("Evaluar función"));
    EXPECT_EQ(sink.last().flags, mb::Ok | mb::IconInformation);
    // A fault at the point is told; the last x is offered again.
    w->cmbH->SetText(QStringLiteral("1/x"));
    answer({"0"});
    QTest::mouseClick(w->SpeedButton9, Qt::LeftButton);
    EXPECT_EQ(queries.last(), QStringLiteral("Evaluar h(x)|Indique un valor númerico para x|3"));
    EXPECT_EQ(sink.last().text, QStringLiteral("División por cero"));
    // A double click in the box does the same.
    answer({"2"});
    QTest::mouseDClick(w->cmbF->lineEdit(), Qt::LeftButton);
    EXPECT_EQ(sink.last().text, QStringLiteral("El valor de f(2) es\r\n\r\n5"));
}

TEST_F(FrmSucecTest, ThePictureFollowsTheSelector)
{
    define(QStringLiteral("f(S1)+S2"), QString(), QStringLiteral("x/2"));
    QTest::mouseClick(w->SpeedButton4, Qt::LeftButton);
    EXPECT_EQ(w->PictureSelector(), 0);
    ASSERT_NE(w->Picture(), nullptr);
    const int recurrenceWidth = w->Picture()->width();
    QTest::mouseClick(w->SpeedButton1, Qt::LeftButton);
    EXPECT_EQ(w->PictureSelector(), 1);
    ASSERT_NE(w->Picture(), nullptr);
    EXPECT_NE(w->Picture()->width(), recurrenceWidth);
    QTest::mouseClick(w->SpeedButton2, Qt::LeftButton);   // g has no text
    EXPECT_EQ(w->Picture(), nullptr);
    EXPECT_FALSE(w->pbMeta->grab().isNull());
}

TEST_F(FrmSucecTest, SavingLoadingAndDeletingDefinitions)
{
    define(QStringLiteral("S1+S2"), QStringLiteral("n>=10"), QStringLiteral("x"));
    w->TransMemo1->setPlainText(QStringLiteral("Fibonacci\nsuma de los dos anteriores"));
    answer({"Fibo"});
    QTest::mouseClick(w->SpeedButton5, Qt::LeftButton);
    EXPECT_EQ(queries.last(), QStringLiteral("Guardar grupo|Indique un nombre|"));
    EXPECT_TRUE(sink.empty());
    EXPECT_EQ(w->cmbGrup->currentText(), QStringLiteral("Fibo"));
    EXPECT_TRUE(w->SpeedButton6->isEnabled());
    EXPECT_TRUE(get(QStringLiteral("suce.ini")).contains("[Fibo]\r\nCant=8\r\n1=Fibonacci\r\n"));

    // The same name again: asked first; Cancel keeps the stored one.
    w->cmbS->SetText(QStringLiteral("S1*2"));
    answer({"Fibo"});
    sink.answer = idCancel;
    QTest::mouseClick(w->SpeedButton5, Qt::LeftButton);
    ASSERT_EQ(sink.count(), 1);
    EXPECT_EQ(sink.last().text, QStringLiteral("Ya existe \"Fibo\"\r\n\r\n¿Desea sobreescribirlo?"));
    EXPECT_EQ(sink.last().caption, QStringLiteral("Guardar definición"));
    EXPECT_EQ(TSuceFile::Load(QStringLiteral("Fibo")).Texts[TSucesion::kS], QStringLiteral("S1+S2"));

    // Loading fills the boxes and the comments, and disables Continuar.
    answer({"1", "1"});
    start();
    EXPECT_TRUE(w->Button2->isEnabled());
    w->cmbF->SetText(QString());
    w->TransMemo1->clear();
    emit w->cmbGrup->activated(w->cmbGrup->findText(QStringLiteral("Fibo")));
    EXPECT_EQ(w->cmbS->Text(), QStringLiteral("S1+S2"));
    EXPECT_EQ(w->cmbF->Text(), QStringLiteral("x"));
    EXPECT_EQ(w->TransMemo1->toPlainText(), QStringLiteral("Fibonacci\nsuma de los dos anteriores"));
    EXPECT_FALSE(w->Button2->isEnabled());
    EXPECT_EQ(w->Label7->text(), QString());

    // Deleting asks, No keeps it, Yes removes it.
    sink.clear();
    sink.answer = idNo;
    QTest::mouseClick(w->SpeedButton6, Qt::LeftButton);
    EXPECT_EQ(sink.last().text, QStringLiteral("¿Desea eliminar la definición\r\nFibo?"));
    EXPECT_EQ(sink.last().caption, QStringLiteral("Borrar Combinación"));
    EXPECT_TRUE(TSuceFile::Exists(QStringLiteral("Fibo")));
    sink.answer = idYes;
    QTest::mouseClick(w->SpeedButton6, Qt::LeftButton);
    EXPECT_FALSE(TSuceFile::Exists(QStringLiteral("Fibo")));
    EXPECT_EQ(w->cmbGrup->findText(QStringLiteral("Fibo")), -1);
    EXPECT_FALSE(w->SpeedButton6->isEnabled());
}

TEST_F(FrmSucecTest, BrokenDefinitionsAreReportedAndChangeNothing)
{
    w.reset();
    put(QStringLiteral("suce.ini"), "[Corta]\r\nCant=2\r\n1=S1\r\n2=0\r\n"
                                    "[Rara]\r\nCant=6\r\n1=x\r\n2=\r\n3=\r\n4=n^2\r\n5=n>=3\r\n6=dos\r\n");
    open();
    ASSERT_EQ(w->cmbGrup->count(), 2);
    w->cmbS->SetText(QStringLiteral("S1"));
    emit w->cmbGrup->activated(w->cmbGrup->findText(QStringLiteral("Corta")));
    ASSERT_EQ(sink.count(), 1);
    EXPECT_TRUE(sink.last().text.startsWith(QStringLiteral("La definición \"Corta\""))) << sink.last().text.toStdString();
    EXPECT_EQ(w->cmbS->Text(), QStringLiteral("S1"));
    // A shift that is no integer: the boxes are filled, then the error.
    emit w->cmbGrup->activated(w->cmbGrup->findText(QStringLiteral("Rara")));
    EXPECT_EQ(sink.last().text, QStringLiteral("'dos' no es un valor entero válido"));
    EXPECT_EQ(w->cmbS->Text(), QStringLiteral("n^2"));
}

TEST_F(FrmSucecTest, TheStateOfTheLastClosingComesBack)
{
    QTest::mouseClick(w->btnSn, Qt::LeftButton);
    define(QStringLiteral("Sn/2"), QStringLiteral("n>=4"), QStringLiteral("x+1"));
    w->TransMemo1->setPlainText(QStringLiteral("nota"));
    w->close();
    EXPECT_EQ(host.closed.size(), 1u);
    w.reset();
    open();
    EXPECT_EQ(w->cmbS->Text(), QStringLiteral("Sn/2"));
    EXPECT_EQ(w->cmbP->Text(), QStringLiteral("n>=4"));
    EXPECT_EQ(w->cmbF->Text(), QStringLiteral("x+1"));
    EXPECT_EQ(w->btnSn->text(), QStringLiteral("Sn+1="));
    EXPECT_EQ(w->TransMemo1->toPlainText(), QStringLiteral("nota"));
    EXPECT_EQ(w->cmbGrup->findText(QStringLiteral("_")), -1);
    EXPECT_TRUE(sink.empty());
}

TEST_F(FrmSucecTest, Registration)
{
    MainExtensions().reset();
    RegisterWindow_tool_sucesiones();
    ASSERT_EQ(MainExtensions().Tools.size(), 1u);
    const TMainExtensions::Tool& t = MainExtensions().Tools[0];
    EXPECT_EQ(t.Name, QStringLiteral("fmSucec"));
    EXPECT_EQ(t.FlagKey, QString());
    EXPECT_EQ(t.Caption, QStringLiteral("Sucesiones"));
    EXPECT_EQ(t.ButtonName, QStringLiteral("SpeedButton12"));
    EXPECT_EQ(t.Key, QLatin1Char('S'));
    EXPECT_EQ(t.AppearanceOrder, 9);
    EXPECT_EQ(t.Hint, QStringLiteral("Sucesiones (Ctrl+S)\r\n\r\nDefinir sucesiones con lo que puede poner\r\n"
                                     "a prueba algoritmos, estudiar convergencias, etc"));
    EXPECT_EQ(t.Create(host, nullptr), w.get());
    MainExtensions().reset();
    std::vector<int> contexts;
    w->OnHelp = [&contexts](int c) { contexts.push_back(c); };
    QTest::mouseClick(w->Button3, Qt::LeftButton);
    EXPECT_EQ(contexts, std::vector<int>{46});
}

} // namespace
