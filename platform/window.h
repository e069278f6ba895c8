#pragma once
// Window services the program's windows were designed around: window shapes,
// the top-most band, translucency, confining the mouse pointer and the desktop
// work area. Over Qt: setMask, window flags, setWindowOpacity, QScreen.
#include <QRect>
#include <QRegion>
#include <optional>

class QWidget;

namespace platform {

// Puts the widget's window into (true) or out of (false) the top-most band
// without moving, sizing or activating it, and without hiding a shown window.
void SetWindowTopMost(QWidget* w, bool topMost);
bool IsWindowTopMost(const QWidget* w);

// Removes (true) or gives back (false) the window's border and caption.
void SetWindowFrameless(QWidget* w, bool frameless);

// Shapes the window to the region (window coordinates); an empty region
// removes the shape. The window is redrawn at once.
void SetWindowRegion(QWidget* w, const QRegion& region);
QRegion WindowRegion(const QWidget* w);

// Translucency: with `enabled` the window is drawn with `alpha` (0 clear,
// 255 opaque); without it the window is opaque whatever the alpha.
void SetWindowAlpha(QWidget* w, bool enabled, int alpha);

// Confines the mouse pointer to a rectangle of the screen (global
// coordinates); ReleaseCursorClip frees it to the whole screen again.
void ClipCursor(const QRect& screenRect);
void ReleaseCursorClip();
// The rectangle the pointer is confined to, none while it is free.
std::optional<QRect> CursorClipRect();
// A point moved into the confinement rectangle (unchanged while free).
QPoint ClampToCursorClip(const QPoint& globalPos);

// The primary screen's whole rectangle and its work area (the screen less the
// docked task bars); (0, 0, 0, 0) when there is no screen.
QRect ScreenRect();
QRect DesktopWorkArea();

} // namespace platform
