#include "science/formulas/window/formulagrid.h"

#include "controls/frmautocomp.h"
#include "drawkit/drawkit.h"
#include "drawkit/gradients.h"
#include "science/formulas/window/fmformula.h"

#include <QEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPolygon>

#include <algorithm>

namespace {

constexpr TColor kFrameBlue = 0xFF0000;   // blue, red in the low byte

} // namespace

QRect FormulaDropDownBox(const QRect& cell)
{
    const int right = cell.left() + cell.width();
    return QRect(QPoint(right - 17, cell.top() + 4), QPoint(right - 4 - 1, cell.top() + 16 - 1));
}

static QFont FormulaCellFont(const TFormulaCellLook& look, QFont font)
{
    font.setBold(look.Row == 0 || look.Col == TfmFormula::cSimb || look.Col == TfmFormula::cValor || look.Unknown);
    return font;
}

static QString FormulaCellText(const TFormulaCellLook& look)
{
    if (look.Unknown && look.Col == TfmFormula::cDesc)
        return look.Text + QStringLiteral(" =");
    return look.Text;
}

void PaintFormulaCell(QPainter& p, const QRect& cell, const TFormulaCellLook& look, QFont font)
{
    p.save();
    p.setClipRect(cell);
    const bool vertical = look.Row == 0 || look.Col == TfmFormula::cSimb || look.Unknown;
    FillSplitGradient(p, FromQRect(cell), look.Luz, look.Sombra, vertical, 3);
    // The drop-down mark of a unit cell.
    if (look.Row > 0 && look.Col == TfmFormula::cUnidad) {
        const QRect box = FormulaDropDownBox(cell);
        p.setPen(ToQColor(look.Texto));
        p.setBrush(Qt::NoBrush);
        p.drawRect(box);
        const QPoint c = box.center();
        const QPolygon arrow({QPoint(c.x() - 3, c.y() - 2), QPoint(c.x() + 3, c.y() - 2), QPoint(c.x(), c.y() + 2)});
        p.setBrush(ToQColor(look.Unknown ? look.Texto : look.Luz));
        p.drawPolygon(arrow);
    }
    // The text.
    p.setFont(FormulaCellFont(look, font));
    p.setPen(ToQColor(look.Texto));
    const QString text = FormulaCellText(look);
    if (look.Col == TfmFormula::cSimb) {
        p.drawText(cell, Qt::AlignCenter | Qt::TextSingleLine, text);
    } else {
        // A unit's name stops short of its drop-down mark.
        const int right = look.Row > 0 && look.Col == TfmFormula::cUnidad ? FormulaDropDownBox(cell).left() - 1 : 0;
        QRect at = cell.adjusted(2, 2, 0, 0);
        if (right > 0)
            at.setRight(right - 1);
        p.save();
        p.setClipRect(at);
        p.drawText(at, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
        p.restore();
    }
    // The current cell's frame.
    if (look.Current) {
        p.setBrush(Qt::NoBrush);
        p.setPen(ToQColor(kFrameBlue));
        p.drawRect(cell.adjusted(0, 0, -1, -1));
    }
    p.restore();
}

QSize TFormulaGridDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    TFormulaCellLook look = m_look(index.row(), index.column());
    look.Text = index.data().toString();
    const QFontMetrics fm(FormulaCellFont(look, option.font));
    // Two pixels before the text, as many after it, and a unit's drop-down mark.
    int width = fm.horizontalAdvance(FormulaCellText(look)) + 4;
    if (look.Row > 0 && look.Col == TfmFormula::cUnidad) {
        const QRect cell(0, 0, 200, std::max(option.rect.height(), 16));
        width += cell.right() + 1 - FormulaDropDownBox(cell).left() + 1;
    }
    return QSize(width, fm.height() + 2);
}

TFormulaGridDelegate::TFormulaGridDelegate(std::function<TFormulaCellLook(int, int)> look,
                                           std::function<bool(QLineEdit*, QKeyEvent*)> editorKey, QObject* parent)
    : QStyledItemDelegate(parent), m_look(std::move(look)), m_editorKey(std::move(editorKey))
{
}

void TFormulaGridDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    TFormulaCellLook look = m_look(index.row(), index.column());
    look.Text = index.data().toString();
    PaintFormulaCell(*painter, option.rect, look, option.font);
}

QWidget* TFormulaGridDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                            const QModelIndex& index) const
{
    QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
    if (editor)
        editor->setObjectName(QStringLiteral("InplaceEditor"));
    return editor;
}

bool TFormulaGridDelegate::eventFilter(QObject* object, QEvent* event)
{
    auto* editor = qobject_cast<QLineEdit*>(object);
    if (editor) {
        // The names list borrows the focus while it runs: the editor stays.
        if (event->type() == QEvent::FocusOut && fmAutoComp() && fmAutoComp()->Running())
            return false;
        if (event->type() == QEvent::KeyPress && m_editorKey && m_editorKey(editor, static_cast<QKeyEvent*>(event)))
            return true;
    }
    return QStyledItemDelegate::eventFilter(object, event);
}
