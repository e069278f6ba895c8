// The first start of the built program from a fresh folder on a real X
// server: the boxes of the start answered with the mouse, the tips window
// closed, a main window with room for its picture and history, and the
// settings file that makes the next start an ordinary one.
#include "programdriver.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

TEST(StartOnScreen, AFirstRunAsksOnceAndShowsAUsableWindow)
{
    ProgramDriver p;
    ASSERT_TRUE(p.ready()) << p.error().toStdString();
    // The tips at start stay as shipped (on).
    ASSERT_TRUE(p.start(false)) << p.error().toStdString();

    // The boxes of the start ("Sumbrix": the first-run offer of help, and now
    // and then the offer to look for a new version) are answered "No", until
    // the tips window shows over the main window.
    int firstRunBoxes = 0;
    QString tips;
    ASSERT_TRUE(ProgramDriver::waitUntil([&] {
        const QStringList boxes = p.windows(QStringLiteral("^Sumbrix$"));
        if (!boxes.isEmpty()) {
            ++firstRunBoxes;
            p.clickUntilGone(boxes.last(), 50, 23, 5000);   // "No"
        }
        const QStringList found = p.windows(QStringLiteral("^Sab..?a que\\.\\.\\.$"));
        if (!found.isEmpty())
            tips = found.first();
        return !tips.isEmpty() || !p.running();
    })) << p.output().toStdString();
    ASSERT_FALSE(tips.isEmpty()) << p.output().toStdString();
    EXPECT_GE(firstRunBoxes, 1);
    EXPECT_LE(firstRunBoxes, 2);
    // The help was not wanted: no help window.
    EXPECT_EQ(p.windows().size(), 2) << p.windows().join(QLatin1Char(' ')).toStdString();

    // Esc closes the tips.
    ASSERT_TRUE(p.pressUntilGone(tips, QStringLiteral("Escape")));
    const QStringList main = p.windows(QStringLiteral("^Sumbrix 2\\.84$"));
    ASSERT_EQ(main.size(), 1);

    // The window has its top panel, its bottom bar and 100 pixels for the
    // picture and the history (not a 117-pixel strip).
    const QRect r = p.geometry(main.first());
    EXPECT_GE(r.height(), 170) << r.height();

    // The first-run offer is written off at once.
    EXPECT_EQ(p.iniValue(QStringLiteral("Opciones"), QStringLiteral("Ver")), QStringLiteral("280"));
    ASSERT_TRUE(p.waitMainWindow());
    ASSERT_TRUE(p.closeByEsc()) << p.output().toStdString();

    // The window's place and height were kept.
    EXPECT_EQ(p.iniValue(QStringLiteral("PosfrmCalcu"), QStringLiteral("Height")), QString::number(r.height()));
    // Closed without a calculation: expr.lst is written all the same.
    EXPECT_TRUE(QFile::exists(p.path(QStringLiteral("expr.lst"))));

    // The next start asks nothing but, now and then, the new-version offer;
    // the tips come again (their box was left ticked).
    ASSERT_TRUE(p.start(false));
    QString tipsAgain;
    ASSERT_TRUE(ProgramDriver::waitUntil([&] {
        for (const QString& box : p.windows(QStringLiteral("^Sumbrix$")))
            p.clickUntilGone(box, 50, 23, 5000);
        const QStringList found = p.windows(QStringLiteral("^Sab..?a que\\.\\.\\.$"));
        if (!found.isEmpty())
            tipsAgain = found.first();
        return !tipsAgain.isEmpty() || !p.running();
    }));
    ASSERT_FALSE(tipsAgain.isEmpty());
    ASSERT_TRUE(p.pressUntilGone(tipsAgain, QStringLiteral("Escape")));
    ASSERT_TRUE(p.waitMainWindow());
    ASSERT_TRUE(p.closeByEsc()) << p.output().toStdString();
}

} // namespace
