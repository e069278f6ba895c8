// The periodic table window as the user sees it: grabbed into an image (saved
// to SUMBRIX_SCREENSHOT_DIR when it is set), its grid of element cells must
// show their colours. ctest runs this program twice: offscreen, and on a real
// X server (xvfb-run, xcb), where the grab from the screen reads back what the
// X server shows.
#include "science/quimica/window/fmtabper.h"

#include "controls/imagelist.h"
#include "controls/paintgrid.h"
#include "drawkit/drawkit.h"
#include "tabperfixture.h"

#include <QComboBox>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QSet>
#include <QTest>

namespace {

class FmTabPerScreenshot : public TabPerTest {};

// The colour in the middle of the lower left part of a cell of the grid.
QRgb CellPixel(const QImage& image, const QPoint& gridOrigin, const TPaintGrid* g, int cell)
{
    const TRect r = g->CellRectOfIndex(cell);
    return image.pixel(gridOrigin.x() + r.Left + 3, gridOrigin.y() + r.Bottom - 3);
}

TEST_F(FmTabPerScreenshot, TheGridOfCellsShowsTheColouring)
{
    TfmTabPer w(host, nullptr);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    for (int index : {17, 12, 7}) {
        SCOPED_TRACE(index);
        w.cmbPintar->setCurrentIndex(index);
        QCoreApplication::processEvents();
        QTest::qWait(50);
        const QImage onScreen = w.screen()->grabWindow(w.winId()).toImage();
        const QImage shot = w.grab().toImage();
        if (const QByteArray dir = qgetenv("SUMBRIX_SCREENSHOT_DIR"); !dir.isEmpty())
            shot.save(QDir(QString::fromLocal8Bit(dir)).filePath(QStringLiteral("fmtabper_%1.png").arg(index)));
        for (const QImage* image : {&shot, &onScreen}) {
            if (image->isNull() || image->width() < w.width())
                continue;   // a platform that cannot read the screen back
            const QPoint origin = w.pg1->mapTo(&w, QPoint(0, 0));
            QSet<QRgb> colours;
            int matching = 0, cells = 0;
            for (int cell = 0; cell < w.pg1->CellCount(); ++cell) {
                const int z = kTablaPeriodica[size_t(cell)];
                if (!z)
                    continue;
                ++cells;
                const QRgb px = CellPixel(*image, origin, w.pg1, cell);
                colours.insert(px);
                matching += FromQColor(QColor(px)) == w.CellColor(z);
            }
            EXPECT_EQ(cells, 93);
            // Every cell in the colour of its element, and the grid shows
            // several colours, not one flat fill.
            EXPECT_EQ(matching, cells);
            EXPECT_GE(colours.size(), 4);
        }
    }
}

} // namespace
