#pragma once
// The owner drawing of a window's menus in its colour scheme: every item on a
// split gradient from the dark colour at its edges to the light one at 3
// tenths of its width (of its height, running down, when it is selected); a
// checked item in bold with a green ball instead of its image; the caption
// embossed (the background colour one pixel down and right, the text colour
// over it); the shortcut right-aligned; a separator as a line 2 pixels below
// the item's top.
//
//     TMenuDrawing drawing;                // one per window
//     drawing.SetScheme({luz, sombra, texto, fondo});
//     drawing.Attach(menu);                // the menu and its sub-menus
//     drawing.Attach(memoryMenu, TMenuDrawing::kWide);
#include "engine/canvas.h"

#include <QPointer>
#include <QProxyStyle>

#include <memory>
#include <vector>

class QMenu;
class QStyleOptionMenuItem;

struct TMenuScheme {
    TColor Luz = 0xF7F7F7;
    TColor Sombra = 0xEDD2AF;
    TColor Texto = 0x674018;
    TColor Fondo = 0xE8F0EE;
};

class TMenuItemStyle : public QProxyStyle {
public:
    // Plain: captions from x = 20. Wide: items 160 pixels wide. Conversion:
    // 160 pixels wide, captions from x = 2, disabled items not greyed.
    enum Kind { kPlain, kWide, kConversion };
    TMenuItemStyle(const TMenuScheme& scheme, Kind kind);

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;
    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override;

    // One item, as the menus draw it (the tests call it on an image). In the
    // conversion menu a preview (the text after the tab of an item whose data
    // is 0 or more) is written in bold, 12 pixels from the right edge.
    void DrawItem(QPainter& painter, const QStyleOptionMenuItem& item, bool preview = false) const;

private:
    const TMenuScheme& m_scheme;
    Kind m_kind;
};

class TMenuDrawing {
public:
    TMenuDrawing();
    ~TMenuDrawing();
    void SetScheme(const TMenuScheme& scheme) { m_scheme = scheme; }
    const TMenuScheme& Scheme() const { return m_scheme; }
    // The menu and every sub-menu it has now or gets later (looked at each time
    // it is about to show) draw their items in the scheme.
    void Attach(QMenu* menu, TMenuItemStyle::Kind kind = TMenuItemStyle::kPlain);
    static constexpr TMenuItemStyle::Kind kWide = TMenuItemStyle::kWide;
    static constexpr TMenuItemStyle::Kind kConversion = TMenuItemStyle::kConversion;

private:
    void Apply(QMenu* menu, TMenuItemStyle* style);
    TMenuScheme m_scheme;
    std::unique_ptr<TMenuItemStyle> m_styles[3];
    // The menus drawn with these styles, given back the application's style
    // when the styles go.
    std::vector<QPointer<QMenu>> m_menus;
};
