// The matrix window on a real X server: every tool-bar button shows at the
// default size, the status shows the current cell or nothing, and the scalar
// prompt opens over the window and takes the first Enter.
#include "windowfixture.h"

#include "controls/comboexpr.h"
#include "controls/frmautocomp.h"
#include "controls/stringgridx.h"
#include "services/frminput.h"
#include "tools/matrices/window/frmmatriz.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

namespace {

class MatrizScreen : public ScreenWindowTest {};

TEST_F(MatrizScreen, EveryToolButtonShowsAtTheDefaultSize)
{
    TfmMatriz w(host, nullptr);
    place(&w);
    const screencheck::Faults faults = screencheck::check(&w, QStringLiteral("matriz_default"));
    EXPECT_TRUE(faults.empty()) << ::testing::PrintToString(faults);
    QWidget* bar = w.findChild<QWidget*>(QStringLiteral("ToolBar1"));
    ASSERT_NE(bar, nullptr);
    const QList<QToolButton*> buttons = bar->findChildren<QToolButton*>();
    ASSERT_GE(buttons.size(), 15);
    for (const QToolButton* b : buttons) {
        if (b->objectName() == QStringLiteral("qt_toolbar_ext_button"))
            EXPECT_FALSE(b->isVisible()) << "the tool bar hides buttons behind its overflow button";
        else if (!b->objectName().isEmpty())
            EXPECT_TRUE(b->isVisible()) << b->objectName().toStdString();
    }
}

TEST_F(MatrizScreen, TheStatusShowsTheCurrentCellOrNothing)
{
    TfmMatriz w(host, nullptr);
    place(&w);
    screencheck::showAndSettle(&w);
    const QLabel* position = w.findChild<QLabel*>(QStringLiteral("StatusPanel0"));
    ASSERT_NE(position, nullptr);
    EXPECT_FALSE(position->text().contains(QStringLiteral("-1"))) << position->text().toStdString();
    TStringGridX* ga = w.findChild<TStringGridX*>(QStringLiteral("ga"));
    QTest::mouseClick(ga->viewport(), Qt::LeftButton, {}, ga->visualRect(ga->model()->index(2, 1)).center());
    EXPECT_EQ(position->text(), QStringLiteral("A [2,1]"));
}

TEST_F(MatrizScreen, TheScalarPromptOpensOverTheWindowAndEnterAccepts)
{
    // Names are offered while typing, as the program starts.
    AutoComp().AutoCompleteOn = true;
    // The shared prompt belongs to the main window, elsewhere on the screen.
    QWidget main;
    main.setGeometry(800, 600, 400, 300);
    main.show();
    fmInput = new TfmInput(&main);
    TfmMatriz w(host, nullptr);
    place(&w);
    screencheck::showAndSettle(&w);
    TStringGridX* ga = w.findChild<TStringGridX*>(QStringLiteral("ga"));
    ga->SetCell(1, 1, QStringLiteral("2"));
    QTest::mouseClick(ga->viewport(), Qt::LeftButton, {}, ga->visualItemRect(ga->item(1, 1)).center());

    bool seen = false, over = false, acceptedByEnter = false;
    screencheck::Faults faults;
    // The prompt is modal: it is answered from the event loop it runs.
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<TfmInput*>(QApplication::activeModalWidget());
        if (!box)
            return;
        seen = true;
        screencheck::showAndSettle(box);
        over = w.frameGeometry().contains(box->frameGeometry().center());
        faults = screencheck::check(box, QStringLiteral("matriz_escalar"));
        // Typed on the keyboard, through the X server.
        QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("type"), QStringLiteral("3")});
        screencheck::settle(box);
        QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("Return")});
        QTest::qWait(50);
        acceptedByEnter = !box->isVisible();
        if (box->isVisible())
            box->reject();
    });
    QToolButton* scalar = w.findChild<QToolButton*>(QStringLiteral("ToolButton18"));
    ASSERT_NE(scalar, nullptr);
    QTest::mouseClick(scalar, Qt::LeftButton);
    ASSERT_TRUE(seen);
    EXPECT_TRUE(over) << "the prompt opens away from the window";
    EXPECT_TRUE(faults.empty()) << ::testing::PrintToString(faults);
    EXPECT_TRUE(acceptedByEnter) << "the first Enter did not accept the prompt";
    TStringGridX* gr = w.findChild<TStringGridX*>(QStringLiteral("gr"));
    EXPECT_EQ(gr->Cell(1, 1), QStringLiteral("6"));
    delete fmInput;
    FreeAutoComp();
}

} // namespace
