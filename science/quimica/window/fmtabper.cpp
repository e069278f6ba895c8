#include "science/quimica/window/fmtabper.h"

#include "controls/areafondo.h"
#include "controls/imagelist.h"
#include "controls/paintgrid.h"
#include "controls/spinedit.h"
#include "drawkit/drawkit.h"
#include "drawkit/gradients.h"
#include "foundation/core/basicos.h"
#include "foundation/core/format.h"
#include "science/quimica/elementos.h"
#include "science/quimica/window/legendas.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPainter>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

const std::array<std::uint8_t, 180> kTablaPeriodica = {
    // main grid
    1,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   2,
    3,   4,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   5,   6,   7,   8,   9,   10,
    11,  12,  0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   13,  14,  15,  16,  17,  18,
    19,  20,  21,  22,  23,  24,  25,  26,  27,  28,  29,  30,  31,  32,  33,  34,  35,  36,
    37,  38,  39,  40,  41,  42,  43,  44,  45,  46,  47,  48,  49,  50,  51,  52,  53,  54,
    55,  56,  57,  72,  73,  74,  75,  76,  77,  78,  79,  80,  81,  82,  83,  84,  85,  86,
    87,  88,  89,  104, 105, 106, 107, 108, 109, 110, 111, 112, 113, 114, 115, 116, 117, 118,
    119, 120, 121, 0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0,
    // lower grid
    0,   0,   0,   58,  59,  60,  61,  62,  63,  64,  65,  66,  67,  68,  69,  70,  71,  0,
    0,   0,   0,   90,  91,  92,  93,  94,  95,  96,  97,  98,  99,  100, 101, 102, 103, 0,
};

namespace {

constexpr int kGridWidth = 545;
constexpr int kMainHeight = 225;
constexpr int kLowerHeight = 57;
constexpr int kLowerTag = 144;
constexpr int kPanelHeight = 100;

QLabel* makeLabel(QWidget* parent, const QString& name, const QString& text = QString())
{
    auto* l = new QLabel(text, parent);
    if (!name.isEmpty())
        l->setObjectName(name);
    return l;
}

QToolButton* makeButton(QWidget* parent, const QString& name, const QString& text)
{
    auto* b = new QToolButton(parent);
    b->setObjectName(name);
    b->setText(text);
    b->setAutoRaise(true);
    return b;
}

} // namespace

// ---------------------------------------------------------------------------
// The element window

TfmElemento::TfmElemento(QWidget* parent) : QWidget(parent, Qt::Tool)
{
    setObjectName(QStringLiteral("fmElemento"));
    auto* root = new QVBoxLayout(this);
    auto* nav = new QHBoxLayout;
    btnPrimero = makeButton(this, QStringLiteral("btnPrimero"), QStringLiteral("<<"));
    btnAnterior = makeButton(this, QStringLiteral("btnAnterior"), QStringLiteral("<"));
    btnSiguiente = makeButton(this, QStringLiteral("btnSiguiente"), QStringLiteral(">"));
    btnUltimo = makeButton(this, QStringLiteral("btnUltimo"), QStringLiteral(">>"));
    SpinButton1 = new TRxSpinButton(bkStandard, this);
    SpinButton1->setObjectName(QStringLiteral("SpinButton1"));
    SpinButton1->setFixedSize(15, 22);
    const std::array<QToolButton*, 4> buttons{btnPrimero, btnAnterior, btnSiguiente, btnUltimo};
    for (int tag = 0; tag < 4; ++tag) {
        nav->addWidget(buttons[size_t(tag)]);
        connect(buttons[size_t(tag)], &QToolButton::clicked, this, [this, tag] { Navigate(tag); });
    }
    nav->addStretch();
    nav->addWidget(SpinButton1);
    SpinButton1->OnTopClick = [this](QObject*) { SpinUp(); };
    SpinButton1->OnBottomClick = [this](QObject*) { SpinDown(); };
    root->addLayout(nav);

    auto* form = new QFormLayout;
    TElementoQ none;
    for (const TElementField& f : ElementDataFields(0, none)) {
        if (f.Name == QLatin1String("lbCanIso"))
            continue;
        form->addRow(f.Caption + QLatin1Char(':'), makeLabel(this, f.Name));
    }
    root->addLayout(form);
    lbCanIso = makeLabel(this, QStringLiteral("lbCanIso"));
    root->addWidget(lbCanIso);
    iso = new QTableWidget(this);
    iso->setObjectName(QStringLiteral("iso"));
    iso->setColumnCount(4);
    iso->horizontalHeader()->hide();
    iso->verticalHeader()->hide();
    iso->setEditTriggers(QAbstractItemView::NoEditTriggers);
    iso->setMinimumHeight(120);
    root->addWidget(iso);
}

void TfmElemento::ShowElement(int z)
{
    const TElementoQ* e = PeriodicElement(z);
    if (!e)
        return;
    m_z = z;
    setWindowTitle(e->Name);
    for (const TElementField& f : ElementDataFields(z, *e)) {
        if (auto* l = findChild<QLabel*>(f.Name))
            l->setText(f.Text);
    }
    btnPrimero->setEnabled(z > 1);
    btnAnterior->setEnabled(z > 1);
    btnSiguiente->setEnabled(z <= kElementCount - 1);
    btnUltimo->setEnabled(z <= kElementCount - 1);
    const int n = e->IsotopeCount();
    lbCanIso->setText(IsotopeCountText(n));
    iso->clearContents();
    iso->setRowCount(n + 1);
    const QStringList header{QStringLiteral("Masa"), QStringLiteral("p+ / e-"), QStringLiteral("Neutrones"),
                             QStringLiteral("Abundancia")};
    for (int c = 0; c < 4; ++c)
        iso->setItem(0, c, new QTableWidgetItem(header[c]));
    for (int k = 1; k <= n; ++k) {
        const TIsotope& i = e->Isotopes[size_t(k - 1)];
        iso->setItem(k, 0, new QTableWidgetItem(IntToStr(i.MassNumber)));
        iso->setItem(k, 1, new QTableWidgetItem(IntToStr(z)));
        iso->setItem(k, 2, new QTableWidgetItem(IntToStr(int(i.MassNumber) - z)));
        iso->setItem(k, 3, new QTableWidgetItem(ElementFloatText(i.Abundance) + QLatin1Char('%')));
    }
    show();
}

void TfmElemento::Navigate(int tag)
{
    switch (tag) {
    case 0:
        ShowElement(1);
        break;
    case 1:
        ShowElement(m_z - 1);
        break;
    case 2:
        ShowElement(m_z + 1);
        break;
    default:
        ShowElement(kElementCount);
        break;
    }
}

void TfmElemento::SpinUp() { ShowElement(m_z >= kElementCount ? 1 : m_z + 1); }

void TfmElemento::SpinDown() { ShowElement(m_z <= 1 ? kElementCount : m_z - 1); }

// ---------------------------------------------------------------------------
// The periodic table window

TfmTabPer::TfmTabPer(ToolHost& host, QWidget* parent) : TToolWindow(host, kName, parent)
{
    setWindowTitle(QStringLiteral("Tabla Periódica de los Elementos (Versión Alfa)"));
    m_gamma = new TGamma;

    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(6, 6, 6, 6);
    root->setSpacing(4);

    // The header: the pointed element.
    auto* header = new QGridLayout;
    lbSimb = makeLabel(this, QStringLiteral("lbSimb"));
    QFont big = lbSimb->font();
    big.setPixelSize(28);
    big.setBold(true);
    lbSimb->setFont(big);
    lbSimb->setMinimumWidth(60);
    lbNA = makeLabel(this, QStringLiteral("lbNA"));
    lbNombre = makeLabel(this, QStringLiteral("lbNombre"));
    QFont bold = lbNombre->font();
    bold.setBold(true);
    lbNombre->setFont(bold);
    header->addWidget(lbNA, 0, 0);
    header->addWidget(lbSimb, 1, 0, 2, 1);
    header->addWidget(lbNombre, 0, 1);
    const QStringList captions{QStringLiteral("Grupo"), QStringLiteral("Periodo"), QStringLiteral("Masa"),
                               QStringLiteral("Serie"), QStringLiteral("Valencia / Est. de Ox.")};
    lbGrupo = makeLabel(this, QStringLiteral("lbGrupo"));
    lbPeriodo = makeLabel(this, QStringLiteral("lbPeriodo"));
    lbMasa = makeLabel(this, QStringLiteral("lbMasa"));
    lbTipo = makeLabel(this, QStringLiteral("lbTipo"));
    lbValencia = makeLabel(this, QStringLiteral("lbValencia"));
    const std::array<QLabel*, 5> values{lbGrupo, lbPeriodo, lbMasa, lbTipo, lbValencia};
    for (int i = 0; i < 5; ++i) {
        header->addWidget(makeLabel(this, QString(), captions[i]), 1, i + 1);
        header->addWidget(values[size_t(i)], 2, i + 1);
    }
    header->setColumnStretch(5, 1);
    root->addLayout(header);

    // The two grids of the table.
    pg1 = new TPaintGrid(this);
    pg1->setObjectName(QStringLiteral("pg1"));
    pg1->SetColCount(18);
    pg1->SetRowCount(8);
    pg1->setFixedSize(kGridWidth, kMainHeight);
    pg2 = new TPaintGrid(this);
    pg2->setObjectName(QStringLiteral("pg2"));
    pg2->SetColCount(18);
    pg2->SetRowCount(2);
    pg2->setFixedSize(kGridWidth, kLowerHeight);
    for (TPaintGrid* g : {pg1, pg2}) {
        g->setMouseTracking(true);
        g->OnPaint = [this, g](QObject*) { PaintTable(g); };
        g->OnMouseMoveCell = [this, g](QObject*, TShiftState shift, int, int, int cell) {
            mouseMoveCell(g, shift, cell);
        };
        g->OnMouseDownCell = [this, g](QObject*, Qt::MouseButton button, TShiftState, int, int, int cell) {
            mouseDownCell(g, button, cell);
        };
    }
    root->addWidget(pg1);
    root->addWidget(pg2);

    // The legend panel and the bar under it.
    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedSize(kGridWidth, kPanelHeight);
    root->addWidget(Panel1);
    AreaFondo1 = new TAreaFondo(this);
    AreaFondo1->setObjectName(QStringLiteral("AreaFondo1"));
    AreaFondo1->setFixedHeight(30);
    auto* bar = new QHBoxLayout(AreaFondo1);
    bar->setContentsMargins(4, 2, 4, 2);
    bar->addWidget(makeLabel(AreaFondo1, QString(), QStringLiteral("Mostrar:")));
    cmbPintar = new QComboBox(AreaFondo1);
    cmbPintar->setObjectName(QStringLiteral("cmbPintar"));
    for (const TColouring& c : Colourings())
        cmbPintar->addItem(c.Item);
    bar->addWidget(cmbPintar);
    SpeedButton1 = makeButton(AreaFondo1, QStringLiteral("SpeedButton1"), QStringLiteral("<"));
    SpeedButton2 = makeButton(AreaFondo1, QStringLiteral("SpeedButton2"), QStringLiteral(">"));
    bar->addWidget(SpeedButton1);
    bar->addWidget(SpeedButton2);
    Actual = makeLabel(AreaFondo1, QStringLiteral("Actual"));
    bar->addWidget(Actual, 1);
    root->addWidget(AreaFondo1);
    connect(SpeedButton1, &QToolButton::clicked, this, &TfmTabPer::SpeedButton1Click);
    connect(SpeedButton2, &QToolButton::clicked, this, &TfmTabPer::SpeedButton2Click);

    // The frames: the state frame first, then the table, then the other two.
    auto hookFrame = [this](TfaTabPerBase* f) {
        f->OnReport = [this](const QString& text) { Actual->setText(text); };
        f->OnRedrawTable = [this] { RedrawTable(); };
    };
    faEstado = new TfaEstado(Panel1);
    hookFrame(faEstado);
    ApplyAppearance();
    const TTableReport report = LoadPeriodicTable();
    if (!report.ok())
        Host().ShowMessage(report.Text(), mb::Ok | mb::IconError);
    faTipo = new TfaTipo(Panel1);
    faEscala = new TfaEscala(Panel1);
    hookFrame(faTipo);
    hookFrame(faEscala);
    {
        const QSignalBlocker block(cmbPintar);
        cmbPintar->setCurrentIndex(kStateColouring);
    }
    connect(cmbPintar, &QComboBox::currentIndexChanged, this, &TfmTabPer::cmbPintarClick);
    cmbPintarClick();
    ShowElementInfo(1);
}

TfmTabPer::~TfmTabPer() { delete m_gamma; }

void TfmTabPer::showEvent(QShowEvent* e)
{
    TToolWindow::showEvent(e);
    cmbPintarClick();
}

void TfmTabPer::ApplyAppearance()
{
    TToolWindow::ApplyAppearance();
    TabPer().TabPerLightColor = Host().Appearance().ClLuz;
    TabPer().TabPerDarkColor = Host().Appearance().ClSombra;
    if (AreaFondo1) {
        AreaFondo1->setColor(TabPer().TabPerLightColor);
        AreaFondo1->setColor2(TabPer().TabPerDarkColor);
    }
    RedrawTable();
    if (faEstado)
        faEstado->DrawLegend();
}

void TfmTabPer::cmbPintarClick()
{
    if (!faTipo || !faEscala || !faEstado)
        return;
    Actual->clear();
    if (m_frame)
        m_frame->hide();
    const int index = cmbPintar->currentIndex();
    if (index < 0 || index >= Colourings().size())
        return;
    const TColouring& c = Colourings()[index];
    switch (c.Kind) {
    case TColouringKind::Scale:
        faEscala->SetUnit(c.Unit);
        faEscala->SetScale(c.Getter, c.Min, c.Max);
        m_frame = faEscala;
        break;
    case TColouringKind::Category:
        faTipo->ShowLegend(c.Category);
        m_frame = faTipo;
        break;
    case TColouringKind::State:
        // The strip of the element pointed at under another colouring goes:
        // the frame starts afresh, as the others do.
        faEstado->DrawLegend();
        m_frame = faEstado;
        break;
    }
    m_frame->show();
    RedrawTable();
}

void TfmTabPer::SpeedButton1Click()
{
    if (cmbPintar->currentIndex() > 0)
        cmbPintar->setCurrentIndex(cmbPintar->currentIndex() - 1);
}

void TfmTabPer::SpeedButton2Click()
{
    if (cmbPintar->currentIndex() < cmbPintar->count() - 1)
        cmbPintar->setCurrentIndex(cmbPintar->currentIndex() + 1);
}

void TfmTabPer::RedrawTable()
{
    QImage& back = Image();
    if (!back.isNull()) {
        QPainter p(&back);
        FillGradient(p, TRect{0, 0, back.width(), back.height()}, TabPer().TabPerLightColor, TabPer().TabPerDarkColor,
                     true);
    }
    if (pg1)
        pg1->update();
    if (pg2)
        pg2->update();
    update();
}

int TfmTabPer::ElementAt(const TPaintGrid* grid, int cell) const
{
    const int tag = grid == pg2 ? kLowerTag : 0;
    if (cell < 0 || cell >= grid->CellCount() || tag + cell >= int(kTablaPeriodica.size()))
        return 0;
    return kTablaPeriodica[size_t(tag + cell)];
}

TColor TfmTabPer::CellColor(int z) const { return m_frame ? m_frame->ElementColor(z) : kUnknownColor; }

void TfmTabPer::PaintTable(TPaintGrid* grid)
{
    QPainter* p = grid->Canvas();
    if (!p || PeriodicTableEmpty())
        return;
    QFont symbolFont = font();
    symbolFont.setPixelSize(11);
    symbolFont.setBold(true);
    QFont numberFont = font();
    numberFont.setPixelSize(8);
    for (int cell = 0; cell < grid->CellCount(); ++cell) {
        const int z = ElementAt(grid, cell);
        const TElementoQ* e = PeriodicElement(z);
        if (!e)
            continue;
        const TRect r = grid->CellRectOfIndex(cell);
        p->fillRect(ToQRect(r), ToQColor(CellColor(z)));
        p->setPen(ToQColor(clBlack));
        p->setFont(symbolFont);
        p->drawText(r.Left + 2, r.Top + 1 + p->fontMetrics().ascent(), e->Symbol);
        p->setFont(numberFont);
        const QString number = IntToStr(z);
        const int w = p->fontMetrics().horizontalAdvance(number);
        p->drawText(r.Right - 3 - w, r.Bottom - 1 - p->fontMetrics().descent(), number);
        m_gamma->DrawBevel(*p, r, 1, true);
    }
}

void TfmTabPer::ShowElementInfo(int z)
{
    const TElementoQ* e = PeriodicElement(z);
    if (!e)
        return;
    lbNA->setText(IntToStr(z));
    lbNombre->setText(e->Name);
    lbSimb->setText(e->Symbol);
    lbGrupo->setText(GroupText(*e));
    lbPeriodo->setText(IntToStr(e->Period));
    lbTipo->setText(ElementTypeText(*e));
    lbMasa->setText(e->AtomicMass == 0 ? QString::fromLatin1(kUnknownPropertyText)
                                       : Format(QStringLiteral("%.4g"), {double(e->AtomicMass)}));
    lbValencia->setText(OxidationStatesText(*e));
    if (m_frame)
        m_frame->ShowElement(z);
}

void TfmTabPer::mouseMoveCell(TPaintGrid* grid, TShiftState shift, int cell)
{
    const int z = ElementAt(grid, cell);
    if (z == 0)
        return;
    ShowElementInfo(z);
    if (shift.left() && fmElemento && fmElemento->isVisible())
        fmElemento->ShowElement(z);
}

void TfmTabPer::mouseDownCell(TPaintGrid* grid, Qt::MouseButton button, int cell)
{
    if (button != Qt::LeftButton)
        return;
    const int z = ElementAt(grid, cell);
    if (!PeriodicElement(z))
        return;
    if (!fmElemento)
        fmElemento = new TfmElemento(this);
    fmElemento->ShowElement(z);
}
