#include "controls/menudraw.h"

#include "drawkit/drawkit.h"
#include "drawkit/gradients.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QPainter>
#include <QStyleOptionMenuItem>

namespace {

constexpr int kWideWidth = 160;
constexpr int kSeparatorHeight = 6;
constexpr TColor kWhite = 0xFFFFFF;
constexpr TColor kGreen = 0x008000;

} // namespace

TMenuItemStyle::TMenuItemStyle(const TMenuScheme& scheme, Kind kind) : m_scheme(scheme), m_kind(kind) {}

void TMenuItemStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                                 const QWidget* widget) const
{
    if (element == CE_MenuItem) {
        if (const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option)) {
            if (item->menuItemType == QStyleOptionMenuItem::Normal ||
                item->menuItemType == QStyleOptionMenuItem::SubMenu ||
                item->menuItemType == QStyleOptionMenuItem::Separator) {
                // The conversion menu's items with a tag of 0 or more carry
                // a preview of their conversion.
                bool preview = false;
                if (m_kind == kConversion)
                    if (const auto* menu = qobject_cast<const QMenu*>(widget))
                        if (const QAction* a = menu->actionAt(item->rect.center()))
                            preview = a->data().isValid() && a->data().toInt() >= 0;
                painter->save();
                DrawItem(*painter, *item, preview);
                painter->restore();
                return;
            }
        }
    }
    QProxyStyle::drawControl(element, option, painter, widget);
}

QSize TMenuItemStyle::sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                                       const QWidget* widget) const
{
    QSize s = QProxyStyle::sizeFromContents(type, option, size, widget);
    if (type == CT_MenuItem) {
        const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
        if (item && item->menuItemType != QStyleOptionMenuItem::Separator) {
            // Room for the caption at x = 20, its shortcut and the bold face.
            QFont bold = item->font;
            bold.setBold(true);
            const QString caption = item->text.section(QLatin1Char('\t'), 0, 0);
            const QString shortcut = item->text.section(QLatin1Char('\t'), 1);
            const QFontMetrics fm(bold);
            int wanted = 20 + fm.horizontalAdvance(QString(caption).remove(QLatin1Char('&'))) + 16;
            if (!shortcut.isEmpty())
                wanted += fm.horizontalAdvance(shortcut) + 16;
            if (item->menuItemType == QStyleOptionMenuItem::SubMenu)
                wanted += 16;
            s.setWidth(std::max(s.width(), wanted));
            s.setHeight(std::max(s.height(), fm.height() + 6));
        }
        // A separator's line lies 2 pixels below its top: the item is high
        // enough to show it with room under it.
        if (item && item->menuItemType == QStyleOptionMenuItem::Separator)
            s.setHeight(std::max(s.height(), kSeparatorHeight));
        if (m_kind != kPlain)
            s.setWidth(std::max(s.width(), kWideWidth));
    }
    return s;
}

void TMenuItemStyle::DrawItem(QPainter& p, const QStyleOptionMenuItem& item, bool preview) const
{
    const QRect r = item.rect;
    const bool selected = (item.state & State_Selected) && (item.state & State_Enabled);
    // 1. The background.
    if (selected && m_kind != kConversion && m_scheme.Luz == m_scheme.Sombra)
        p.fillRect(r, item.palette.color(QPalette::Highlight));
    else
        FillSplitGradient(p, FromQRect(r), m_scheme.Luz, m_scheme.Sombra, selected, 3);
    // 2. A separator.
    if (item.menuItemType == QStyleOptionMenuItem::Separator) {
        p.setPen(ToQColor(m_scheme.Texto));
        p.drawLine(r.left(), r.top() + 2, r.right(), r.top() + 2);
        return;
    }
    // 3. The ball of a checked item, or the item's image.
    const bool checked = item.checkType != QStyleOptionMenuItem::NotCheckable && item.checked;
    QFont font = item.font;
    if (checked) {
        font.setBold(true);
        const QRect ball(r.left() + 4, r.top() + 4, r.height() - 8, r.height() - 8);
        if (ball.width() > 0 && ball.height() > 0)
            FillRadialGradient(p, FromQRect(ball), kWhite, kGreen, ball.center().x(), ball.center().y());
    } else if (!item.icon.isNull()) {
        const int side = std::min(16, r.height());
        item.icon.paint(&p, QRect(r.left(), r.top(), side, side));
    }
    // 4. The caption, embossed, and the shortcut.
    p.setFont(font);
    const int left = m_kind == kConversion ? 2 : 20;
    const QRect text = r.adjusted(left, 3, -18, 0);
    const QString caption = item.text.section(QLatin1Char('\t'), 0, 0);
    const QString shortcut = item.text.section(QLatin1Char('\t'), 1);
    const int flags = Qt::AlignVCenter | Qt::TextShowMnemonic | Qt::TextSingleLine;
    const bool disabled = !(item.state & State_Enabled) && m_kind != kConversion;
    QFont shortcutFont = font;
    if (preview)
        shortcutFont.setBold(true);
    auto write = [&](const QRect& at, const QColor& colour) {
        p.setPen(colour);
        p.setFont(font);
        p.drawText(at, flags | Qt::AlignLeft, caption);
        if (!shortcut.isEmpty()) {
            p.setFont(shortcutFont);
            p.drawText(preview ? at.adjusted(0, 0, 6, 0) : at, flags | Qt::AlignRight, shortcut);
        }
    };
    write(text, ToQColor(m_scheme.Fondo));
    write(text.translated(-1, -1),
          disabled ? item.palette.color(QPalette::Disabled, QPalette::Text) : ToQColor(m_scheme.Texto));
    // A sub-menu's arrow.
    if (item.menuItemType == QStyleOptionMenuItem::SubMenu) {
        QStyleOption arrow = item;
        arrow.rect = QRect(r.right() - 14, r.top(), 12, r.height());
        arrow.palette.setColor(QPalette::ButtonText, ToQColor(m_scheme.Texto));
        arrow.palette.setColor(QPalette::WindowText, ToQColor(m_scheme.Texto));
        proxy()->drawPrimitive(PE_IndicatorArrowRight, &arrow, &p);
    }
}

TMenuDrawing::TMenuDrawing()
{
    for (auto kind : {TMenuItemStyle::kPlain, TMenuItemStyle::kWide, TMenuItemStyle::kConversion})
        m_styles[kind] = std::make_unique<TMenuItemStyle>(m_scheme, kind);
}

TMenuDrawing::~TMenuDrawing()
{
    for (const QPointer<QMenu>& menu : m_menus)
        if (menu)
            menu->setStyle(nullptr);
}

void TMenuDrawing::Attach(QMenu* menu, TMenuItemStyle::Kind kind)
{
    TMenuItemStyle* style = m_styles[kind].get();
    Apply(menu, style);
    // Sub-menus made later (the user definitions, the recent items) too.
    QObject::connect(menu, &QMenu::aboutToShow, menu, [this, menu, style] { Apply(menu, style); });
}

void TMenuDrawing::Apply(QMenu* menu, TMenuItemStyle* style)
{
    if (menu->style() != style) {
        menu->setStyle(style);
        m_menus.emplace_back(menu);
    }
    for (QAction* a : menu->actions())
        if (QMenu* sub = a->menu())
            Apply(sub, style);
}
