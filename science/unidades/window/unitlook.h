#pragma once
// The look the unit windows share: their grid cells on the scheme's split
// gradient (from the dark colour at the edges to the light one at 3 tenths),
// the current cell framed in blue, the text in the scheme's text colour; and
// the gradient backgrounds behind their panels.
#include "controls/areafondo.h"
#include "controls/fieldcolors.h"
#include "services/toolhost.h"

#include <QStyledItemDelegate>

#include <functional>

class QWidget;
class TAreaFondo;

// The scheme of the window that owns `w`: its tool window's host, or the
// main window (which is the host) found up the parents; the default scheme
// when there is neither.
const TAppearance& SchemeOf(const QWidget* w);

class TUnitCellDelegate : public QStyledItemDelegate {
public:
    // Which cells run their gradient down (the others across), are bold and
    // are centred (the others sit 2 pixels from the left and top edges).
    using CellTest = std::function<bool(int row, int col)>;
    TUnitCellDelegate(std::function<const TAppearance&()> scheme, CellTest vertical, CellTest bold,
                      CellTest centred, QObject* parent);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    // The room the text needs as paint() draws it.
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    std::function<const TAppearance&()> m_scheme;
    CellTest m_vertical;
    CellTest m_bold;
    CellTest m_centred;
};

// The scheme's light colour with the dark one as second colour.
void PaintBackground(TAreaFondo* area, const TAppearance& scheme);
