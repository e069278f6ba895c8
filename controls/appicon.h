#pragma once
// The program's own icon, drawn from its vector picture at each size asked:
// the splash and the about box, every window's title bar, the notification
// area and the formulas without a picture of their own.
#include <QIcon>
#include <QPixmap>

QIcon ApplicationIcon();
// The icon drawn size × size pixels.
QPixmap ApplicationPixmap(int size);
