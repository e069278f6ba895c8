// Menu items drawn in the colour scheme: the split gradient, the selected
// item's vertical gradient or highlight, the separator line, the checked
// item's green ball and bold caption, the embossed caption, the disabled
// colour and the wide menus.
#include "controls/menudraw.h"

#include "drawkit/drawkit.h"

#include <QApplication>
#include <QImage>
#include <QMenu>
#include <QPainter>
#include <QStyleOptionMenuItem>

#include <gtest/gtest.h>

namespace {

constexpr int kW = 200;
constexpr int kH = 22;

class MenuDrawTest : public ::testing::Test {
protected:
    QImage draw(TMenuItemStyle::Kind kind, const QString& text, bool selected = false, bool checked = false,
                bool enabled = true, QStyleOptionMenuItem::MenuItemType type = QStyleOptionMenuItem::Normal)
    {
        TMenuItemStyle style(scheme, kind);
        QStyleOptionMenuItem item;
        item.rect = QRect(0, 0, kW, kH);
        item.text = text;
        item.font = QApplication::font();
        item.palette = QApplication::palette();
        item.menuItemType = type;
        item.checkType = QStyleOptionMenuItem::NonExclusive;
        item.checked = checked;
        item.state = QStyle::State_None;
        if (enabled)
            item.state |= QStyle::State_Enabled;
        if (selected)
            item.state |= QStyle::State_Selected;
        QImage image(kW, kH, QImage::Format_RGB32);
        image.fill(Qt::black);
        QPainter p(&image);
        style.DrawItem(p, item);
        return image;
    }
    static QColor at(const QImage& image, int x, int y) { return image.pixelColor(x, y); }
    // The gradients come in bands: a colour within a few steps.
    static bool near(const QColor& a, const QColor& b, int tolerance = 12)
    {
        return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
               std::abs(a.blue() - b.blue()) <= tolerance;
    }
    // Pixels from x = `from` on near the colour (text is smoothed).
    static int count(const QImage& image, const QColor& colour, int from = 20)
    {
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = from; x < image.width(); ++x)
                n += near(image.pixelColor(x, y), colour, 40);
        return n;
    }
    TMenuScheme scheme{0xF7F7F7, 0xAF7020, 0x101010, 0x40E0E0};
};

TEST_F(MenuDrawTest, BackgroundIsASplitGradientThatRunsDownWhenSelected)
{
    const QColor luz = ToQColor(scheme.Luz), sombra = ToQColor(scheme.Sombra);
    const QImage plain = draw(TMenuItemStyle::kPlain, QString());
    EXPECT_TRUE(near(at(plain, kW * 3 / 10, kH / 2), luz));
    EXPECT_TRUE(near(at(plain, 0, kH / 2), sombra));
    EXPECT_TRUE(near(at(plain, kW - 1, kH / 2), sombra));
    EXPECT_FALSE(near(at(plain, kW * 3 / 4, kH / 2), luz));
    // Selected: the split lies across the height.
    const QImage selected = draw(TMenuItemStyle::kPlain, QString(), true);
    EXPECT_TRUE(near(at(selected, kW / 2, 0), sombra, 40));
    const int split = kH * 3 / 10;
    EXPECT_EQ(at(selected, 5, split), at(selected, kW - 5, split));
    EXPECT_TRUE(near(at(selected, kW / 2, split), luz));
    EXPECT_TRUE(near(at(selected, kW / 2, kH - 1), sombra, 40));
}

TEST_F(MenuDrawTest, EqualLightAndDarkColoursSelectInTheHighlightColour)
{
    scheme.Sombra = scheme.Luz;
    const QColor highlight = QApplication::palette().color(QPalette::Highlight);
    EXPECT_EQ(at(draw(TMenuItemStyle::kPlain, QString(), true), 3, 3), highlight);
    EXPECT_NE(at(draw(TMenuItemStyle::kPlain, QString(), false), 3, 3), highlight);
    // The conversion menu keeps its gradient.
    EXPECT_NE(at(draw(TMenuItemStyle::kConversion, QString(), true), 3, 3), highlight);
}

TEST_F(MenuDrawTest, SeparatorIsALineTwoPixelsBelowTheTop)
{
    const QImage image = draw(TMenuItemStyle::kPlain, QString(), false, false, true, QStyleOptionMenuItem::Separator);
    const QColor text = ToQColor(scheme.Texto);
    EXPECT_EQ(at(image, 10, 2), text);
    EXPECT_EQ(at(image, kW - 10, 2), text);
    EXPECT_NE(at(image, 10, 5), text);
}

TEST_F(MenuDrawTest, CheckedItemShowsAGreenBallAndABoldCaption)
{
    const QImage checked = draw(TMenuItemStyle::kPlain, QStringLiteral("Radianes"), false, true);
    const QImage plain = draw(TMenuItemStyle::kPlain, QStringLiteral("Radianes"));
    // The ball: white-ish at its centre, green towards its edge.
    const QColor centre = at(checked, kH / 2, kH / 2);
    const QColor edge = at(checked, 5, kH / 2);
    EXPECT_GT(centre.red(), edge.red() + 60);
    EXPECT_LT(edge.red(), 90);
    EXPECT_GT(edge.green(), edge.red() + 40);
    EXPECT_NE(at(plain, kH / 2, kH / 2), centre);
    // Bold writes more ink.
    const QColor text = ToQColor(scheme.Texto);
    EXPECT_GT(count(checked, text), count(plain, text));
}

TEST_F(MenuDrawTest, CaptionIsEmbossedAndDisabledItemsAreGrey)
{
    const QImage image = draw(TMenuItemStyle::kPlain, QStringLiteral("&Copiar\tCtrl+C"));
    EXPECT_GT(count(image, ToQColor(scheme.Texto)), 20);
    EXPECT_GT(count(image, ToQColor(scheme.Fondo)), 5);   // the shade below and right
    // Nothing is written left of x = 19.
    EXPECT_EQ(count(image, ToQColor(scheme.Texto), 0), count(image, ToQColor(scheme.Texto), 19));
    // The shortcut is right-aligned.
    int rightmost = 0;
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x)
            if (image.pixelColor(x, y) == ToQColor(scheme.Texto))
                rightmost = std::max(rightmost, x);
    EXPECT_GT(rightmost, kW - 40);

    const QImage disabled = draw(TMenuItemStyle::kPlain, QStringLiteral("Pegar"), false, false, false);
    EXPECT_EQ(count(disabled, ToQColor(scheme.Texto)), 0);
    EXPECT_GT(count(disabled, QApplication::palette().color(QPalette::Disabled, QPalette::Text)), 10);
    // The conversion menu writes from x = 2 and never greys.
    const QImage conversion = draw(TMenuItemStyle::kConversion, QStringLiteral("Pegar"), false, false, false);
    EXPECT_GT(count(conversion, ToQColor(scheme.Texto), 0), count(conversion, ToQColor(scheme.Texto), 15));
}

TEST_F(MenuDrawTest, WideMenusAndTheirSubMenusMakeItems160PixelsWide)
{
    QMenu menu, plain;
    QMenu* sub = menu.addMenu(QStringLiteral("M0"));
    sub->addAction(QStringLiteral("Sumar"));
    plain.addAction(QStringLiteral("Sumar"));
    {
        TMenuDrawing drawing;
        drawing.Attach(&menu, TMenuDrawing::kWide);
        drawing.Attach(&plain);
        EXPECT_TRUE(dynamic_cast<TMenuItemStyle*>(sub->style()));
        sub->ensurePolished();
        EXPECT_GE(sub->sizeHint().width(), 160);
        EXPECT_LT(plain.sizeHint().width(), 160);
        // A sub-menu added later is drawn too once the menu shows.
        QMenu* later = menu.addMenu(QStringLiteral("M1"));
        emit menu.aboutToShow();
        EXPECT_TRUE(dynamic_cast<TMenuItemStyle*>(later->style()));
    }
    // The drawing gone, the menus are back on the application's style.
    EXPECT_FALSE(dynamic_cast<TMenuItemStyle*>(sub->style()));
}

} // namespace

TEST_F(MenuDrawTest, TheConversionMenuWritesItsPreviewsInBold)
{
    // The same item in a conversion menu: as a conversion with its preview
    // (data 0 or more), and as a fixed item with its shortcut text (data -100).
    TMenuDrawing drawing;
    drawing.SetScheme(scheme);
    auto shot = [&](int data) {
        QMenu menu;
        QAction* a = menu.addAction(QStringLiteral("a metro\t   8.888"));
        a->setData(data);
        drawing.Attach(&menu, TMenuDrawing::kConversion);
        menu.popup(QPoint(0, 0));
        const QImage image = menu.grab(menu.actionGeometry(a)).toImage();
        menu.hide();
        return image;
    };
    const QImage preview = shot(0);
    const QImage plain = shot(-100);
    ASSERT_EQ(preview.size(), plain.size());
    // Only the right part (the preview) differs, and it is heavier.
    const int half = preview.width() / 2;
    const QColor text = ToQColor(scheme.Texto);
    EXPECT_EQ(count(preview.copy(0, 0, half, preview.height()), text, 0),
              count(plain.copy(0, 0, half, plain.height()), text, 0));
    EXPECT_GT(count(preview, text, half), count(plain, text, half) * 5 / 4);
}
