#include "science/unidades/window/unitlook.h"

#include "controls/areafondo.h"
#include "drawkit/drawkit.h"
#include "drawkit/gradients.h"
#include "services/toolwindow.h"

#include <QPainter>

const TAppearance& SchemeOf(const QWidget* w)
{
    for (const QWidget* p = w; p; p = p->parentWidget()) {
        if (const auto* tool = qobject_cast<const TToolWindow*>(p))
            return tool->Host().Appearance();
        if (const auto* host = dynamic_cast<const ToolHost*>(p))
            return host->Appearance();
    }
    static const TAppearance standard;
    return standard;
}

TUnitCellDelegate::TUnitCellDelegate(std::function<const TAppearance&()> scheme, CellTest vertical, CellTest bold,
                                     CellTest centred, QObject* parent)
    : QStyledItemDelegate(parent), m_scheme(std::move(scheme)), m_vertical(std::move(vertical)),
      m_bold(std::move(bold)), m_centred(std::move(centred))
{
}

void TUnitCellDelegate::paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const TAppearance& a = m_scheme();
    const int row = index.row(), col = index.column();
    p->save();
    FillSplitGradient(*p, FromQRect(option.rect), a.ClLuz, a.ClSombra, m_vertical(row, col), 3);
    if (option.state & QStyle::State_Selected) {
        p->setPen(ToQColor(clBlue));
        p->setBrush(Qt::NoBrush);
        p->drawRect(option.rect.adjusted(0, 0, -1, -1));
    }
    QFont f = option.font;
    f.setBold(m_bold(row, col));
    p->setFont(f);
    p->setPen(ToQColor(a.ClTexto));
    const QString text = index.data().toString();
    if (m_centred(row, col))
        p->drawText(option.rect, Qt::AlignCenter, text);
    else
        p->drawText(option.rect.adjusted(2, 2, 0, 0), Qt::AlignLeft | Qt::AlignTop, text);
    p->restore();
}

QSize TUnitCellDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QFont f = option.font;
    f.setBold(m_bold(index.row(), index.column()));
    const QFontMetrics fm(f);
    // Two pixels before the text and as many after it.
    return QSize(fm.horizontalAdvance(index.data().toString()) + 4, fm.height() + 2);
}

void PaintBackground(TAreaFondo* area, const TAppearance& scheme)
{
    area->setColor(scheme.ClLuz);
    area->setColor2(scheme.ClSombra);
    area->update();
}
