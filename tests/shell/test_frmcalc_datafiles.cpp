// The program's start and close over damaged data files: each file that is
// there but cannot be read says so once, naming the file, the program goes on
// without that area, and the file is left as it was (or, for the tips, kept
// as a backup before anything is written).
#include "frmcalcfixture.h"

#include "science/quimica/quimica.h"
#include "science/unidades/unidades.h"
#include "science/unidades/window/convmenu.h"
#include "shell/frmtips.h"

#include <QApplication>
#include <QCoreApplication>
#include <QPushButton>
#include <QTimer>

#include <functional>

void RegisterWindowAreas();

namespace {

class DamagedDataFiles : public FrmCalcTest {
protected:
    void SetUp() override
    {
        FrmCalcTest::SetUp();
        copyBuiltDataFiles({"maguni.def", "quim.ini"});
        put(QStringLiteral("tips.ini"), "[OPC]\r\nUsa=0\r\n");
    }
    void TearDown() override
    {
        FrmCalcTest::TearDown();
        UnloadAtomicMasses();
    }
    void put(const QString& name, const QByteArray& bytes)
    {
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    // The start as the program makes it, up to the tips (closed when they
    // show), and the close.
    void startAndClose()
    {
        StartUnits();
        UnloadAtomicMasses();
        RegisterWindowAreas();
        openNotFirstRun();
        ShowUnitLoadNotices();
        QTimer::singleShot(0, [] {
            for (QWidget* t : QApplication::topLevelWidgets())
                if (auto* tips = qobject_cast<TfmTips*>(t); tips && tips->isVisible())
                    tips->btnCerrar->click();
        });
        ShowTipsAtStart();
        molarMassKnown = false;
        bool ok = false;
        MolarMass(QStringLiteral("H2O"), ok);
        molarMassKnown = ok;
        magnitudes = unitEngine().MagnitudeList.size();
        w->close();
        w.reset();
        MainExtensions().reset();
    }
    static QByteArray noise(int n)
    {
        QByteArray b;
        for (int i = 0; i < n; ++i)
            b.append(char((i * 7919 + 13) % 251 + 1));
        return b.replace('[', '(');
    }
    bool molarMassKnown = false;
    size_t magnitudes = 0;
};

TEST_F(DamagedDataFiles, EachIsToldOnceAndLeftAsItWas)
{
    startAndClose();
    ASSERT_TRUE(sink.empty()) << sink.last().text.toStdString();
    ASSERT_TRUE(molarMassKnown);
    ASSERT_GT(magnitudes, 0u);
    const QByteArray units = file(QStringLiteral("maguni.def"));
    const QByteArray masses = file(QStringLiteral("quim.ini"));

    struct Case {
        const char* file;
        QByteArray bytes;
        bool unitsGone, massesGone;
    } cases[] = {
        {"maguni.def", QByteArray(), true, false},
        {"maguni.def", units.left(units.size() / 2), true, false},
        {"maguni.def", noise(5000), true, false},
        {"quim.ini", QByteArray(), false, true},
        {"quim.ini", masses.left(3), false, true},
        {"quim.ini", noise(5000), false, true},
        {"tips.ini", noise(3000), false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.file) + " of " + std::to_string(c.bytes.size()) + " bytes");
        const QString name = QString::fromLatin1(c.file);
        put(name, c.bytes);
        sink.clear();
        startAndClose();
        ASSERT_EQ(sink.count(), 1);
        EXPECT_TRUE(sink.last().text.contains(dir.filePath(name))) << sink.last().text.toStdString();
        EXPECT_EQ(magnitudes == 0, c.unitsGone);
        EXPECT_EQ(!molarMassKnown, c.massesGone);
        if (name == QStringLiteral("tips.ini")) {
            EXPECT_EQ(file(QStringLiteral("tips.ini.bak")), c.bytes);
            EXPECT_TRUE(file(name).startsWith("[OPC]\r\nUsa=1\r\n"));
            put(name, "[OPC]\r\nUsa=0\r\n");
        } else {
            EXPECT_EQ(file(name), c.bytes);
            put(name, name == QStringLiteral("maguni.def") ? units : masses);
        }
    }
    sink.clear();
    startAndClose();
    EXPECT_TRUE(sink.empty()) << sink.last().text.toStdString();
    EXPECT_TRUE(molarMassKnown);
}

} // namespace
