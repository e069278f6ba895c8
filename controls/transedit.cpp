#include "controls/transedit.h"

#include "drawkit/drawkit.h"

#include <QPalette>
#include <QTextDocument>
#include <QTextOption>

namespace {

// What lies behind shows through a transparent box; otherwise it is filled
// with its colour.
void applyBackground(QWidget* w, QWidget* surface, bool transparent, TColor color)
{
    QPalette pal = w->palette();
    const QColor c = transparent ? QColor(Qt::transparent) : ToQColor(color);
    pal.setColor(QPalette::Base, c);
    w->setPalette(pal);
    surface->setAutoFillBackground(!transparent);
    surface->setAttribute(Qt::WA_TranslucentBackground, transparent);
    surface->update();
}

} // namespace

void TTransLook::setAlignText(TAlignment a)
{
    if (a == m_align)
        return;
    m_align = a;
    applyLook();
}

void TTransLook::setTransparent(bool on)
{
    if (on == m_transparent)
        return;
    m_transparent = on;
    applyLook();
}

void TTransLook::setColor(TColor c)
{
    m_color = c;
    applyLook();
}

TTransEdit::TTransEdit(QWidget* parent) : QLineEdit(parent)
{
    applyLook();
}

void TTransEdit::applyLook()
{
    setAlignment(ToQtAlignment(m_align) | Qt::AlignVCenter);
    applyBackground(this, this, m_transparent, m_color);
}

TTransMemo::TTransMemo(QWidget* parent) : QPlainTextEdit(parent)
{
    applyLook();
}

void TTransMemo::applyLook()
{
    QTextOption o = document()->defaultTextOption();
    o.setAlignment(ToQtAlignment(m_align));
    document()->setDefaultTextOption(o);
    applyBackground(this, viewport(), m_transparent, m_color);
}
