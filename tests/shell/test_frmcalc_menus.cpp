// The main window's help menu, the tools menu's items for the notification
// area, and its menus drawn in the colour scheme.
#include "frmcalcfixture.h"

#include "controls/menudraw.h"
#include "controls/pvlurl.h"
#include "platform/shell.h"
#include "services/formulaview.h"

#include <QAction>
#include <QDialog>
#include <QMenu>
#include <QTimer>
#include <QPainter>
#include <QStyleOptionMenuItem>
#include <QToolButton>
#include <QUrl>

namespace {

class RecordingShell : public ShellService {
public:
    bool OpenUrl(const QUrl& url) override
    {
        opened.append(url);
        return true;
    }
    bool StartProgram(const QString&, const QStringList&, const QString&) override { return true; }
    QList<QUrl> opened;
};

class MenusTest : public FrmCalcTest {
protected:
    void SetUp() override
    {
        FrmCalcTest::SetUp();
        SetShellService(&shell);
        TpvlUrl::services().HtmOpenCommand = [] { return std::optional<QString>(QStringLiteral("navegador")); };
        TpvlUrl::services().Run = [this](const QString&, const QString& url, int) {
            browsed.append(url);
            return true;
        };
        openNotFirstRun();
    }
    void TearDown() override
    {
        SetShellService(nullptr);
        TpvlUrl::reset();
        FrmCalcTest::TearDown();
    }
    QAction* action(const char* name) const { return w->findChild<QAction*>(QString::fromLatin1(name)); }
    void popup(QMenu* menu) { emit menu->aboutToShow(); }
    RecordingShell shell;
    QStringList browsed;
};

TEST_F(MenusTest, HelpMenuOffersWhatIsInstalled)
{
    ASSERT_EQ(w->btnAyuda->menu(), w->PopupMenu9);
    EXPECT_EQ(w->btnAyuda->toolTip(), QStringLiteral("Ayuda (F1)"));
    // The window installs help, tips and the about box; without them their
    // items are not offered.
    popup(w->PopupMenu9);
    EXPECT_TRUE(action("Contenido1")->isVisible());
    EXPECT_TRUE(action("Acercade1")->isVisible());
    w->OnHelpContext = nullptr;
    w->OnShowTips = nullptr;
    w->OnAbout = nullptr;
    popup(w->PopupMenu9);
    EXPECT_FALSE(action("Contenido1")->isVisible());
    EXPECT_FALSE(action("Sabaque1")->isVisible());
    EXPECT_FALSE(action("Acercade1")->isVisible());
    EXPECT_TRUE(action("BuscarActualizaciones1")->isVisible());
    EXPECT_TRUE(action("Contactarme1")->isVisible());

    QList<int> contexts;
    int tips = 0, about = 0;
    w->OnHelpContext = [&](int c) { contexts.append(c); };
    w->OnShowTips = [&] { ++tips; };
    w->OnAbout = [&] { ++about; };
    popup(w->PopupMenu9);
    for (const char* name : {"Contenido1", "Sabaque1", "Acercade1"}) {
        EXPECT_TRUE(action(name)->isVisible()) << name;
        action(name)->trigger();
    }
    EXPECT_EQ(contexts, QList<int>{1});
    EXPECT_EQ(tips, 1);
    EXPECT_EQ(about, 1);
}

TEST_F(MenusTest, UpdatesOpenTheWebPageAndContactOpensTheMailFile)
{
    action("BuscarActualizaciones1")->trigger();
    EXPECT_EQ(browsed, QStringList{TfrmCalcu::kWebPage});

    // No mail file beside the program: said, nothing opened.
    action("Contactarme1")->trigger();
    ASSERT_EQ(sink.count(), 1);
    EXPECT_TRUE(sink.last().text.contains(QStringLiteral("sumbrix.eml")));
    EXPECT_TRUE(shell.opened.isEmpty());

    QFile mail(dir.filePath(QStringLiteral("sumbrix.eml")));
    ASSERT_TRUE(mail.open(QIODevice::WriteOnly));
    mail.close();
    action("Contactarme1")->trigger();
    ASSERT_EQ(shell.opened.size(), 1);
    EXPECT_EQ(shell.opened[0].toLocalFile(), QFileInfo(mail).absoluteFilePath());
    EXPECT_EQ(sink.count(), 1);
}

TEST_F(MenusTest, NotificationAreaItemsShowOnlyWhileThere)
{
    popup(w->PopupMenu7);
    EXPECT_FALSE(w->Sumbrix1->isVisible());
    EXPECT_FALSE(w->N1->isVisible());
    EXPECT_FALSE(w->Salir1->isVisible());
    EXPECT_TRUE(w->Configurar1->menuAction()->isVisible());
    // "Sumbrix" heads the menu, "Salir" ends it.
    EXPECT_EQ(w->PopupMenu7->actions().first(), w->Sumbrix1);
    EXPECT_EQ(w->PopupMenu7->actions().last(), w->Salir1);
    EXPECT_TRUE(w->Sumbrix1->isChecked());
}

TEST_F(MenusTest, EveryMenuDrawsInTheSchemeAndTheMemoryMenuIsWide)
{
    for (QMenu* menu : {w->PopupMenu1, w->PopupMenu2, w->PopupMenu3, w->PopupMenu4, w->PopupMenu5, w->PopupMenu7,
                        w->PopupMenu8, w->PopupMenu9, w->PopupMenuX1, w->PopupMenuX2, w->MenuLista,
                        w->FormulaView->MenuMeta, w->Configurar1})
        EXPECT_TRUE(dynamic_cast<TMenuItemStyle*>(menu->style())) << menu->objectName().toStdString();
    QMenu* m3 = w->findChild<QMenu*>(QStringLiteral("M3"));
    ASSERT_TRUE(m3);
    m3->ensurePolished();
    EXPECT_GE(m3->sizeHint().width(), 160);
    EXPECT_GE(w->PopupMenu5->sizeHint().width(), 160);
}

TEST_F(MenusTest, CtrlOAndTheMenuItemOpenTheOptionsDialog)
{
    QStringList seen;
    auto closeWhenShown = [&] {
        QTimer::singleShot(0, [&] {
            if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                seen << d->objectName();
                d->reject();
            }
        });
    };
    closeWhenShown();
    QTest::keyClick(w->cmbEdit, Qt::Key_O, Qt::ControlModifier);
    closeWhenShown();
    action("Opciones1")->trigger();
    ASSERT_EQ(seen.size(), 2);
    EXPECT_EQ(seen[0], seen[1]);
    EXPECT_FALSE(seen[0].isEmpty());
}

TEST_F(MenusTest, ThePictureMenuExports)
{
    enter(QStringLiteral("1/2"));
    w->FormulaView->UpdateMenu();
    QAction* exportItem = nullptr;
    for (QAction* a : w->FormulaView->MenuMeta->actions())
        if (a->text().remove(QLatin1Char('&')) == QStringLiteral("Exportar"))
            exportItem = a;
    ASSERT_TRUE(exportItem);
    EXPECT_TRUE(exportItem->isVisible());
    EXPECT_TRUE(exportItem->isEnabled());
    EXPECT_TRUE(w->CanExportPicture());
}

TEST_F(MenusTest, MenusTakeTheSchemeOfTheSettings)
{
    w.reset();
    writeSettings("ClLuz=255\r\nClSombra=65280\r\n");   // red light, green dark
    open();
    auto* style = dynamic_cast<TMenuItemStyle*>(w->PopupMenu4->style());
    ASSERT_TRUE(style);
    QStyleOptionMenuItem item;
    item.rect = QRect(0, 0, 100, 20);
    item.menuItemType = QStyleOptionMenuItem::Normal;
    item.state = QStyle::State_Enabled;
    QImage image(100, 20, QImage::Format_RGB32);
    QPainter p(&image);
    style->DrawItem(p, item);
    p.end();
    EXPECT_GT(image.pixelColor(30, 10).red(), 240);
    EXPECT_LT(image.pixelColor(30, 10).green(), 15);
    EXPECT_GT(image.pixelColor(99, 10).green(), 200);
}

} // namespace
