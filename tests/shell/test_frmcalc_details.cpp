// The main window's finishing details, driven as a user drives them: the
// context-menu key's editing menu, help from the user-definitions dialog and
// from the names list, the colour scheme in the dialog and the on-screen
// keyboard.
#include "frmcalcfixture.h"

#include "controls/frmautocomp.h"
#include "controls/frmteclado.h"
#include "drawkit/drawkit.h"
#include "services/frmusuario.h"
#include "services/help.h"
#include "services/toolhost.h"
#include "support/iconpixels.h"

#include <QContextMenuEvent>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QToolButton>

namespace {

class DetailsTest : public FrmCalcTest {
protected:
    void openWithUserDefinitions()
    {
        QFile f(dir.filePath(QStringLiteral("real.duf")));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[Constantes]\r\nkk=3_mi constante\r\n[Funciones]\r\ndoble=2*?A_El doble\r\n");
        f.close();
        openNotFirstRun();
    }
    // Every help context asked for from now on.
    void recordHelp()
    {
        InstallF1Help();
        AppHelp().OnHelp = [this](unsigned command, long long data, bool& callHelp) {
            if (command == helpcmd::Context)
                asked.push_back(int(data));
            callHelp = false;
            return true;
        };
    }
    std::vector<int> asked;
};

TEST_F(DetailsTest, TheContextMenuKeyOpensTheEditingMenuEvenWhenThePlatformAsksForTheBoxMenu)
{
    openNotFirstRun();
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    w->cmbEdit->SetText(QStringLiteral("12+3"));
    for (QWidget* box : {static_cast<QWidget*>(w->cmbEdit->lineEdit()), static_cast<QWidget*>(w->Edit2)}) {
        SCOPED_TRACE(box->objectName().toStdString());
        box->setFocus();
        QWidget* focused = QApplication::focusWidget();
        ASSERT_TRUE(focused);
        // As the X server delivers the key: the key, then a context menu request
        // of keyboard reason to the focused control.
        QTest::keyClick(focused, Qt::Key_Menu);
        QContextMenuEvent request(QContextMenuEvent::Keyboard, QPoint(2, 2), focused->mapToGlobal(QPoint(2, 2)));
        QApplication::sendEvent(focused, &request);
        EXPECT_TRUE(w->PopupMenu1->isVisible());
        EXPECT_FALSE(w->PopupMenuX1->isVisible()) << "the box's own menu";
        EXPECT_FALSE(w->PopupMenuX2->isVisible());
        QStringList captions;
        for (QAction* a : w->PopupMenu1->actions())
            if (!a->isSeparator())
                captions << a->text();
        EXPECT_EQ(captions, (QStringList{QStringLiteral("&Copiar"), QStringLiteral("C&ortar"), QStringLiteral("&Pegar"),
                                         QStringLiteral("&Eliminar"), QStringLiteral("Seleccionar &todo")}));
        w->PopupMenu1->hide();
        // The request alone (another platform) opens it too.
        QApplication::sendEvent(focused, &request);
        EXPECT_TRUE(w->PopupMenu1->isVisible());
        EXPECT_FALSE(w->PopupMenuX1->isVisible());
        w->PopupMenu1->hide();
    }
    // A right click still opens the box's own menu.
    QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(2, 2), w->cmbEdit->lineEdit()->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(w->cmbEdit->lineEdit(), &click);
    EXPECT_TRUE(w->PopupMenuX1->isVisible());
    w->PopupMenuX1->hide();
}

TEST_F(DetailsTest, TheUserDefinitionsDialogFollowsTheSchemeAndF1OpensItsTopic)
{
    writeSettings("ClLuz=16777200\r\nClSombra=32768\r\nClTexto=255\r\nClFondo=65535\r\n");
    open();
    recordHelp();
    struct Case {
        int mode;
        int context;
    } cases[] = {{0, 18}, {1, 19}, {2, 19}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        asked.clear();
        w->RunDialog = [&](QDialog& d) {
            auto* dialog = dynamic_cast<TfmUsuario*>(&d);
            EXPECT_TRUE(dialog);
            if (!dialog)
                return int(TfmUsuario::mrCancel);
            dialog->show();
            EXPECT_EQ(dialog->lbox->palette().color(QPalette::Base), ToQColor(TColor(65535)));
            EXPECT_EQ(dialog->Def->palette().color(QPalette::Text), ToQColor(TColor(255)));
            EXPECT_EQ(dialog->desc->palette().color(QPalette::Base), ToQColor(TColor(65535)));
            for (QWidget* control : {static_cast<QWidget*>(dialog->Def), static_cast<QWidget*>(dialog->lbox)}) {
                control->setFocus();
                QTest::keyClick(control, Qt::Key_F1);
            }
            return int(TfmUsuario::mrCancel);
        };
        w->Constantes1Click(c.mode);
        EXPECT_EQ(asked, (std::vector<int>{c.context, c.context}));
    }
}

TEST_F(DetailsTest, F1InTheNamesListOpensTheTopicOfTheSelectedName)
{
    openWithUserDefinitions();
    recordHelp();
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    struct Case {
        const char* typed;
        const char* selected;   // the start of the selected entry
        int context;
    } cases[] = {{"kk", "kk", 18}, {"dobl", "doble(", 19}, {"rai", "Raiz(", 17}, {"pi", "Pi ", 17}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        asked.clear();
        QString selected;
        AutoComp().OnShown = [&](TfmAutoComp& list) {
            QTest::keyClicks(list.lb, QString::fromLatin1(c.typed));
            if (list.Selected() >= 0)
                selected = list.ItemText(list.Selected());
            QTest::keyClick(list.lb, Qt::Key_F1);
            QTest::keyClick(list.lb, Qt::Key_Escape);
        };
        w->cmbEdit->SetText(QString());
        w->cmbEdit->setFocus();
        QTest::keyClick(w->cmbEdit, Qt::Key_F2);
        AutoComp().OnShown = nullptr;
        EXPECT_TRUE(selected.startsWith(QString::fromLatin1(c.selected), Qt::CaseInsensitive)) << selected.toStdString();
        EXPECT_EQ(asked, std::vector<int>{c.context});
    }
}

TEST_F(DetailsTest, TheOnScreenKeyboardTakesTheSchemeColours)
{
    writeSettings("ClLuz=16777200\r\nClSombra=32768\r\n");
    open();
    TfmTeclado* keyboard = fmTeclado();
    ASSERT_TRUE(keyboard);
    EXPECT_EQ(keyboard->LightColor, TColor(16777200));
    EXPECT_EQ(keyboard->DarkColor, TColor(32768));
    // The background shows them: dark at the edges, light at 9 tenths.
    const QColor edge = keyboard->grab().toImage().pixelColor(0, 0);
    EXPECT_NEAR(edge.red(), 0, 3);
    EXPECT_NEAR(edge.green(), 128, 3);
    EXPECT_NEAR(edge.blue(), 0, 3);
    // A new scheme reaches it at once.
    auto& scheme = const_cast<TAppearance&>(w->Appearance());
    scheme.ClLuz = 0x101010;
    scheme.ClSombra = 0x202020;
    w->ApplySettings();
    EXPECT_EQ(keyboard->LightColor, TColor(0x101010));
    EXPECT_EQ(keyboard->DarkColor, TColor(0x202020));
}

TEST_F(DetailsTest, MenuSeparatorsShowTheirLineTwoPixelsBelowTheirTop)
{
    writeSettings("ClTexto=255\r\n");
    open();
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    for (QMenu* menu : {w->PopupMenu9, w->PopupMenu1}) {
        SCOPED_TRACE(menu->objectName().toStdString());
        menu->popup(w->mapToGlobal(QPoint(0, 0)));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
        const QImage shot = menu->grab().toImage();
        int separators = 0;
        for (QAction* a : menu->actions()) {
            if (!a->isSeparator() || !a->isVisible())
                continue;
            ++separators;
            const QRect r = menu->actionGeometry(a);
            ASSERT_GE(r.height(), 4);
            int line = 0;
            for (int x = r.left(); x <= r.right(); ++x)
                line += FromQColor(shot.pixelColor(x, r.top() + 2)) == TColor(255) ? 1 : 0;
            EXPECT_GT(line, r.width() * 3 / 4) << "the line across the item";
        }
        EXPECT_GE(separators, 1);
        menu->hide();
    }
}

TEST_F(DetailsTest, TheBottomBarShowsAPictureForEveryToolInTheSchemeTextColour)
{
    // The tools of the program, as their windows register them.
    const char* const buttons[] = {"SpeedButton6", "SpeedButton2", "SpeedButton4", "SpeedButton5",
                                   "SpeedButton3", "SpeedButton9", "SpeedButton10", "SpeedButton11",
                                   "SpeedButton13", "SpeedButton12", "SpeedButton14"};
    int order = 0;
    for (const char* button : buttons) {
        TMainExtensions::Tool tool;
        tool.Name = QStringLiteral("fm") + QString::fromLatin1(button);
        tool.Caption = tool.Name;
        tool.ButtonName = QString::fromLatin1(button);
        tool.ButtonText = QStringLiteral("Est");
        tool.Hint = QStringLiteral("Herramienta\r\n") + tool.ButtonName;
        tool.MenuOrder = ++order;
        MainExtensions().Tools.push_back(tool);
    }
    writeSettings("ClTexto=200\r\n");
    open();
    auto pixelsOf = [](const QToolButton* b, TColor colour) { return IconPixelsOf(b->icon(), colour); };
    const std::vector<TMainExtensions::Tool>& tools = MainExtensions().Tools;
    for (const TMainExtensions::Tool& tool : tools) {
        SCOPED_TRACE(tool.ButtonName.toStdString());
        auto* b = w->findChild<QToolButton*>(tool.ButtonName);
        ASSERT_TRUE(b);
        EXPECT_FALSE(b->icon().isNull());
        EXPECT_EQ(b->toolButtonStyle(), Qt::ToolButtonIconOnly) << "a picture, not \"" << b->text().toStdString() << "\"";
        EXPECT_EQ(b->toolTip(), QString(tool.Hint).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
        EXPECT_GT(pixelsOf(b, TColor(200)), 4);
    }
    // A new text colour reaches the pictures.
    auto& scheme = const_cast<TAppearance&>(w->Appearance());
    scheme.ClTexto = 0x00A000;
    w->ApplySettings();
    for (const TMainExtensions::Tool& tool : tools) {
        SCOPED_TRACE(tool.ButtonName.toStdString());
        const auto* b = w->findChild<QToolButton*>(tool.ButtonName);
        EXPECT_GT(pixelsOf(b, TColor(0x00A000)), 4);
        EXPECT_EQ(pixelsOf(b, TColor(200)), 0);
    }
}

TEST_F(DetailsTest, ACallTypedOutInTheExpressionBoxIsNotSpoiledByTheNamesList)
{
    openNotFirstRun();
    ASSERT_TRUE(AutoComp().AutoCompleteOn);
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    int runs = 0;
    AutoComp().OnShown = [&](TfmAutoComp& list) {
        ++runs;
        QTest::keyClicks(list.lb, QStringLiteral("aiz"));
        QTest::keyClick(list.lb, '(');
    };
    w->cmbEdit->SetText(QString());
    w->cmbEdit->setFocus();
    QTest::keyClicks(w->cmbEdit, QStringLiteral("R"));
    AutoComp().OnShown = nullptr;
    ASSERT_EQ(runs, 1);
    EXPECT_EQ(w->cmbEdit->Text(), QStringLiteral("raiz()"));
    EXPECT_EQ(w->cmbEdit->SelStart(), 5);
    QTest::keyClicks(w->cmbEdit, QStringLiteral("16)+1"));
    EXPECT_EQ(w->cmbEdit->Text(), QStringLiteral("raiz(16)+1"));
    QTest::keyClick(w->cmbEdit, Qt::Key_Return);
    EXPECT_EQ(result(), QStringLiteral("5"));
}

} // namespace
