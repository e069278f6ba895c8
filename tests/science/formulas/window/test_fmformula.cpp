// The formula manager driven as a user drives it, on a temporary copy of the
// shipped groups, pictures and units: choose a group and a formula, type
// values, solve for each element, edit and save, reopen and find the edits;
// new, duplicate, rename and delete with their refusals; the unit menus.
#include "controls/areafondo.h"
#include "controls/frmautocomp.h"
#include "controls/menudraw.h"
#include "drawkit/drawkit.h"
#include "drawkit/picturefiles.h"
#include "drawkit/qpaintercanvas.h"
#include "engine/real/expresion.h"
#include "science/formulas/formulagroup.h"
#include "science/formulas/window/fmformula.h"
#include "science/formulas/window/formulagrid.h"
#include "science/quimica/quimica.h"
#include "science/unidades/unidades.h"
#include "services/formulaview.h"
#include "controls/stringgridx.h"
#include "controls/transedit.h"
#include "support/fixtures.h"
#include "support/recordinghost.h"
#include "support/recordingsink.h"
#include "support/autocompprobe.h"
#include "formulagridinput.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPlainTextEdit>
#include <QTest>
#include <QToolButton>

#include <deque>
#include <functional>
#include <sys/stat.h>
#include <utility>
#include <vector>

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
        AutoComp().reset();
    }
    void TearDown() override
    {
        AutoComp().reset();
        FreeAutoComp();
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
    static int rowOf(TfmFormula& w, const QString& symbol) { return FormulaRowOf(w, symbol); }
    static void type(TfmFormula& w, const QString& symbol, const QString& text) { TypeFormulaValue(w, symbol, text); }
    static QString value(TfmFormula& w, const QString& symbol)
    {
        return w.gri->Cells(TfmFormula::cValor, rowOf(w, symbol));
    }
    static void clickCell(TfmFormula& w, int row, int col)
    {
        QTest::mouseClick(w.gri->viewport(), Qt::LeftButton, {}, w.gri->visualItemRect(w.gri->item(row, col)).center());
    }
    // The open cell editor, or none.
    static QLineEdit* editor(TfmFormula& w)
    {
        for (QLineEdit* e : w.gri->viewport()->findChildren<QLineEdit*>())
            if (e->isVisible())
                return e;
        return nullptr;
    }
    // Opens the editor of a cell, empty, with the grid focused as a user leaves it.
    static QLineEdit* openEditor(TfmFormula& w, int row, int col)
    {
        w.gri->setFocus();
        w.gri->SetCurrent(col, row);
        w.gri->editItem(w.gri->item(row, col));
        QLineEdit* line = editor(w);
        if (line) {
            line->setFocus();
            line->selectAll();
            line->del();
        }
        return line;
    }
    // The colours of the scheme the window is made with.
    void scheme()
    {
        host.appearance.ClLuz = 0xFFFFFF;
        host.appearance.ClSombra = 0x800000;   // navy
        host.appearance.ClTexto = 0x000000;
        host.appearance.ClFondo = 0x00FFFF;    // yellow
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
    // Told once, as the window opened; then the window works without pictures.
    ASSERT_EQ(sink.count(), 1);
    EXPECT_TRUE(sink.boxes[0].text.contains(QStringLiteral("form.img")));
    EXPECT_EQ(w->Ley->text(), QStringLiteral("v=d/t"));
}

// A form.img that is a FIFO opens no further than a missing one would: the
// window is there, told once.
TEST_F(FormulaWindowTest, APictureContainerThatIsNoFileDoesNotHoldTheWindow)
{
    QFile::remove(path(QStringLiteral("form.img")));
    ASSERT_EQ(::mkfifo(QFile::encodeName(path(QStringLiteral("form.img"))).constData(), 0600), 0);
    auto w = open();
    EXPECT_EQ(w->Pictures().Count(), 0);
    ASSERT_EQ(sink.count(), 1);
    EXPECT_TRUE(sink.boxes[0].text.contains(QStringLiteral("form.img")));
}

// A group file that cannot be used is told when the group is opened, the
// window shows it without formulas, and the file stays as it was.
TEST_F(FormulaWindowTest, UnusableGroupsAreToldWhenOpened)
{
    QByteArray noise;
    for (int i = 0; i < 3000; ++i)
        noise.append(char((i * 7919 + 13) % 251 + 1));
    struct Case {
        const char* group;
        std::function<void(const QString&)> make;
    } cases[] = {
        {"Roto",
         [&noise](const QString& file) {
             QFile f(file);
             ASSERT_TRUE(f.open(QIODevice::WriteOnly));
             f.write(noise);
         }},
        {"Enorme",
         [](const QString& file) {
             QFile f(file);
             ASSERT_TRUE(f.open(QIODevice::WriteOnly));
             ASSERT_TRUE(f.resize(kMaxFormulaGroupBytes + 1));
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.group);
        const QString name = QString::fromLatin1(c.group);
        const QString file = path(name + QStringLiteral(".fcm"));
        c.make(file);
        const qint64 size = QFileInfo(file).size();
        auto w = open();
        sink.clear();
        choose(w->cmbTipo, name);
        ASSERT_EQ(sink.count(), 1);
        EXPECT_TRUE(sink.boxes[0].text.contains(name + QStringLiteral(".fcm")));
        EXPECT_EQ(w->cmbFormulas->count(), 0);
        w.reset();
        EXPECT_EQ(QFileInfo(file).size(), size);
        QFile::remove(file);
    }
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

namespace {

// Two colours differ by no more than a few steps of each channel.
bool near(QRgb a, TColor b, int tolerance = 12)
{
    const QColor q = ToQColor(b);
    return std::abs(qRed(a) - q.red()) <= tolerance && std::abs(qGreen(a) - q.green()) <= tolerance &&
           std::abs(qBlue(a) - q.blue()) <= tolerance;
}

TEST(FormulaCellPainting, GradientsMarksAndFrame)
{
    struct Case {
        int row, col;
        bool unknown, current, vertical, dropDown;
    };
    const Case cases[] = {
        {0, TfmFormula::cValor, false, false, true, false},     // header
        {2, TfmFormula::cSimb, false, false, true, false},      // symbols
        {2, TfmFormula::cValor, true, false, true, false},      // the unknown's row
        {2, TfmFormula::cValor, false, true, false, false},     // a value, current
        {2, TfmFormula::cUnidad, false, false, false, true},    // a unit
        {2, TfmFormula::cUnidad, true, false, true, true},      // the unknown's unit
        {0, TfmFormula::cUnidad, false, false, true, false},    // the header has no mark
        {1, TfmFormula::cMax, false, false, false, false},
    };
    const TColor luz = 0xFFFFFF, sombra = 0x800000, texto = 0x000000;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "row " << c.row << " col " << c.col << " unknown " << c.unknown);
        QImage image(100, 30, QImage::Format_RGB32);
        image.fill(Qt::magenta);
        TFormulaCellLook look{QString(), c.row, c.col, c.unknown, c.current, luz, sombra, texto};
        {
            QPainter p(&image);
            PaintFormulaCell(p, QRect(0, 0, 100, 30), look, QFont());
        }
        // Dark at the edges (the first band is one step in), light at 3
        // tenths: of the height when vertical, of the width otherwise.
        if (c.vertical) {
            EXPECT_TRUE(near(image.pixel(50, 0), sombra, 40));
            EXPECT_EQ(QColor(image.pixel(50, 8)), ToQColor(luz));
            EXPECT_TRUE(near(image.pixel(50, 29), sombra, 40));
            EXPECT_EQ(image.pixel(10, 5), image.pixel(70, 5)) << "each row one colour";
        } else {
            EXPECT_TRUE(near(image.pixel(1, 20), sombra, 40));
            EXPECT_EQ(QColor(image.pixel(29, 20)), ToQColor(luz));
            EXPECT_TRUE(near(image.pixel(98, 20), sombra, 40));
            EXPECT_EQ(image.pixel(60, 27), image.pixel(60, 3)) << "each column one colour";
        }
        // The drop-down mark: a framed box with a triangle, light but in the
        // unknown's row.
        const QRect box = FormulaDropDownBox(QRect(0, 0, 100, 30));
        EXPECT_EQ(box, QRect(83, 4, 13, 12));
        if (c.dropDown) {
            EXPECT_EQ(QColor(image.pixel(box.topLeft())), ToQColor(texto));
            EXPECT_EQ(QColor(image.pixel(box.center())), ToQColor(c.unknown ? texto : luz));
        } else {
            EXPECT_NE(QColor(image.pixel(box.topLeft())), ToQColor(texto));
        }
        // The current cell framed in blue.
        EXPECT_EQ(image.pixel(0, 15) == qRgb(0, 0, 255), c.current);
        EXPECT_EQ(image.pixel(99, 29) == qRgb(0, 0, 255), c.current);
    }
}

TEST(FormulaCellPainting, TheUnknownsDescriptionIsFollowedByAnEqualsSign)
{
    // The same text painted as an ordinary description and as the unknown's:
    // the unknown's runs further to the right.
    auto inkRight = [](bool unknown) {
        QImage image(200, 30, QImage::Format_RGB32);
        TFormulaCellLook look{QStringLiteral("Tiempo"), 1, TfmFormula::cDesc, unknown, false, 0xFFFFFF, 0xFFFFFF, 0};
        {
            QPainter p(&image);
            PaintFormulaCell(p, image.rect(), look, QFont());
        }
        int right = -1;
        for (int x = 0; x < image.width(); ++x)
            for (int y = 0; y < image.height(); ++y)
                if (qGray(image.pixel(x, y)) < 128)
                    right = x;
        return right;
    };
    EXPECT_GT(inkRight(true), inkRight(false) + 5);
}

TEST_F(FormulaWindowTest, TheGridPaintsTheSchemeAndFramesTheCurrentCell)
{
    scheme();
    auto w = open();
    choose(w->cmbTipo, QStringLiteral("Mecánica"));
    choose(w->cmbFormulas, QStringLiteral("Velocidad media"));
    const int d = rowOf(*w, QStringLiteral("d"));
    w->gri->SetCurrent(TfmFormula::cValor, d);
    QImage image = w->gri->viewport()->grab().toImage();
    const QRect current = w->gri->visualItemRect(w->gri->item(d, TfmFormula::cValor));
    EXPECT_EQ(image.pixelColor(current.topLeft()), QColor(0, 0, 255));
    const QRect header = w->gri->visualItemRect(w->gri->item(0, TfmFormula::cMax));
    EXPECT_TRUE(near(image.pixel(header.right() - 2, header.top()), 0x800000, 40));
    // The unknown's row knows it is the unknown; the cells keep their texts.
    const int t = rowOf(*w, QStringLiteral("t"));
    EXPECT_TRUE(w->CellLook(t, TfmFormula::cValor).Unknown);
    EXPECT_FALSE(w->CellLook(d, TfmFormula::cValor).Unknown);
    EXPECT_EQ(w->gri->Cells(TfmFormula::cDesc, t), QStringLiteral("Tiempo empleado"));
    // A new scheme repaints with its colours.
    host.appearance.ClSombra = 0x008000;
    host.notices.Post(THostNotice::AppearanceChanged);
    image = w->gri->viewport()->grab().toImage();
    EXPECT_TRUE(near(image.pixel(header.right() - 2, header.top()), 0x008000, 40));
}

TEST_F(FormulaWindowTest, SavingInUseModeKeepsTheDescriptionsBare)
{
    auto w = open();
    choose(w->cmbTipo, QStringLiteral("Mecánica"));
    choose(w->cmbFormulas, QStringLiteral("Velocidad media"));
    ASSERT_FALSE(w->EditMode());
    w->SpeedButton2->click();
    w->SpeedButton2->click();
    const TFormula f = TFormulaGroup(QStringLiteral("Mecánica")).Read(QStringLiteral("Velocidad media"));
    ASSERT_EQ(f.Unknown, 2);
    EXPECT_EQ(f.Elements[2].Descripcion, QStringLiteral("Tiempo empleado"));
}

TEST_F(FormulaWindowTest, PanelsAndFieldsTakeTheScheme)
{
    scheme();
    auto w = open();
    w->resize(700, 500);
    QCoreApplication::processEvents();
    EXPECT_EQ(w->AreaFondo1->geometry(), w->rect());
    EXPECT_EQ(w->AreaFondo2->geometry(), w->Panel1->rect());
    EXPECT_TRUE(w->Panel1->isAncestorOf(w->h));
    EXPECT_TRUE(w->Panel1->isAncestorOf(w->SpeedButton3));
    for (TAreaFondo* area : {w->AreaFondo1, w->AreaFondo2}) {
        EXPECT_EQ(area->Color(), TColor(0xFFFFFF));
        EXPECT_EQ(area->Color2(), TColor(0x800000));
    }
    EXPECT_EQ(w->cmbTipo->palette().color(QPalette::Base), ToQColor(0x00FFFF));
    EXPECT_EQ(w->gri->palette().color(QPalette::Base), ToQColor(0x800000));
    // The law and the description lie on the background in use mode and get
    // their field colour and a border in edit mode.
    EXPECT_TRUE(w->Ley->Transparent());
    EXPECT_TRUE(w->Desc->Transparent());
    EXPECT_FALSE(w->Ley->hasFrame());
    w->chkEdit->click();
    EXPECT_FALSE(w->Ley->Transparent());
    EXPECT_FALSE(w->Desc->Transparent());
    EXPECT_TRUE(w->Ley->hasFrame());
    EXPECT_EQ(w->Ley->palette().color(QPalette::Base), ToQColor(0x00FFFF));
    EXPECT_FALSE(w->cmbTipo->isEnabled());
}

TEST_F(FormulaWindowTest, UnitMenusAreDrawnInTheScheme)
{
    scheme();
    auto w = open();
    choose(w->cmbTipo, QStringLiteral("Mecánica"));
    choose(w->cmbFormulas, QStringLiteral("Velocidad media"));
    w->gri->SetCurrent(TfmFormula::cUnidad, rowOf(*w, QStringLiteral("v")));
    ASSERT_TRUE(w->MenuUniPopup());
    EXPECT_NE(dynamic_cast<TMenuItemStyle*>(w->MenuUni->style()), nullptr);
    w->MenuUni->popup(QPoint(10, 10));
    QCoreApplication::processEvents();
    ASSERT_FALSE(w->MenuUni->actions().isEmpty());
    for (QAction* a : w->MenuUni->actions())
        EXPECT_GE(w->MenuUni->actionGeometry(a).width(), 120) << a->text().toStdString();
    // Items on the scheme's gradient: dark at their left edge.
    const QImage image = w->MenuUni->grab().toImage();
    const QRect first = w->MenuUni->actionGeometry(w->MenuUni->actions().first());
    EXPECT_TRUE(near(image.pixel(first.left(), first.bottom() - 1), 0x800000, 24));
    w->MenuUni->hide();
    // The magnitudes' menu of edit mode and its units' menus too.
    w->chkEdit->click();
    w->MenuMag->popup(QPoint(10, 10));
    QCoreApplication::processEvents();
    EXPECT_NE(dynamic_cast<TMenuItemStyle*>(w->MenuMag->style()), nullptr);
    ASSERT_FALSE(w->MenuMag->actions().isEmpty());
    QMenu* units = w->MenuMag->actions().first()->menu();
    ASSERT_NE(units, nullptr);
    EXPECT_NE(dynamic_cast<TMenuItemStyle*>(units->style()), nullptr);
    EXPECT_GE(units->minimumWidth(), 120);
    w->MenuMag->hide();
}

TEST_F(FormulaWindowTest, ValueCellsCompleteNamesAndTakeTheirKeys)
{
    AutoComp().AutoCompleteOn = true;
    int runs = 0;
    const void* table = nullptr;
    QString prefix;
    AutoComp().OnShown = [&](TfmAutoComp& l) {
        ++runs;
        table = l.CachedTable();
        prefix = l.Prefix();
        if (l.Running()) {
            // As on a screen: the list takes the focus from the cell editor.
            if (QWidget* from = l.Control()) {
                QFocusEvent out(QEvent::FocusOut, Qt::PopupFocusReason);
                QApplication::sendEvent(from, &out);
            }
            QTest::keyClicks(l.lb, "qrt");
            QTest::keyClick(l.lb, Qt::Key_Return);
        }
    };
    auto w = open();
    choose(w->cmbTipo, QStringLiteral("Mecánica"));
    choose(w->cmbFormulas, QStringLiteral("Velocidad media"));
    const int d = rowOf(*w, QStringLiteral("d"));
    QLineEdit* line = openEditor(*w, d, TfmFormula::cValor);
    ASSERT_NE(line, nullptr);
    QTest::keyClicks(line, "4*s");
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(prefix, QStringLiteral("s"));
    EXPECT_EQ(table, static_cast<const void*>(w->Solver().ValueEvaluator().GetTable()));
    // The editor outlived the list and goes on after "(".
    ASSERT_EQ(editor(*w), line);
    EXPECT_EQ(line->text(), QStringLiteral("4*sqrt()"));
    EXPECT_EQ(line->cursorPosition(), 7);
    QTest::keyClicks(line, "25");
    QTest::keyClick(line, Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_EQ(w->gri->Cells(TfmFormula::cValor, d), QStringLiteral("4*sqrt(25)"));
    EXPECT_EQ(value(*w, QStringLiteral("t")), QStringLiteral("2"));   // 20 m at 10 m/s

    // "**" becomes "^" as the second "*" is typed; Esc empties the editor
    // and leaves it open.
    struct Case {
        const char* keys;
        QString text;
        int caret;
    };
    const Case cases[] = {
        {"2**", QStringLiteral("2^"), 2},
        {"2*3", QStringLiteral("2*3"), 3},
        {"10//", QStringLiteral("10//"), 4},   // only "*" makes the editor look
        {"1//*", QStringLiteral("1\\*"), 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keys);
        line = openEditor(*w, d, TfmFormula::cValor);
        ASSERT_NE(line, nullptr);
        QTest::keyClicks(line, c.keys);
        EXPECT_EQ(line->text(), c.text);
        EXPECT_EQ(line->cursorPosition(), c.caret);
        QTest::keyClick(line, Qt::Key_Escape);
        EXPECT_EQ(editor(*w), line);
        EXPECT_TRUE(line->text().isEmpty());
    }
    EXPECT_EQ(runs, 1);
    // No list with the option off, nor in edit mode.
    AutoComp().AutoCompleteOn = false;
    line = openEditor(*w, d, TfmFormula::cValor);
    QTest::keyClicks(line, "pi");
    EXPECT_EQ(line->text(), QStringLiteral("pi"));
    QTest::keyClick(line, Qt::Key_Return);
    QCoreApplication::processEvents();
    AutoComp().AutoCompleteOn = true;
    w->chkEdit->click();
    line = openEditor(*w, d, TfmFormula::cValor);
    ASSERT_NE(line, nullptr);
    QTest::keyClicks(line, "x**");
    EXPECT_EQ(line->text(), QStringLiteral("x**"));
    EXPECT_EQ(runs, 1);
    EXPECT_TRUE(sink.boxes.isEmpty()) << sink.boxes.value(0).text.toStdString();
}

TEST_F(FormulaWindowTest, TheLawCompletesNamesAndEscClearsItInEditMode)
{
    AutoCompProbe probe;
    int& runs = probe.runs;
    const void*& table = probe.table;
    auto w = open();
    choose(w->cmbTipo, QStringLiteral("Mecánica"));
    choose(w->cmbFormulas, QStringLiteral("Velocidad media"));
    // Use mode: the law is read-only and keeps its keys.
    w->Ley->setFocus();
    QTest::keyClick(w->Ley, Qt::Key_Escape);
    QTest::keyClicks(w->Ley, "a");
    EXPECT_EQ(w->Ley->text(), QStringLiteral("v=d/t"));
    EXPECT_EQ(runs, 0);
    w->chkEdit->click();
    w->Ley->setFocus();
    w->Ley->end(false);
    QTest::keyClicks(w->Ley, "*k");
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(table, static_cast<const void*>(w->Solver().LawEvaluator().GetTable()));
    EXPECT_EQ(w->Ley->text(), QStringLiteral("v=d/t*k"));
    EXPECT_TRUE(AutoComp().AutoCompleteCancelled);
    QTest::keyClicks(w->Ley, "**2");
    EXPECT_EQ(w->Ley->text(), QStringLiteral("v=d/t*k^2"));
    QTest::keyClick(w->Ley, Qt::Key_Escape);
    EXPECT_TRUE(w->Ley->text().isEmpty());
    EXPECT_TRUE(w->EditMode());
}

TEST_F(FormulaWindowTest, KeyboardFocusAndTheBaseColumn)
{
    int help = 0;
    auto w = open();
    w->ShowHelp = [&](int context) { help = context; };
    QApplication::setActiveWindow(w.get());
    // Opened: the first value is ready for typing.
    EXPECT_EQ(w->focusWidget(), w->gri);
    EXPECT_EQ(w->gri->Col(), int(TfmFormula::cValor));
    EXPECT_GE(w->gri->Row(), 1);
    QTest::keyClick(w->gri, Qt::Key_F1);
    EXPECT_EQ(help, TfmFormula::kHelpContext);
    // The base unit's column is passed by, from either side.
    w->chkEdit->click();
    w->gri->setFocus();
    w->gri->SetCurrent(TfmFormula::cUnidad, 1);
    QTest::keyClick(w->gri, Qt::Key_Right);
    EXPECT_EQ(w->gri->Col(), int(TfmFormula::cMin));
    QTest::keyClick(w->gri, Qt::Key_Left);
    EXPECT_EQ(w->gri->Col(), int(TfmFormula::cUnidad));
    clickCell(*w, 1, TfmFormula::cBase);
    EXPECT_NE(w->gri->Col(), int(TfmFormula::cBase));
}

TEST_F(FormulaWindowTest, StatusHintsByModeRowAndColumn)
{
    auto w = open();
    choose(w->cmbTipo, QStringLiteral("Mecánica"));
    choose(w->cmbFormulas, QStringLiteral("Velocidad media"));
    const int t = rowOf(*w, QStringLiteral("t")), d = rowOf(*w, QStringLiteral("d"));
    // Loading and switching modes tell the current cell's hint anew.
    ASSERT_EQ(w->gri->Row(), rowOf(*w, QStringLiteral("v")));
    ASSERT_EQ(w->gri->Col(), int(TfmFormula::cValor));
    EXPECT_EQ(w->h->text(),
              QStringLiteral("Indique un valor o una expresión para este elemento:  v (Velocidad media)"));
    w->chkEdit->click();
    EXPECT_EQ(w->h->text(), QStringLiteral("Indique un valor inicial para este elemento:  v (Velocidad media)"));
    struct Case {
        bool edit;
        int row, col;
        QString hint;
    };
    const Case cases[] = {
        {false, t, TfmFormula::cValor, QStringLiteral("Aquí se muestra el valor que toma la incógnita")},
        {false, d, TfmFormula::cValor, QStringLiteral("Indique un valor o una expresión para este elemento")},
        {false, t, TfmFormula::cUnidad, QStringLiteral("Seleccione la unidad en la que quiere el resultado")},
        {false, d, TfmFormula::cUnidad, QStringLiteral("Seleccione la unidad en la que expreso este valor")},
        {false, d, TfmFormula::cMin, QStringLiteral("Muestra el mínimo valor válido para este elemento")},
        {true, d, TfmFormula::cSimb, QStringLiteral("Indique el simbolo para un elemento de la fórmula")},
        {true, t, TfmFormula::cDesc, QStringLiteral("Indique una breve descripción del elemento")},
        {true, d, TfmFormula::cUnidad, QStringLiteral("Indique la magnitud medida y una unidad")},
        {true, d, TfmFormula::cMax, QStringLiteral("Indique el máximo valor válido para este elemento")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.hint.toStdString());
        w->SetEditMode(c.edit);
        w->gri->SetCurrent(TfmFormula::cMax, 0);
        w->gri->SetCurrent(c.col, c.row);
        const QString element = c.row == t ? QStringLiteral("t (Tiempo empleado)") : QStringLiteral("d (Distancia recorrida)");
        EXPECT_EQ(w->h->text(), c.hint + QStringLiteral(":  ") + element);
    }
}

TEST_F(FormulaWindowTest, LargePicturesAreShrunkIntoTheirBox)
{
    QImage big(300, 150, QImage::Format_RGB32);
    big.fill(Qt::red);
    const QString file = path(QStringLiteral("grande.bmp"));
    ASSERT_TRUE(big.save(file, "BMP"));
    auto w = open();
    choose(w->cmbTipo, QStringLiteral("Mecánica"));
    choose(w->cmbFormulas, QStringLiteral("Velocidad media"));
    w->chkEdit->click();
    // A full path typed in the picture query, kept as it is.
    replies = {file};
    QTest::mouseClick(w->Image1, Qt::LeftButton);
    EXPECT_EQ(queries.last(), QStringLiteral("Imagen"));
    EXPECT_EQ(w->ImageReference(), file);
    EXPECT_EQ(w->Image1->pixmap().size(), QSize(90, 45));
    w->chkEdit->click();   // saved and loaded again
    EXPECT_EQ(w->ImageReference(), file);
    EXPECT_EQ(w->Image1->pixmap().size(), QSize(90, 45));
    EXPECT_TRUE(sink.boxes.isEmpty()) << sink.boxes.value(0).text.toStdString();
}

// ---- Metafile pictures ----

// The formula's picture as our picture export writes it.
QByteArray ExportedFormula(const QString& law, PictureFileType type)
{
    real::TExpresion e;
    e.UseBuiltIns = true;
    e.Silent = true;
    e.AddVariable(QStringLiteral("x"));
    e.SetText(law);
    const auto pic = e.DrawToMetafile(&QtCanvasMetrics::shared());
    return pic ? EncodePicture(*pic, type) : QByteArray();
}

// A plain (neither compressed nor enciphered) picture container.
QByteArray PlainContainer(const std::vector<std::pair<QByteArray, QByteArray>>& entries)
{
    auto le = [](quint32 v, int bytes) {
        QByteArray b;
        for (int i = 0; i < bytes; ++i)
            b.append(char(v >> (8 * i)));
        return b;
    };
    QByteArray out = QByteArray("  ") + TStreams::Signature() + le(quint32(entries.size()), 4);
    for (const auto& [name, data] : entries)
        out += le(quint32(name.size()), 2) + name + le(quint32(data.size()), 4) + data;
    return out;
}

// Dark, opaque pixels: the formula's ink.
int Ink(const QPixmap& pixmap)
{
    const QImage img = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
    int ink = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            ink += qAlpha(img.pixel(x, y)) > 128 && qGray(img.pixel(x, y)) < 128;
    return ink;
}

TEST_F(FormulaWindowTest, MetafilePicturesFromAFileAndFromTheContainer)
{
    // A wide formula: its pictures are larger than the 90 x 90 box.
    const QString law = QStringLiteral("Pi*raiz(12+x)/3+x^2/(1+x)+Pi*raiz(12+x)/3");
    const QByteArray emf = ExportedFormula(law, PictureFileType::Emf);
    const QByteArray wmf = ExportedFormula(law, PictureFileType::Wmf);
    ASSERT_FALSE(emf.isEmpty());
    ASSERT_FALSE(wmf.isEmpty());
    put(QStringLiteral("dibujo.emf"), emf);
    const QByteArray bmp = ExportedFormula(QStringLiteral("x/2"), PictureFileType::Bmp);
    put(QStringLiteral("form.img"), PlainContainer({{"Dibujo.wmf", wmf}, {"otro.emf", emf}, {"movil.bmp", bmp}}));
    auto w = open();
    ASSERT_EQ(w->Pictures().Count(), 3);
    choose(w->cmbTipo, QStringLiteral("Mecánica"));
    choose(w->cmbFormulas, QStringLiteral("Velocidad media"));
    const struct {
        QString reference;
    } cases[] = {
        {QStringLiteral("dibujo.emf")},     // a file beside the program
        {QStringLiteral("#dibujo.WMF")},    // an entry, its name in any letter case
        {QStringLiteral("#otro.emf")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reference.toStdString());
        w->chkEdit->click();
        replies = {c.reference};
        QTest::mouseClick(w->Image1, Qt::LeftButton);
        w->chkEdit->click();   // saved and loaded again
        EXPECT_EQ(w->ImageReference(), c.reference);
        const QPixmap shown = w->Image1->pixmap();
        // Shrunk into the box, wider than high as the formula is.
        EXPECT_EQ(shown.width(), 90);
        EXPECT_GT(shown.height(), 10);
        EXPECT_LT(shown.height(), 60);
        EXPECT_GT(Ink(shown), 50);
    }
    EXPECT_TRUE(sink.boxes.isEmpty()) << sink.boxes.value(0).text.toStdString();
}

TEST_F(FormulaWindowTest, UnreadableMetafilePicturesAreReported)
{
    const QByteArray wmf = ExportedFormula(QStringLiteral("x+1"), PictureFileType::Wmf);
    put(QStringLiteral("roto.wmf"), wmf.left(wmf.size() / 2));
    put(QStringLiteral("basura.emf"), QByteArray(300, 'x'));
    put(QStringLiteral("form.img"), PlainContainer({{"roto.emf", QByteArray("EMF")}, {"bien.wmf", wmf}}));
    auto w = open();
    choose(w->cmbTipo, QStringLiteral("Mecánica"));
    choose(w->cmbFormulas, QStringLiteral("Velocidad media"));
    const QString references[] = {QStringLiteral("roto.wmf"), QStringLiteral("basura.emf"),
                                  QStringLiteral("falta.emf"), QStringLiteral("#roto.emf"),
                                  QStringLiteral("#falta.wmf")};
    for (const QString& ref : references) {
        SCOPED_TRACE(ref.toStdString());
        sink.clear();
        w->chkEdit->click();
        replies = {ref};
        QTest::mouseClick(w->Image1, Qt::LeftButton);
        ASSERT_EQ(sink.count(), 1);
        EXPECT_TRUE(sink.last().text.startsWith(QStringLiteral("No se puede cargar la imagen"))) << sink.last().text.toStdString();
        EXPECT_TRUE(sink.last().text.contains(ref));
        EXPECT_TRUE(w->Image1->pixmap().isNull());
        w->chkEdit->click();   // the formula keeps the reference and loads without the picture
        EXPECT_EQ(w->ImageReference(), ref);
        EXPECT_EQ(sink.count(), 2);
    }
    // A readable entry after them shows again.
    sink.clear();
    w->chkEdit->click();
    replies = {QStringLiteral("#bien.wmf")};
    QTest::mouseClick(w->Image1, Qt::LeftButton);
    w->chkEdit->click();
    EXPECT_GT(Ink(w->Image1->pixmap()), 10);
    EXPECT_TRUE(sink.boxes.isEmpty()) << sink.boxes.value(0).text.toStdString();
}

} // namespace
