// The main window as the user sees it after one calculation: the window is
// grabbed into an image (saved to SUMBRIX_SCREENSHOT_DIR when it is set) and
// the formula picture must have been painted into the picture box. ctest runs
// this program twice: offscreen, and on a real X server (xvfb-run, xcb), where
// the grab from the screen reads back what the X server actually shows.
#include "shell/frmcalc.h"

#include "controls/comboexpr.h"
#include "controls/frmautocomp.h"
#include "controls/frmteclado.h"
#include "engine/formulapicture.h"
#include "engine/real/expresion.h"
#include "foundation/core/basicos.h"
#include "shell/startup.h"
#include "testsupport.h"

#include <QDir>
#include <QGuiApplication>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QPixmap>
#include <QScreen>
#include <QTest>

namespace {

class AnswerDefault : public MessageSink {
public:
    int showMessage(const QString&, const QString&, unsigned flags) override { return DefaultButtonResult(flags); }
};

// Pixels of `area` of the image that differ from the area's top-left pixel.
int InkedPixels(const QImage& image, const QRect& area)
{
    const QRect r = area.intersected(image.rect());
    if (r.isEmpty())
        return 0;
    const QRgb background = image.pixel(r.topLeft());
    int inked = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            inked += image.pixel(x, y) != background;
    return inked;
}

TEST(FrmCalcScreenshot, ShowsTheResultAndThePictureOfATypedExpression)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    Basicos().reset();
    SetExeDir(dir.path());
    Basicos().ExeFile = dir.filePath(QStringLiteral("sumbrix"));
    AnswerDefault sink;
    Basicos().Messages = &sink;
    {
        QFile f(dir.filePath(QStringLiteral("sumbrix.ini")));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[Opciones]\r\nVer=280\r\n");
    }
    Calc().reset();
    Calc().FixedSeed = 7;
    StartUnits();
    {
        TfrmCalcu w;
        w.resize(460, 340);
        w.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
        w.cmbEdit->setFocus();
        QTest::keyClicks(w.cmbEdit, QStringLiteral("(1+2)/3^2"));
        QTest::keyClick(w.cmbEdit, Qt::Key_Return);
        EXPECT_EQ(w.Edit2->text(), QStringLiteral("0.3333333333333333"));
        ASSERT_NE(w.Picture(), nullptr);

        QCoreApplication::processEvents();

        // What the screen shows of the window (under X: read back from the
        // server), and the window's own rendering of itself.
        const QImage onScreen = w.screen()->grabWindow(w.winId()).toImage();
        const QImage shot = w.grab().toImage();
        ASSERT_FALSE(onScreen.isNull());
        ASSERT_FALSE(shot.isNull());
        const QByteArray out = qgetenv("SUMBRIX_SCREENSHOT_DIR");
        if (!out.isEmpty()) {
            // One file per platform: both runs may share the folder.
            const QString name = QStringLiteral("frmcalc-%1.png").arg(QGuiApplication::platformName());
            EXPECT_TRUE(onScreen.save(QDir(QString::fromLocal8Bit(out)).filePath(name)));
        }

        // The picture box holds more than its background colour, in the box's
        // own rendering and where it sits on the screen.
        EXPECT_GT(InkedPixels(w.pbMeta->grab().toImage(), w.pbMeta->rect()), 20);
        const QRect boxOnScreen(w.pbMeta->mapTo(&w, QPoint(0, 0)) * onScreen.devicePixelRatio(),
                                w.pbMeta->size() * onScreen.devicePixelRatio());
        EXPECT_GT(InkedPixels(onScreen, boxOnScreen.adjusted(2, 2, -2, -2)), 20);
        // The result box shows its text on the screen too.
        const QRect resultOnScreen(w.Edit2->mapTo(&w, QPoint(0, 0)) * onScreen.devicePixelRatio(),
                                   w.Edit2->size() * onScreen.devicePixelRatio());
        EXPECT_GT(InkedPixels(onScreen, resultOnScreen.adjusted(3, 3, -3, -3)), 20);
        w.cmbEdit->SetText(QString());
    }
    FreeAutoComp();
    FreeTeclado();
    PictureMetrics::reset();
    real::messageHook() = nullptr;
    Calc().reset();
    Basicos().reset();
}

} // namespace
