// The unit-definition editor on a temporary copy of the definitions: adding,
// renaming and deleting magnitudes, editing units in the grid, "Guardar"
// (which writes and reloads), "Cancelar" and Esc (which never write), and
// every message it shows.
#include "controls/stringgridx.h"
#include "science/unidades/unitdefs.h"
#include "science/unidades/window/frmdefmaguni.h"
#include "unitwindowfixture.h"

#include <QComboBox>
#include <QLineEdit>
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

} // namespace
