// The periodic table and the element window on a real X server: every cell,
// legend and frame painted in each of the 18 colourings, nothing left from
// the colouring before, and the texts whole.
#include "windowfixture.h"

#include "controls/imagelist.h"
#include "controls/paintgrid.h"
#include "science/quimica/elementos.h"
#include "science/quimica/quimica.h"
#include "science/quimica/window/fmtabper.h"
#include "science/quimica/window/legendas.h"

#include <QComboBox>
#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <QFrame>
#include <QTest>

namespace {

class TabPerScreen : public ScreenWindowTest {
protected:
    void SetUp() override
    {
        ScreenWindowTest::SetUp();
        Elementos().reset();
        Quimica().reset();
        TabPer().reset();
        copyData(QStringLiteral("tablaper.tab"));
    }
    void TearDown() override
    {
        Elementos().reset();
        Quimica().reset();
        TabPer().reset();
        ScreenWindowTest::TearDown();
    }

    static std::pair<TPaintGrid*, int> cellOf(const TfmTabPer& w, int z)
    {
        for (int i = 0; i < int(kTablaPeriodica.size()); ++i) {
            if (kTablaPeriodica[size_t(i)] == z)
                return i < 144 ? std::pair{w.pg1, i} : std::pair{w.pg2, i - 144};
        }
        return {nullptr, -1};
    }
    static QPoint centreOf(const TPaintGrid* g, int cell)
    {
        const TRect r = g->CellRectOfIndex(cell);
        return QPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
    }
    // What the table and its legend show, in window coordinates: the
    // header above them follows the pointer.
    static QImage tableAndLegend(const TfmTabPer& w, const QImage& shot)
    {
        const QRect r = QRect(w.pg1->mapTo(&w, QPoint(0, 0)), w.pg1->size())
                            .united(QRect(w.Panel1->mapTo(&w, QPoint(0, 0)), w.Panel1->size()));
        return shot.copy(r);
    }
};

TEST_F(TabPerScreen, EveryColouringPaintsEveryCellLegendAndFrame)
{
    // The pointer stays out of the windows: what it points at is told
    // directly, so that no window sees it move.
    QCursor::setPos(QGuiApplication::primaryScreen()->geometry().bottomRight() - QPoint(4, 4));
    TfmTabPer w(host, nullptr);
    place(&w);
    const screencheck::Faults atStart = screencheck::check(&w, QStringLiteral("tabper_default"));
    EXPECT_TRUE(atStart.empty()) << ::testing::PrintToString(atStart);
    w.ShowElementInfo(26);
    for (int index = 0; index < w.cmbPintar->count(); ++index) {
        SCOPED_TRACE(index);
        w.cmbPintar->setCurrentIndex(index);
        const QImage shot = screencheck::grabFromServer(&w);
        const QString name = QStringLiteral("tabper_%1").arg(index);
        screencheck::save(shot, name);
        const screencheck::Faults faults = screencheck::unpainted(shot);
        EXPECT_TRUE(faults.empty()) << ::testing::PrintToString(faults);

        // The same colouring in a window that never showed another one.
        // It opens beside the first, away from the pointer.
        TfmTabPer fresh(host, nullptr);
        fresh.cmbPintar->setCurrentIndex(index);
        fresh.move(w.frameGeometry().right() + 10, w.y());
        screencheck::showAndSettle(&fresh);
        const QImage first = screencheck::grabFromServer(&fresh);
        const QRect left = screencheck::difference(tableAndLegend(w, shot), tableAndLegend(fresh, first));
        EXPECT_TRUE(left.isEmpty()) << "left from the colouring before: " << left.x() << "," << left.y() << " "
                                    << left.width() << "x" << left.height();
        if (!left.isEmpty())
            screencheck::save(first, name + QStringLiteral("_fresh"));
        fresh.hide();
        w.ShowElementInfo(26);
    }
}

TEST_F(TabPerScreen, TheElementWindowShowsItsFieldsWhole)
{
    TfmTabPer w(host, nullptr);
    place(&w);
    screencheck::showAndSettle(&w);
    for (int z : {1, 26, 59, 104, 121}) {
        SCOPED_TRACE(z);
        const auto [g, cell] = cellOf(w, z);
        QTest::mouseClick(g, Qt::LeftButton, Qt::NoModifier, centreOf(g, cell));
        TfmElemento* e = w.ElementWindow();
        ASSERT_NE(e, nullptr);
        const screencheck::Faults faults = screencheck::check(e, QStringLiteral("elemento_%1").arg(z));
        EXPECT_TRUE(faults.empty()) << ::testing::PrintToString(faults);
    }
}

} // namespace
