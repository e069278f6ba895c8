#include "controls/popupmenux.h"

#include "controls/application.h"

#include <QPaintEvent>
#include <QPainter>

namespace {

QList<TMenuItem*> itemsOf(const QMenu* menu)
{
    QList<TMenuItem*> r;
    if (!menu)
        return r;
    for (QAction* a : menu->actions())
        if (auto* m = qobject_cast<TMenuItem*>(a))
            r.append(m);
    return r;
}

// Items with sub-items are not given the click handler, their sub-items are;
// an item with its own handler keeps it, and so do all its sub-items.
void handDownClick(const QList<TMenuItem*>& items, const TNotifyEvent& handler)
{
    for (TMenuItem* item : items) {
        if (item->OnClick)
            continue;
        const QList<TMenuItem*> subs = item->Items();
        if (!subs.isEmpty())
            handDownClick(subs, handler);
        else
            item->OnClick = handler;
    }
}

template <typename Member, typename Handler>
void handDownAll(const QList<TMenuItem*>& items, Member member, const Handler& handler)
{
    for (TMenuItem* item : items) {
        if (!(item->*member))
            item->*member = handler;
        handDownAll(item->Items(), member, handler);
    }
}

} // namespace

TMenuItem::TMenuItem(const QString& caption, QObject* parent) : QAction(caption, parent)
{
    connect(this, &QAction::triggered, this, [this] { TApplication::Guarded([this] { Click(); }); });
}

void TMenuItem::Click()
{
    fire(OnClick, this);
}

void TMenuItem::Add(TMenuItem* item)
{
    QMenu* sub = menu();
    if (!sub) {
        auto* m = new TPopupMenuX();
        m->m_isSubMenu = true;
        m->setTitle(text());
        setMenu(m);
        // The sub-menu has no parent widget: it goes with the item.
        connect(this, &QObject::destroyed, m, &QObject::deleteLater);
        sub = m;
    }
    item->setParent(sub);
    sub->addAction(item);
}

QList<TMenuItem*> TMenuItem::Items() const
{
    return itemsOf(menu());
}

TPopupMenuX::TPopupMenuX(QWidget* parent) : QMenu(parent)
{
    connect(this, &QMenu::aboutToShow, this, [this] {
        if (!m_isSubMenu)
            TApplication::Guarded([this] { DoPopup(); });
    });
}

void TPopupMenuX::Add(TMenuItem* item)
{
    item->setParent(this);
    addAction(item);
}

QList<TMenuItem*> TPopupMenuX::Items() const
{
    return itemsOf(this);
}

void TPopupMenuX::DoPopup()
{
    fire(OnPopup, this);
    const QList<TMenuItem*> items = Items();
    if (OnClick)
        handDownClick(items, OnClick);
    if (OnAdvancedDrawItem)
        handDownAll(items, &TMenuItem::OnAdvancedDrawItem, OnAdvancedDrawItem);
    if (OnDrawItem)
        handDownAll(items, &TMenuItem::OnDrawItem, OnDrawItem);
    if (OnMeasureItem)
        handDownAll(items, &TMenuItem::OnMeasureItem, OnMeasureItem);
}

void TPopupMenuX::paintEvent(QPaintEvent* e)
{
    QMenu::paintEvent(e);
    // Owner-drawn items paint over the menu's own drawing of them.
    QPainter p(this);
    for (TMenuItem* item : Items()) {
        if (!item->OnAdvancedDrawItem && !item->OnDrawItem)
            continue;
        const QRect r = actionGeometry(item);
        if (!r.isValid() || !e->rect().intersects(r))
            continue;
        const bool selected = activeAction() == item;
        p.save();
        p.setClipRect(r);
        p.fillRect(r, palette().color(selected ? QPalette::Highlight : QPalette::Window));
        TApplication::Guarded([&] {
            if (item->OnAdvancedDrawItem)
                item->OnAdvancedDrawItem(item, &p, r, TOwnerDrawState{selected, !item->isEnabled(), item->isChecked()});
            else
                item->OnDrawItem(item, &p, r, selected);
        });
        p.restore();
    }
}
