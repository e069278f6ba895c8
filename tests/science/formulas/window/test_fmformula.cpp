// The formula manager driven as a user drives it, on a temporary copy of the
// shipped groups, pictures and units: choose a group and a formula, type
// values, solve for each element, edit and save, reopen and find the edits;
// new, duplicate, rename and delete with their refusals; the unit menus.
#include "engine/real/expresion.h"
#include "science/formulas/window/fmformula.h"
#include "science/quimica/quimica.h"
#include "science/unidades/unidades.h"
#include "services/formulaview.h"
#include "controls/stringgridx.h"
#include "support/fixtures.h"
#include "support/recordinghost.h"
#include "support/recordingsink.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTest>
#include <QToolButton>

#include <deque>

void RegisterWindow_science_formulas();

namespace {

class FormulaWindowTest : public ExeDirTest {
protected:
    void SetUp() override
    {
        ExeDirTest::SetUp();
        Basicos().ExeFile = path(QStringLiteral("sumbrix"));
        Basicos().Messages = &sink;
        const QDir bin(QStringLiteral(SUMBRIX_BIN_DIR));
        QStringList files = bin.entryList({QStringLiteral("*.fcm")});
        files << QStringLiteral("maguni.def") << QStringLiteral("quim.ini") << QStringLiteral("form.img");
        for (const QString& f : files)
            ASSERT_TRUE(QFile::copy(bin.filePath(f), path(f))) << f.toStdString();
        unitEngine().reset();
        LoadUnitDefinitions();
        LoadAtomicMasses();
        input.UseBuiltIns = true;
        host.input = &input;
    }
    void TearDown() override
    {
        UnloadAtomicMasses();
        unitEngine().reset();
        ExeDirTest::TearDown();
    }
    std::unique_ptr<TfmFormula> open()
    {
        auto w = std::make_unique<TfmFormula>(host, nullptr);
        w->InputQuery = [this](const QString& caption, const QString&, QString& text) {
            queries.push_back(caption);
            if (replies.empty())
                return false;
            text = replies.front();
            replies.pop_front();
            return !text.isNull();
        };
        w->show();
        return w;
    }
    static void choose(QComboBox* box, const QString& text)
    {
        const int i = box->findText(text);
        ASSERT_GE(i, 0) << text.toStdString();
        box->setCurrentIndex(i);
        emit box->activated(i);
    }
    static int rowOf(TfmFormula& w, const QString& symbol)
    {
        for (int r = 1; r < w.gri->RowCount(); ++r)
            if (w.gri->Cells(TfmFormula::cSimb, r) == symbol)
                return r;
        return -1;
    }
    // Types a value into the Valor cell of a symbol's row and presses Enter.
    static void type(TfmFormula& w, const QString& symbol, const QString& text)
    {
        const int r = rowOf(w, symbol);
        ASSERT_GT(r, 0);
        w.gri->SetCurrent(TfmFormula::cValor, r);
        w.gri->editItem(w.gri->item(r, TfmFormula::cValor));
        QLineEdit* line = nullptr;
        for (QLineEdit* e : w.gri->viewport()->findChildren<QLineEdit*>())
            if (e->isVisible())
                line = e;
        ASSERT_NE(line, nullptr);
        line->selectAll();
        QTest::keyClicks(line, text);
        QTest::keyClick(line, Qt::Key_Return);
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    static QString value(TfmFormula& w, const QString& symbol)
    {
        return w.gri->Cells(TfmFormula::cValor, rowOf(w, symbol));
    }
    static void clickCell(TfmFormula& w, int row, int col)
    {
        QTest::mouseClick(w.gri->viewport(), Qt::LeftButton, {}, w.gri->visualItemRect(w.gri->item(row, col)).center());
    }

    RecordingSink sink;
    RecordingHost host;
    real::TExpresion input;
    std::deque<QString> replies;
    QStringList queries;
};

TEST_F(FormulaWindowTest, OpensOnTheFirstGroupWithPictures)
{
    auto w = open();
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Administrador de Fórmulas"));
    EXPECT_GE(w->cmbTipo->count(), 6);
    EXPECT_EQ(w->cmbTipo->currentText(), QStringLiteral("Electricidad"));
    EXPECT_FALSE(w->cmbFormulas->currentText().isEmpty());
    EXPECT_FALSE(w->EditMode());
    EXPECT_GE(w->Pictures().Count(), 6);
    choose(w->cmbTipo, QStringLiteral("Mecánica"));
    choose(w->cmbFormulas, QStringLiteral("Velocidad media"));
    EXPECT_EQ(w->Ley->text(), QStringLiteral("v=d/t"));
    EXPECT_EQ(w->ImageReference(), QStringLiteral("#movil.bmp"));
    EXPECT_FALSE(w->Image1->pixmap().isNull());
    EXPECT_NE(w->Image2->Picture(), nullptr);
    EXPECT_TRUE(w->Desc->toPlainText().startsWith(QStringLiteral("Velocidad media de un móvil")));
    EXPECT_EQ(w->UnknownRow(), rowOf(*w, QStringLiteral("t")));
    EXPECT_TRUE(sink.boxes.isEmpty());
}

TEST_F(FormulaWindowTest, TypeValuesAndSolveForEachElement)
{
    auto w = open();
    choose(w->cmbTipo, QStringLiteral("Mecánica"));
    choose(w->cmbFormulas, QStringLiteral("Velocidad media"));
    type(*w, QStringLiteral("d"), QStringLiteral("100"));
    type(*w, QStringLiteral("v"), QStringLiteral("36"));   // kilómetro por hora
    EXPECT_EQ(value(*w, QStringLiteral("t")), QStringLiteral("10"));
    // The unknown becomes d: a click on its description.
    clickCell(*w, rowOf(*w, QStringLiteral("d")), TfmFormula::cDesc);
    EXPECT_EQ(w->UnknownRow(), rowOf(*w, QStringLiteral("d")));
    type(*w, QStringLiteral("t"), QStringLiteral("2*10"));
    EXPECT_EQ(value(*w, QStringLiteral("d")), QStringLiteral("200"));
    clickCell(*w, rowOf(*w, QStringLiteral("v")), TfmFormula::cDesc);
    w->SpeedButton3->click();
    EXPECT_EQ(value(*w, QStringLiteral("v")), QStringLiteral("36"));
    // The result in another unit of its magnitude, through the unit menu.
    w->gri->SetCurrent(TfmFormula::cUnidad, rowOf(*w, QStringLiteral("v")));
    ASSERT_TRUE(w->MenuUniPopup());
    QAction* checked = nullptr;
    QAction* ms = nullptr;
    for (QAction* a : w->MenuUni->actions()) {
        if (a->isChecked())
            checked = a;
        if (a->text() == QStringLiteral("metro por segundo"))
            ms = a;
    }
    ASSERT_NE(checked, nullptr);
    EXPECT_EQ(checked->text(), QStringLiteral("kilómetro por hora"));
    ASSERT_NE(ms, nullptr);
    ms->trigger();
    EXPECT_EQ(value(*w, QStringLiteral("v")), QStringLiteral("10"));
    w->SpeedButton5->click();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("10"));
    EXPECT_TRUE(sink.boxes.isEmpty()) << sink.boxes.value(0).text.toStdString();
}

TEST_F(FormulaWindowTest, BadValuesAndBoundsAreTold)
{
    auto w = open();
    choose(w->cmbTipo, QStringLiteral("Mecánica"));
    choose(w->cmbFormulas, QStringLiteral("Velocidad media"));
    type(*w, QStringLiteral("d"), QStringLiteral("-5"));
    EXPECT_EQ(value(*w, QStringLiteral("t")), QStringLiteral("Error"));
    ASSERT_EQ(sink.count(), 1);
    EXPECT_EQ(sink.boxes[0].caption, QStringLiteral("Error"));
    EXPECT_TRUE(sink.boxes[0].text.contains(QStringLiteral("no puede ser menor a: 0 metro")));
    type(*w, QStringLiteral("d"), QStringLiteral("desconocido"));
    EXPECT_EQ(value(*w, QStringLiteral("t")), QStringLiteral("Error"));
    ASSERT_EQ(sink.count(), 2) << sink.boxes.value(1).text.toStdString() << "|" << sink.boxes.value(1).caption.toStdString();
    EXPECT_TRUE(sink.boxes[1].text.contains(QStringLiteral("La expresión para \"d\" (Distancia recorrida)")));
    // The grid keeps its place.
    EXPECT_EQ(w->gri->Row(), rowOf(*w, QStringLiteral("d")));
    EXPECT_EQ(w->gri->Col(), int(TfmFormula::cValor));
}

TEST_F(FormulaWindowTest, EditSaveReopenAndFindTheEdits)
{
    {
        auto w = open();
        choose(w->cmbTipo, QStringLiteral("Fluidos"));
        choose(w->cmbFormulas, QStringLiteral("Densidad"));
        w->chkEdit->click();
        ASSERT_TRUE(w->EditMode());
        EXPECT_FALSE(w->cmbFormulas->isEnabled());
        w->Ley->setText(QStringLiteral("ro=m/V"));
        w->Desc->setPlainText(QStringLiteral("Masa por unidad de volumen.\n[una línea entre corchetes]"));
        w->gri->SetCells(TfmFormula::cMax, rowOf(*w, QStringLiteral("ro")), QStringLiteral("23000"));
        // A "_" in a cell is refused.
        w->gri->SetCells(TfmFormula::cDesc, rowOf(*w, QStringLiteral("m")), QStringLiteral("Masa_total"));
        ASSERT_EQ(sink.count(), 1);
        EXPECT_EQ(w->gri->Cells(TfmFormula::cDesc, rowOf(*w, QStringLiteral("m"))), QStringLiteral("Masatotal"));
        // Enter in Max of the last row appends a row.
        const int rows = w->gri->RowCount();
        w->gri->setFocus();
        w->gri->SetCurrent(TfmFormula::cMax, rows - 1);
        QTest::keyClick(w->gri, Qt::Key_Return);
        EXPECT_EQ(w->gri->RowCount(), rows + 1);
        EXPECT_EQ(w->gri->Col(), int(TfmFormula::cSimb));
        w->chkEdit->click();   // leaving edit mode saves
        EXPECT_FALSE(w->EditMode());
        EXPECT_EQ(w->gri->RowCount(), rows);   // the empty row is not kept
    }
    auto w = open();
    choose(w->cmbTipo, QStringLiteral("Fluidos"));
    choose(w->cmbFormulas, QStringLiteral("Densidad"));
    EXPECT_EQ(w->gri->Cells(TfmFormula::cMax, rowOf(*w, QStringLiteral("ro"))), QStringLiteral("23000"));
    EXPECT_EQ(w->gri->Cells(TfmFormula::cDesc, rowOf(*w, QStringLiteral("m"))), QStringLiteral("Masatotal"));
    EXPECT_EQ(w->Desc->toPlainText(), QStringLiteral("Masa por unidad de volumen.\n [una línea entre corchetes]"));
    EXPECT_EQ(w->ImageReference(), QStringLiteral("#vaso.bmp"));
}

TEST_F(FormulaWindowTest, NewDuplicateRenameDelete)
{
    auto w = open();
    choose(w->cmbTipo, QStringLiteral("Química"));
    const int count = w->cmbFormulas->count();
    // A name that exists is refused everywhere.
    replies = {QStringLiteral("ley de dalton")};
    w->SpeedButton1->click();
    ASSERT_EQ(sink.count(), 1);
    EXPECT_EQ(sink.boxes[0].text, QStringLiteral("Ya existe una fórmula llamada ley de dalton"));
    EXPECT_EQ(w->cmbFormulas->count(), count);
    // A new formula: the template, in edit mode.
    replies = {QStringLiteral("Nueva ley")};
    w->SpeedButton1->click();
    EXPECT_EQ(w->cmbFormulas->currentText(), QStringLiteral("Nueva ley"));
    EXPECT_TRUE(w->EditMode());
    EXPECT_EQ(w->Ley->text(), QStringLiteral("{Indique aquí la ecuación de la fórmula}"));
    EXPECT_EQ(w->UnknownRow(), -1);
    w->chkEdit->click();
    // Duplicate, then leave edit mode: a new section, the old one kept.
    choose(w->cmbFormulas, QStringLiteral("Ley de Dalton"));
    replies = {QStringLiteral("Ley de Graham")};
    w->SpeedButton6->click();
    EXPECT_EQ(sink.boxes.last().text, QStringLiteral("Ya existe una fórmula llamada Ley de Graham"));
    replies = {QString()};   // the default "Ley de Dalton 2"
    w->InputQuery = [](const QString&, const QString&, QString&) { return true; };
    w->SpeedButton6->click();
    EXPECT_EQ(w->FormulaName(), QStringLiteral("Ley de Dalton 2"));
    w->chkEdit->click();
    TFormulaGroup g(QStringLiteral("Química"));
    EXPECT_TRUE(g.Exists(QStringLiteral("Ley de Dalton")));
    EXPECT_EQ(g.Read(QStringLiteral("Ley de Dalton 2")).Ley, QStringLiteral("P=Pa+Pb+Pc"));
    // Rename.
    w->InputQuery = [](const QString&, const QString&, QString& text) {
        text = QStringLiteral("Presiones parciales");
        return true;
    };
    w->SpeedButton11->click();
    EXPECT_FALSE(g.Exists(QStringLiteral("Ley de Dalton 2")));
    EXPECT_EQ(w->cmbFormulas->currentText(), QStringLiteral("Presiones parciales"));
    // Delete, answered No then Yes.
    sink.answers = {idNo};
    w->SpeedButton10->click();
    EXPECT_TRUE(g.Exists(QStringLiteral("Presiones parciales")));
    EXPECT_EQ(sink.boxes.last().caption, QStringLiteral("Borrar Fórmula"));
    sink.answers = {idYes};
    const int before = w->cmbFormulas->count();
    w->SpeedButton10->click();
    EXPECT_FALSE(g.Exists(QStringLiteral("Presiones parciales")));
    EXPECT_EQ(w->cmbFormulas->count(), before - 1);
    EXPECT_FALSE(w->cmbFormulas->currentText().isEmpty());
}

TEST_F(FormulaWindowTest, NewGroups)
{
    auto w = open();
    replies = {QStringLiteral("fluidos")};
    w->SpeedButton8->click();
    EXPECT_EQ(sink.boxes.last().text, QStringLiteral("Ya existe un grupo llamado fluidos"));
    EXPECT_EQ(sink.boxes.last().caption, QStringLiteral("Nuevo grupo"));
    replies = {QStringLiteral("a/b")};
    w->SpeedButton8->click();
    EXPECT_EQ(sink.count(), 2);
    replies = {QStringLiteral("Astronomía"), QStringLiteral("Leyes de Kepler")};
    w->SpeedButton8->click();
    EXPECT_EQ(w->cmbTipo->currentText(), QStringLiteral("Astronomía"));
    EXPECT_TRUE(exists(QStringLiteral("Astronomía.fcm")));
    EXPECT_EQ(TFormulaGroup(QStringLiteral("Astronomía")).Names(), QStringList{QStringLiteral("Leyes de Kepler")});
    EXPECT_EQ(w->cmbFormulas->currentText(), QStringLiteral("Leyes de Kepler"));
}

TEST_F(FormulaWindowTest, ClearValuesAndUnknownMagnitudes)
{
    auto w = open();
    choose(w->cmbTipo, QStringLiteral("Mecánica"));
    choose(w->cmbFormulas, QStringLiteral("Velocidad media"));
    w->SpeedButton4->click();
    for (int r = 1; r < w->gri->RowCount(); ++r) {
        EXPECT_TRUE(w->gri->Cells(TfmFormula::cValor, r).isEmpty());
        EXPECT_EQ(w->gri->Cells(TfmFormula::cUnidad, r), BaseUnit(w->gri->Cells(TfmFormula::cBase, r)));
    }
    EXPECT_EQ(w->gri->Row(), 1);
    w->gri->SetCells(TfmFormula::cBase, 1, QStringLiteral("Carisma=punto"));
    w->gri->SetCurrent(TfmFormula::cUnidad, 1);
    EXPECT_FALSE(w->MenuUniPopup());
    EXPECT_EQ(sink.boxes.last().text, QStringLiteral("Magnitud Carisma no esta definida"));
}

TEST_F(FormulaWindowTest, WithoutThePictureContainer)
{
    QFile::remove(path(QStringLiteral("form.img")));
    auto w = open();
    choose(w->cmbTipo, QStringLiteral("Mecánica"));
    choose(w->cmbFormulas, QStringLiteral("Velocidad media"));
    EXPECT_EQ(w->Pictures().Count(), 0);
    EXPECT_TRUE(sink.boxes.isEmpty());
    EXPECT_EQ(w->Ley->text(), QStringLiteral("v=d/t"));
}

TEST_F(FormulaWindowTest, ItsPlaceAmongTheTools)
{
    MainExtensions().reset();
    RegisterWindow_science_formulas();
    ASSERT_EQ(MainExtensions().Tools.size(), 1u);
    const auto& t = MainExtensions().Tools[0];
    EXPECT_EQ(t.Name, QStringLiteral("fmFormula"));
    EXPECT_EQ(t.FlagKey, QStringLiteral("Formulas"));
    EXPECT_EQ(t.Key, QLatin1Char('F'));
    TToolWindow* made = t.Create(host, nullptr);
    ASSERT_NE(made, nullptr);
    GiveStayOnTop(*made, true);
    EXPECT_TRUE(made->TopMost());
    delete made;
    MainExtensions().reset();
}

} // namespace
