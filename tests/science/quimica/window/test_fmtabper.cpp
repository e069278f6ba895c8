// The periodic table window driven as a user drives it: pointing at cells,
// choosing each colouring, clicking an element, moving the temperature; its
// legend frames; and what the chemistry adds to the main window.
#include "science/quimica/window/fmtabper.h"

#include "controls/areafondo.h"
#include "controls/frmautocomp.h"
#include "controls/imagelist.h"
#include "controls/paintboxm.h"
#include "controls/paintgrid.h"
#include "controls/spinedit.h"
#include "drawkit/drawkit.h"
#include "foundation/core/cp1252.h"
#include "foundation/core/format.h"
#include "science/quimica/window/legendas.h"
#include "science/quimica/window/quimicahooks.h"
#include "services/toolhost.h"
#include "tabperfixture.h"

#include <QComboBox>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>

void RegisterWindow_science_quimica();

namespace {

class FmTabPerTest : public TabPerTest {
protected:
    void open()
    {
        w = &TToolWindow::Open<TfmTabPer>(host, nullptr);
        w->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
    }
    void TearDown() override
    {
        delete w;
        TabPerTest::TearDown();
    }

    // The grid and cell of element z.
    std::pair<TPaintGrid*, int> cellOf(int z) const
    {
        for (int i = 0; i < int(kTablaPeriodica.size()); ++i) {
            if (kTablaPeriodica[size_t(i)] == z)
                return i < 144 ? std::pair{w->pg1, i} : std::pair{w->pg2, i - 144};
        }
        return {nullptr, -1};
    }
    QPoint centreOf(TPaintGrid* g, int cell) const
    {
        const TRect r = g->CellRectOfIndex(cell);
        return QPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
    }
    // The pointer moves there (from an empty cell: a move to where the
    // pointer already is reports nothing).
    void pointAt(int z)
    {
        const auto [g, cell] = cellOf(z);
        QTest::mouseMove(w->pg1, centreOf(w->pg1, 1));
        QTest::mouseMove(g, centreOf(g, cell));
    }
    void pointAtCell(TPaintGrid* g, int cell) { QTest::mouseMove(g, centreOf(g, cell)); }
    void clickOn(int z)
    {
        const auto [g, cell] = cellOf(z);
        QTest::mouseClick(g, Qt::LeftButton, Qt::NoModifier, centreOf(g, cell));
    }
    // The colour the screen shows inside element z's cell (clear of its texts
    // and its bevel).
    TColor shownColor(int z) const
    {
        const auto [g, cell] = cellOf(z);
        const QImage img = g->grab().toImage();
        const TRect r = g->CellRectOfIndex(cell);
        return FromQColor(img.pixelColor(r.Left + 3, r.Bottom - 3));
    }

    TfmTabPer* w = nullptr;
};

TEST_F(FmTabPerTest, OpensOnTheStatesOfAggregationShowingHydrogen)
{
    open();
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Tabla Periódica de los Elementos (Versión Alfa)"));
    EXPECT_EQ(w->cmbPintar->currentIndex(), 7);
    EXPECT_EQ(w->cmbPintar->count(), 18);
    EXPECT_EQ(w->CurrentFrame(), w->faEstado);
    EXPECT_TRUE(w->faEstado->isVisible());
    EXPECT_FALSE(w->faTipo->isVisible());
    EXPECT_EQ(w->lbSimb->text(), QStringLiteral("H"));
    EXPECT_EQ(w->lbGrupo->text(), QStringLiteral("1 (I A)"));
    EXPECT_EQ(w->lbMasa->text(), QStringLiteral("1.008"));
    EXPECT_EQ(w->faEstado->Temperature(), 300);
}

TEST_F(FmTabPerTest, PointingAtACellShowsItsDataAndAnEmptyCellChangesNothing)
{
    open();
    pointAt(26);
    EXPECT_EQ(w->lbNA->text(), QStringLiteral("26"));
    EXPECT_EQ(w->lbNombre->text(), QStringLiteral("Hierro"));
    EXPECT_EQ(w->lbSimb->text(), QStringLiteral("Fe"));
    EXPECT_EQ(w->lbGrupo->text(), QStringLiteral("8 (VIII B)"));
    EXPECT_EQ(w->lbPeriodo->text(), QStringLiteral("4"));
    EXPECT_EQ(w->lbTipo->text(), QStringLiteral("Metal de Transición"));
    EXPECT_EQ(w->lbMasa->text(), Format(QStringLiteral("%.4g"), {double(PeriodicElement(26)->AtomicMass)}));
    EXPECT_EQ(w->lbMasa->text(), QStringLiteral("55.85"));
    EXPECT_EQ(w->lbValencia->text(), QStringLiteral("2, 3, 6"));
    EXPECT_EQ(w->Actual->text(), QStringLiteral("Hierro Sólido a 300 K"));
    pointAtCell(w->pg1, 1);    // between hydrogen and helium
    pointAtCell(w->pg2, 0);    // before the lanthanides
    EXPECT_EQ(w->lbNombre->text(), QStringLiteral("Hierro"));
    pointAt(60);
    EXPECT_EQ(w->lbNombre->text(), QStringLiteral("Neodimio"));
    EXPECT_EQ(w->lbGrupo->text(), QString());
    pointAt(120);   // not yet made: its mass is not known
    EXPECT_EQ(w->lbMasa->text(), QStringLiteral("desconocido"));
}

TEST_F(FmTabPerTest, EveryColouringShowsItsLegendAndColoursEveryCell)
{
    open();
    for (int i = 0; i < 18; ++i) {
        SCOPED_TRACE(w->cmbPintar->itemText(i).toStdString());
        w->cmbPintar->setCurrentIndex(i);
        const TColouring& c = Colourings()[i];
        TfaTabPerBase* want = c.Kind == TColouringKind::Scale      ? static_cast<TfaTabPerBase*>(w->faEscala)
                              : c.Kind == TColouringKind::Category ? static_cast<TfaTabPerBase*>(w->faTipo)
                                                                   : static_cast<TfaTabPerBase*>(w->faEstado);
        EXPECT_EQ(w->CurrentFrame(), want);
        EXPECT_TRUE(want->isVisible());
        int visible = 0;
        for (TfaTabPerBase* f : {static_cast<TfaTabPerBase*>(w->faEscala), static_cast<TfaTabPerBase*>(w->faTipo),
                                 static_cast<TfaTabPerBase*>(w->faEstado)})
            visible += f->isVisible();
        EXPECT_EQ(visible, 1);
        EXPECT_TRUE(w->Actual->text().isEmpty());
        for (int z : {1, 8, 26, 60, 80, 92, 118}) {
            SCOPED_TRACE(z);
            const TElementoQ& e = *PeriodicElement(z);
            TColor expected = clSilver;
            if (c.Kind == TColouringKind::Scale) {
                const float v = c.Getter(e);
                if (v != 0)
                    expected = LegendScaleColor(ScalePosition(v, c.Min, c.Max));
            } else if (c.Kind == TColouringKind::Category) {
                const int v = CategoryValue(c.Category, e);
                if (v != 0)
                    expected = LegendScaleColor(CategoryPosition(c.Category, v));
            } else {
                expected = TfaEstado::StateColor(z, 300);
            }
            EXPECT_EQ(w->CellColor(z), expected);
            EXPECT_EQ(shownColor(z), expected);
        }
    }
    // A property nobody knows gives the neutral colour; a known one does not.
    w->cmbPintar->setCurrentIndex(1);   // "Calor de Fusión": not known for helium
    EXPECT_EQ(shownColor(2), clSilver);
    EXPECT_NE(shownColor(26), clSilver);
}

TEST_F(FmTabPerTest, TheArrowsStepThroughTheListAndStopAtItsEnds)
{
    open();
    w->cmbPintar->setCurrentIndex(0);
    QTest::mouseClick(w->SpeedButton1, Qt::LeftButton);
    EXPECT_EQ(w->cmbPintar->currentIndex(), 0);
    QTest::mouseClick(w->SpeedButton2, Qt::LeftButton);
    EXPECT_EQ(w->cmbPintar->currentIndex(), 1);
    EXPECT_EQ(w->CurrentFrame(), w->faEscala);
    w->cmbPintar->setCurrentIndex(17);
    QTest::mouseClick(w->SpeedButton2, Qt::LeftButton);
    EXPECT_EQ(w->cmbPintar->currentIndex(), 17);
    QTest::mouseClick(w->SpeedButton1, Qt::LeftButton);
    EXPECT_EQ(w->cmbPintar->currentIndex(), 16);
}

TEST_F(FmTabPerTest, ClickingAnElementOpensItsDataAndTheButtonsWalkTheTable)
{
    open();
    EXPECT_EQ(w->ElementWindow(), nullptr);
    pointAtCell(w->pg1, 1);
    QTest::mouseClick(w->pg1, Qt::LeftButton, Qt::NoModifier, centreOf(w->pg1, 1));   // empty: nothing
    EXPECT_EQ(w->ElementWindow(), nullptr);
    clickOn(26);
    TfmElemento* d = w->ElementWindow();
    ASSERT_NE(d, nullptr);
    EXPECT_TRUE(d->isVisible());
    EXPECT_EQ(d->windowTitle(), QStringLiteral("Hierro"));
    auto label = [d](const char* name) { return d->findChild<QLabel*>(QString::fromLatin1(name))->text(); };
    EXPECT_EQ(label("lbPeso"), QStringLiteral("55.845"));
    EXPECT_EQ(label("lbElecNeg"), QStringLiteral("1.8"));
    EXPECT_EQ(label("lbConfElec"), QStringLiteral("[Ar] 3d6 4s2"));
    EXPECT_EQ(label("lbDistElec"), QStringLiteral("2, 8, 14, 2"));
    EXPECT_EQ(label("lbEstrucCristal"), QStringLiteral("Cúbica Centrada en Cuerpo"));
    EXPECT_EQ(label("lbPtoFucion"), QStringLiteral("1808"));
    EXPECT_EQ(d->lbCanIso->text(), QStringLiteral("4 Isótopos Naturales"));
    ASSERT_EQ(d->iso->rowCount(), 5);
    EXPECT_EQ(d->iso->item(0, 1)->text(), QStringLiteral("p+ / e-"));
    EXPECT_EQ(d->iso->item(2, 0)->text(), QStringLiteral("56"));
    EXPECT_EQ(d->iso->item(2, 1)->text(), QStringLiteral("26"));
    EXPECT_EQ(d->iso->item(2, 2)->text(), QStringLiteral("30"));
    EXPECT_EQ(d->iso->item(2, 3)->text(), QStringLiteral("91.754%"));

    QTest::mouseClick(d->btnUltimo, Qt::LeftButton);
    EXPECT_EQ(d->Current(), 121);
    EXPECT_FALSE(d->btnSiguiente->isEnabled());
    EXPECT_FALSE(d->btnUltimo->isEnabled());
    EXPECT_TRUE(d->btnAnterior->isEnabled());
    EXPECT_EQ(d->lbCanIso->text(), QStringLiteral("Sin Isótopos Naturales"));
    d->SpinUp();
    EXPECT_EQ(d->Current(), 1);
    EXPECT_FALSE(d->btnPrimero->isEnabled());
    EXPECT_FALSE(d->btnAnterior->isEnabled());
    d->SpinDown();
    EXPECT_EQ(d->Current(), 121);
    QTest::mouseClick(d->btnAnterior, Qt::LeftButton);
    EXPECT_EQ(d->Current(), 120);
    QTest::mouseClick(d->btnPrimero, Qt::LeftButton);
    EXPECT_EQ(d->Current(), 1);
    QTest::mouseClick(d->btnSiguiente, Qt::LeftButton);
    EXPECT_EQ(d->Current(), 2);
    EXPECT_EQ(d->lbCanIso->text(), QStringLiteral("2 Isótopos Naturales"));

    // Dragging over the table with the button held follows in the open window.
    const auto [g, cell] = cellOf(79);
    QTest::mouseMove(g, centreOf(g, cell));
    EXPECT_EQ(d->Current(), 2);
    QMouseEvent move(QEvent::MouseMove, centreOf(g, cell), g->mapToGlobal(centreOf(g, cell)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(g, &move);
    EXPECT_EQ(d->Current(), 79);
}

TEST_F(FmTabPerTest, TheTemperatureStaysWithinItsRangeAndRecoloursTheTable)
{
    open();
    TfaEstado* f = w->faEstado;
    pointAt(26);
    EXPECT_EQ(shownColor(26), TfaEstado::StateColor(26, 300));
    f->SetTemperature(2000);
    EXPECT_EQ(f->SpinEdit1->Value(), 2000);
    EXPECT_EQ(shownColor(26), TfaEstado::StateColor(26, 2000));
    EXPECT_EQ(StateShadeOf(*PeriodicElement(26), 2000).State, TAggregation::Liquid);
    pointAt(80);
    pointAt(26);
    EXPECT_EQ(w->Actual->text(), QStringLiteral("Hierro Líquido a 2000 K"));

    f->SetTemperature(9000);
    EXPECT_EQ(f->Temperature(), 6000);
    EXPECT_EQ(f->SpinEdit1->Value(), 6000);
    f->SetTemperature(-40);
    EXPECT_EQ(f->Temperature(), 0);

    // The strip: a press sets the temperature of its place.
    const int sw = f->Image2->width();
    QTest::mouseClick(f->Image2, Qt::LeftButton, Qt::NoModifier, QPoint(sw / 2, 5));
    EXPECT_EQ(f->Temperature(), PointTemperature(sw / 2, sw));
    QTest::mouseClick(f->Image2, Qt::LeftButton, Qt::NoModifier, QPoint(sw - 1, 5));
    EXPECT_LE(f->Temperature(), 6000);
    EXPECT_EQ(f->Panel1->x(), TemperaturePixel(f->Temperature(), sw) + f->Image2->x() - 2);

    // The slider, dragged far beyond the strip.
    QTest::mousePress(f->Panel1, Qt::LeftButton, Qt::NoModifier, QPoint(2, 5));
    QMouseEvent drag(QEvent::MouseMove, QPoint(5000, 5), f->Panel1->mapToGlobal(QPoint(5000, 5)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(f->Panel1, &drag);
    EXPECT_EQ(f->Temperature(), 6000);
    QMouseEvent back(QEvent::MouseMove, QPoint(-5000, 5), f->Panel1->mapToGlobal(QPoint(-5000, 5)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(f->Panel1, &back);
    EXPECT_EQ(f->Temperature(), 0);
    QTest::mouseRelease(f->Panel1, Qt::LeftButton, Qt::NoModifier, QPoint(2, 5));
    EXPECT_FALSE(f->Panel1->Dragging());

    // The spin edit: typed, and by the wheel one kelvin at a time.
    f->SpinEdit1->setValue(1234);
    EXPECT_EQ(f->Temperature(), 1234);
    bool handled = false;
    f->SpinEdit1->OnMouseWheelUp(f->SpinEdit1, TShiftState{}, QPoint(), handled);
    EXPECT_TRUE(handled);
    EXPECT_EQ(f->Temperature(), 1235);
    f->SpinEdit1->setValue(99999);
    EXPECT_LE(f->Temperature(), 6000);
}

TEST_F(FmTabPerTest, TheScaleMarkerShowsKnownValuesOnly)
{
    open();
    w->cmbPintar->setCurrentIndex(5);   // "Densidad"
    pointAt(26);
    EXPECT_TRUE(w->faEscala->marca->isVisible());
    EXPECT_EQ(w->Actual->text(), QStringLiteral("Hierro = 7.874 g/cm3"));
    EXPECT_EQ(w->faEscala->marca->x(), w->faEscala->BarPixel(PeriodicElement(26)->Density) - 1);
    w->cmbPintar->setCurrentIndex(1);   // "Calor de Fusión": not known for helium
    pointAt(2);
    EXPECT_FALSE(w->faEscala->marca->isVisible());
    EXPECT_TRUE(w->Actual->text().isEmpty());
    w->cmbPintar->setCurrentIndex(15);
    EXPECT_EQ(w->faEscala->Unit(), QStringLiteral("pm"));
}

// What is not known is said so: the element window writes "desconocido", the
// cell is silver, and the scale and state legends show the silver key with
// the number of such elements.
TEST_F(FmTabPerTest, UnknownValuesAreSaidUnknownAndKeyedInTheLegend)
{
    open();
    clickOn(2);   // helium: no heat of fusion in the sources
    TfmElemento* d = w->ElementWindow();
    ASSERT_NE(d, nullptr);
    auto label = [d](const char* name) { return d->findChild<QLabel*>(QString::fromLatin1(name))->text(); };
    EXPECT_EQ(label("lbCalorFucion"), QStringLiteral("desconocido"));
    EXPECT_EQ(label("lbCalorVap"), QStringLiteral("0.08"));
    d->ShowElement(26);
    EXPECT_EQ(label("lbCalorFucion"), QStringLiteral("13.8"));
    EXPECT_EQ(label("lbConducTer"), QStringLiteral("80"));

    struct Case {
        int colouring;
        TElementGetter getter;   // empty: the states of aggregation
    };
    const Case cases[] = {{1, Colourings()[1].Getter}, {4, Colourings()[4].Getter}, {7, {}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.colouring);
        w->cmbPintar->setCurrentIndex(c.colouring);
        const int unknown = c.getter ? UnknownCount(c.getter) : UnknownStateCount();
        EXPECT_GT(unknown, 0);
        EXPECT_LT(unknown, 50);   // the sources fill most of the table
        const QImage legend = w->CurrentFrame()->Legend();
        // The silver swatch under the bar (or the strip) at its left end.
        const QWidget* under = c.getter ? static_cast<QWidget*>(w->faEscala->pb) : w->faEstado->Image2;
        const int y = under->y() + under->height() + (c.getter ? 8 : 24);
        EXPECT_EQ(FromQColor(legend.pixelColor(under->x() + 6, y)), kUnknownColor);
    }
    EXPECT_EQ(UnknownLegendText(0), QString());
    EXPECT_EQ(UnknownLegendText(1), QStringLiteral("Sin datos: 1 elemento"));
    EXPECT_EQ(UnknownLegendText(23), QStringLiteral("Sin datos: 23 elementos"));
}

TEST_F(FmTabPerTest, CategoryMarkersLandInsideTheirLegends)
{
    open();
    w->cmbPintar->setCurrentIndex(8);   // "Estructura Cristalina"
    TfaTipo* f = w->faTipo;
    pointAt(2);                         // helium: no structure
    ASSERT_TRUE(f->Shape1->isVisible());
    EXPECT_EQ(f->Shape1->geometry(), ToQRect(f->PaintGrid1->CellRectInParent(8)));
    EXPECT_TRUE(f->PaintGrid1->geometry().contains(f->Shape1->geometry()));
    pointAt(26);
    EXPECT_EQ(f->Shape1->geometry(), ToQRect(f->PaintGrid1->CellRectInParent(3)));
    w->cmbPintar->setCurrentIndex(9);   // "Grupo"
    pointAt(60);                        // no group of its own
    EXPECT_FALSE(f->Shape1->isVisible());
    pointAt(18);
    EXPECT_EQ(f->Shape1->geometry(), ToQRect(f->PaintGrid1->CellRectInParent(17)));
    w->cmbPintar->setCurrentIndex(17);  // "Tipo de Elemento"
    EXPECT_EQ(f->PaintGrid1->Direccion(), tgdVertical);
    pointAt(26);
    EXPECT_EQ(f->Shape1->geometry(), ToQRect(f->PaintGrid1->CellRectInParent(7)));
}

TEST_F(FmTabPerTest, TheSchemeColoursTheWindowAndItsLegends)
{
    host.appearance.ClLuz = RGBColor(250, 250, 200);
    host.appearance.ClSombra = RGBColor(20, 40, 120);
    open();
    EXPECT_EQ(TabPer().TabPerLightColor, RGBColor(250, 250, 200));
    EXPECT_EQ(TabPer().TabPerDarkColor, RGBColor(20, 40, 120));
    EXPECT_EQ(w->AreaFondo1->Color(), RGBColor(250, 250, 200));
    host.appearance.ClSombra = RGBColor(0, 90, 0);
    host.notices.Post(THostNotice::AppearanceChanged);
    EXPECT_EQ(TabPer().TabPerDarkColor, RGBColor(0, 90, 0));
    // The legend's background runs from light at the top to dark at the bottom.
    const QImage& l = w->faEstado->Legend();
    EXPECT_EQ(FromQColor(l.pixelColor(l.width() - 1, l.height() - 1)), RGBColor(0, 90, 0));
}

TEST_F(FmTabPerTest, TheTemperatureBoxHasUpAndDownArrowsInEveryScheme)
{
    // Light text (white, or the grey of the button face) must not hide the arrows.
    for (const TColor text : {RGBColor(255, 255, 255), RGBColor(239, 239, 239), RGBColor(0, 0, 0)}) {
        SCOPED_TRACE(text);
        host.appearance.ClTexto = text;
        open();
        TRxSpinEdit* spin = w->faEstado->SpinEdit1;
        EXPECT_EQ(spin->ButtonKind(), bkStandard) << "up and down halves, not a diagonal";
        EXPECT_EQ(spin->Button()->Kind(), bkStandard);
        const QImage img = spin->Button()->grab().toImage();
        const QColor face = spin->Button()->palette().color(QPalette::Button);
        auto visible = [&](int top, int bottom) {
            int n = 0;
            for (int y = top; y < bottom; ++y)
                for (int x = 2; x < img.width() - 2; ++x)
                    if (std::abs(qGray(img.pixel(x, y)) - qGray(face.rgb())) > 100)
                        ++n;
            return n;
        };
        EXPECT_GE(visible(1, img.height() / 2 - 1), 3) << "the up arrow";
        EXPECT_GE(visible(img.height() / 2 + 1, img.height() - 1), 3) << "the down arrow";
        delete w;
        w = nullptr;
    }
}

TEST_F(FmTabPerTest, ATableWithABadLineIsReportedAndItsElementLeftOut)
{
    QFile f(path(QStringLiteral("tablaper.tab")));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    QStringList lines = cp1252::decode(f.readAll()).split(QStringLiteral("\r\n"));
    f.close();
    QStringList fields = lines[5].split(QLatin1Char('\t'));
    fields[13] = QString();   // boron without a density
    lines[5] = fields.join(QLatin1Char('\t'));
    put(QStringLiteral("tablaper.tab"), cp1252::encode(lines.join(QStringLiteral("\r\n"))));
    open();
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_TRUE(host.messages[0].startsWith(QStringLiteral("Línea 5 "))) << host.messages[0].toStdString();
    EXPECT_EQ(PeriodicElement(5), nullptr);
    pointAt(6);
    pointAt(5);
    EXPECT_EQ(w->lbSimb->text(), QStringLiteral("C"));
    clickOn(5);
    EXPECT_EQ(w->ElementWindow(), nullptr);
    const TColor background = shownColor(5);
    EXPECT_NE(background, w->CellColor(6));
}

TEST_F(FmTabPerTest, AMissingTableLeavesAnEmptyWindowThatStillWorks)
{
    QFile::remove(path(QStringLiteral("tablaper.tab")));
    open();
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_TRUE(host.messages[0].contains(QStringLiteral("tablaper.tab")));
    for (int i = 0; i < 18; ++i)
        w->cmbPintar->setCurrentIndex(i);
    pointAt(26);
    clickOn(26);
    EXPECT_EQ(w->ElementWindow(), nullptr);
    EXPECT_TRUE(w->lbSimb->text().isEmpty());
}

// ---- the frames on their own ----

TEST_F(TabPerTest, AScaleWithoutWidthOrRangeDrawsWithoutDividingByZero)
{
    ASSERT_TRUE(LoadPeriodicTable().ok());
    for (QSize size : {QSize(545, 100), QSize(41, 100), QSize(40, 100), QSize(1, 1), QSize(0, 0)}) {
        SCOPED_TRACE(size.width());
        QWidget panel;
        panel.resize(size);
        TfaEscala f(&panel);
        const TElementGetter density = [](const TElementoQ& e) { return e.Density; };
        f.SetScale(density, 5, 5);   // one tick, never an endless axis
        EXPECT_FALSE(f.Legend().isNull());
        f.SetScale(density, 0.08, 22.6);
        f.ShowElement(26);
        TfaEstado s(&panel);
        s.ShowElement(26);
        s.SetTemperature(5000);
        s.DrawLegend();
        TfaTipo t(&panel);
        t.ShowStructureLegend();
        t.ShowElement(2);
    }
}

TEST_F(TabPerTest, TheCategoryLegendsPaintTheirCellsInTheirColours)
{
    QWidget panel;
    panel.resize(545, 100);
    TfaTipo f(&panel);
    f.ShowTypeLegend();
    const QImage& l = f.Legend();
    const TCategoryLegend legend = CategoryLegend(TCategory::ElementType);
    for (int k = 0; k < legend.Cells.size(); ++k) {
        SCOPED_TRACE(k);
        const TRect r = f.PaintGrid1->CellRectInParent(k);
        const TColor want = k == legend.UndefinedCell ? clSilver : LegendScaleColor(double(k) / legend.Divisor);
        EXPECT_EQ(FromQColor(l.pixelColor(r.Left + 4, r.Top + 4)), want);
    }
}

// ---- the main window's chemistry ----

TEST_F(TabPerTest, TheAutocompleteListGetsOneEntryPerElement)
{
    SetAtomicMassLines({QStringLiteral("H_Hidrógeno=1.008"), QStringLiteral("He_Helio=4.0026")});
    TfmAutoComp list;
    AddChemistryAutoCompleteEntries(list);
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.ItemText(0), QStringLiteral("H - Hidrógeno"));
    EXPECT_EQ(list.ItemText(1), QStringLiteral("He - Helio"));
    EXPECT_EQ(list.ItemIcon(0), AutoCompIconIndex(5));
    EXPECT_EQ(AutoCompInsertText(list.ItemText(1)), QStringLiteral("He"));
}

TEST_F(TabPerTest, TheRegistrationAddsTheWindowAndLoadsTheMassesAtStart)
{
    QFile::copy(QStringLiteral(SUMBRIX_BIN_DIR "/quim.ini"), path(QStringLiteral("quim.ini")));
    MainExtensions().reset();
    RegisterWindow_science_quimica();
    ASSERT_EQ(MainExtensions().Tools.size(), 1u);
    const TMainExtensions::Tool& t = MainExtensions().Tools[0];
    EXPECT_EQ(t.Name, QStringLiteral("fmTabPer"));
    EXPECT_EQ(t.FlagKey, QStringLiteral("TablaPer"));
    EXPECT_EQ(t.Caption, QStringLiteral("Tabla Periódica"));
    EXPECT_EQ(t.ButtonName, QStringLiteral("SpeedButton14"));
    EXPECT_EQ(t.ButtonText, QStringLiteral("T"));
    EXPECT_EQ(t.Hint, QStringLiteral("Tabla Periódica (Ctrl+B)"));
    EXPECT_EQ(t.Key, QLatin1Char('B'));
    EXPECT_EQ(t.AppearanceOrder, 11);
    TToolWindow* made = t.Create(host, nullptr);
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->objectName(), QStringLiteral("fmTabPer"));
    EXPECT_EQ(t.Create(host, nullptr), made);
    delete made;
    ASSERT_EQ(MainExtensions().StartSteps.size(), 1u);
    MainExtensions().StartSteps[0].Run();
    EXPECT_EQ(AtomicMassTable().size(), 118u);
    MainExtensions().reset();
}

} // namespace
