#pragma once
// A label that acts as a link: blue or highlighted underlined text, a hand
// cursor, and a handler for the click.
#include "controls/application.h"

#include <QLabel>
#include <QMouseEvent>

#include <functional>

class TLinkLabel : public QLabel {
public:
    TLinkLabel(const QString& text, QWidget* parent) : QLabel(text, parent)
    {
        setCursor(Qt::PointingHandCursor);
        QFont f = font();
        f.setUnderline(true);
        setFont(f);
    }
    std::function<void()> OnClick;

protected:
    void mouseReleaseEvent(QMouseEvent* e) override
    {
        if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()) && OnClick)
            TApplication::Guarded(OnClick);
        QLabel::mouseReleaseEvent(e);
    }
};
