// The statistics window driven offscreen as a user drives it: typing entries
// (and the keys the entry refuses), the error boxes, sorting by the header,
// deleting a point, clearing, copying and pasting the table, the results page
// with its 21 rows and its chart, and the registration in the main window.
#include "tools/estadisticas/window/frmstat.h"

#include "controls/paintboxm.h"
#include "controls/stringgridx.h"
#include "foundation/core/basicos.h"
#include "support/fixtures.h"
#include "support/recordinghost.h"
#include "support/recordingsink.h"
#include "testsupport.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QToolButton>

#include <memory>

void RegisterWindow_tool_estadisticas();

namespace {

class FrmStatTest : public ExeDirTest {
protected:
    void SetUp() override
    {
        ExeDirTest::SetUp();
        Basicos().ExeFile = path(QStringLiteral("sumbrix"));
        Basicos().ApplicationTitle = QStringLiteral("Sumbrix 2.84");
        Basicos().Messages = &sink;
        w = std::make_unique<TfmStat>(host, nullptr);
        w->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    }
    void TearDown() override
    {
        w.reset();
        ExeDirTest::TearDown();
    }

    template <class T>
    T* find(const char* name) const
    {
        T* c = w->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(c, nullptr) << name;
        return c;
    }
    void type(const QString& text)
    {
        auto* e = find<QLineEdit>("entrada");
        e->clear();
        QTest::keyClicks(e, text);
        QTest::keyClick(e, Qt::Key_Return);
    }
    QString cell(int row, int col) const
    {
        return w->griD->model()->index(row, col).data().toString();
    }
    QStringList column(int col) const
    {
        QStringList out;
        for (int r = 1; r < w->griD->model()->rowCount(); ++r)
            out << cell(r, col);
        return out;
    }
    void clickGrid(int row, int col)
    {
        const QRect r = w->griD->visualRect(w->griD->model()->index(row, col));
        QTest::mouseClick(w->griD->viewport(), Qt::LeftButton, {}, r.center());
    }
    QString result(const QString& label) const
    {
        for (int r = 1; r < w->sg->RowCount(); ++r)
            if (w->sg->Cells(0, r).trimmed() == label)
                return w->sg->Cells(1, r);
        return QStringLiteral("<missing>");
    }

    RecordingHost host;
    RecordingSink sink;
    std::unique_ptr<TfmStat> w;
};

TEST_F(FrmStatTest, LayoutAndNames)
{
    EXPECT_EQ(w->objectName(), QStringLiteral("fmStat"));
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Estadísticas"));
    auto* pages = find<QTabWidget>("PageControl1");
    ASSERT_EQ(pages->count(), 2);
    EXPECT_EQ(pages->tabText(0), QStringLiteral("Datos"));
    EXPECT_EQ(pages->tabText(1), QStringLiteral("Resultados"));
    EXPECT_EQ(pages->currentIndex(), 0);
    EXPECT_EQ(w->griD->model()->rowCount(), 2);
    EXPECT_EQ(cell(0, 0), QStringLiteral("Dato"));
    EXPECT_EQ(cell(0, 1), QStringLiteral("Frecuencia"));
    EXPECT_EQ(cell(0, 2), QStringLiteral("F.Relativa"));
    EXPECT_EQ(w->sg->Cells(0, 0), QStringLiteral("Medida"));
    EXPECT_EQ(w->sg->Cells(1, 0), QStringLiteral("Valor"));
    for (const char* b : {"SpeedButton1", "SpeedButton2", "SpeedButton3", "SpeedButton4", "SpeedButton9"})
        find<QToolButton>(b);
    EXPECT_EQ(find<QToolButton>("SpeedButton1")->text(), QStringLiteral("Vaciar todo"));
    EXPECT_EQ(find<QLabel>("Label1")->toolTip(), QStringLiteral("Cuenta de datos"));
    find<TPaintBoxM>("pb");
    EXPECT_EQ(w->PopupMenu2->actions().size(), 4);
    EXPECT_TRUE(w->entrada->hasFocus());
}

TEST_F(FrmStatTest, TypingEntriesFillsTheTableAndTheTotals)
{
    type(QStringLiteral("5*3"));
    EXPECT_EQ(w->entrada->selectedText(), QStringLiteral("5*3"));
    type(QStringLiteral("2.5"));
    EXPECT_EQ(column(0), (QStringList{"5", "2.5"}));
    EXPECT_EQ(column(1), (QStringList{"3", "1"}));
    EXPECT_EQ(column(2), (QStringList{"0.750000", "0.250000"}));
    EXPECT_EQ(w->Label1->text(), QStringLiteral("4"));
    EXPECT_EQ(w->Label2->text(), QStringLiteral("17.5"));
    EXPECT_EQ(w->Label3->text(), QStringLiteral("4.375"));
    EXPECT_TRUE(sink.empty());
}

TEST_F(FrmStatTest, TheEntryRefusesOtherCharacters)
{
    auto* e = w->entrada;
    e->clear();
    QTest::keyClicks(e, QStringLiteral("1a2,b*x-3 "));
    EXPECT_EQ(e->text(), QStringLiteral("12*-3"));
    QTest::keyClick(e, Qt::Key_Backspace);
    EXPECT_EQ(e->text(), QStringLiteral("12*-"));
    // With Ctrl every key passes to the edit (select all, then typed over).
    QTest::keyClick(e, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(e->selectedText(), QStringLiteral("12*-"));
}

TEST_F(FrmStatTest, EntryErrorsShowTheirMessageAndChangeNothing)
{
    type(QStringLiteral("5*3"));
    struct Case {
        const char* entry;
        const char* message;
    } cases[] = {
        {"*3", "\"*\" no puede estar al principio"},
        {"3*", "\"*\" no puede estar al final"},
        {"5*-4", "n no puede ser menor que cero"},
        {"7*-1", "Ninguna frecuencia puede ser menor que cero"},
        {"-", "'-' no es un valor decimal válido"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.entry);
        sink.clear();
        type(QString::fromUtf8(c.entry));
        ASSERT_EQ(sink.count(), 1);
        EXPECT_EQ(sink.last().text, QString::fromUtf8(c.message));
        EXPECT_EQ(sink.last().caption, QStringLiteral("Sumbrix 2.84"));
        EXPECT_EQ(w->Data().Count(), 3);
        EXPECT_EQ(w->griD->model()->rowCount(), 2);
    }
}

TEST_F(FrmStatTest, HeaderClicksSortAlternately)
{
    for (const char* e : {"4*2", "1*5", "9"})
        type(QString::fromLatin1(e));
    clickGrid(0, 1);   // Frecuencia: ascending
    EXPECT_EQ(column(1), (QStringList{"1", "2", "5"}));
    clickGrid(0, 1);   // then descending
    EXPECT_EQ(column(1), (QStringList{"5", "2", "1"}));
    clickGrid(0, 0);   // Dato: ascending again
    EXPECT_EQ(column(0), (QStringList{"1", "4", "9"}));
    clickGrid(2, 0);   // a press in the body turns the direction too
    clickGrid(0, 2);
    EXPECT_EQ(column(1), (QStringList{"1", "2", "5"}));
}

TEST_F(FrmStatTest, DeletingAPointAndClearingAll)
{
    for (const char* e : {"4*2", "1*5", "9"})
        type(QString::fromLatin1(e));
    clickGrid(2, 0);
    w->BorrarPuntoMuestral->trigger();
    EXPECT_EQ(column(0), (QStringList{"4", "9"}));
    EXPECT_EQ(w->Label1->text(), QStringLiteral("3"));
    EXPECT_EQ(w->Label2->text(), QStringLiteral("17"));
    // The header row is no point.
    clickGrid(0, 0);
    w->Borrar->trigger();
    EXPECT_EQ(w->Data().SampleCount(), 2);

    sink.answer = idNo;
    QTest::mouseClick(find<QToolButton>("SpeedButton1"), Qt::LeftButton);
    ASSERT_EQ(sink.count(), 1);
    EXPECT_EQ(sink.last().caption, QStringLiteral("Borrar"));
    EXPECT_EQ(sink.last().text, QStringLiteral("Se eliminaran todos los datos.\n\n¿Desea continuar?"));
    EXPECT_EQ(sink.last().flags, mb::YesNo | mb::IconQuestion | mb::DefButton2);
    EXPECT_EQ(w->Data().SampleCount(), 2);
    sink.answer = idYes;
    QTest::mouseClick(find<QToolButton>("SpeedButton1"), Qt::LeftButton);
    EXPECT_EQ(w->Data().SampleCount(), 0);
    EXPECT_EQ(w->griD->model()->rowCount(), 2);
    EXPECT_EQ(w->Label1->text(), QString());
    EXPECT_EQ(w->Label3->text(), QString());
}

TEST_F(FrmStatTest, CopyAndPasteTheTable)
{
    QApplication::clipboard()->setText(QStringLiteral("1,5\t2\r\n3\r\nDato\tFrecuencia\r\n"));
    QTest::mouseClick(find<QToolButton>("SpeedButton3"), Qt::LeftButton);
    EXPECT_TRUE(sink.empty());
    EXPECT_EQ(column(0), (QStringList{"1.5", "3"}));
    EXPECT_EQ(column(1), (QStringList{"2", "1"}));
    QTest::mouseClick(find<QToolButton>("SpeedButton2"), Qt::LeftButton);
    const QString table = QApplication::clipboard()->text();
    EXPECT_EQ(table, QStringLiteral("Dato\tFrecuencia\tF.Relativa\r\n1.5\t2\t0.666667\r\n3\t1\t0.333333\r\n"));
    // The copied table itself has three fields: its first data line fails.
    QApplication::clipboard()->setText(QStringLiteral("7\r\n") + table);
    QTest::mouseClick(find<QToolButton>("SpeedButton3"), Qt::LeftButton);
    ASSERT_EQ(sink.count(), 1);
    EXPECT_EQ(sink.last().text, QStringLiteral("'2\t0.666667' no es un valor entero válido"));
    EXPECT_EQ(column(0), (QStringList{"1.5", "3", "7"}));
    EXPECT_EQ(w->Label1->text(), QStringLiteral("4"));
}

TEST_F(FrmStatTest, ALongPasteGoesThroughWhole)
{
    QString clip;
    for (int i = 1; i <= 5000; ++i)
        clip += QString::number(i % 700) + QStringLiteral("\r\n");
    QApplication::clipboard()->setText(clip);
    QTest::mouseClick(find<QToolButton>("SpeedButton3"), Qt::LeftButton);
    EXPECT_EQ(w->Data().Count(), 5000);
    EXPECT_EQ(w->Data().SampleCount(), 700);
    EXPECT_EQ(w->griD->model()->rowCount(), 701);
    EXPECT_EQ(w->Label1->text(), QStringLiteral("5000"));
}

TEST_F(FrmStatTest, ResultsNeedTwoDistinctValues)
{
    auto* pages = find<QTabWidget>("PageControl1");
    type(QStringLiteral("5*3"));
    pages->setCurrentIndex(1);
    EXPECT_EQ(pages->currentIndex(), 0);
    EXPECT_TRUE(w->entrada->hasFocus());
    type(QStringLiteral("6"));
    pages->setCurrentIndex(1);
    EXPECT_EQ(pages->currentIndex(), 1);
}

TEST_F(FrmStatTest, ResultsPageListsTheStatisticsAndDrawsTheChart)
{
    for (const char* e : {"3", "1", "4", "2"})
        type(QString::fromLatin1(e));
    auto* pages = find<QTabWidget>("PageControl1");
    pages->setCurrentIndex(1);
    ASSERT_EQ(w->sg->RowCount(), 22);
    EXPECT_EQ(w->sg->Cells(0, 7), QStringLiteral("   Mínimo"));
    EXPECT_EQ(result(QStringLiteral("n")), QStringLiteral("4"));
    EXPECT_EQ(result(QStringLiteral("Media")), QStringLiteral("2.5"));
    EXPECT_EQ(result(QStringLiteral("Cuartil 1 (25%)")), QStringLiteral("1.5"));
    EXPECT_EQ(result(QStringLiteral("Mediana   (50%)")), QStringLiteral("2.5"));
    EXPECT_EQ(result(QStringLiteral("Cuartil 3 (75%)")), QStringLiteral("3.5"));
    EXPECT_EQ(result(QStringLiteral("Varianza Población")), QStringLiteral("1.25"));
    EXPECT_EQ(result(QStringLiteral("Rango")), QStringLiteral("3"));
    EXPECT_EQ(result(QStringLiteral("Moda")), QStringLiteral("N/D"));
    EXPECT_EQ(w->sg->Col(), 1);
    // The median left the table ordered by value.
    EXPECT_EQ(column(0), (QStringList{"1", "2", "3", "4"}));

    // The chart: drawn without failing, and the mouse read in world units.
    QApplication::processEvents();
    EXPECT_FALSE(w->pb->grab().isNull());
    auto* pb = find<TPaintBoxM>("pb");
    // Beyond the data the reading is held at its edges.
    QTest::mouseMove(pb, QPoint(pb->width() - 1, 1));
    EXPECT_EQ(w->Label4->text(), QStringLiteral("x = 4.00  f = 1"));
    QTest::mouseMove(pb, QPoint(1, pb->height() - 1));
    EXPECT_EQ(w->Label4->text(), QStringLiteral("x = 1.00  f = 0"));
    EXPECT_NEAR(pb->PixelToWorldX(pb->WorldToPixelX(2.5)), 2.5, pb->Scale().FactorX());

    // Copying: one cell, then everything.
    w->sg->SetCurrent(1, 5);
    w->Copiar->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("2.5"));
    w->CopiarTodo->trigger();
    const QStringList lines = QApplication::clipboard()->text().split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 23);
    EXPECT_EQ(lines[0], QStringLiteral("Medida\tValor"));
    EXPECT_EQ(lines[1], QStringLiteral("n\t4"));
    EXPECT_EQ(lines[22], QString());
    // The values cannot be typed into.
    QTest::keyClicks(w->sg, QStringLiteral("99"));
    EXPECT_EQ(w->sg->Cells(1, 5), QStringLiteral("2.5"));
}

TEST_F(FrmStatTest, ModeAndDivisionsByZeroOnTheResultsPage)
{
    for (const char* e : {"-1", "1", "-1", "1", "5*0"})
        type(QString::fromLatin1(e));
    find<QTabWidget>("PageControl1")->setCurrentIndex(1);
    EXPECT_TRUE(sink.empty());
    EXPECT_EQ(result(QStringLiteral("Coeficiente de Variación")), QStringLiteral("N/D"));
    EXPECT_EQ(result(QStringLiteral("Media Armónica")), QStringLiteral("N/D"));
    EXPECT_EQ(result(QStringLiteral("Media Geométrica")), QStringLiteral("1"));
    EXPECT_EQ(result(QStringLiteral("Máximo")), QStringLiteral("1"));   // 5 has no points
    EXPECT_FALSE(w->pb->grab().isNull());
}

TEST_F(FrmStatTest, RegistrationAndHelp)
{
    MainExtensions().reset();
    RegisterWindow_tool_estadisticas();
    ASSERT_EQ(MainExtensions().Tools.size(), 1u);
    const TMainExtensions::Tool& t = MainExtensions().Tools[0];
    EXPECT_EQ(t.Name, QStringLiteral("fmStat"));
    EXPECT_EQ(t.FlagKey, QStringLiteral("Estadisticas"));
    EXPECT_EQ(t.Caption, QStringLiteral("Estadísticas"));
    EXPECT_EQ(t.ButtonName, QStringLiteral("SpeedButton9"));
    EXPECT_EQ(t.Key, QLatin1Char('E'));
    EXPECT_EQ(t.AppearanceOrder, 6);
    EXPECT_EQ(t.Hint, QStringLiteral("Estadísticas (Ctrl+E)\r\n\r\nFacilita el tratamiento y análisis sencillo de \r\n"
                                     "una muestra de datos de una sola variable"));
    EXPECT_EQ(t.Create(host, nullptr), w.get());   // the one open window
    MainExtensions().reset();

    std::vector<int> contexts;
    w->OnHelp = [&contexts](int c) { contexts.push_back(c); };
    QTest::mouseClick(find<QToolButton>("SpeedButton4"), Qt::LeftButton);
    find<QToolButton>("SpeedButton9")->click();
    EXPECT_EQ(contexts, (std::vector<int>{36, 39}));
}

} // namespace
