#pragma once
// A box, list or grid in a field colour (its background and button face) and
// a text colour, as the windows give them from the colour scheme.
#include "drawkit/drawkit.h"

#include <QPalette>
#include <QWidget>

inline void PaintField(QWidget* w, TColor base, TColor text)
{
    QPalette p = w->palette();
    p.setColor(QPalette::Base, ToQColor(base));
    p.setColor(QPalette::Button, ToQColor(base));
    p.setColor(QPalette::Text, ToQColor(text));
    p.setColor(QPalette::ButtonText, ToQColor(text));
    w->setPalette(p);
}
