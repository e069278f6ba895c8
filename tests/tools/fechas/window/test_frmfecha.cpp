// The dates window driven as a user drives it: choosing the calculation,
// typing dates and durations (the keys the fields let through), the result's
// unit menu, the calendar, Hoy and Ahora, Esc, Enter and F2, the scheme, and
// its entry in the main window's tools.
#include "tools/fechas/window/frmfecha.h"

#include "controls/areafondo.h"
#include "controls/popupmenux.h"
#include "drawkit/drawkit.h"
#include "foundation/core/basicos.h"
#include "support/fixtures.h"
#include "support/recordinghost.h"
#include "tools/fechas/window/frmfechacal.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QClipboard>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>

void RegisterWindow_tool_fechas();

using namespace fechas;

namespace {

class FechaWindowTest : public ExeDirTest {
protected:
    void SetUp() override
    {
        ExeDirTest::SetUp();
        Basicos().ExeFile = path(QStringLiteral("sumbrix"));
        const TDateTime now = EncodeDateTime(2024, 3, 5, 14, 7, 9);
        ClockSource() = [now] { return now; };
        w = std::make_unique<TfmFecha>(host, nullptr);
        w->show();
        QApplication::setActiveWindow(w.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
    }
    void TearDown() override
    {
        w.reset();
        ClockSource() = nullptr;
        ExeDirTest::TearDown();
    }

    // Key by key; characters beyond ASCII as the keyboard sends them.
    void Type(QLineEdit* edit, const QString& text)
    {
        edit->setFocus();
        for (const QChar c : text) {
            if (c.unicode() < 128) {
                QTest::keyClick(edit, char(c.unicode()));
            } else {
                QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
                QApplication::sendEvent(edit, &press);
            }
        }
    }
    void Choose(int type) { w->ComboBox1->setCurrentIndex(type); }
    TMenuItem* UnitItem(const QString& caption)
    {
        for (TMenuItem* item : w->PopupMenu1->Items())
            if (item->text() == caption)
                return item;
        ADD_FAILURE() << "no unit " << caption.toStdString();
        return nullptr;
    }

    RecordingHost host;
    std::unique_ptr<TfmFecha> w;
};

} // namespace

TEST_F(FechaWindowTest, OpensOnTheDifferenceOfDates)
{
    EXPECT_EQ(w->objectName(), QStringLiteral("fmFecha"));
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Fechas y Tiempo"));
    EXPECT_EQ(w->CalcType(), 0);
    EXPECT_EQ(w->ComboBox1->count(), 6);
    EXPECT_EQ(w->ComboBox1->itemText(1), QStringLiteral("Fecha mas/menos días"));
    EXPECT_EQ(w->ComboBox1->itemText(5), QStringLiteral("Tiempo Dividido Decimal"));
    EXPECT_TRUE(w->Panel1->isVisible());
    EXPECT_FALSE(w->Panel2->isVisible());
    EXPECT_EQ(w->btnMenu->text(), QStringLiteral("HH:MM:SS "));
    EXPECT_EQ(w->btnMenu2->text(), QStringLiteral("HH:MM:SS "));
    EXPECT_TRUE(w->Edit3->isReadOnly());
    EXPECT_TRUE(w->Edit7->isReadOnly());
    EXPECT_TRUE(w->Edit3->font().bold());
    EXPECT_EQ(w->SpeedButton9->toolTip(), QStringLiteral("Ayuda (F1)"));
    EXPECT_EQ(w->btnMenu2->toolTip(), QStringLiteral("Formato del resultado"));
    EXPECT_EQ(w->SpeedButton2->toolTip(), QStringLiteral("Inserta fecha y hora actual"));
    EXPECT_EQ(w->SpeedButton1->toolTip(), QStringLiteral("Inserta fecha actual"));
    EXPECT_EQ(w->btnFecha1->toolTip(), QStringLiteral("Calendario"));
}

TEST_F(FechaWindowTest, EachTypeShowsItsFieldsAndEmptiesItsResult)
{
    struct Case {
        int type;
        bool panel1;
        const char* label;     // Label3 (dates) or Label6 (durations)
        bool second;           // btnFecha2 and btnMenu2 (dates), Edit6 and Label8 (durations)
        bool menu;             // btnMenu (durations)
    } cases[] = {
        {1, true, "&Días (+/-):", false, false}, {0, true, "Fecha &2:", true, false},
        {2, false, "Tiempo &2", true, true},  {3, false, "Tiempo &2", false, false},
        {4, false, "&Decimal", false, true},  {5, false, "&Decimal", false, true},
    };
    const QSize size = w->size();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        w->Edit3->setText(QStringLiteral("viejo"));
        w->Edit7->setText(QStringLiteral("viejo"));
        Choose(c.type);
        EXPECT_EQ(w->Panel1->isVisible(), c.panel1);
        EXPECT_EQ(w->Panel2->isVisible(), !c.panel1);
        if (c.panel1) {
            EXPECT_EQ(w->Label3->text(), QString::fromUtf8(c.label));
            EXPECT_EQ(w->btnFecha2->isVisible(), c.second);
            EXPECT_EQ(w->btnMenu2->isVisible(), c.second);
            EXPECT_TRUE(w->Edit3->text().isEmpty());
        } else {
            EXPECT_EQ(w->Label6->text(), QString::fromUtf8(c.label));
            EXPECT_EQ(w->Edit6->isVisible(), c.second);
            EXPECT_EQ(w->Label8->isVisible(), c.second);
            EXPECT_EQ(w->btnMenu->isVisible(), c.menu);
            EXPECT_TRUE(w->Edit7->text().isEmpty());
        }
        QApplication::processEvents();
        EXPECT_EQ(w->size(), size);   // a window of fixed size
    }
}

TEST_F(FechaWindowTest, TypedDatesAreCalculatedAtEveryKey)
{
    Type(w->Edit1, QStringLiteral("1/3/2024"));
    EXPECT_TRUE(w->Edit3->text().isEmpty());   // date 2 still empty
    Type(w->Edit2, QStringLiteral("28/2/2024"));
    EXPECT_EQ(w->Edit3->text(), QStringLiteral("2 d.  0:00:00"));
    QTest::keyClick(w->Edit2, Qt::Key_Backspace);
    EXPECT_EQ(w->Edit2->text(), QStringLiteral("28/2/202"));        // the year 202
    EXPECT_EQ(w->Edit3->text(), QString::number(QDate(202, 2, 28).daysTo(QDate(2024, 3, 1))) +
                                    QStringLiteral(" d.  0:00:00"));
    w->Edit2->setText(QStringLiteral("31/2/2024"));
    EXPECT_EQ(w->Edit3->text(), QStringLiteral("'31/2/2024' no es una fecha y hora válida"));
    w->Edit2->clear();
    EXPECT_TRUE(w->Edit3->text().isEmpty());

    Choose(1);
    Type(w->Edit2, QStringLiteral("-1.5"));
    EXPECT_EQ(w->Edit3->text(), QStringLiteral("miércoles 28/02/2024 12:00:00.0"));
    w->Edit2->setText(QStringLiteral("x"));
    EXPECT_EQ(w->Edit3->text(), QStringLiteral("'x' no es un valor decimal válido"));
}

TEST_F(FechaWindowTest, FieldsLetThroughOnlyTheCharactersOfDatesAndTimes)
{
    struct Case {
        QLineEdit* TfmFecha::*edit;
        int type;
        const char* typed;
        const char* kept;
    } cases[] = {
        {&TfmFecha::Edit1, 0, "1a/3b/2024 12:30", "1/3/2024 12:30"},
        {&TfmFecha::Edit1, 0, "d-.,+x", "d-."},         // "d" in a field of tag 1
        {&TfmFecha::Edit2, 0, "d5e/3", "5/3"},           // not in the others
        {&TfmFecha::Edit4, 2, "1D 12", "1d 12"},          // durations in lower case
        {&TfmFecha::Edit5, 2, "-2:3x0", "-2:30"},
        {&TfmFecha::Edit6, 2, "0:45ñ", "0:45"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        Choose(c.type);
        QLineEdit* edit = w.get()->*c.edit;
        edit->clear();
        Type(edit, QString::fromUtf8(c.typed));
        EXPECT_EQ(edit->text(), QString::fromUtf8(c.kept));
    }
    // Moving and deleting keys still work.
    QLineEdit* e = w->Edit4;
    QTest::keyClick(e, Qt::Key_Home);
    QTest::keyClick(e, Qt::Key_Delete);
    EXPECT_EQ(e->text(), QStringLiteral("d 12"));
}

TEST_F(FechaWindowTest, CtrlLetsEveryKeyThroughAndPastedTextIsShownWrong)
{
    QGuiApplication::clipboard()->setText(QStringLiteral("mañana"));
    Type(w->Edit1, QStringLiteral("1/3/2024"));
    w->Edit2->setFocus();
    QTest::keyClick(w->Edit2, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(w->Edit2->text(), QStringLiteral("mañana"));
    EXPECT_EQ(w->Edit3->text(), QStringLiteral("'mañana' no es una fecha y hora válida"));
    // Pasted durations are written in lower case.
    Choose(2);
    QGuiApplication::clipboard()->setText(QStringLiteral("1D 6"));
    w->Edit4->setFocus();
    QTest::keyClick(w->Edit4, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(w->Edit4->text(), QStringLiteral("1d 6"));
    EXPECT_EQ(w->Edit7->text(), QStringLiteral("1 d.  6:00:00"));
}

TEST_F(FechaWindowTest, DurationsOfEveryType)
{
    struct Case {
        int type;
        const char* t1;
        const char* t2;
        const char* t3;
        const char* result;
    } cases[] = {
        {2, "1:30", "0:45", "", "0 d.  2:15:00"},
        {2, "1:30", "", "0:45", "0 d.  2:15:00"},
        {2, "1d 12", "", "", "1 d.  12:00:00"},
        {2, "1d12:00", "", "", "1 d.  12:00:00"},
        {2, "36", "", "", "1 d.  12:00:00"},
        {2, "2d3:00", "", "", "2 d.  3:00:00"},         // the digit after "d" is kept
        {2, "-1d 6", "", "", "-1 d.  6:00:00"},
        {2, "1:-30", "", "", "-30 no es formato de hora válido"},
        {2, "3-1", "", "", "'3-1' no es un valor decimal válido"},
        {2, "1:--2:3", "", "", "--2:3 no es formato de hora válido"},
        {2, "1:2:3:4", "", "", "1:2:3:4 no es formato de hora válido"},
        {2, "1:", "", "", ""},
        {3, "2:00", "0:30", "", "4"},
        {3, "2:00", "0", "", "División por cero"},
        {4, "1d", "1.5", "", "1 d.  12:00:00"},
        {5, "1d", "4", "", "0 d.  6:00:00"},
        {5, "1d", "0", "", "División por cero"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.t1) + " | " + c.t2 + " | " + c.t3);
        Choose(c.type);
        for (QLineEdit* e : {w->Edit4, w->Edit5, w->Edit6})
            e->clear();
        Type(w->Edit4, QString::fromUtf8(c.t1));
        if (*c.t2)
            Type(w->Edit5, QString::fromUtf8(c.t2));
        if (*c.t3)
            Type(w->Edit6, QString::fromUtf8(c.t3));
        EXPECT_EQ(w->Edit7->text(), QString::fromUtf8(c.result));
    }
    w->Edit4->clear();
    EXPECT_TRUE(w->Edit7->text().isEmpty());
}

TEST_F(FechaWindowTest, TheUnitMenuReformatsTheLastDurationInBothResults)
{
    const QSize size = w->size();
    Choose(2);
    Type(w->Edit4, QStringLiteral("1d 12"));
    QTest::mouseClick(w->btnMenu, Qt::LeftButton);
    EXPECT_TRUE(w->PopupMenu1->isVisible());
    UnitItem(QStringLiteral("Horas"))->trigger();
    EXPECT_EQ(w->Unit(), duHours);
    EXPECT_EQ(w->btnMenu->text(), QStringLiteral("Horas"));
    EXPECT_EQ(w->btnMenu2->text(), QStringLiteral("Horas"));
    EXPECT_EQ(w->Edit7->text(), QStringLiteral("36"));
    EXPECT_EQ(w->Edit3->text(), QStringLiteral("36"));   // the hidden one too
    EXPECT_TRUE(UnitItem(QStringLiteral("Horas"))->isChecked());
    EXPECT_FALSE(UnitItem(QStringLiteral("HH:MM:SS "))->isChecked());

    // Later results come in the unit chosen.
    Type(w->Edit5, QStringLiteral("12"));
    EXPECT_EQ(w->Edit7->text(), QStringLiteral("48"));

    struct Case {
        const char* unit;
        const char* text;
    } cases[] = {{"Días", "2"},     {"Minutos", "2880"},        {"Segundos", "172800"},   {"Semanas", "0.285714285714286"},
                 {"Meses (30 días)", "0.0666666666666667"}, {"Años (365 días)", "0.00547945205479452"},
                 {"HH:MM:SS ", "2 d.  0:00:00"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.unit);
        UnitItem(QString::fromUtf8(c.unit))->trigger();
        EXPECT_EQ(w->Edit7->text(), QString::fromUtf8(c.text));
        EXPECT_EQ(w->btnMenu->text(), QString::fromUtf8(c.unit));
        QApplication::processEvents();
        EXPECT_EQ(w->size(), size);
    }

    // The dates panel's menu serves the same unit.
    Choose(0);
    Type(w->Edit1, QStringLiteral("1/1/2024"));
    Type(w->Edit2, QStringLiteral("2/1/2024 6:00"));
    UnitItem(QStringLiteral("Horas"))->trigger();
    EXPECT_EQ(w->Edit3->text(), QStringLiteral("30"));
    EXPECT_EQ(w->Edit7->text(), QStringLiteral("30"));
}

TEST_F(FechaWindowTest, AUnitTooSmallForTheLastDurationShowsTheError)
{
    Choose(4);
    w->Edit4->setText(QStringLiteral("1e4928d"));
    Type(w->Edit5, QStringLiteral("1"));
    EXPECT_EQ(w->Edit7->text(), QStringLiteral("1E4928 d.  0:00:00"));
    UnitItem(QStringLiteral("Segundos"))->trigger();
    EXPECT_EQ(w->Edit7->text(), QStringLiteral("Desbordamiento"));
    UnitItem(QStringLiteral("Días"))->trigger();
    EXPECT_EQ(w->Edit7->text(), QStringLiteral("1E4928"));
}

TEST_F(FechaWindowTest, TodayAndNow)
{
    QTest::mouseClick(w->SpeedButton1, Qt::LeftButton);
    EXPECT_EQ(w->Edit1->text(), QStringLiteral("05/03/2024"));
    QTest::mouseClick(w->SpeedButton2, Qt::LeftButton);
    EXPECT_EQ(w->Edit1->text(), QStringLiteral("05/03/2024 14:07:09"));
    Type(w->Edit2, QStringLiteral("5/3/2024"));
    EXPECT_EQ(w->Edit3->text(), QStringLiteral("0 d.  14:07:09"));
}

TEST_F(FechaWindowTest, TheCalendarFillsTheDateOfItsButton)
{
    QStringList titles;
    QDate shown;
    QDate pick(2024, 2, 29);
    bool accept = true;
    w->ExecCalendar = [&](TfmFechaCal& cal) {
        titles << cal.windowTitle();
        shown = cal.Date();
        cal.SetDate(pick);
        return accept;
    };
    EXPECT_EQ(w->Calendar(), nullptr);
    QTest::mouseClick(w->btnFecha1, Qt::LeftButton);
    TfmFechaCal* cal = w->Calendar();
    ASSERT_NE(cal, nullptr);
    EXPECT_EQ(shown, QDate(2024, 3, 5));   // today at first
    EXPECT_EQ(w->Edit1->text(), QStringLiteral("29/02/2024"));
    pick = QDate(2024, 3, 1);
    QTest::mouseClick(w->btnFecha2, Qt::LeftButton);
    EXPECT_EQ(w->Calendar(), cal);          // made once
    EXPECT_EQ(shown, QDate(2024, 2, 29));  // where it was left
    EXPECT_EQ(w->Edit2->text(), QStringLiteral("01/03/2024"));
    EXPECT_EQ(w->Edit3->text(), QStringLiteral("1 d.  0:00:00"));
    EXPECT_EQ(titles, QStringList({QStringLiteral("Fecha 1"), QStringLiteral("Fecha 2")}));
    // Leaving it without choosing changes nothing.
    accept = false;
    pick = QDate(2000, 1, 1);
    QTest::mouseClick(w->btnFecha1, Qt::LeftButton);
    EXPECT_EQ(w->Edit1->text(), QStringLiteral("29/02/2024"));
    // It is placed at its button.
    EXPECT_EQ(cal->pos(), w->btnFecha1->mapToGlobal(QPoint(0, 0)));
}

TEST_F(FechaWindowTest, KeysOfTheFields)
{
    int calendars = 0;
    w->ExecCalendar = [&](TfmFechaCal& cal) {
        ++calendars;
        EXPECT_EQ(cal.windowTitle(), QStringLiteral("Fecha 1"));
        return false;
    };
    // F2 opens the calendar of date 1 from a field of tag 1 only.
    w->Edit2->setFocus();
    QTest::keyClick(w->Edit2, Qt::Key_F2);
    EXPECT_EQ(calendars, 0);
    w->Edit1->setFocus();
    QTest::keyClick(w->Edit1, Qt::Key_F2);
    EXPECT_EQ(calendars, 1);

    // Enter moves on, in the list and in the fields.
    w->ComboBox1->setFocus();
    QTest::keyClick(w->ComboBox1, Qt::Key_Return);
    EXPECT_FALSE(w->ComboBox1->hasFocus());
    w->Edit1->setFocus();
    QTest::keyClick(w->Edit1, Qt::Key_Return);
    EXPECT_FALSE(w->Edit1->hasFocus());

    // Esc empties a field, then closes the window.
    Type(w->Edit1, QStringLiteral("1/1/2024"));
    QTest::keyClick(w->Edit1, Qt::Key_Escape);
    EXPECT_TRUE(w->Edit1->text().isEmpty());
    EXPECT_TRUE(w->isVisible());
    EXPECT_TRUE(host.closed.empty());
    QTest::keyClick(w->Edit1, Qt::Key_Escape);
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(host.closed, std::vector<TToolWindow*>{w.get()});
}

TEST_F(FechaWindowTest, EnteringAFieldSelectsItsText)
{
    w->Edit2->setText(QStringLiteral("1/1/2024"));
    w->Edit1->setFocus();
    QTest::keyClick(w->Edit1, Qt::Key_Tab);
    QApplication::processEvents();
    ASSERT_TRUE(w->Edit2->hasFocus());
    EXPECT_EQ(w->Edit2->selectedText(), QStringLiteral("1/1/2024"));
}

TEST_F(FechaWindowTest, TheHelpButtonOpensItsContext)
{
    std::vector<int> contexts;
    QTest::mouseClick(w->SpeedButton9, Qt::LeftButton);   // nothing without help
    w->OnHelpContext = [&](int c) { contexts.push_back(c); };
    QTest::mouseClick(w->SpeedButton9, Qt::LeftButton);
    QTest::keyClick(w->Edit1, Qt::Key_F1);
    EXPECT_EQ(contexts, (std::vector<int>{30, 30}));
}

TEST_F(FechaWindowTest, SchemeColoursAndFonts)
{
    host.appearance.ClLuz = 0x112233;
    host.appearance.ClSombra = 0x445566;
    host.appearance.ClTexto = 0x778899;
    host.appearance.ClFondo = 0xAABBCC;
    host.appearance.ExpressionFont = QFont(QStringLiteral("Liberation Serif"), 15);
    host.appearance.ResultFont = QFont(QStringLiteral("Liberation Sans"), 13);
    w->ExecCalendar = [](TfmFechaCal&) { return false; };
    QTest::mouseClick(w->btnFecha1, Qt::LeftButton);
    host.notices.Post(THostNotice::AppearanceChanged);

    const QColor luz = ToQColor(0x112233), fondo = ToQColor(0xAABBCC), texto = ToQColor(0x778899);
    for (QLineEdit* e : {w->Edit1, w->Edit2, w->Edit4, w->Edit5, w->Edit6})
        EXPECT_EQ(e->palette().color(QPalette::Base), luz) << e->objectName().toStdString();
    for (QWidget* e : std::initializer_list<QWidget*>{w->Edit3, w->Edit7, w->ComboBox1})
        EXPECT_EQ(e->palette().color(QPalette::Base), fondo) << e->objectName().toStdString();
    EXPECT_EQ(w->Edit1->palette().color(QPalette::Text), texto);
    EXPECT_EQ(w->AreaFondo2->Color(), TColor(0x112233));
    EXPECT_EQ(w->AreaFondo3->Color2(), TColor(0x445566));
    EXPECT_EQ(w->Edit1->font().pointSize(), 15);
    EXPECT_EQ(w->Edit2->font().family(), QStringLiteral("Liberation Serif"));
    EXPECT_EQ(w->Edit3->font().pointSize(), 13);
    EXPECT_TRUE(w->Edit3->font().bold());
    EXPECT_EQ(w->Calendar()->MonthCalendar1->palette().color(QPalette::Base), luz);
}

TEST_F(FechaWindowTest, TheToolEntryOpensOneWindow)
{
    w.reset();
    MainExtensions().reset();
    RegisterWindow_tool_fechas();
    ASSERT_EQ(MainExtensions().Tools.size(), 1u);
    const TMainExtensions::Tool& t = MainExtensions().Tools[0];
    EXPECT_EQ(t.Name, QStringLiteral("fmFecha"));
    EXPECT_EQ(t.FlagKey, QStringLiteral("Fechas"));
    EXPECT_EQ(t.Caption, QStringLiteral("Fec&has y Tiempo"));
    EXPECT_EQ(t.ButtonName, QStringLiteral("SpeedButton5"));
    EXPECT_EQ(t.Key, QLatin1Char('T'));
    EXPECT_EQ(t.AppearanceOrder, 1);
    EXPECT_EQ(t.Hint, QStringLiteral("Fechas y Tiempo (Ctrl+T)\r\nCalculos realcionados con el tiempo en general.\r\n"
                                     "Tiempo entre Fechas, horas, minutos, segundos..."));
    TToolWindow* a = t.Create(host, nullptr);
    EXPECT_EQ(t.Create(host, nullptr), a);
    EXPECT_NE(dynamic_cast<TfmFecha*>(a), nullptr);
    delete a;
    MainExtensions().reset();
}
