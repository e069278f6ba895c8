#pragma once
// A popup menu that hands its own click and owner-draw events down to its
// items every time it pops up.
#include "controls/events.h"

#include <QAction>
#include <QMenu>
#include <QRect>

class QPainter;

// Owner-draw state of an item.
struct TOwnerDrawState {
    bool Selected = false;
    bool Disabled = false;
    bool Checked = false;
};

using TMenuDrawItemEvent = std::function<void(QObject* Sender, QPainter* ACanvas, QRect ARect, bool Selected)>;
using TAdvancedMenuDrawItemEvent =
    std::function<void(QObject* Sender, QPainter* ACanvas, QRect ARect, TOwnerDrawState State)>;
using TMenuMeasureItemEvent = std::function<void(QObject* Sender, QPainter* ACanvas, int& Width, int& Height)>;

class TPopupMenuX;

// The click and owner-draw events that a menu item has and that a popup menu
// hands down to its items.
struct TMenuEvents {
    TNotifyEvent OnClick;
    TMenuDrawItemEvent OnDrawItem;
    TAdvancedMenuDrawItemEvent OnAdvancedDrawItem;
    TMenuMeasureItemEvent OnMeasureItem;
};

// A menu item with its own events; an item with sub-items opens a sub-menu.
class TMenuItem : public QAction, public TMenuEvents {
    Q_OBJECT
public:
    explicit TMenuItem(const QString& caption = QString(), QObject* parent = nullptr);

    // Adds a sub-item (the item then opens a sub-menu that owns it).
    void Add(TMenuItem* item);
    QList<TMenuItem*> Items() const;
    int Count() const { return static_cast<int>(Items().size()); }

    // What a click does: OnClick with the item as sender.
    void Click();
};

class TPopupMenuX : public QMenu, public TMenuEvents {
    Q_OBJECT
public:
    explicit TPopupMenuX(QWidget* parent = nullptr);

    TNotifyEvent OnPopup;

    void Add(TMenuItem* item);
    QList<TMenuItem*> Items() const;

    // What every popup runs before the menu shows: OnPopup, then the menu's
    // handlers handed down to the items that have none.
    void DoPopup();

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    friend class TMenuItem;
    bool m_isSubMenu = false;
};
