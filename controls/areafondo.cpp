#include "controls/areafondo.h"

#include "controls/application.h"

#include "drawkit/drawkit.h"
#include "drawkit/gradients.h"

#include <QEvent>
#include <QPainter>
#include <algorithm>

TAreaFondo::TAreaFondo(QWidget* parent) : TPaintBox(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setColor(clWhite);
}

void TAreaFondo::setEstilo(TEstiloFondo e)
{
    m_estilo = e;
    Repaint();
}

void TAreaFondo::setColor2(TColor c)
{
    m_color2 = c;
    Repaint();
}

void TAreaFondo::setPosicion(int p)
{
    m_posicion = std::clamp(p, 0, 9);
    Repaint();
}

void TAreaFondo::setCaption(const QString& text)
{
    if (text == m_caption)
        return;
    m_caption = text;
    Repaint();
}

QPoint TAreaFondo::SphereCentre() const
{
    return QPoint(MulDiv(m_posicion, width(), 10), MulDiv(m_posicion, height(), 10));
}

void TAreaFondo::Paint()
{
    TPaintBox::Paint(); // OnPaint
    QPainter* p = Canvas();
    if (!p)
        return;
    const TRect r{0, 0, width(), height()};
    switch (m_estilo) {
    case efCilindroHor:
        FillSplitGradient(*p, r, Color(), m_color2, true, m_posicion);
        break;
    case efCilindroVer:
        FillSplitGradient(*p, r, Color(), m_color2, false, m_posicion);
        break;
    case efGradienteHor:
        FillGradient(*p, r, Color(), m_color2, true);
        break;
    case efGradienteVer:
        FillGradient(*p, r, Color(), m_color2, false);
        break;
    case efEsfera: {
        p->fillRect(rect(), ToQColor(m_color2));
        const QPoint c = SphereCentre();
        FillRadialGradient(*p, r, Color(), m_color2, c.x(), c.y());
        break;
    }
    case efEstirar:
    case efMozaico:
    case efAlfombra:
        break;
    }
    if (!m_caption.isEmpty()) {
        p->save();
        p->setBrush(Qt::NoBrush);
        p->setFont(font());
        p->setPen(palette().color(QPalette::WindowText));
        DrawTextCentered(*p, r, m_caption);
        p->restore();
    }
}

void TAreaFondo::DoMouseOver()
{
    fire(OnMouseOver, this);
}

void TAreaFondo::enterEvent(QEnterEvent* e)
{
    TPaintBox::enterEvent(e);
    if (m_mouseOver.enter())
        TApplication::Guarded([this] { DoMouseOver(); });
}

void TAreaFondo::leaveEvent(QEvent* e)
{
    TPaintBox::leaveEvent(e);
    if (m_mouseOver.leave())
        TApplication::Guarded([this] { DoMouseOver(); });
}

namespace {

// Keeps a background at its panel's size.
class BackgroundSizer : public QObject {
public:
    BackgroundSizer(QWidget* panel, QWidget* area) : QObject(area), m_area(area) { panel->installEventFilter(this); }
    bool eventFilter(QObject* watched, QEvent* e) override
    {
        if (e->type() == QEvent::Resize || e->type() == QEvent::Show)
            m_area->setGeometry(static_cast<QWidget*>(watched)->rect());
        return false;
    }

private:
    QWidget* m_area;
};

} // namespace

TAreaFondo* AddBackground(QWidget* panel, const QString& name)
{
    auto* area = new TAreaFondo(panel);
    area->setObjectName(name);
    area->setGeometry(panel->rect());
    area->lower();
    new BackgroundSizer(panel, area);
    return area;
}
