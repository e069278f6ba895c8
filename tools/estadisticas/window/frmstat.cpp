#include "tools/estadisticas/window/frmstat.h"

#include "controls/application.h"
#include "controls/areafondo.h"
#include "controls/paintboxm.h"
#include "controls/stringgridx.h"
#include "drawkit/drawkit.h"
#include "drawkit/gradients.h"
#include "engine/bases.h"
#include "foundation/core/basicos.h"
#include "foundation/core/format.h"
#include "platform/keystate.h"
#include "controls/toolbutton.h"
#include "services/help.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QShortcut>
#include <QSplitter>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

// Lines a paste adds between two looks at the Esc key.
constexpr int kPasteChunk = 2000;

// The cells of both grids: the split gradient of the scheme (vertical in the
// header row), the text at 2 pixels from the left and top edges.
class TStatCellDelegate : public QStyledItemDelegate {
public:
    TStatCellDelegate(ToolHost& host, bool results, QObject* parent)
        : QStyledItemDelegate(parent), m_host(host), m_results(results) {}

    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const TAppearance& a = m_host.Appearance();
        const TRect r = FromQRect(option.rect);
        p->save();
        FillSplitGradient(*p, r, a.ClLuz, a.ClSombra, index.row() == 0, 3);
        QString text = index.data().toString();
        QFont f = option.font;
        TColor colour = clBlack;
        if (m_results) {
            f.setBold(index.column() == 1 || index.row() == 0);
            colour = a.ClTexto;
            if (index.column() == 0 && index.row() >= 1)
                text += QStringLiteral(" =");
            if (option.state & QStyle::State_Selected) {
                p->setPen(ToQColor(clBlue));
                p->setBrush(Qt::NoBrush);
                p->drawRect(option.rect.adjusted(0, 0, -1, -1));
            }
        }
        p->setFont(f);
        p->setPen(ToQColor(colour));
        p->drawText(option.rect.adjusted(2, 2, 0, 0), Qt::AlignLeft | Qt::AlignTop, text);
        p->restore();
    }

    // The room the text needs as paint() writes it: two pixels before it and
    // as many after it.
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QString text = index.data().toString();
        QFont f = option.font;
        if (m_results) {
            f.setBold(index.column() == 1 || index.row() == 0);
            if (index.column() == 0 && index.row() >= 1)
                text += QStringLiteral(" =");
        }
        const QFontMetrics fm(f);
        return QSize(fm.horizontalAdvance(text) + 4, fm.height() + 2);
    }

private:
    ToolHost& m_host;
    bool m_results;
};

QToolButton* MakeButton(QWidget* parent, const char* name, const QString& text, const QString& hint = QString())
{
    QToolButton* b = MakeToolButton(parent, name, text, hint);
    b->setToolTip(hint.isEmpty() ? text : hint);
    return b;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& hint)
{
    auto* l = new QLabel(parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setToolTip(hint);
    return l;
}

// Fits each column to its widest cell, never narrower than its first width.
void FitColumns(QTableView* grid, std::initializer_list<int> widths)
{
    int c = 0;
    for (int w : widths) {
        grid->setColumnWidth(c, std::max(w, ColumnNeeds(grid, c)));
        ++c;
    }
}

} // namespace

std::vector<std::pair<QString, QRect>> ChartAxisLabels(const QFontMetrics& fm, int w, int h, const int quartileX[3])
{
    const int th = 13;
    QRect quartiles[3];
    for (int i = 0; i < 3; ++i) {
        const int qw = std::max(20, fm.horizontalAdvance(QStringLiteral("Q%1").arg(i + 1)));
        quartiles[i] = QRect(quartileX[i] - qw / 2, h - th, qw, th);
    }
    const auto clear = [&](const QRect& box) {
        return std::none_of(std::begin(quartiles), std::end(quartiles),
                            [&](const QRect& q) { return q.adjusted(-2, 0, 2, 0).intersects(box); });
    };
    // "Dato" at the left of the axis, or at its right end when a quartile's
    // label takes its place there; with labels at both ends, the quartiles'
    // labels in its way go up a line.
    const int dw = fm.horizontalAdvance(QStringLiteral("Dato"));
    QRect dato(15, h - th, dw, th);
    if (!clear(dato)) {
        const QRect right(w - 2 - dw, h - th, dw, th);
        if (clear(right)) {
            dato = right;
        } else {
            for (QRect& q : quartiles)
                if (q.adjusted(-2, 0, 2, 0).intersects(dato))
                    q.translate(0, -th);
        }
    }
    // Quartiles that fall together keep their labels apart, one line up each.
    for (int i = 1; i < 3; ++i) {
        for (int j = 0; j < i; ++j) {
            if (quartiles[i].adjusted(-2, 0, 2, 0).intersects(quartiles[j]) ||
                quartiles[i].adjusted(-2, 0, 2, 0).intersects(dato)) {
                quartiles[i].translate(0, -th);
                j = -1;   // look again from the first
            }
        }
    }
    std::vector<std::pair<QString, QRect>> out;
    out.emplace_back(QStringLiteral("Dato"), dato);
    for (int i = 0; i < 3; ++i)
        out.emplace_back(QStringLiteral("Q%1").arg(i + 1), quartiles[i]);
    return out;
}

// ---------------------------------------------------------------------------

int TStatTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : std::max(2, m_data.SampleCount() + 1);
}

int TStatTableModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 3; }

QVariant TStatTableModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid())
        return {};
    const int r = index.row();
    if (r == 0) {
        static const char* const header[3] = {"Dato", "Frecuencia", "F.Relativa"};
        return QString::fromLatin1(header[index.column()]);
    }
    if (r > m_data.SampleCount())
        return QString();
    const TPuntoMuestral& s = m_data.Samples()[static_cast<size_t>(r - 1)];
    switch (index.column()) {
    case 0: return FloatToStrDefBase(s.Value);
    case 1: return IntToStr(s.Frequency);
    default: return m_data.RelativeText(r - 1);
    }
}

Qt::ItemFlags TStatTableModel::flags(const QModelIndex& index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

void TStatTableModel::Refresh()
{
    beginResetModel();
    endResetModel();
}

// ---------------------------------------------------------------------------

TfmStat::TfmStat(ToolHost& host, QWidget* parent) : TToolWindow(host, kName, parent)
{
    // Help requests go to the help viewer.
    OnHelp = [](int context) { ShowHelpContext(context); };
    setWindowTitle(QStringLiteral("Estadísticas"));
    resize(300, 380);

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    auto* top = new QVBoxLayout(this);
    top->setContentsMargins(2, 2, 2, 2);
    top->addWidget(PageControl1);

    // ---- data page ----
    fmStatPage = new QWidget;
    fmStatPage->setObjectName(QStringLiteral("fmStat"));
    PageControl1->addTab(fmStatPage, QStringLiteral("Datos"));
    auto* dataLayout = new QVBoxLayout(fmStatPage);
    dataLayout->setContentsMargins(0, 0, 0, 0);
    dataLayout->setSpacing(0);

    m_model = new TStatTableModel(m_data, this);
    griD = new QTableView(fmStatPage);
    griD->setObjectName(QStringLiteral("griD"));
    griD->setModel(m_model);
    griD->horizontalHeader()->hide();
    griD->verticalHeader()->hide();
    griD->verticalHeader()->setDefaultSectionSize(18);
    griD->verticalHeader()->setMinimumSectionSize(1);
    griD->setColumnWidth(0, 123);
    griD->setColumnWidth(1, 70);
    griD->setColumnWidth(2, 61);
    griD->setSelectionBehavior(QAbstractItemView::SelectRows);
    griD->setSelectionMode(QAbstractItemView::SingleSelection);
    griD->setEditTriggers(QAbstractItemView::NoEditTriggers);
    griD->setItemDelegate(new TStatCellDelegate(host, false, griD));
    griD->setToolTip(QStringLiteral("Clic en el título de las \ncolumnas para ordenar"));
    griD->setContextMenuPolicy(Qt::CustomContextMenu);
    griD->viewport()->installEventFilter(this);
    dataLayout->addWidget(griD, 1);

    PopupMenu1 = new QMenu(griD);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    BorrarPuntoMuestral = PopupMenu1->addAction(QStringLiteral("Borrar punto muestral"));
    BorrarPuntoMuestral->setObjectName(QStringLiteral("BorrarPuntoMuestral"));
    connect(BorrarPuntoMuestral, &QAction::triggered, this, &TfmStat::BorrarPuntoClick);
    connect(griD, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { PopupMenu1->popup(griD->viewport()->mapToGlobal(pos)); });

    Panel1 = new QWidget(fmStatPage);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    AreaFondo1 = AddBackground(Panel1, QStringLiteral("AreaFondo1"));
    auto* p1 = new QGridLayout(Panel1);
    p1->setContentsMargins(4, 4, 4, 4);
    Label1 = MakeLabel(Panel1, "Label1", QStringLiteral("Cuenta de datos"));
    Label2 = MakeLabel(Panel1, "Label2", QStringLiteral("Suma"));
    Label3 = MakeLabel(Panel1, "Label3", QStringLiteral("Media"));
    entrada = new QLineEdit(Panel1);
    entrada->setObjectName(QStringLiteral("entrada"));
    entrada->setToolTip(QStringLiteral("Ingreso de datos\nIntroduzca dato y frecuencia separado por *\n"
                                       "Si omite * se supone frecuencia 1"));
    entrada->installEventFilter(this);
    SpeedButton1 = MakeButton(Panel1, "SpeedButton1", QStringLiteral("Vaciar todo"));
    SpeedButton2 = MakeButton(Panel1, "SpeedButton2", QStringLiteral("Copiar tabla"));
    SpeedButton3 = MakeButton(Panel1, "SpeedButton3", QStringLiteral("Pegar datos"));
    SpeedButton4 = MakeButton(Panel1, "SpeedButton4", QStringLiteral("Ayuda (F1)"));
    p1->addWidget(Label1, 0, 0);
    p1->addWidget(Label2, 0, 1);
    p1->addWidget(Label3, 0, 2);
    p1->addWidget(entrada, 1, 0, 1, 3);
    auto* buttons = new QHBoxLayout;
    for (QToolButton* b : {SpeedButton1, SpeedButton2, SpeedButton3, SpeedButton4})
        buttons->addWidget(b);
    p1->addLayout(buttons, 2, 0, 1, 3);
    dataLayout->addWidget(Panel1);
    connect(SpeedButton1, &QToolButton::clicked, this, &TfmStat::SpeedButton1Click);
    connect(SpeedButton2, &QToolButton::clicked, this, &TfmStat::SpeedButton2Click);
    connect(SpeedButton3, &QToolButton::clicked, this, &TfmStat::SpeedButton3Click);
    connect(SpeedButton4, &QToolButton::clicked, this, [this] { Help(kHelpContext); });

    // ---- results page ----
    TabSheet2 = new QWidget;
    TabSheet2->setObjectName(QStringLiteral("TabSheet2"));
    PageControl1->addTab(TabSheet2, QStringLiteral("Resultados"));
    auto* resultsLayout = new QVBoxLayout(TabSheet2);
    resultsLayout->setContentsMargins(0, 0, 0, 0);
    Splitter1 = new QSplitter(Qt::Vertical, TabSheet2);
    Splitter1->setObjectName(QStringLiteral("Splitter1"));
    resultsLayout->addWidget(Splitter1);

    Panel2 = new QWidget(Splitter1);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    AreaFondo2 = AddBackground(Panel2, QStringLiteral("AreaFondo2"));
    auto* p2 = new QVBoxLayout(Panel2);
    p2->setContentsMargins(4, 4, 4, 4);
    pb = new TPaintBoxM(Panel2);
    pb->setObjectName(QStringLiteral("pb"));
    pb->setCursor(Qt::CrossCursor);
    pb->setMinimumHeight(120);
    pb->setMouseTracking(true);
    pb->DrawRectLeft = false;
    pb->DrawRectRight = false;
    pb->OnPaint = [this](QObject*) { pbPaint(); };
    pb->OnMouseMove = [this](QObject*, TShiftState, int x, int y) { pbMouseMove(x, y); };
    pb->OnMouseOver = [this](QObject*) {
        if (!pb->MouseInControl())
            Label4->clear();
    };
    p2->addWidget(pb, 1);
    auto* row = new QHBoxLayout;
    Label4 = new QLabel(Panel2);
    Label4->setObjectName(QStringLiteral("Label4"));
    SpeedButton9 = MakeButton(Panel2, "SpeedButton9", QStringLiteral("Ayuda (F1)"));
    connect(SpeedButton9, &QToolButton::clicked, this, [this] { Help(kResultsHelpContext); });
    row->addWidget(Label4, 1);
    row->addWidget(SpeedButton9);
    p2->addLayout(row);

    sg = new TStringGridX(Splitter1);
    sg->setObjectName(QStringLiteral("sg"));
    sg->SetColCount(2);
    sg->SetRowCount(2);
    sg->SetFixed(1, 1);
    sg->setColumnWidth(0, 138);
    sg->setColumnWidth(1, 130);
    sg->verticalHeader()->setDefaultSectionSize(18);
    sg->setEditTriggers(QAbstractItemView::NoEditTriggers);
    sg->setSelectionMode(QAbstractItemView::SingleSelection);
    sg->setItemDelegate(new TStatCellDelegate(host, true, sg));
    sg->setContextMenuPolicy(Qt::CustomContextMenu);
    sg->installEventFilter(this);
    PopupMenu2 = new QMenu(sg);
    PopupMenu2->setObjectName(QStringLiteral("PopupMenu2"));
    Borrar = PopupMenu2->addAction(QStringLiteral("Borrar"));
    Borrar->setObjectName(QStringLiteral("Borrar"));
    PopupMenu2->addSeparator();
    Copiar = PopupMenu2->addAction(QStringLiteral("Copiar"));
    Copiar->setObjectName(QStringLiteral("Copiar"));
    CopiarTodo = PopupMenu2->addAction(QStringLiteral("Copiar todo"));
    CopiarTodo->setObjectName(QStringLiteral("CopiarTodo"));
    connect(Borrar, &QAction::triggered, this, &TfmStat::BorrarPuntoClick);
    connect(Copiar, &QAction::triggered, this, &TfmStat::CopiarClick);
    connect(CopiarTodo, &QAction::triggered, this, &TfmStat::CopiarTodoClick);
    connect(sg, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { PopupMenu2->popup(sg->viewport()->mapToGlobal(pos)); });
    sg->SetCells(0, 0, QStringLiteral("Medida"));
    sg->SetCells(1, 0, QStringLiteral("Valor"));

    auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(f1, &QShortcut::activated, this,
            [this] { Help(PageControl1->currentWidget() == TabSheet2 ? kResultsHelpContext : kHelpContext); });

    connect(PageControl1, &QTabWidget::currentChanged, this, &TfmStat::PageControl1Change);
    PageControl1->setCurrentWidget(fmStatPage);
    ApplyAppearance();
}

TfmStat::~TfmStat() = default;

void TfmStat::ApplyAppearance()
{
    TToolWindow::ApplyAppearance();
    const TAppearance& a = Host().Appearance();
    for (TAreaFondo* f : {AreaFondo1, AreaFondo2}) {
        f->setColor(a.ClLuz);
        f->setColor2(a.ClSombra);
    }
    QPalette pe = entrada->palette();
    pe.setColor(QPalette::Base, ToQColor(a.ClFondo));
    entrada->setPalette(pe);
    for (QAbstractItemView* g : {static_cast<QAbstractItemView*>(griD), static_cast<QAbstractItemView*>(sg)}) {
        QPalette pg = g->palette();
        pg.setColor(QPalette::Base, ToQColor(a.ClSombra));
        g->setPalette(pg);
        g->viewport()->update();
    }
}

void TfmStat::showEvent(QShowEvent* e)
{
    TToolWindow::showEvent(e);
    if (PageControl1->currentWidget() == fmStatPage)
        entrada->setFocus();
}

void TfmStat::Help(int context)
{
    if (OnHelp)
        OnHelp(context);
}

bool TfmStat::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == entrada && event->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(event);
        if (k->modifiers() & Qt::ControlModifier)
            return false;   // the edit's own shortcuts
        if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
            entradaKeyPress();
            return true;
        }
        const QString t = k->text();
        if (k->key() == Qt::Key_Backspace || t.isEmpty() || !t[0].isPrint())
            return false;
        const QChar c = t[0];
        const bool allowed = c.isDigit() || c == QLatin1Char('*') || c == QLatin1Char('-') || c == QLatin1Char('.');
        return !allowed || t.size() != 1;
    }
    if (watched == griD->viewport() && event->type() == QEvent::MouseButtonPress) {
        auto* m = static_cast<QMouseEvent*>(event);
        const QPoint pos = m->position().toPoint();
        if (griD->rowAt(pos.y()) == 0 && griD->columnAt(pos.x()) >= 0) {
            m_data.SortByColumn(griD->columnAt(pos.x()));
            RefreshTable();
        }
        m_data.StatSortDirection = -m_data.StatSortDirection;
        return false;
    }
    if (watched == sg && event->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(event);
        // The values cannot be typed into; moving stays in the value column.
        if (!k->text().isEmpty() && k->text()[0].isPrint())
            return true;
        if (k->key() == Qt::Key_Left || k->key() == Qt::Key_Right)
            return true;
    }
    return TToolWindow::eventFilter(watched, event);
}

void TfmStat::entradaKeyPress()
{
    AddEntry(entrada->text());
    entrada->selectAll();
}

void TfmStat::AddEntry(const QString& text)
{
    TApplication::Guarded([&] { m_data.AddEntry(text); });
    RefreshTable();
    UpdateTotals();
}

void TfmStat::UpdateTotals()
{
    Label1->setText(m_data.CountText());
    Label2->setText(m_data.SumText());
    Label3->setText(m_data.MeanText());
}

void TfmStat::RefreshTable()
{
    const int row = griD->currentIndex().row();
    m_model->Refresh();
    FitColumns(griD, {123, 70, 61});
    if (row >= 0)
        griD->setCurrentIndex(m_model->index(std::min(row, m_model->rowCount() - 1), 0));
}

void TfmStat::SpeedButton1Click()
{
    if (MsgBox(QStringLiteral("Se eliminaran todos los datos.\n\n¿Desea continuar?"), QStringLiteral("Borrar"),
               mb::YesNo | mb::IconQuestion | mb::DefButton2) != idYes)
        return;
    m_data.Clear();
    m_hasResults = false;
    RefreshTable();
    Label1->clear();
    Label2->clear();
    Label3->clear();
}

void TfmStat::SpeedButton2Click() { QApplication::clipboard()->setText(m_data.TableText()); }

void TfmStat::SpeedButton3Click()
{
    const QStringList lines = TStatData::PasteLines(QApplication::clipboard()->text());
    // Long pastes go in chunks: the count shows the progress and Esc stops
    // the paste (what was added stays).
    for (int i = 0; i < lines.size(); ++i) {
        if (!TApplication::Guarded([&] { m_data.AddEntry(lines[i]); }))
            break;
        if ((i + 1) % kPasteChunk == 0 && i + 1 < lines.size()) {
            UpdateTotals();
            Label1->repaint();
            if (IsKeyDown(vk::Escape))
                break;
        }
    }
    RefreshTable();
    UpdateTotals();
}

void TfmStat::BorrarPuntoClick()
{
    const int r = griD->currentIndex().row();
    if (r < 1 || r > m_data.SampleCount())
        return;
    m_data.DeletePoint(r - 1);
    RefreshTable();
    UpdateTotals();
}

void TfmStat::CopiarClick()
{
    QApplication::clipboard()->setText(sg->Cells(std::max(sg->Col(), 0), std::max(sg->Row(), 0)));
}

void TfmStat::CopiarTodoClick()
{
    QString out;
    for (int r = 0; r < sg->RowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < sg->ColCount(); ++c)
            cells << sg->Cells(c, r);
        out += cells.join(QLatin1Char('\t')) + QStringLiteral("\r\n");
    }
    QApplication::clipboard()->setText(out);
}

void TfmStat::PageControl1Change(int index)
{
    if (PageControl1->widget(index) == fmStatPage) {
        entrada->setFocus();
        return;
    }
    // The results need two distinct values at least.
    if (m_model->rowCount() <= 2) {
        const QSignalBlocker block(PageControl1);
        PageControl1->setCurrentWidget(fmStatPage);
        entrada->setFocus();
        return;
    }
    if (m_data.Count() > 0)
        ShowResults();
}

void TfmStat::AddResultRow(const QString& label, const QString& value)
{
    const int r = sg->RowCount() - 1;
    sg->SetCells(0, r, label);
    sg->SetCells(1, r, value);
    sg->SetRowCount(r + 2);
}

void TfmStat::ShowResults()
{
    Label4->clear();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    TApplication::Guarded([this] { m_results = m_data.ComputeResults(); });
    QApplication::restoreOverrideCursor();
    m_hasResults = true;
    sg->SetRowCount(2);
    sg->SetCells(0, 1, QString());
    sg->SetCells(1, 1, QString());
    for (const auto& [label, value] : m_results.Rows)
        AddResultRow(label, value);
    sg->SetRowCount(sg->RowCount() - 1);
    sg->SetFixed(1, 1);
    sg->SetCurrent(1, std::clamp(sg->Row(), 1, sg->RowCount() - 1));
    FitColumns(sg, {138, 130});
    // The window widens to show every result whole.
    sg->setMinimumWidth(sg->columnWidth(0) + sg->columnWidth(1) + sg->verticalScrollBar()->sizeHint().width() +
                        2 * sg->frameWidth());
    RefreshTable();
    pb->Repaint();
}

void TfmStat::pbPaint()
{
    QPainter* canvas = pb->Canvas();
    if (!canvas)
        return;
    QPainter& p = *canvas;
    const int w = pb->width();
    const int h = pb->height();
    p.setPen(QPen(Qt::black));
    p.setBrush(Qt::white);
    PaintRectangle(p, TRect{0, 0, w, h});
    if (!m_hasResults || m_results.Rows.empty())
        return;
    const TStatResults& r = m_results;
    // The world of the data with a margin of 13 pixels all round.
    pb->SetScale(r.Minimum, r.ModeFrequency, r.Maximum, 0);
    pb->SetScale(pb->PixelToWorldX(-13), pb->PixelToWorldY(-13), pb->PixelToWorldX(w + 13),
                 pb->PixelToWorldY(h + 13));
    const int x0 = pb->WorldToPixelX(r.Minimum);
    const int x1 = pb->WorldToPixelX(r.Maximum);
    const int y0 = pb->WorldToPixelY(r.ModeFrequency);
    const int y1 = pb->WorldToPixelY(0);
    p.setPen(Qt::NoPen);
    p.setBrush(ToQColor(0xCFFDFF));
    PaintRectangle(p, TRect{x0, y0, x1, y1});

    QPen dotted(Qt::black);
    dotted.setStyle(Qt::DotLine);
    p.setPen(dotted);
    p.setBrush(Qt::NoBrush);
    QFont font(QStringLiteral("Courier New"));
    font.setPixelSize(11);
    p.setFont(font);
    p.setPen(ToQColor(clGray));
    TextOutRotated(p, 1, h - 15, 900, QStringLiteral("Frecuencia"));
    const double quartiles[3] = {r.Quartile1, r.Median, r.Quartile3};
    int quartileX[3];
    for (int i = 0; i < 3; ++i) {
        quartileX[i] = pb->WorldToPixelX(quartiles[i]) + 1;
        p.setPen(dotted);
        DrawLine(p, quartileX[i], 13, quartileX[i], h - 13);
    }
    m_axisLabels = ChartAxisLabels(p.fontMetrics(), w, h, quartileX);
    p.setPen(Qt::black);
    for (const auto& [text, box] : m_axisLabels)
        p.drawText(box, Qt::AlignCenter, text);
    const int xm = pb->WorldToPixelX(r.Mean);
    p.setPen(ToQColor(clRed));
    DrawLine(p, xm, 13, xm, h - 13);
    DrawTextCentered(p, TRect{xm - 13, 0, xm + 13, 13}, QStringLiteral("X"));

    // The bell curve peaks at pixel row 10 over the mean; without a spread
    // there is no curve.
    if (r.HasVariance && r.Variance > 0 && std::isfinite(r.Variance)) {
        p.setPen(ToQColor(0x8000));
        const double top = pb->PixelToWorldY(10);
        for (int a = 10; a <= w - 10; ++a) {
            const double x = pb->PixelToWorldX(a);
            const double g = std::exp(-(x - r.Mean) * (x - r.Mean) / (2 * r.Variance));
            p.drawPoint(a, pb->WorldToPixelY(top * g));
        }
    }
    p.setPen(ToQColor(clBlue));
    p.setBrush(ToQColor(clRed));
    for (const TPuntoMuestral& s : m_data.Samples()) {
        const int px = pb->WorldToPixelX(s.Value);
        const int py = pb->WorldToPixelY(s.Frequency);
        PaintEllipse(p, TRect{px - 2, py - 2, px + 3, py + 3});
    }
}

void TfmStat::pbMouseMove(int x, int y)
{
    if (!m_hasResults)
        return;
    const double wx = std::clamp(pb->PixelToWorldX(x), m_results.Minimum, m_results.Maximum);
    const double wy = std::clamp(pb->PixelToWorldY(y), 0.0, static_cast<double>(m_results.ModeFrequency));
    Label4->setText(Format(QStringLiteral("x = %.2f  f = %.0f"), {wx, wy}));
}
