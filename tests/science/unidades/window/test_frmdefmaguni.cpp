// The unit-definition editor on a temporary copy of the definitions: adding,
// renaming and deleting magnitudes, editing units in the grid, "Guardar"
// (which writes and reloads), "Cancelar" and Esc (which never write), and
// every message it shows.
#include "controls/areafondo.h"
#include "controls/stringgridx.h"
#include "drawkit/drawkit.h"
#include "drawkit/gradients.h"
#include "engine/real/expresion.h"
#include "foundation/core/placement.h"
#include "science/unidades/window/convmenu.h"
#include "science/unidades/window/frmconver.h"
#include "support/recordinghost.h"
#include "science/unidades/unitdefs.h"
#include "science/unidades/window/frmdefmaguni.h"
#include "unitwindowfixture.h"

#include <QComboBox>
#include <QImage>
#include <QPainter>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

namespace {

class EditorTest : public UnitWindowTest {
protected:
    void SetUp() override
    {
        UnitWindowTest::SetUp();
        load();
        before = get(QStringLiteral("maguni.def"));
    }
    // Opens the editor on a magnitude, runs `script` while it is shown, and
    // gives EditMagnitude's answer.
    bool edit(const QString& magnitude, const std::function<void(TfmDefMagUni&)>& script)
    {
        TfmDefMagUni dlg;
        dlg.AskNewMagnitude = [this](QString& name, QString& fundamental) {
            if (newMagnitude.first.isEmpty())
                return false;
            name = newMagnitude.first;
            fundamental = newMagnitude.second;
            return true;
        };
        dlg.InputQuery = [this](const QString& caption, const QString&, QString& text) {
            queries << caption + QLatin1Char(':') + text;
            if (rename.isEmpty())
                return false;
            text = rename;
            return true;
        };
        dlg.RunDialog = [&](QDialog& d) {
            d.show();
            script(dlg);
            d.hide();
            return d.result();
        };
        return dlg.EditMagnitude(magnitude);
    }
    // Drags from a cell (column 0 by default) to the middle of row `toRow`
    // (below every row when there is no such row).
    static void drag(TfmDefMagUni& d, int fromRow, int toRow, int fromCol = 0)
    {
        QWidget* vp = d.gri->viewport();
        const QPoint from = d.gri->visualRect(d.gri->model()->index(fromRow, fromCol)).center();
        const QPoint to = toRow < d.gri->RowCount()
                              ? QPoint(from.x(), d.gri->visualRect(d.gri->model()->index(toRow, 0)).center().y())
                              : QPoint(from.x(), vp->height() - 2);
        QTest::mousePress(vp, Qt::LeftButton, {}, from);
        QMouseEvent move(QEvent::MouseMove, to, vp->mapToGlobal(to), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(vp, &move);
        QTest::mouseRelease(vp, Qt::LeftButton, {}, to);
    }
    // Opens the cell editor of a cell, as a double click does.
    static QLineEdit* openCell(TfmDefMagUni& d, int row, int col)
    {
        const QModelIndex index = d.gri->model()->index(row, col);
        d.gri->setCurrentIndex(index);
        d.gri->edit(index);
        return qobject_cast<QLineEdit*>(d.gri->indexWidget(index));
    }
    static void setCell(TfmDefMagUni& d, int col, int row, const QString& text)
    {
        d.gri->SetCells(col, row, text);
    }
    QStringList gridNames(TfmDefMagUni& d) const
    {
        QStringList out;
        for (int r = 1; r < d.gri->RowCount(); ++r)
            out << d.gri->Cells(1, r);
        return out;
    }
    static QStringList fileSection(const QString& name)
    {
        TZelIniFile ini(UnitDefinitionsFile(), UnitDefinitionsKey());
        QStringList lines;
        ini.ReadSectionValues(name, lines);
        return lines;
    }

    QByteArray before;
    std::pair<QString, QString> newMagnitude;
    QString rename;
    QStringList queries;
};

TEST_F(EditorTest, ShowsTheMagnitudeAskedForOrTheFirst)
{
    edit(QStringLiteral("temperatura"), [&](TfmDefMagUni& d) {
        EXPECT_EQ(d.cmbMag->currentText(), QStringLiteral("Temperatura"));
        EXPECT_EQ(d.txtUniFund->text(), QStringLiteral("kelvin"));
        EXPECT_EQ(gridNames(d), (QStringList{QStringLiteral("grado Celsius"), QStringLiteral("cero"), QString()}));
        EXPECT_EQ(d.gri->Cells(2, 1), QStringLiteral("U+273.15"));
        EXPECT_EQ(d.gri->Cells(3, 1), QStringLiteral("U-273.15"));
        EXPECT_EQ(d.gri->Cells(2, 0), QStringLiteral("Unidad->kelvin"));
        EXPECT_EQ(d.gri->Cells(3, 0), QStringLiteral("kelvin->Unidad"));
        d.ShowMagnitude(QStringLiteral("no existe"));
        EXPECT_EQ(d.cmbMag->currentText(), QStringLiteral("Longitud"));
        EXPECT_FALSE(d.Modified());
    });
}

TEST_F(EditorTest, SaveWritesReloadsAndTheMenusFollow)
{
    int reloads = 0;
    const int id = AddUnitReloadHandler([&] { ++reloads; });
    const bool saved = edit(QStringLiteral("Longitud"), [&](TfmDefMagUni& d) {
        const int last = d.gri->RowCount() - 1;
        setCell(d, 1, last, QStringLiteral("yarda"));
        EXPECT_EQ(d.gri->RowCount(), last + 2);   // a new empty last row
        setCell(d, 2, last, QStringLiteral("0.9144"));
        EXPECT_TRUE(d.Modified());
        QTest::mouseClick(d.SpeedButton2, Qt::LeftButton);
    });
    RemoveUnitReloadHandler(id);
    EXPECT_TRUE(saved);
    EXPECT_EQ(reloads, 1);
    EXPECT_TRUE(fileSection(QStringLiteral("Longitud")).contains(QStringLiteral("yarda=0.9144_")));
    EXPECT_EQ(ConvertUnits(QStringLiteral("Longitud"), QStringLiteral("yarda"), QStringLiteral("pie"), 1), 3);
    EXPECT_TRUE(sink.empty());
}

TEST_F(EditorTest, CancelEscAndTheCloseBoxNeverWrite)
{
    for (int way = 0; way < 3; ++way) {
        SCOPED_TRACE(way);
        const bool saved = edit(QStringLiteral("Longitud"), [&](TfmDefMagUni& d) {
            setCell(d, 1, 1, QStringLiteral("cambiado"));
            d.txtUniFund->setText(QStringLiteral("otro"));
            emit d.txtUniFund->textEdited(QStringLiteral("otro"));
            newMagnitude = {QStringLiteral("Nueva"), QStringLiteral("n")};
            QTest::mouseClick(d.SpeedButton8, Qt::LeftButton);
            if (way == 0)
                QTest::mouseClick(d.SpeedButton3, Qt::LeftButton);
            else if (way == 1)
                QTest::keyClick(&d, Qt::Key_Escape);
            else
                d.close();
        });
        EXPECT_FALSE(saved);
        EXPECT_EQ(get(QStringLiteral("maguni.def")), before);
    }
}

TEST_F(EditorTest, AddedMagnitudesAreRefusedWhenTheyExistOrHaveBadNames)
{
    edit(QStringLiteral("Longitud"), [&](TfmDefMagUni& d) {
        struct Case {
            const char* name;
            const char* fundamental;
        } refused[] = {{"longitud", "m"}, {"a=b", "m"}, {"a_b", "m"}, {"a (b)", "m"}, {"a -> b", "m"}, {"Bien", "x_y"}};
        for (const Case& c : refused) {
            SCOPED_TRACE(c.name);
            sink.clear();
            newMagnitude = {QString::fromUtf8(c.name), QString::fromUtf8(c.fundamental)};
            QTest::mouseClick(d.SpeedButton8, Qt::LeftButton);
            EXPECT_EQ(sink.count(), 1);
            EXPECT_EQ(d.cmbMag->count(), 3);
        }
        newMagnitude = {QStringLiteral("Área"), QStringLiteral("metro cuadrado")};
        QTest::mouseClick(d.SpeedButton8, Qt::LeftButton);
        EXPECT_EQ(d.cmbMag->currentText(), QStringLiteral("Área"));
        EXPECT_EQ(d.txtUniFund->text(), QStringLiteral("metro cuadrado"));
        EXPECT_EQ(d.gri->RowCount(), 2);
        // Left without units, it is not written.
        QTest::mouseClick(d.SpeedButton2, Qt::LeftButton);
    });
    EXPECT_TRUE(fileSection(QStringLiteral("Área")).isEmpty());

    edit(QStringLiteral("Longitud"), [&](TfmDefMagUni& d) {
        newMagnitude = {QStringLiteral("Área"), QStringLiteral("metro cuadrado")};
        QTest::mouseClick(d.SpeedButton8, Qt::LeftButton);
        setCell(d, 1, 1, QStringLiteral("hectárea"));
        setCell(d, 2, 1, QStringLiteral("1E4"));
        QTest::mouseClick(d.SpeedButton2, Qt::LeftButton);
    });
    EXPECT_EQ(fileSection(QStringLiteral("Área")),
              (QStringList{QStringLiteral("UniFundamental=metro cuadrado"), QStringLiteral("hectárea=1E4_")}));
}

TEST_F(EditorTest, RenamingWritesTheNewSectionAndDropsTheOld)
{
    rename = QStringLiteral("Distancia");
    edit(QStringLiteral("Longitud"), [&](TfmDefMagUni& d) {
        QTest::mouseClick(d.SpeedButton4, Qt::LeftButton);
        EXPECT_EQ(d.cmbMag->currentText(), QStringLiteral("Distancia"));
        // A name that another magnitude has is refused.
        rename = QStringLiteral("SOLA");
        QTest::mouseClick(d.SpeedButton4, Qt::LeftButton);
        EXPECT_EQ(sink.count(), 1);
        EXPECT_EQ(d.cmbMag->currentText(), QStringLiteral("Distancia"));
        QTest::mouseClick(d.SpeedButton2, Qt::LeftButton);
    });
    EXPECT_EQ(queries.value(0), QStringLiteral("Renombrar Magnitud:Longitud"));
    EXPECT_TRUE(fileSection(QStringLiteral("Longitud")).isEmpty());
    EXPECT_EQ(fileSection(QStringLiteral("Distancia")).value(1), QStringLiteral("pie=0.3048_"));
    EXPECT_GE(FindMagnitude(QStringLiteral("Distancia")), 0);
}

TEST_F(EditorTest, DeletingAsksAndShowsTheNeighbour)
{
    sink.answers = {idNo, idYes};
    edit(QStringLiteral("Temperatura"), [&](TfmDefMagUni& d) {
        QTest::mouseClick(d.SpeedButton1, Qt::LeftButton);
        EXPECT_EQ(d.cmbMag->count(), 3);
        QTest::mouseClick(d.SpeedButton1, Qt::LeftButton);
        EXPECT_EQ(d.cmbMag->count(), 2);
        // The last one went: the one before it is shown.
        EXPECT_EQ(d.cmbMag->currentText(), QStringLiteral("Sola"));
        QTest::mouseClick(d.SpeedButton2, Qt::LeftButton);
    });
    ASSERT_GE(sink.count(), 2);
    EXPECT_EQ(sink.boxes[0].caption, QStringLiteral("Borrar Magnitud"));
    EXPECT_EQ(sink.boxes[0].text, QStringLiteral("¿Desea Eliminar la magnitud:\nTemperatura ?"));
    EXPECT_EQ(sink.boxes[0].flags, mb::YesNo | mb::IconQuestion | mb::DefButton2);
    EXPECT_TRUE(fileSection(QStringLiteral("Temperatura")).isEmpty());
    EXPECT_LT(FindMagnitude(QStringLiteral("Temperatura")), 0);
}

TEST_F(EditorTest, DeleteKeyRemovesAUnitAfterAsking)
{
    sink.answer = idYes;
    edit(QStringLiteral("Longitud"), [&](TfmDefMagUni& d) {
        d.gri->SetCurrent(1, 2);
        QTest::keyClick(d.gri, Qt::Key_Delete);
        EXPECT_EQ(gridNames(d), (QStringList{QStringLiteral("pie"), QStringLiteral("kilómetro"), QString()}));
        QTest::mouseClick(d.SpeedButton2, Qt::LeftButton);
    });
    ASSERT_EQ(sink.count(), 1);
    EXPECT_EQ(sink.last().caption, QStringLiteral("Borrar unidad"));
    EXPECT_EQ(sink.last().text, QStringLiteral("¿Desea borrar la unidad:\r\npulgada ?"));
    ASSERT_GE(FindMagnitude(QStringLiteral("Longitud")), 0);
    EXPECT_LT(unitEngine().MagnitudeList[size_t(FindMagnitude(QStringLiteral("Longitud")))].IndexOf(QStringLiteral("pulgada")), 0);
}

TEST_F(EditorTest, FaultyDefinitionsAreReportedAndNoKeepsTheDialogOpen)
{
    sink.answers = {idNo, idYes};
    const bool saved = edit(QStringLiteral("Longitud"), [&](TfmDefMagUni& d) {
        setCell(d, 2, 1, QStringLiteral("U*2"));   // to-side with U and no from-side
        QTest::mouseClick(d.SpeedButton2, Qt::LeftButton);
        EXPECT_TRUE(d.isVisible());
        EXPECT_EQ(d.result(), 0);
        QTest::mouseClick(d.SpeedButton2, Qt::LeftButton);
    });
    EXPECT_TRUE(saved);
    ASSERT_EQ(sink.count(), 2);
    EXPECT_EQ(sink.last().caption, QStringLiteral("Problemas"));
    EXPECT_EQ(sink.last().text, QStringLiteral("Las siguientes definiciones han producido errores:\r\n\r\n"
                                               "pie (Longitud): Expresion de conversión incompleta (2)\r\n"
                                               "\r\n\r\n¿Desea ignorar estos errores y continuar?"));
    EXPECT_EQ(sink.last().flags, mb::YesNo | mb::IconWarning | mb::DefButton2);
}

TEST_F(EditorTest, UnitNamesWithReservedCharactersAreRefusedAtSave)
{
    const bool saved = edit(QStringLiteral("Longitud"), [&](TfmDefMagUni& d) {
        setCell(d, 1, 1, QStringLiteral("pie (EUA)"));
        QTest::mouseClick(d.SpeedButton2, Qt::LeftButton);
        EXPECT_TRUE(d.isVisible());
        QTest::mouseClick(d.SpeedButton3, Qt::LeftButton);
    });
    EXPECT_FALSE(saved);
    ASSERT_EQ(sink.count(), 1);
    EXPECT_TRUE(sink.last().text.contains(QStringLiteral("(")));
    EXPECT_EQ(get(QStringLiteral("maguni.def")), before);
}

TEST_F(EditorTest, ASectionWithoutFundamentalKeepsAllItsUnits)
{
    Sections s = defaultSections();
    s.push_back({QStringLiteral("Suelta"), {QStringLiteral("a=1_"), QStringLiteral("b=2_")}});
    load(s);
    edit(QStringLiteral("Suelta"), [&](TfmDefMagUni& d) {
        EXPECT_EQ(d.txtUniFund->text(), QString());
        EXPECT_EQ(gridNames(d), (QStringList{QStringLiteral("a"), QStringLiteral("b"), QString()}));
        setCell(d, 2, 2, QStringLiteral("3"));
        QTest::mouseClick(d.SpeedButton2, Qt::LeftButton);
    });
    EXPECT_EQ(fileSection(QStringLiteral("Suelta")), (QStringList{QStringLiteral("a=1_"), QStringLiteral("b=3_")}));
}

TEST_F(EditorTest, SortingKeepsTheEmptyRowLast)
{
    edit(QStringLiteral("Longitud"), [&](TfmDefMagUni& d) {
        QTest::mouseClick(d.SpeedButton5, Qt::LeftButton);
        EXPECT_EQ(gridNames(d),
                  (QStringList{QStringLiteral("kilómetro"), QStringLiteral("pie"), QStringLiteral("pulgada"), QString()}));
        EXPECT_TRUE(d.Modified());
        QTest::mouseClick(d.SpeedButton3, Qt::LeftButton);
    });
}

TEST_F(EditorTest, NewMagnitudeDialogAcceptsOnlyWithAName)
{
    TfrmNuevoTipo dlg;
    dlg.show();
    EXPECT_FALSE(dlg.btnAceptar->isEnabled());
    QTest::keyClicks(dlg.edtTipo, QStringLiteral("M"));
    EXPECT_TRUE(dlg.btnAceptar->isEnabled());
    QTest::keyClick(dlg.edtTipo, Qt::Key_Backspace);
    EXPECT_FALSE(dlg.btnAceptar->isEnabled());
    QTest::keyClicks(dlg.edtTipo, QStringLiteral("Masa"));
    QTest::keyClick(dlg.edtTipo, Qt::Key_Return);
    EXPECT_TRUE(dlg.isVisible());   // Enter moves on to the fundamental unit
    EXPECT_TRUE(dlg.edtFundamental->hasFocus() || !dlg.isActiveWindow());
    QTest::keyClicks(dlg.edtFundamental, QStringLiteral("kilogramo"));
    QTest::mouseClick(dlg.btnAceptar, Qt::LeftButton);
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
}

// A unit row moves by dragging its first cell; the file keeps the new order,
// and so do the lists built from it.
TEST_F(EditorTest, DraggingARowReordersTheUnitsInTheFile)
{
    const bool saved = edit(QStringLiteral("Longitud"), [&](TfmDefMagUni& d) {
        d.gri->SetCurrent(2, 2);
        drag(d, 3, 1);
        EXPECT_EQ(gridNames(d),
                  (QStringList{QStringLiteral("kilómetro"), QStringLiteral("pie"), QStringLiteral("pulgada"), QString()}));
        EXPECT_EQ(d.gri->Cells(2, 1), QStringLiteral("1000"));   // the row moved whole
        EXPECT_EQ(d.gri->Row(), 1);
        EXPECT_TRUE(d.Modified());
        QTest::mouseClick(d.SpeedButton2, Qt::LeftButton);
    });
    EXPECT_TRUE(saved);
    EXPECT_EQ(fileSection(QStringLiteral("Longitud")),
              (QStringList{QStringLiteral("UniFundamental=metro"), QStringLiteral("kilómetro=1000_"),
                           QStringLiteral("pie=0.3048_"), QStringLiteral("pulgada=0.0254_")}));
    const int m = FindMagnitude(QStringLiteral("Longitud"));
    ASSERT_GE(m, 0);
    EXPECT_EQ(unitEngine().MagnitudeList[size_t(m)].UnitNames,
              (QStringList{QStringLiteral("metro"), QStringLiteral("kilómetro"), QStringLiteral("pie"),
                           QStringLiteral("pulgada")}));
}

// The header and the empty last row never move, nothing lands after the
// empty row (which would drop a unit at saving), and a drag that starts in
// any other column edits cells rather than moving rows.
TEST_F(EditorTest, DragsKeepTheHeaderAndTheEmptyRowInPlace)
{
    const QStringList original{QStringLiteral("pie"), QStringLiteral("pulgada"), QStringLiteral("kilómetro"), QString()};
    struct Case {
        int fromRow, fromCol, toRow;   // toRow 9: below every row
        QStringList names;
        bool modified;
    } cases[] = {
        {1, 0, 9, {QStringLiteral("pulgada"), QStringLiteral("kilómetro"), QStringLiteral("pie"), QString()}, true},
        {1, 0, 4, {QStringLiteral("pulgada"), QStringLiteral("kilómetro"), QStringLiteral("pie"), QString()}, true},
        {2, 0, 0, {QStringLiteral("pulgada"), QStringLiteral("pie"), QStringLiteral("kilómetro"), QString()}, true},
        {2, 0, 2, original, false},
        {0, 0, 2, original, false},
        {4, 0, 1, original, false},
        {3, 1, 1, original, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.fromRow << "," << c.fromCol << " -> " << c.toRow);
        const bool saved = edit(QStringLiteral("Longitud"), [&](TfmDefMagUni& d) {
            drag(d, c.fromRow, c.toRow, c.fromCol);
            EXPECT_EQ(gridNames(d), c.names);
            EXPECT_EQ(d.Modified(), c.modified);
            EXPECT_EQ(d.gri->Cells(1, 0), QStringLiteral("Nombre Unidad"));
            QTest::mouseClick(d.SpeedButton2, Qt::LeftButton);
        });
        EXPECT_TRUE(saved);
        EXPECT_EQ(fileSection(QStringLiteral("Longitud")).size(), 4);   // no unit lost
        load();
    }
}

// Text typed in a cell is kept when a button is used while the cell editor is
// still open (the buttons take no focus from it).
TEST_F(EditorTest, TextTypedInACellIsKeptByTheButtons)
{
    const bool saved = edit(QStringLiteral("Longitud"), [&](TfmDefMagUni& d) {
        const int last = d.gri->RowCount() - 1;
        d.gri->setFocus();
        QLineEdit* cell = openCell(d, last, 1);
        ASSERT_TRUE(cell);
        QTest::keyClicks(cell, QStringLiteral("milla"));
        // Sorting takes the typed name in.
        QTest::mouseClick(d.SpeedButton5, Qt::LeftButton);
        EXPECT_EQ(gridNames(d), (QStringList{QStringLiteral("kilómetro"), QStringLiteral("milla"), QStringLiteral("pie"),
                                             QStringLiteral("pulgada"), QString()}));
        cell = openCell(d, 2, 2);
        ASSERT_TRUE(cell);
        QTest::keyClicks(cell, QStringLiteral("1609.344"));
        QTest::mouseClick(d.SpeedButton2, Qt::LeftButton);
    });
    EXPECT_TRUE(saved);
    EXPECT_TRUE(fileSection(QStringLiteral("Longitud")).contains(QStringLiteral("milla=1609.344_")));
    EXPECT_EQ(ConvertUnits(QStringLiteral("Longitud"), QStringLiteral("milla"), QStringLiteral("metro"), 1), 1609.344L);
}

// The dialog takes the scheme of the window that opens it (a tool window's
// host, or the main window): its backgrounds, its boxes and its grid, whose
// fixed cells run their gradient down and the others across.
TEST_F(EditorTest, TakesTheSchemeOfItsOwnerAndPaintsTheGrid)
{
    RecordingHost host;
    host.appearance.ClLuz = 0x00FF00;
    host.appearance.ClSombra = 0x0000FF;
    host.appearance.ClTexto = 0x000000;
    host.appearance.ClFondo = 0xFFFF00;
    real::TExpresion input;
    host.input = &input;
    TfmConver converter(host, nullptr);
    TfmDefMagUni d(&converter);
    d.ShowMagnitude(QStringLiteral("Longitud"));
    d.resize(520, 420);
    d.show();
    EXPECT_EQ(d.Scheme().ClLuz, TColor(0x00FF00));
    EXPECT_EQ(d.AreaFondo1->Color(), TColor(0x00FF00));
    EXPECT_EQ(d.AreaFondo2->Color2(), TColor(0x0000FF));
    EXPECT_EQ(d.AreaFondo2->geometry(), d.Panel2->rect());
    EXPECT_EQ(d.gri->palette().color(QPalette::Base), ToQColor(0xFFFF00));
    EXPECT_EQ(d.txtUniFund->palette().color(QPalette::Base), ToQColor(0x00FF00));
    auto check = [&](int row, int col, bool vertical) {
        SCOPED_TRACE(testing::Message() << row << "," << col);
        const QRect r = d.gri->visualRect(d.gri->model()->index(row, col));
        ASSERT_GT(r.width(), 8);
        const QImage shown = d.gri->viewport()->grab(r).toImage();
        QImage want(r.size(), QImage::Format_RGB32);
        QPainter p(&want);
        FillSplitGradient(p, TRect{0, 0, r.width(), r.height()}, 0x00FF00, 0x0000FF, vertical, 3);
        for (const QPoint& pt : {QPoint(r.width() - 3, 1), QPoint(r.width() - 3, r.height() * 3 / 10),
                                 QPoint(r.width() * 3 / 10, r.height() - 2)})
            EXPECT_EQ(shown.pixelColor(pt), want.pixelColor(pt)) << pt.x() << "," << pt.y();
    };
    check(0, 3, true);    // header row
    check(2, 0, true);    // fixed column
    check(2, 3, false);   // a unit's cell
    // "+" asks in the same colours.
    TfrmNuevoTipo ask;
    ask.SetScheme(d.Scheme());
    EXPECT_EQ(ask.edtTipo->palette().color(QPalette::Base), ToQColor(0xFFFF00));
    EXPECT_EQ(ask.AreaFondo1->Color2(), TColor(0x0000FF));
    d.reject();
}

// The dialog opens where it was left, and F1 asks for its help topic.
TEST_F(EditorTest, KeepsItsPlacementAndAnswersF1)
{
    std::vector<int> asked;
    UnitsHelpHook() = [&](int context) { asked.push_back(context); };
    edit(QStringLiteral("Longitud"), [&](TfmDefMagUni& d) {
        d.resize(600, 450);
        d.txtUniFund->setFocus();
        QTest::keyClick(d.txtUniFund, Qt::Key_F1);
        QTest::mouseClick(d.SpeedButton3, Qt::LeftButton);
    });
    UnitsHelpHook() = nullptr;
    EXPECT_EQ(asked, std::vector<int>{16});
    TAppIniFile ini;
    EXPECT_EQ(ini.ReadInteger(PlacementSection(QStringLiteral("fmDefMagUni")), QStringLiteral("Width"), 0), 600);
    edit(QStringLiteral("Longitud"), [&](TfmDefMagUni& d) {
        EXPECT_EQ(d.width(), 600);
        EXPECT_EQ(d.height(), 450);
        d.reject();
    });
}

} // namespace
