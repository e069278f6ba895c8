// The main window as the user sees it after one calculation: the window is
// grabbed into an image (saved to SUMBRIX_SCREENSHOT_DIR when it is set) and
// the formula picture must have been painted into the picture box.
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
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QPixmap>
#include <QTest>

namespace {

class AnswerDefault : public MessageSink {
public:
    int showMessage(const QString&, const QString&, unsigned flags) override { return DefaultButtonResult(flags); }
};

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

        const QImage shot = w.grab().toImage();
        ASSERT_FALSE(shot.isNull());
        const QByteArray out = qgetenv("SUMBRIX_SCREENSHOT_DIR");
        if (!out.isEmpty())
            shot.save(QDir(QString::fromLocal8Bit(out)).filePath(QStringLiteral("frmcalc.png")));

        // The picture box holds more than its background colour.
        const QImage box = w.pbMeta->grab().toImage();
        const QRgb background = box.pixel(0, 0);
        int inked = 0;
        for (int y = 0; y < box.height(); ++y)
            for (int x = 0; x < box.width(); ++x)
                inked += box.pixel(x, y) != background;
        EXPECT_GT(inked, 20);
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
