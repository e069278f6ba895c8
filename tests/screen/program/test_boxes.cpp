// Boxes and dialogs of the built program on a real X server: Esc stops a long
// sum in the main window, the complex-number offer after an invalid operation
// (found while compiling) answered "No" and "Sí", and the user-definitions
// dialog opened from the tools menu with the keyboard.
#include "programtest.h"

namespace {

using BoxesOnScreen = ProgramTest;

TEST_F(BoxesOnScreen, EscStopsALongSum)
{
    p.enter(QStringLiteral("5"));
    EXPECT_EQ(p.waitResult(QStringLiteral("5")), QStringLiteral("5"));
    // A sum of a trillion terms would run for hours: it shows how far it is,
    // and Esc stops it.
    p.enter(QStringLiteral("Sumatoria(1,1e12,n)"));
    p.key(QStringLiteral("Escape"));
    // A box that says so (the sum of constants stops while compiling) is
    // answered.
    QString shown;
    ASSERT_TRUE(ProgramDriver::waitUntil([&] {
        for (const QString& box : p.windows(QStringLiteral("^(Aviso|Sumbrix 2\\.84)$")))
            if (box != p.mainWindow())
                p.pressUntilGone(box, QStringLiteral("Return"), 5000);
        shown = p.resultText();
        return shown == QStringLiteral("Cálculo cancelado");
    })) << "the result box shows " << shown.toStdString();
    // The window calculates normally afterwards.
    p.enter(QStringLiteral("Sumatoria(1,100,n)"));
    EXPECT_EQ(p.waitResult(QStringLiteral("5050")), QStringLiteral("5050"));
    ASSERT_TRUE(p.closeByEsc()) << p.output().toStdString();
    // The stopped sum added no history pair.
    EXPECT_EQ(p.iniSection(QStringLiteral("Calculos")),
              (QStringList{QStringLiteral("0=Sumatoria(1,100,n)_0"), QStringLiteral("1=5050   _0"),
                           QStringLiteral("2=5_0"), QStringLiteral("3=5   _0")}));
}

TEST_F(BoxesOnScreen, AnInvalidOperationOffersTheComplexWindow)
{
    // Found while the constant is folded: "No" leaves everything as it was.
    p.enter(QStringLiteral("Raiz(-4)"));
    const QString offer = p.waitWindow(QStringLiteral("^Parametro no v..?lido$"));
    ASSERT_FALSE(offer.isEmpty());
    EXPECT_TRUE(p.clickUntilGone(offer, 50, 23));   // "No"
    EXPECT_TRUE(p.windows(QStringLiteral("^Complejos$")).isEmpty());

    // "Sí" opens the complex-number window with the expression.
    p.enter(QStringLiteral("(-4)^0.5"));
    const QString again = p.waitWindow(QStringLiteral("^Parametro no v..?lido$"));
    ASSERT_FALSE(again.isEmpty());
    EXPECT_TRUE(p.clickUntilGone(again, 137, 23));   // "Sí", left of "No"
    EXPECT_FALSE(p.waitWindow(QStringLiteral("^Complejos$")).isEmpty());
    ASSERT_TRUE(p.closeByEsc()) << p.output().toStdString();
    EXPECT_EQ(p.iniValue(QStringLiteral("Opciones"), QStringLiteral("Complejos")), QStringLiteral("1"));
    EXPECT_TRUE(p.iniSection(QStringLiteral("Calculos")).isEmpty());
}

TEST_F(BoxesOnScreen, TheUserDefinitionsDialogOpensFromTheToolsMenu)
{
    // F5 drops the tools menu; "c" is "&Constantes...". A key that reached
    // the menu before it was ready is tried again.
    QString dialog;
    for (int attempt = 0; attempt < 3 && dialog.isEmpty(); ++attempt) {
        p.keyInto(p.mainWindow(), QStringLiteral("F5"));
        p.key(QStringLiteral("c"));
        dialog = p.waitWindow(QStringLiteral("^Constantes$"), 5000);
    }
    ASSERT_FALSE(dialog.isEmpty()) << p.windows().join(QLatin1Char(' ')).toStdString();
    ASSERT_TRUE(p.pressUntilGone(dialog, QStringLiteral("Escape")));
    ASSERT_TRUE(p.closeByEsc()) << p.output().toStdString();
}

} // namespace
