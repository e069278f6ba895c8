#include "science/unidades/window/frmdefmaguni.h"

#include "controls/areafondo.h"
#include "controls/stringgridx.h"
#include "drawkit/drawkit.h"
#include "foundation/core/basicos.h"
#include "foundation/core/format.h"
#include "platform/formpos.h"
#include "science/unidades/unidades.h"
#include "science/unidades/window/convmenu.h"
#include "science/unidades/window/unitlook.h"
#include "services/help.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

// ---------------------------------------------------------------------------
// TfrmNuevoTipo

TfrmNuevoTipo::TfrmNuevoTipo(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmNuevoTipo"));
    setWindowTitle(QStringLiteral("Nueva Magnitud"));
    AreaFondo1 = AddBackground(this, QStringLiteral("AreaFondo1"));
    auto* lay = new QVBoxLayout(this);
    lay->addWidget(new QLabel(QStringLiteral("Nombre de la nueva magnitud:"), this));
    edtTipo = new QLineEdit(this);
    edtTipo->setObjectName(QStringLiteral("edtTipo"));
    lay->addWidget(edtTipo);
    lay->addWidget(new QLabel(QStringLiteral("Nombre de la unidad fundamental:"), this));
    edtFundamental = new QLineEdit(this);
    edtFundamental->setObjectName(QStringLiteral("edtFundamental"));
    lay->addWidget(edtFundamental);
    auto* buttons = new QHBoxLayout;
    btnAceptar = new QPushButton(QStringLiteral("&Aceptar"), this);
    btnAceptar->setObjectName(QStringLiteral("btnAceptar"));
    btnAceptar->setDefault(true);
    btnCancelar = new QPushButton(QStringLiteral("&Cancelar"), this);
    btnCancelar->setObjectName(QStringLiteral("btnCancelar"));
    buttons->addStretch();
    buttons->addWidget(btnAceptar);
    buttons->addWidget(btnCancelar);
    lay->addLayout(buttons);
    connect(btnAceptar, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancelar, &QPushButton::clicked, this, &QDialog::reject);
    // Enabled from the text as it is after each change (paste and deletion too).
    connect(edtTipo, &QLineEdit::textChanged, this, &TfrmNuevoTipo::UpdateAccept);
    edtTipo->installEventFilter(this);
    UpdateAccept();
}

void TfrmNuevoTipo::SetScheme(const TAppearance& scheme)
{
    PaintBackground(AreaFondo1, scheme);
    PaintField(edtTipo, scheme.ClFondo, scheme.ClTexto);
    PaintField(edtFundamental, scheme.ClFondo, scheme.ClTexto);
}

void TfrmNuevoTipo::UpdateAccept() { btnAceptar->setEnabled(!edtTipo->text().trimmed().isEmpty()); }

void TfrmNuevoTipo::showEvent(QShowEvent* e)
{
    edtTipo->clear();
    edtFundamental->clear();
    edtTipo->setFocus();
    QDialog::showEvent(e);
}

bool TfrmNuevoTipo::eventFilter(QObject* watched, QEvent* event)
{
    // Enter in the name box moves on to the fundamental unit.
    if (watched == edtTipo && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            edtFundamental->setFocus();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------
// TfmDefMagUni

namespace {

QToolButton* FlatButton(QWidget* parent, const char* name, const QString& text, const QString& hint)
{
    auto* b = new QToolButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setText(text);
    b->setToolTip(hint);
    b->setAutoRaise(true);
    return b;
}

} // namespace

TfmDefMagUni::TfmDefMagUni(QWidget* parent, const QString& fileName)
    : QDialog(parent), m_editor(std::make_unique<TUnitDefsEditor>(fileName)), m_scheme(SchemeOf(parent))
{
    setObjectName(kName);
    setWindowTitle(QStringLiteral("Magnitudes y unidades"));
    SetHelpContext(this, kHelpContext);
    RunDialog = [](QDialog& d) { return d.exec(); };
    AskNewMagnitude = [this](QString& name, QString& fundamental) {
        TfrmNuevoTipo dlg(this);
        dlg.SetScheme(m_scheme);
        if (dlg.exec() != QDialog::Accepted)
            return false;
        name = dlg.edtTipo->text().trimmed();
        fundamental = dlg.edtFundamental->text().trimmed();
        return true;
    };
    InputQuery = [this](const QString& caption, const QString& prompt, QString& text) {
        bool ok = false;
        const QString t = QInputDialog::getText(this, caption, prompt, QLineEdit::Normal, text, &ok);
        if (ok)
            text = t;
        return ok;
    };

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    AreaFondo1 = AddBackground(Panel1, QStringLiteral("AreaFondo1"));
    auto* lay = new QGridLayout(Panel1);
    lay->addWidget(new QLabel(QStringLiteral("Magnitud:"), Panel1), 0, 0);
    cmbMag = new QComboBox(Panel1);
    cmbMag->setObjectName(QStringLiteral("cmbMag"));
    cmbMag->setToolTip(QStringLiteral("Lista de magnitudes definidas"));
    cmbMag->setMinimumContentsLength(24);
    lay->addWidget(cmbMag, 0, 1);
    auto* magButtons = new QHBoxLayout;
    SpeedButton8 = FlatButton(Panel1, "SpeedButton8", QStringLiteral("+"), QStringLiteral("Agregar Magnitud"));
    SpeedButton1 = FlatButton(Panel1, "SpeedButton1", QStringLiteral("-"), QStringLiteral("Eliminar Magnitud"));
    SpeedButton4 = FlatButton(Panel1, "SpeedButton4", QStringLiteral("N"), QStringLiteral("Renombrar Magnitud"));
    for (QToolButton* b : {SpeedButton8, SpeedButton1, SpeedButton4})
        magButtons->addWidget(b);
    lay->addLayout(magButtons, 0, 2);
    lay->addWidget(new QLabel(QStringLiteral("Unidad fundamental (U.F.):"), Panel1), 1, 0);
    txtUniFund = new QLineEdit(Panel1);
    txtUniFund->setObjectName(QStringLiteral("txtUniFund"));
    txtUniFund->setToolTip(
        QStringLiteral("Nombre de la unidad fundamental que se usará para realizar las conversiones."));
    lay->addWidget(txtUniFund, 1, 1, 1, 2);
    auto* gridHead = new QHBoxLayout;
    gridHead->addWidget(new QLabel(QStringLiteral("Definición de unidades:"), Panel1));
    gridHead->addStretch();
    SpeedButton5 =
        FlatButton(Panel1, "SpeedButton5", QStringLiteral("A-Z"), QStringLiteral("Ordenar unidades por nombre"));
    gridHead->addWidget(SpeedButton5);
    lay->addLayout(gridHead, 2, 0, 1, 3);
    outer->addWidget(Panel1);

    gri = new TStringGridX(this);
    gri->setObjectName(QStringLiteral("gri"));
    gri->SetColCount(4);
    gri->SetRowCount(2);
    gri->SetFixed(1, 1);
    const int widths[] = {16, 124, 118, 115};
    for (int c = 0; c < 4; ++c)
        gri->setColumnWidth(c, widths[c]);
    gri->setMinimumSize(400, 260);
    // Fixed cells run their gradient down, the others across; the header is
    // bold and centred.
    const auto header = [](int row, int) { return row == 0; };
    gri->setItemDelegate(new TUnitCellDelegate([this]() -> const TAppearance& { return m_scheme; },
                                               [](int row, int col) { return row == 0 || col == 0; }, header, header,
                                               gri));
    outer->addWidget(gri, 1);

    Panel2 = new QWidget(this);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    AreaFondo2 = AddBackground(Panel2, QStringLiteral("AreaFondo2"));
    auto* buttons = new QHBoxLayout(Panel2);
    SpeedButton9 = FlatButton(Panel2, "SpeedButton9", QStringLiteral("?"), QStringLiteral("Ayuda (F1)"));
    SpeedButton2 = FlatButton(Panel2, "SpeedButton2", QStringLiteral("Guardar"), QStringLiteral("Guardar"));
    SpeedButton3 = FlatButton(Panel2, "SpeedButton3", QStringLiteral("Cancelar"), QStringLiteral("Cancelar"));
    buttons->addWidget(SpeedButton9);
    buttons->addStretch();
    buttons->addWidget(SpeedButton2);
    buttons->addWidget(SpeedButton3);
    outer->addWidget(Panel2);

    connect(cmbMag, qOverload<int>(&QComboBox::activated), this, [this](int) { cmbMagClick(); });
    connect(SpeedButton8, &QToolButton::clicked, this, &TfmDefMagUni::SpeedButton8Click);
    connect(SpeedButton1, &QToolButton::clicked, this, &TfmDefMagUni::SpeedButton1Click);
    connect(SpeedButton4, &QToolButton::clicked, this, &TfmDefMagUni::SpeedButton4Click);
    connect(SpeedButton5, &QToolButton::clicked, this, &TfmDefMagUni::SpeedButton5Click);
    connect(SpeedButton2, &QToolButton::clicked, this, &TfmDefMagUni::SpeedButton2Click);
    connect(SpeedButton3, &QToolButton::clicked, this, &TfmDefMagUni::SpeedButton3Click);
    connect(SpeedButton9, &QToolButton::clicked, this, &TfmDefMagUni::SpeedButton9Click);
    connect(txtUniFund, &QLineEdit::textEdited, this, [this](const QString& text) {
        m_editor->Fundamental = text;
        m_editor->Modified = true;
        WriteHeader();
    });
    connect(gri, &QTableWidget::cellChanged, this, [this](int row, int) {
        if (m_filling)
            return;
        m_editor->Modified = true;
        // Typing in the last row makes room for the next unit.
        if (row == gri->RowCount() - 1 && !RowIsEmpty(row)) {
            m_filling = true;
            gri->SetRowCount(gri->RowCount() + 1);
            m_filling = false;
        }
        ReadGrid();
    });
    gri->installEventFilter(this);
    gri->viewport()->installEventFilter(this);
    installEventFilter(this);
    FillMagnitudes();
    SetScheme(m_scheme);
}

TfmDefMagUni::~TfmDefMagUni() = default;

void TfmDefMagUni::SetScheme(const TAppearance& scheme)
{
    m_scheme = scheme;
    PaintBackground(AreaFondo1, m_scheme);
    PaintBackground(AreaFondo2, m_scheme);
    PaintField(gri, m_scheme.ClFondo, m_scheme.ClTexto);
    PaintField(cmbMag, m_scheme.ClLuz, m_scheme.ClTexto);
    PaintField(txtUniFund, m_scheme.ClLuz, m_scheme.ClTexto);
    gri->viewport()->update();
}

bool TfmDefMagUni::RowIsEmpty(int row) const
{
    for (int c = 1; c < gri->ColCount(); ++c)
        if (!gri->Cells(c, row).trimmed().isEmpty())
            return false;
    return true;
}

void TfmDefMagUni::CommitCellEditor()
{
    // A cell being typed in keeps its text when a button is used (buttons
    // take no focus, so the cell editor would not close by itself).
    QWidget* editor = gri->indexWidget(gri->currentIndex());
    if (!editor)
        return;
    QAbstractItemDelegate* d = gri->itemDelegate();
    emit d->commitData(editor);
    emit d->closeEditor(editor, QAbstractItemDelegate::NoHint);
}

void TfmDefMagUni::MoveRow(int from, int to)
{
    const int last = gri->RowCount() - 2;   // the last unit; the empty row stays last
    if (from < 1 || from > last || to < 1 || to > last || from == to)
        return;
    CommitCellEditor();
    ReadGrid();
    m_editor->MoveRow(from - 1, to - 1);
    FillGrid();
    gri->SetCurrent(std::max(1, gri->Col()), to);
}

int TfmDefMagUni::DropRow(const QPoint& viewportPos) const
{
    const int last = gri->RowCount() - 2;
    int row = gri->rowAt(viewportPos.y());
    if (row < 0)
        row = viewportPos.y() < 0 ? 1 : last;
    return std::clamp(row, 1, std::max(1, last));
}

void TfmDefMagUni::showEvent(QShowEvent* e)
{
    if (!m_placed) {
        m_placed = true;
        LoadFormPos(this, TPosition::poDesktopCenter);
    }
    QDialog::showEvent(e);
}

void TfmDefMagUni::done(int result)
{
    CommitCellEditor();
    if (m_placed)   // a dialog never shown has no place of its own
        SaveFormPos(this);
    QDialog::done(result);
}

void TfmDefMagUni::FillMagnitudes()
{
    cmbMag->clear();
    cmbMag->addItems(m_editor->Magnitudes());
    cmbMag->setCurrentIndex(m_editor->CurrentIndex());
}

bool TfmDefMagUni::EditMagnitude(const QString& name)
{
    ShowMagnitude(name);
    return RunDialog(*this) == QDialog::Accepted;
}

void TfmDefMagUni::ShowMagnitude(const QString& name)
{
    m_editor->Show(name);
    FillMagnitudes();
    FillGrid();
}

void TfmDefMagUni::WriteHeader()
{
    const QString f = txtUniFund->text().trimmed().isEmpty() ? QStringLiteral("U.F.") : txtUniFund->text();
    const bool was = m_filling;
    m_filling = true;
    gri->SetCells(1, 0, QStringLiteral("Nombre Unidad"));
    gri->SetCells(2, 0, QStringLiteral("Unidad->") + f);
    gri->SetCells(3, 0, f + QStringLiteral("->Unidad"));
    m_filling = was;
}

void TfmDefMagUni::FillGrid()
{
    m_filling = true;
    txtUniFund->setText(m_editor->Fundamental);
    const auto& rows = m_editor->Rows;
    gri->SetRowCount(int(rows.size()) + 2);
    for (int r = 0; r < int(rows.size()); ++r) {
        gri->SetCells(0, r + 1, QString());
        gri->SetCells(1, r + 1, rows[size_t(r)].Name);
        gri->SetCells(2, r + 1, rows[size_t(r)].ToSide);
        gri->SetCells(3, r + 1, rows[size_t(r)].FromSide);
    }
    for (int c = 0; c < 4; ++c)
        gri->SetCells(c, gri->RowCount() - 1, QString());
    m_filling = false;
    WriteHeader();
}

void TfmDefMagUni::ReadGrid()
{
    std::vector<TUnitRow> rows;
    for (int r = 1; r < gri->RowCount() - 1; ++r)
        rows.push_back({gri->Cells(1, r).trimmed(), gri->Cells(2, r).trimmed(), gri->Cells(3, r).trimmed()});
    m_editor->Rows = std::move(rows);
    m_editor->Fundamental = txtUniFund->text().trimmed();
}

bool TfmDefMagUni::StoreShown()
{
    ReadGrid();
    const QString bad = m_editor->Store();
    if (bad.isEmpty())
        return true;
    MsgBox(bad, windowTitle(), mb::Ok | mb::IconError);
    return false;
}

void TfmDefMagUni::cmbMagClick()
{
    CommitCellEditor();
    const QString wanted = cmbMag->currentText();
    if (m_editor->Modified && !StoreShown()) {
        cmbMag->setCurrentIndex(m_editor->CurrentIndex());
        return;
    }
    ShowMagnitude(wanted);
}

void TfmDefMagUni::SpeedButton8Click()
{
    CommitCellEditor();
    QString name, fundamental;
    if (!AskNewMagnitude || !AskNewMagnitude(name, fundamental))
        return;
    ReadGrid();
    const QString bad = m_editor->Add(name.trimmed(), fundamental.trimmed());
    if (!bad.isEmpty()) {
        MsgBox(bad, windowTitle(), mb::Ok | mb::IconError);
        return;
    }
    FillMagnitudes();
    FillGrid();
}

void TfmDefMagUni::SpeedButton1Click()
{
    CommitCellEditor();
    const QString name = m_editor->Current();
    if (name.isEmpty())
        return;
    if (MsgBox(Format(QStringLiteral("¿Desea Eliminar la magnitud:\n%s ?"), {name}), QStringLiteral("Borrar Magnitud"),
               mb::YesNo | mb::IconQuestion | mb::DefButton2) != idYes)
        return;
    m_editor->Delete();
    FillMagnitudes();
    FillGrid();
}

void TfmDefMagUni::SpeedButton4Click()
{
    CommitCellEditor();
    if (m_editor->Current().isEmpty())
        return;
    QString name = m_editor->Current();
    if (!InputQuery ||
        !InputQuery(QStringLiteral("Renombrar Magnitud"), QStringLiteral("Introduzca el nuevo nombre para la magnitud"),
                    name))
        return;
    ReadGrid();
    const QString bad = m_editor->Rename(name.trimmed());
    if (!bad.isEmpty()) {
        MsgBox(bad, windowTitle(), mb::Ok | mb::IconError);
        return;
    }
    FillMagnitudes();
}

void TfmDefMagUni::SpeedButton5Click()
{
    CommitCellEditor();
    ReadGrid();
    m_editor->SortRows();
    const bool modified = m_editor->Modified;
    FillGrid();
    m_editor->Modified = modified;
}

void TfmDefMagUni::SpeedButton2Click()
{
    CommitCellEditor();
    ReadGrid();
    try {
        m_editor->Save();
    } catch (const Exception& e) {
        MsgBox(e.message(), windowTitle(), mb::Ok | mb::IconError);
        return;
    }
    LoadUnitDefinitions();
    QString problems = unitEngine().UnitLoadLog;
    for (const QString& n : unitEngine().UnitLoadNotices)
        problems += n + QStringLiteral("\r\n");
    unitEngine().ShownGeneration = unitEngine().Generation;   // told here, not again
    if (!problems.isEmpty()) {
        const QString text = QStringLiteral("Las siguientes definiciones han producido errores:") +
                             QStringLiteral("\r\n\r\n") + problems + QStringLiteral("\r\n\r\n") +
                             QStringLiteral("¿Desea ignorar estos errores y continuar?");
        if (MsgBox(text, QStringLiteral("Problemas"), mb::YesNo | mb::IconWarning | mb::DefButton2) != idYes)
            return;
    }
    accept();
}

void TfmDefMagUni::SpeedButton3Click() { reject(); }

void TfmDefMagUni::reject()
{
    // The copy is dropped with the editor; nothing is written.
    QDialog::reject();
}

void TfmDefMagUni::SpeedButton9Click()
{
    if (UnitsHelpHook())
        UnitsHelpHook()(kHelpContext);
}

void TfmDefMagUni::AskDeleteRow(int row)
{
    if (row < 1 || row >= gri->RowCount() - 1)
        return;
    if (MsgBox(Format(QStringLiteral("¿Desea borrar la unidad:\r\n%s ?"), {gri->Cells(1, row)}),
               QStringLiteral("Borrar unidad"), mb::YesNo | mb::IconQuestion | mb::DefButton2) != idYes)
        return;
    m_filling = true;
    gri->DeleteRow(row);
    m_filling = false;
    m_editor->Modified = true;
    ReadGrid();
}

bool TfmDefMagUni::eventFilter(QObject* watched, QEvent* event)
{
    // Rows move by dragging their first (fixed) cell; the header row and the
    // empty last row stay where they are.
    if (watched == gri->viewport()) {
        const auto type = event->type();
        if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick) {
            auto* m = static_cast<QMouseEvent*>(event);
            const QPoint pos = m->position().toPoint();
            const int row = gri->rowAt(pos.y());
            if (m->button() == Qt::LeftButton && gri->columnAt(pos.x()) == 0 && row >= 1 &&
                row <= gri->RowCount() - 2) {
                CommitCellEditor();
                m_dragRow = row;
                gri->viewport()->setCursor(Qt::SizeVerCursor);
                gri->SetCurrent(std::max(1, gri->Col()), row);
                return true;
            }
        } else if (type == QEvent::MouseMove && m_dragRow >= 0) {
            const QPoint pos = static_cast<QMouseEvent*>(event)->position().toPoint();
            gri->SetCurrent(std::max(1, gri->Col()), DropRow(pos));
            return true;
        } else if (type == QEvent::MouseButtonRelease && m_dragRow >= 0) {
            const QPoint pos = static_cast<QMouseEvent*>(event)->position().toPoint();
            const int from = m_dragRow;
            m_dragRow = -1;
            gri->viewport()->unsetCursor();
            MoveRow(from, DropRow(pos));
            return true;
        }
    }
    if (watched == this && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_F1) {
        SpeedButton9Click();
        return true;
    }
    if (watched == gri && event->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(event);
        // Keys reach the grid itself only while no cell editor is open.
        if (k->key() == Qt::Key_Delete) {
            AskDeleteRow(gri->Row());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
