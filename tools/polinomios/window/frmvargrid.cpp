#include "tools/polinomios/window/frmvargrid.h"

#include "controls/stringgridx.h"
#include "drawkit/drawkit.h"
#include "drawkit/gradients.h"
#include "foundation/core/basicos.h"
#include "foundation/core/separatexto.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

TfmVarGrid* fmVarGrid = nullptr;

namespace {

// Fixed cells (the header row and the name column) on a split gradient with
// bold text, the others on the grid's colour; every text centred.
class TVarGridDelegate : public QStyledItemDelegate {
public:
    TVarGridDelegate(TfmVarGrid* dialog) : QStyledItemDelegate(dialog), m_dialog(dialog) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const QRect r = option.rect;
        const bool fixed = index.row() < m_dialog->grid->FixedRows() || index.column() < m_dialog->grid->FixedCols();
        painter->save();
        QFont font = option.font;
        if (fixed) {
            FillSplitGradient(*painter, TRect{r.left(), r.top(), r.right() + 1, r.bottom() + 1},
                              m_dialog->ColorLight, m_dialog->ColorDark, true, 3);
            font.setBold(true);
        } else {
            painter->fillRect(r, option.palette.base());
        }
        painter->setFont(font);
        painter->setPen(option.palette.text().color());
        painter->drawText(r, Qt::AlignCenter, index.data().toString());
        painter->restore();
    }

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto* line = qobject_cast<QLineEdit*>(editor)) {
            line->setObjectName(QStringLiteral("InplaceEditor"));
            line->installEventFilter(m_dialog);
            // The cell always holds what the editor shows.
            const int row = index.row(), col = index.column();
            QObject::connect(line, &QLineEdit::textChanged, m_dialog,
                             [grid = m_dialog->grid, row, col](const QString& t) { grid->SetCell(col, row, t); });
        }
        return editor;
    }

private:
    TfmVarGrid* m_dialog;
};

} // namespace

TfmVarGrid::TfmVarGrid(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("fmVarGrid"));
    setWindowTitle(QStringLiteral("Reemplazar Variables"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    grid = new TStringGridX(this);
    grid->setObjectName(QStringLiteral("grid"));
    grid->SetColCount(2);
    grid->SetRowCount(2);
    grid->SetFixed(1, 1);
    grid->horizontalHeader()->hide();
    grid->verticalHeader()->hide();
    grid->setColumnWidth(0, 64);
    grid->setColumnWidth(1, 272);
    grid->verticalHeader()->setDefaultSectionSize(20);
    grid->setEditTriggers(QAbstractItemView::AllEditTriggers);
    grid->setItemDelegate(new TVarGridDelegate(this));
    grid->installEventFilter(this);
    grid->setMinimumWidth(64 + 272 + 2 * grid->frameWidth() + 4);

    Button1 = new QPushButton(QStringLiteral("&Aceptar"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setDefault(true);
    Button2 = new QPushButton(QStringLiteral("Cancelar"), this);
    Button2->setObjectName(QStringLiteral("Button2"));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(grid);
    layout->addLayout(buttons);
    resize(64 + 272 + 24, 160);

    connect(Button1, &QPushButton::clicked, this, &TfmVarGrid::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TfmVarGrid::Button2Click);
}

void TfmVarGrid::Button1Click() { done(mrOk); }

void TfmVarGrid::Button2Click() { done(mrCancel); }

int TfmVarGrid::Ask(const QString& names, const std::function<int(QDialog&)>& exec)
{
    TSeparaTexto fields;
    fields.SetSeparators(QStringLiteral(","));
    fields.SetText(names);
    QStringList list;
    while (!fields.AtEnd()) {
        QString name;
        fields.Next(name);
        list << name;
    }
    if (list.isEmpty())
        return 0;
    grid->SetRowCount(int(list.size()) + 1);
    grid->SetCell(0, 0, QStringLiteral("Variables"));
    grid->SetCell(1, 0, QStringLiteral("Valores"));
    for (int i = 0; i < list.size(); ++i) {
        grid->SetCell(0, i + 1, list[i]);
        grid->SetCell(1, i + 1, QString());
    }
    setResult(mrNone);
    return exec ? exec(*this) : this->exec();
}

QString TfmVarGrid::ValueOf(const QString& name) const
{
    for (int r = 1; r < grid->RowCount(); ++r)
        if (grid->Cell(0, r).compare(name, Qt::CaseInsensitive) == 0)
            return grid->Cell(1, r);
    return QString();
}

void TfmVarGrid::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    OpenEditor();
}

void TfmVarGrid::OpenEditor()
{
    grid->setFocus();
    grid->SetCurrent(1, 1);
    if (QTableWidgetItem* it = grid->item(1, 1))
        grid->editItem(it);
}

bool TfmVarGrid::eventFilter(QObject* watched, QEvent* event)
{
    auto* editor = qobject_cast<QLineEdit*>(watched);
    if (event->type() == QEvent::KeyPress && (editor || watched == grid)) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            Button1Click();
            return true;
        }
        // Ctrl+Break.
        if (key == Qt::Key_Cancel) {
            Button2Click();
            return true;
        }
    }
    if (event->type() == QEvent::KeyRelease && editor) {
        // "**" is typed for "^" and ".." for the fraction bar.
        QString text = editor->text();
        const int changed = ReplaceAll(QStringLiteral("**"), QStringLiteral("^"), text) +
                            ReplaceAll(QStringLiteral(".."), QStringLiteral("|"), text);
        if (changed > 0) {
            editor->setText(text);
            editor->setCursorPosition(int(text.size()));
        }
    }
    return QDialog::eventFilter(watched, event);
}
