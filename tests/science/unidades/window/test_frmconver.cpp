// The instant converter driven as a user drives it: the units page with its
// live column, the bases page with its rows, "Rst" following the main
// window's calculations, the lists following the definitions, and its entry
// in the main window's tools.
#include "controls/areafondo.h"
#include "controls/frmautocomp.h"
#include "drawkit/gradients.h"
#include "engine/real/expresion.h"
#include "science/unidades/window/convmenu.h"
#include "services/calcmodel.h"
#include "foundation/core/zelini.h"
#include "science/unidades/window/frmconver.h"
#include "services/toolhost.h"
#include "support/recordinghost.h"
#include "unitwindowfixture.h"

#include <QComboBox>
#include <QImage>
#include <QPainter>
#include <QLineEdit>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>

void RegisterWindow_science_unidades();

namespace {

class ConverterTest : public UnitWindowTest {
protected:
    void SetUp() override
    {
        UnitWindowTest::SetUp();
        input.SetUseBuiltIns(true);
        host.input = &input;
        TfmConver::MainResultText = [this] { return mainResult; };
    }
    void TearDown() override
    {
        TfmConver::MainResultText = nullptr;
        UnitWindowTest::TearDown();
    }
    static QStringList column(QTableWidget* g, int col)
    {
        QStringList out;
        for (int r = 0; r < g->rowCount(); ++r)
            out << (g->item(r, col) ? g->item(r, col)->text() : QString());
        return out;
    }
    // The value cell of a base's row.
    static QTableWidgetItem* baseCell(TfmConver& w, int base)
    {
        return base <= 18 ? w.gri1->item(base - 2, 1) : w.gri2->item(base - 19, 1);
    }
    void selectMagnitude(TfmConver& w, const QString& name)
    {
        w.cmbMag->setCurrentIndex(w.cmbMag->findText(name));
        w.cmbMagClick();
    }

    real::TExpresion input;
    RecordingHost host;
    QString mainResult = QStringLiteral("0");
};

TEST_F(ConverterTest, TheQuantityInEveryUnitOfTheMagnitude)
{
    load();
    TfmConver w(host, nullptr);
    w.show();
    EXPECT_EQ(w.cmbMag->count(), 3);
    EXPECT_EQ(w.cmbMag->currentText(), QStringLiteral("Longitud"));
    EXPECT_EQ(column(w.gri, 0), (QStringList{QStringLiteral("metro"), QStringLiteral("pie"), QStringLiteral("pulgada"),
                                             QStringLiteral("kilómetro")}));
    EXPECT_EQ(w.cmbUni->currentText(), QStringLiteral("metro"));
    // 1 in the fundamental unit: each row is its unit's FromFundamental of 1.
    EXPECT_EQ(column(w.gri, 1).value(0), QStringLiteral("1"));
    EXPECT_EQ(column(w.gri, 1).value(3), QStringLiteral("0.001"));
    w.txtUni->clear();
    QTest::keyClicks(w.txtUni, QStringLiteral("2*"));
    EXPECT_EQ(column(w.gri, 1), (QStringList{QString(), QString(), QString(), QString()}));
    QTest::keyClicks(w.txtUni, QStringLiteral("3"));
    EXPECT_EQ(column(w.gri, 1).value(3), QStringLiteral("0.006"));
    // A click on a unit's name makes it the quantity's unit.
    QTest::mouseClick(w.gri->viewport(), Qt::LeftButton, {}, w.gri->visualItemRect(w.gri->item(1, 0)).center());
    EXPECT_EQ(w.cmbUni->currentText(), QStringLiteral("pie"));
    EXPECT_EQ(column(w.gri, 1).value(2), QStringLiteral("72"));
    EXPECT_TRUE(sink.empty());
    EXPECT_FALSE(input.Silent);
}

TEST_F(ConverterTest, UnknownNamesTypedLetterByLetterEmptyTheColumnSilently)
{
    load();
    TfmConver w(host, nullptr);
    w.txtUni->clear();
    QTest::keyClicks(w.txtUni, QStringLiteral("desconocido+1"));
    EXPECT_EQ(column(w.gri, 1), (QStringList{QString(), QString(), QString(), QString()}));
    EXPECT_TRUE(sink.empty());
    // A unit that cannot take the value shows the error in its own row only.
    selectMagnitude(w, QStringLiteral("Temperatura"));
    w.txtUni->setText(QStringLiteral("5"));
    EXPECT_EQ(column(w.gri, 1),
              (QStringList{QStringLiteral("5"), QStringLiteral("-268.15"), QStringLiteral("División por cero")}));
    EXPECT_TRUE(sink.empty());
}

TEST_F(ConverterTest, BasesPageRowsFollowTheTypedValue)
{
    load();
    TfmConver w(host, nullptr);
    w.show();
    w.PageControl1->setCurrentIndex(1);
    QTableWidgetItem* bin = baseCell(w, 2);
    w.gri1->editItem(bin);
    QWidget* editor = w.gri1->findChild<QLineEdit*>();
    ASSERT_TRUE(editor);
    // Characters a base-2 number cannot hold are dropped.
    QTest::keyClicks(editor, QStringLiteral("1z0210"));
    EXPECT_EQ(static_cast<QLineEdit*>(editor)->text(), QStringLiteral("1010"));
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();   // the editor commits after the key
    EXPECT_EQ(bin->text(), QStringLiteral("1010"));
    EXPECT_EQ(baseCell(w, 10)->text(), QStringLiteral("10"));
    EXPECT_EQ(baseCell(w, 16)->text(), QStringLiteral("A [16]"));
    EXPECT_EQ(baseCell(w, 36)->text(), QStringLiteral("A [36]"));
    // 0 leaves the other rows as they are.
    baseCell(w, 8)->setText(QStringLiteral("0"));
    EXPECT_EQ(baseCell(w, 10)->text(), QStringLiteral("10"));
    EXPECT_EQ(w.gri1->item(0, 0)->text(), QStringLiteral("Bin"));
    EXPECT_EQ(w.gri1->item(14, 0)->text(), QStringLiteral("Hex"));
}

TEST_F(ConverterTest, TheNumberBoxWritesEveryBaseAndBlanksOnAReadError)
{
    load();
    TfmConver w(host, nullptr);
    QTest::keyClicks(w.Edit1, QStringLiteral("hFF"));
    EXPECT_EQ(baseCell(w, 2)->text(), QStringLiteral("11111111 [2]"));
    EXPECT_EQ(baseCell(w, 10)->text(), QStringLiteral("255"));
    w.Edit1->clear();
    QTest::keyClicks(w.Edit1, QStringLiteral("1[a]"));
    EXPECT_EQ(baseCell(w, 10)->text(), QString());
    EXPECT_TRUE(sink.empty());
    w.Edit1->setText(QStringLiteral("18446744073709551616"));
    EXPECT_EQ(baseCell(w, 36)->text(), QStringLiteral("3W5E11264SGSG [36]"));
    EXPECT_EQ(baseCell(w, 16)->text(), QStringLiteral("10000000000000000 [16]"));
}

TEST_F(ConverterTest, RstFollowsTheMainWindowOnlyWhileDown)
{
    load();
    TfmConver w(host, nullptr);
    w.show();
    mainResult = QStringLiteral("2");
    host.notices.Post(THostNotice::AfterCalculation);
    EXPECT_EQ(w.txtUni->text(), QStringLiteral("1"));
    QTest::mouseClick(w.UsaRst, Qt::LeftButton);
    EXPECT_FALSE(w.txtUni->isEnabled());
    EXPECT_EQ(w.txtUni->text(), QStringLiteral("2"));
    mainResult = QStringLiteral("3000");
    host.notices.Post(THostNotice::AfterCalculation);
    EXPECT_EQ(column(w.gri, 1).value(3), QStringLiteral("3"));
    QTest::mouseClick(w.UsaRst, Qt::LeftButton);
    EXPECT_TRUE(w.txtUni->isEnabled());

    w.PageControl1->setCurrentIndex(1);
    mainResult = QStringLiteral("Verdadero");
    QTest::mouseClick(w.UsaRst2, Qt::LeftButton);
    EXPECT_EQ(w.Edit1->text(), QStringLiteral("Verdadero"));
    EXPECT_EQ(baseCell(w, 10)->text(), QString());   // not a number: the grid is blank
    mainResult = QStringLiteral("1010 [2]");
    host.notices.Post(THostNotice::AfterCalculation);
    EXPECT_EQ(baseCell(w, 10)->text(), QStringLiteral("10"));
}

TEST_F(ConverterTest, OpensOnThePageOfTheLastSession)
{
    load();
    {
        TAppIniFile ini;
        ini.WriteInteger(QStringLiteral("Opciones"), QStringLiteral("TabConver"), 1);
    }
    {
        TfmConver w(host, nullptr);
        EXPECT_EQ(w.PageControl1->currentIndex(), 1);
        w.PageControl1->setCurrentIndex(0);
    }
    TAppIniFile ini;
    EXPECT_EQ(ini.ReadInteger(QStringLiteral("Opciones"), QStringLiteral("TabConver"), -1), 0);
}

TEST_F(ConverterTest, NoMagnitudeGivesEmptyListsAndTheListFollowsReloads)
{
    LoadUnitDefinitions();   // no file
    TfmConver w(host, nullptr);
    w.show();
    EXPECT_EQ(w.cmbMag->count(), 0);
    EXPECT_EQ(w.cmbUni->count(), 0);
    EXPECT_EQ(w.gri->rowCount(), 0);
    EXPECT_TRUE(sink.empty());
    w.EditUnits = [this](const QString&) {
        load();
        return true;
    };
    QTest::mouseClick(w.SpeedButton7, Qt::LeftButton);
    EXPECT_EQ(w.cmbMag->count(), 3);
    EXPECT_EQ(w.gri->rowCount(), 4);
    selectMagnitude(w, QStringLiteral("Temperatura"));
    Sections s = defaultSections();
    s.erase(s.begin());   // Longitud goes; Temperatura stays shown
    load(s);
    EXPECT_EQ(w.cmbMag->count(), 2);
    EXPECT_EQ(w.cmbMag->currentText(), QStringLiteral("Temperatura"));
    EXPECT_EQ(column(w.gri, 0).value(1), QStringLiteral("grado Celsius"));
}

TEST_F(ConverterTest, RegisteredAsTheConverterTool)
{
    MainExtensions().reset();
    RegisterWindow_science_unidades();
    ASSERT_EQ(MainExtensions().Tools.size(), 1u);
    const TMainExtensions::Tool& t = MainExtensions().Tools[0];
    EXPECT_EQ(t.Name, QStringLiteral("fmConver"));
    EXPECT_EQ(t.FlagKey, QStringLiteral("Conversor"));
    EXPECT_EQ(t.Caption, QStringLiteral("Conversor"));
    EXPECT_EQ(t.ButtonName, QStringLiteral("SpeedButton6"));
    EXPECT_EQ(t.Key, QLatin1Char('U'));
    EXPECT_EQ(t.AppearanceOrder, 5);
    EXPECT_EQ(t.Hint, QStringLiteral("Conversor instantáneo(Ctrl+U)\r\nConvierte un valor a todas las \r\n"
                                     "unidades de la magnitud elegida."));
    load();
    std::unique_ptr<TToolWindow> w(t.Create(host, nullptr));
    EXPECT_EQ(w->objectName(), QStringLiteral("fmConver"));
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Conversor instantáneo"));
    MainExtensions().reset();
}

// The quantity box opens the names list of the input evaluator on a letter
// exactly when the option is on, the list was not cancelled and "NoAuto" is
// off; the chosen name goes into the quantity, which is converted.
TEST_F(ConverterTest, LettersInTheQuantityOpenTheNamesListWhenTheOptionsAllowIt)
{
    load();
    input.AddConstant(QStringLiteral("velocidad"), QString(), 3);
    TfmConver w(host, nullptr);
    w.show();
    struct Case {
        bool on, cancelled, noAuto, opens;
    } cases[] = {{true, false, false, true},
                 {false, false, false, false},
                 {true, true, false, false},
                 {true, false, true, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.on << c.cancelled << c.noAuto);
        AutoComp().AutoCompleteOn = c.on;
        AutoComp().AutoCompleteCancelled = c.cancelled;
        Calc().NoAuto = c.noAuto;
        int runs = 0;
        const void* table = nullptr;
        AutoComp().OnShown = [&](TfmAutoComp& l) {
            ++runs;
            table = l.CachedTable();
            QTest::keyClicks(l.lb, QStringLiteral("el"));
            QTest::keyClick(l.lb, Qt::Key_Return);
        };
        w.txtUni->setText(QStringLiteral("2*"));
        w.txtUni->setFocus();
        w.txtUni->end(false);
        QTest::keyClicks(w.txtUni, QStringLiteral("v"));
        EXPECT_EQ(runs, c.opens ? 1 : 0);
        if (c.opens) {
            EXPECT_EQ(table, static_cast<const void*>(input.GetTable()));
            EXPECT_EQ(w.txtUni->text(), QStringLiteral("2*velocidad"));
            EXPECT_EQ(w.txtUni->cursorPosition(), 11);
            EXPECT_EQ(column(w.gri, 1).value(3), QStringLiteral("0.006"));
        } else {
            EXPECT_EQ(w.txtUni->text(), QStringLiteral("2*v"));
            EXPECT_EQ(column(w.gri, 1).value(0), QString());
        }
        AutoComp().OnShown = nullptr;
    }
    // Esc closes the list with the letters as typed and cancels it: the next
    // letter types plainly.
    AutoComp().AutoCompleteOn = true;
    AutoComp().AutoCompleteCancelled = false;
    Calc().NoAuto = false;
    int runs = 0;
    AutoComp().OnShown = [&](TfmAutoComp& l) {
        ++runs;
        QTest::keyClick(l.lb, Qt::Key_Escape);
    };
    w.txtUni->setText(QStringLiteral("4+"));
    w.txtUni->end(false);
    QTest::keyClicks(w.txtUni, QStringLiteral("xy"));
    EXPECT_EQ(runs, 1);
    EXPECT_TRUE(AutoComp().AutoCompleteCancelled);
    EXPECT_EQ(w.txtUni->text(), QStringLiteral("4+xy"));
    // Digits and operators never open it.
    AutoComp().AutoCompleteCancelled = false;
    w.txtUni->setText(QString());
    QTest::keyClicks(w.txtUni, QStringLiteral("12*3"));
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(column(w.gri, 1).value(0), QStringLiteral("36"));
    AutoComp().OnShown = nullptr;
}

// The grids paint their cells on the scheme's split gradient: down the names'
// column, across the values' column, and again in new colours when the
// scheme changes; the pages' backgrounds take the light and dark colours.
TEST_F(ConverterTest, CellsAndPagesArePaintedInTheScheme)
{
    load();
    host.appearance.ClLuz = 0x00FF00;
    host.appearance.ClSombra = 0x0000FF;
    TfmConver w(host, nullptr);
    w.resize(300, 360);
    w.show();
    // The expected picture of one cell, drawn by the drawing kit itself.
    auto expected = [&](const QSize& size, bool vertical) {
        QImage img(size, QImage::Format_RGB32);
        QPainter p(&img);
        FillSplitGradient(p, TRect{0, 0, size.width(), size.height()}, host.appearance.ClLuz,
                          host.appearance.ClSombra, vertical, 3);
        return img;
    };
    auto check = [&](QTableWidget* g, int row, int col, bool vertical) {
        SCOPED_TRACE(testing::Message() << g->objectName().toStdString() << " " << row << "," << col);
        const QRect r = g->visualRect(g->model()->index(row, col));
        ASSERT_GT(r.width(), 8);
        const QImage shown = g->viewport()->grab(r).toImage();
        const QImage want = expected(r.size(), vertical);
        // Points away from the text (at the left) and the selection frame.
        for (const QPoint& pt : {QPoint(r.width() - 3, 1), QPoint(r.width() - 3, r.height() * 3 / 10),
                                 QPoint(r.width() - 3, r.height() - 2), QPoint(r.width() * 3 / 10, r.height() - 2)})
            EXPECT_EQ(shown.pixelColor(pt), want.pixelColor(pt)) << pt.x() << "," << pt.y();
    };
    check(w.gri, 1, 0, true);
    check(w.gri, 1, 1, false);
    w.PageControl1->setCurrentIndex(1);
    check(w.gri1, 3, 0, true);
    check(w.gri2, 5, 1, false);
    EXPECT_EQ(w.AreaFondo2->geometry(), w.TabSheet2->rect());
    EXPECT_EQ(w.AreaFondo2->Color(), TColor(0x00FF00));
    EXPECT_EQ(w.AreaFondo2->Color2(), TColor(0x0000FF));

    host.appearance.ClLuz = 0xFFFFFF;
    host.appearance.ClSombra = 0x808080;
    host.notices.Post(THostNotice::AppearanceChanged);
    check(w.gri1, 3, 0, true);
    EXPECT_EQ(w.AreaFondo1->Color(), TColor(0xFFFFFF));
    EXPECT_EQ(w.AreaFondo1->Color2(), TColor(0x808080));
}

// F1 anywhere in the window asks for the window's help topic.
TEST_F(ConverterTest, F1AsksForTheWindowsHelp)
{
    load();
    std::vector<int> asked;
    UnitsHelpHook() = [&](int context) { asked.push_back(context); };
    TfmConver w(host, nullptr);
    w.show();
    w.activateWindow();
    for (QWidget* target : {static_cast<QWidget*>(w.txtUni), static_cast<QWidget*>(w.gri)}) {
        target->setFocus();
        QTest::keyClick(target, Qt::Key_F1);
    }
    QTest::mouseClick(w.SpeedButton9, Qt::LeftButton);
    EXPECT_EQ(asked, (std::vector<int>{35, 35, 35}));
    UnitsHelpHook() = nullptr;
}

} // namespace
