// Dialogs of the built program on a real X server, each opened as a user
// opens it: the about box from the help button's menu, the unit-definitions
// editor from the conversion menu (F10), and the polynomial window's grid of
// variable values (Ctrl+E), whose typed value the evaluation uses.
#include "programtest.h"

namespace {

using DialogsOnScreen = ProgramTest;

// The help button's middle, from the main window's top right corner.
constexpr int kHelpFromRight = 53;
constexpr int kHelpFromTop = 44;

// Opens a menu with `open` and takes its last item with the keyboard (Up from
// no item goes to the last one) until a window matching `title` shows. A key
// that reached the menu before it was ready is tried again.
QString openFromMenuEnd(ProgramDriver& p, const std::function<void()>& open, const QString& title)
{
    QString dialog;
    for (int attempt = 0; attempt < 3 && dialog.isEmpty(); ++attempt) {
        open();
        p.key(QStringLiteral("Up Return"));
        dialog = p.waitWindow(title, 10000);
    }
    return dialog;
}

TEST_F(DialogsOnScreen, TheAboutBoxOpensFromTheHelpButton)
{
    // The help button "?" is the last of the tool row under the expression
    // box, at the window's right edge.
    const QString about = openFromMenuEnd(
        p,
        [&] {
            const QRect main = p.geometry(p.mainWindow());
            p.click(main.right() - kHelpFromRight, main.top() + kHelpFromTop);
        },
        QStringLiteral("^Acerca de\\.\\.\\.$"));
    ASSERT_FALSE(about.isEmpty()) << p.windows().join(QLatin1Char(' ')).toStdString();
    // Its "Aceptar", at the middle of its bottom, closes it.
    EXPECT_TRUE(p.clickUntilGone(about, 124, 30));
    ASSERT_TRUE(p.closeByEsc()) << p.output().toStdString();
}

TEST_F(DialogsOnScreen, TheUnitEditorOpensFromTheConversionMenu)
{
    // "Editar unidades..." is the conversion menu's last item.
    const QString editor = openFromMenuEnd(
        p, [&] { p.keyInto(p.mainWindow(), QStringLiteral("F10")); }, QStringLiteral("^Magnitudes y unidades$"));
    ASSERT_FALSE(editor.isEmpty()) << p.windows().join(QLatin1Char(' ')).toStdString();
    EXPECT_TRUE(p.pressUntilGone(editor, QStringLiteral("Escape")));
    ASSERT_TRUE(p.closeByEsc()) << p.output().toStdString();
}

TEST_F(DialogsOnScreen, ThePolynomialValueGridFeedsTheEvaluation)
{
    p.keyInto(p.mainWindow(), QStringLiteral("ctrl+p"));
    const QString poly = p.waitWindow(QStringLiteral("^Polinomios$"));
    ASSERT_FALSE(poly.isEmpty());
    // P(x) takes the keys when the window opens: x²-1, whose only letter is x.
    p.typeInto(poly, QStringLiteral("x2-1"));
    QString grid;
    for (int attempt = 0; attempt < 3 && grid.isEmpty(); ++attempt) {
        p.keyInto(poly, QStringLiteral("ctrl+e"));
        grid = p.waitWindow(QStringLiteral("^Reemplazar Variables$"), 10000);
    }
    ASSERT_FALSE(grid.isEmpty()) << p.windows().join(QLatin1Char(' ')).toStdString();
    // The value cell is being edited: 3 for x, Enter accepts.
    ASSERT_TRUE(p.answerUntilGone(grid, QStringLiteral("3")));

    // The results memo shows P(3) on its first line, under the button row:
    // three clicks select the line, which X offers as its primary selection.
    QString shown;
    EXPECT_TRUE(ProgramDriver::waitUntil([&] {
        const QRect r = p.geometry(poly);
        ProgramDriver::run(QStringLiteral("xdotool"),
                           {QStringLiteral("mousemove"), QStringLiteral("--sync"), QString::number(r.left() + 100),
                            QString::number(r.top() + 121), QStringLiteral("click"), QStringLiteral("--repeat"),
                            QStringLiteral("3"), QStringLiteral("1"), QStringLiteral("mousemove"), QStringLiteral("1"),
                            QStringLiteral("1")});
        shown = ProgramDriver::run(QStringLiteral("xclip"), {QStringLiteral("-o"), QStringLiteral("-selection"),
                                                            QStringLiteral("primary")})
                    .trimmed();
        return shown == QStringLiteral("8");
    }, 5000)) << "the memo shows " << shown.toStdString();
    ASSERT_TRUE(p.closeByEsc()) << p.output().toStdString();
}

} // namespace
