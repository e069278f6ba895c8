// The tool windows of the built program on a real X server: each one opened
// with its Ctrl key and closed with it again, and a tool window moved and
// sized, left open while the program closes, and found at the same place at
// the next start.
#include "programtest.h"

namespace {

class ToolsOnScreen : public ProgramTest {
protected:
    QString openTitles() const
    {
        QStringList out;
        for (const QString& id : p.windows())
            out << p.windowName(id);
        return out.join(QStringLiteral(", "));
    }
};

TEST_F(ToolsOnScreen, EveryToolWindowOpensAndClosesWithItsKey)
{
    struct Case {
        const char* key;
        const char* title;   // a regular expression of the window title's beginning
    } cases[] = {
        {"ctrl+f", "^Administrador de F..?rmulas"},
        {"ctrl+m", "^Matrices"},
        {"ctrl+r", "^Primos"},
        {"ctrl+t", "^Fechas y Tiempo"},
        {"ctrl+u", "^Conversor instant..?neo"},
        {"ctrl+e", "^Estad..?sticas"},
        {"ctrl+q", "^Fracciones"},
        {"ctrl+j", "^Complejos"},
        {"ctrl+p", "^Polinomios"},
        {"ctrl+s", "^Sucesiones"},
        {"ctrl+b", "^Tabla Peri..?dica de los Elementos"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        p.keyInto(p.mainWindow(), QString::fromLatin1(c.key));
        const QString id = p.waitWindow(QString::fromUtf8(c.title));
        ASSERT_FALSE(id.isEmpty()) << "no window " << c.title << "; open: " << openTitles().toStdString();
        // The same key on the main window closes it again.
        p.keyInto(p.mainWindow(), QString::fromLatin1(c.key));
        EXPECT_TRUE(p.waitGone(id));
    }
    // Only the main window is left.
    EXPECT_EQ(p.windows(), QStringList{p.mainWindow()});
    ASSERT_TRUE(p.closeByEsc()) << p.output().toStdString();
    // None of them reopens at the next start.
    for (const char* flag : {"Conversor", "Formulas", "Primos", "Fechas", "Matrices", "Estadisticas", "Fracciones",
                             "Complejos", "Polinomios", "TablaPer"})
        EXPECT_EQ(p.iniValue(QStringLiteral("Opciones"), QString::fromLatin1(flag)), QStringLiteral("0")) << flag;
}

TEST_F(ToolsOnScreen, AToolWindowOpenAtCloseKeepsItsPlace)
{
    p.keyInto(p.mainWindow(), QStringLiteral("ctrl+u"));
    const QString id = p.waitWindow(QStringLiteral("^Conversor instant..?neo$"));
    ASSERT_FALSE(id.isEmpty());
    const QRect before = p.geometry(id);
    // Moved and sized as a window manager would.
    const QRect wanted(before.left() > 200 ? 40 : 300, 500, before.width() + 30, before.height() + 20);
    ProgramDriver::run(QStringLiteral("xdotool"), {QStringLiteral("windowmove"), QStringLiteral("--sync"), id,
                                                   QString::number(wanted.left()), QString::number(wanted.top())});
    ProgramDriver::run(QStringLiteral("xdotool"), {QStringLiteral("windowsize"), QStringLiteral("--sync"), id,
                                                   QString::number(wanted.width()), QString::number(wanted.height())});
    ASSERT_TRUE(ProgramDriver::waitUntil([&] { return p.geometry(id) == wanted; }))
        << "the window is at " << p.geometry(id).x() << "," << p.geometry(id).y();

    // The program closes with the converter still open.
    ASSERT_TRUE(p.closeByEsc()) << p.output().toStdString();
    EXPECT_EQ(p.iniValue(QStringLiteral("Opciones"), QStringLiteral("Conversor")), QStringLiteral("1"));
    const QStringList place = p.iniSection(QStringLiteral("PosfmConver"));
    EXPECT_TRUE(place.contains(QStringLiteral("First=0"))) << place.join(QLatin1Char(' ')).toStdString();
    EXPECT_TRUE(place.contains(QStringLiteral("Left=") + QString::number(wanted.left())));
    EXPECT_TRUE(place.contains(QStringLiteral("Top=") + QString::number(wanted.top())));
    EXPECT_TRUE(place.contains(QStringLiteral("Width=") + QString::number(wanted.width())));

    // The next start opens it again where it was.
    ASSERT_TRUE(p.start()) << p.error().toStdString();
    const QString again = p.waitWindow(QStringLiteral("^Conversor instant..?neo$"));
    ASSERT_FALSE(again.isEmpty());
    EXPECT_TRUE(ProgramDriver::waitUntil([&] { return p.geometry(again) == wanted; }, 5000))
        << "it came back at " << p.geometry(again).x() << "," << p.geometry(again).y() << " "
        << p.geometry(again).width() << "x" << p.geometry(again).height();
    ASSERT_TRUE(p.closeByEsc());
}

} // namespace
