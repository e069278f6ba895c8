#include "tools/matrices/window/frmmatriz.h"

#include "controls/application.h"
#include "controls/menudraw.h"
#include "controls/popupmenux.h"
#include "controls/stringgridx.h"
#include "controls/toolbutton.h"
#include "controls/toolpictures.h"
#include "drawkit/drawkit.h"
#include "drawkit/gradients.h"
#include "engine/errors.h"
#include "engine/formatonum.h"
#include "foundation/core/basicos.h"
#include "foundation/core/format.h"
#include "foundation/core/zelini.h"
#include "platform/formpos.h"
#include "platform/keystate.h"
#include "services/frminput.h"
#include "services/help.h"
#include "services/workprogress.h"

#include <QApplication>
#include <QClipboard>
#include <QDrag>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QSpinBox>
#include <QSplitter>
#include <QStatusTipEvent>
#include <QStyledItemDelegate>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

const char* const kGridNames[] = {"ga", "gb", "gc", "gr"};
const char* const kGridLetters[] = {"A", "B", "C", "R"};
const char* const kPanelNames[] = {"pa", "pb", "pc", "pr"};
const QString kOptions = QStringLiteral("Opciones");

const QString kFormats[] = {QStringLiteral("Fracción Simple"), QStringLiteral("Fracción Mixta"),
                            QStringLiteral("Redondeo"), QStringLiteral("Flotante")};

TRect RectOf(const QRect& r) { return TRect{r.left(), r.top(), r.right() + 1, r.bottom() + 1}; }

void PaintBackground(QWidget* w, TColor color, QPalette::ColorRole role = QPalette::Window)
{
    QPalette p = w->palette();
    p.setColor(role, ToQColor(color));
    if (role == QPalette::Window)
        w->setAutoFillBackground(true);
    w->setPalette(p);
}

// Shows a hint both as tooltip and on the status line.
void SetHint(QWidget* w, const QString& hint)
{
    w->setToolTip(hint);
    w->setStatusTip(hint);
}

// The size handle's picture: a small grid with an arrow pulling its corner.
QPixmap SizeHandlePicture()
{
    QPixmap pm(18, 18);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setPen(QColor(90, 90, 90));
    for (int i = 0; i <= 3; ++i) {
        p.drawLine(1 + 3 * i, 1, 1 + 3 * i, 10);
        p.drawLine(1, 1 + 3 * i, 10, 1 + 3 * i);
    }
    p.setPen(QPen(QColor(30, 30, 160), 1.5));
    p.drawLine(9, 9, 16, 16);
    p.drawLine(16, 16, 16, 12);
    p.drawLine(16, 16, 12, 16);
    return pm;
}

} // namespace

// ---------------------------------------------------------------------------
// The tool bar on the gradient of the fixed cells.

class TfmMatriz::GradientBar : public QToolBar {
public:
    GradientBar(TfmMatriz* owner) : QToolBar(owner), m_owner(owner) {}

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        const TAppearance& a = m_owner->Host().Appearance();
        FillSplitGradient(p, RectOf(rect()), a.ClLuz, a.ClSombra, true, 3);
    }

private:
    TfmMatriz* m_owner;
};

// ---------------------------------------------------------------------------
// The cells of the four grids: fixed cells on the gradient in bold with the
// grid's name, the row numbers (in italics) and "b" over the right-hand
// sides; data cells in the grid's colour; every text centred.

class TfmMatriz::CellDelegate : public QStyledItemDelegate {
public:
    CellDelegate(TfmMatriz* owner, TStringGridX* grid) : QStyledItemDelegate(grid), m_owner(owner), m_grid(grid) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const int col = index.column(), row = index.row();
        const TAppearance& a = m_owner->Host().Appearance();
        const QRect r = option.rect;
        painter->save();
        QFont font = m_grid->font();
        if (col < 1 || row < 1) {
            FillSplitGradient(*painter, RectOf(r), a.ClLuz, a.ClSombra, true, 3);
            font.setBold(true);
            if (col == 0 && row >= 1) {
                font.setBold(false);
                font.setItalic(true);
            }
        } else {
            painter->fillRect(r, m_grid->palette().color(QPalette::Base));
        }
        painter->setFont(font);
        painter->setPen(m_grid->palette().color(QPalette::Text));
        painter->drawText(r, Qt::AlignCenter, HeaderText(*m_grid, m_grid->Cell(0, 0), col, row));
        if (col >= 1 && row >= 1 && (option.state & QStyle::State_HasFocus)) {
            painter->setPen(QPen(m_grid->palette().color(QPalette::Text), 1, Qt::DotLine));
            painter->drawRect(r.adjusted(0, 0, -1, -1));
        }
        painter->restore();
    }

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        if (index.column() < 1 || index.row() < 1)
            return nullptr;
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (editor)
            editor->installEventFilter(m_owner);
        return editor;
    }

private:
    TfmMatriz* m_owner;
    TStringGridX* m_grid;
};

// ---------------------------------------------------------------------------
// Creation and end

TfmMatriz::TfmMatriz(ToolHost& host, QWidget* parent) : TToolWindow(host, kName, parent)
{
    OnHelp = [](int context) { ShowHelpContext(context); };
    Ask = [](const QString& text, const QString& caption) {
        return MsgBox(text, caption, mb::YesNo | mb::IconWarning) == idYes;
    };
    ExecInput = [](TfmInput& box) { return box.exec(); };
    StartDrag = [this](TStringGridX* grid) {
        auto* drag = new QDrag(grid);
        auto* data = new QMimeData;
        data->setData(kGridMime, grid->objectName().toLatin1());
        drag->setMimeData(data);
        drag->exec(Qt::MoveAction);
    };
    setWindowTitle(QStringLiteral("Matrices"));
    resize(640, 420);

    // The evaluators of the scalar box, with the names of the current cell.
    RealEvaluator.SetUseBuiltIns(true);
    ComplexEvaluator.SetUseBuiltIns(true);
    struct Name {
        const char* name;
        const char* description;
        Extended* value;
    };
    const Name names[] = {{"Val", "Valor actual del elemento m,n", &m_cellValue},
                          {"m", "Número de columna", &m_cellCol},
                          {"n", "Número de fila", &m_cellRow}};
    for (const Name& n : names) {
        Extended* v = n.value;
        RealEvaluator.AddFunction0(QString::fromLatin1(n.name), [v] { return *v; }, 2, QString::fromUtf8(n.description));
        ComplexEvaluator.AddFunction0(
            QString::fromLatin1(n.name), [v](complex::TComplex& r) { r = complex::TComplex{*v, 0}; }, 2,
            QString::fromUtf8(n.description));
    }

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    // ---- the tool bar ----
    auto* bar = new GradientBar(this);
    ToolBar1 = bar;
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    bar->setMovable(false);
    layout->addWidget(ToolBar1);
    auto add = [&](const char* name, const QString& text, const QString& hint, std::function<void()> f) {
        QToolButton* b = MakeToolButton(ToolBar1, name, text, hint);
        b->setStatusTip(hint);
        connect(b, &QToolButton::clicked, this, [f] { TApplication::Guarded(f); });
        bar->addWidget(b);
        return b;
    };
    auto separator = [&] { bar->addSeparator(); };
    add("btnRealComp", QStringLiteral("R/C"), QStringLiteral("Alterna modos racional o complejo"), [this] { SetMode(!m_complex); });
    separator();
    spFilas = new QSpinBox(ToolBar1);
    spFilas->setObjectName(QStringLiteral("spFilas"));
    SetHint(spFilas, QStringLiteral("Ajustar Filas"));
    auto* handle = new QLabel(ToolBar1);
    handle->setPixmap(SizeHandlePicture());
    handle->setAlignment(Qt::AlignCenter);
    imgTamano = handle;
    imgTamano->setObjectName(QStringLiteral("imgTamano"));
    imgTamano->setFixedSize(20, 20);
    imgTamano->setCursor(Qt::SizeFDiagCursor);
    SetHint(imgTamano, QStringLiteral("Arrastre para agregar o quitar filas y columnas"));
    imgTamano->installEventFilter(this);
    spColum = new QSpinBox(ToolBar1);
    spColum->setObjectName(QStringLiteral("spColum"));
    SetHint(spColum, QStringLiteral("Ajustar Columnas"));
    for (QSpinBox* s : {spFilas, spColum}) {
        s->setRange(1, kMaxMatrixSize);
        s->setValue(3);
        // Arrows only: the size is never typed.
        if (auto* edit = s->findChild<QLineEdit*>())
            edit->setReadOnly(true);
        connect(s, &QSpinBox::valueChanged, this, [this] { TApplication::Guarded([this] { SizeChanged(); }); });
    }
    bar->addWidget(spFilas);
    bar->addWidget(imgTamano);
    bar->addWidget(spColum);
    separator();
    add("btnVaciar", QStringLiteral("Vaciar"), QStringLiteral("Vaciar matriz"), [this] { EmptyGrid(*m_active); });
    add("btnIdentidad", QStringLiteral("I"), QStringLiteral("Matriz Identidad"), [this] { IdentityGrid(*m_active); });
    add("btnTranspuesta", QStringLiteral("T"), QStringLiteral("Matriz transpuesta"), [this] { Action(TMatrixAction::Transpose); });
    separator();
    add("ToolButton6", QStringLiteral("Copiar"), QStringLiteral("Copiar Matriz"), [this] { Copy(); });
    add("ToolButton7", QStringLiteral("Pegar"), QStringLiteral("Pegar Matriz"), [this] { Paste(); });
    separator();
    add("ToolButton11", QStringLiteral("Det"), QStringLiteral("Determinante"), [this] { Action(TMatrixAction::Determinant); });
    add("ToolButton1", QStringLiteral("Triang"), QStringLiteral("Triangular Matriz"), [this] { Action(TMatrixAction::Triangulate); });
    add("btnInversa", QStringLiteral("Inv"), QStringLiteral("Hallar inversa de la Matriz"), [this] { Action(TMatrixAction::Inverse); });
    add("ToolButton12", QStringLiteral("Mx=b"), QStringLiteral("Hallar solución a Mx=b"), [this] { Action(TMatrixAction::Solve); });
    add("ToolButton18", QStringLiteral("k.M"), QStringLiteral("Multiplicar matriz por un escalar"), [this] { Scalar(); });
    separator();
    bar->addWidget(DropDown("ToolButton15", "PopupMenuX1", QStringLiteral("+"), TMatrixAction::Sum, QStringLiteral("Calcula la suma matriz + ")));
    bar->addWidget(DropDown("ToolButton14", "PopupMenuX2", QStringLiteral("-"), TMatrixAction::Difference, QStringLiteral("Calcula la suma matriz - ")));
    bar->addWidget(DropDown("ToolButton2", "PopupMenuX3", QStringLiteral("."), TMatrixAction::Product, QStringLiteral("Calcula el producto matriz * ")));
    add("ToolButton17", QStringLiteral("M²"), QStringLiteral("Calcular cuadrado de la matriz"), [this] { Action(TMatrixAction::Square); });
    separator();

    // The number format of rational results.
    PopupMenuX4 = new TPopupMenuX(this);
    PopupMenuX4->setObjectName(QStringLiteral("PopupMenuX4"));
    for (int tag = 0; tag < 4; ++tag) {
        auto* item = new TMenuItem(kFormats[tag]);
        item->setData(tag);
        item->setStatusTip(QStringLiteral("Formato del Resultado"));
        item->OnClick = [this, tag](QObject*) { FormatClick(tag); };
        PopupMenuX4->Add(item);
    }
    ToolButton19 = add("ToolButton19", kFormats[NumberFormat().Mode & 3], QStringLiteral("Formato del Resultado"), [this] {
        FormatClick((NumberFormat().Mode + 1) % 4);
    });
    ToolButton19->setMenu(PopupMenuX4);
    ToolButton19->setPopupMode(QToolButton::MenuButtonPopup);
    separator();
    add("ToolButton22", QStringLiteral("?"), QStringLiteral("Ayuda"), [this] {
        if (OnHelp)
            OnHelp(HelpContext());
    });
    // The buttons' pictures, in the scheme's text colour.
    for (QToolButton* b : ToolBar1->findChildren<QToolButton*>())
        if (const QString picture = b->objectName().toLower(); HasToolPicture(picture))
            SetToolPicture(b, picture, ToQColor(Host().Appearance().ClTexto));
    SetToolPicture(ToolButton19, QStringLiteral("formato%1").arg(NumberFormat().Mode & 3),
                   ToQColor(Host().Appearance().ClTexto));

    // Wide enough at first to show every button of the tool bar.
    resize(std::max(width(), ToolBar1->sizeHint().width()), height());

    // ---- the grids: A and B above, C and R below, with splitters ----
    m_rows = new QSplitter(Qt::Vertical, this);
    m_rows->setObjectName(QStringLiteral("Splitter3"));
    m_rows->setChildrenCollapsible(false);
    layout->addWidget(m_rows, 1);
    Panel1 = new QWidget(m_rows);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    auto* panel2 = new QWidget(m_rows);
    panel2->setObjectName(QStringLiteral("Panel2"));
    m_rows->addWidget(Panel1);
    m_rows->addWidget(panel2);
    m_rows->setStretchFactor(0, 0);
    m_rows->setStretchFactor(1, 1);
    QSplitter** rowSplitters[] = {&m_top, &m_bottom};
    QWidget* rowPanels[] = {Panel1, panel2};
    for (int i = 0; i < 2; ++i) {
        auto* box = new QHBoxLayout(rowPanels[i]);
        box->setContentsMargins(0, 0, 0, 0);
        auto* s = new QSplitter(Qt::Horizontal, rowPanels[i]);
        s->setObjectName(i == 0 ? QStringLiteral("Splitter1") : QStringLiteral("Splitter2"));
        s->setChildrenCollapsible(false);
        box->addWidget(s);
        *rowSplitters[i] = s;
    }
    for (int tag = 0; tag < 4; ++tag) {
        QSplitter* s = tag < 2 ? m_top : m_bottom;
        auto* panel = new QWidget(s);
        panel->setObjectName(QString::fromLatin1(kPanelNames[tag]));
        auto* box = new QVBoxLayout(panel);
        box->setContentsMargins(3, 3, 3, 3);
        m_panels[tag] = panel;
        m_grids[tag] = MakeGrid(tag, panel);
        box->addWidget(m_grids[tag]);
        s->addWidget(panel);
    }
    for (QSplitter* s : {m_top, m_bottom}) {
        s->setStretchFactor(0, 0);
        s->setStretchFactor(1, 1);
    }

    // ---- the status line ----
    auto* statusBar = new QWidget(this);
    statusBar->setObjectName(QStringLiteral("StatusBar1"));
    auto* status = new QHBoxLayout(statusBar);
    status->setContentsMargins(2, 1, 2, 1);
    for (int i = 0; i < 3; ++i) {
        m_status[i] = new QLabel(statusBar);
        m_status[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        m_status[i]->setFrameShape(QFrame::StyledPanel);
        if (i < 2) {
            m_status[i]->setAlignment(Qt::AlignCenter);
            m_status[i]->setMinimumWidth(i == 0 ? 80 : 50);
        }
        status->addWidget(m_status[i], i == 2 ? 1 : 0);
    }
    m_status[0]->setText(QStringLiteral("A [255,255]"));
    layout->addWidget(statusBar);
    m_statusBar = statusBar;

    // ---- the grids' context menu ----
    PopupMenu1 = new TPopupMenuX(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    struct Item {
        int tag;
        const char* caption;
        const char* button;
    };
    static const Item items[] = {{1301, "Resolver", "ToolButton12"},
                                 {1302, "Triangular", "ToolButton1"},
                                 {1303, "Invertir", "btnInversa"},
                                 {1304, "Vacio", "btnVaciar"},
                                 {1305, "Matriz Identidad", "btnIdentidad"},
                                 {1307, "Calcular Determinante", "ToolButton11"},
                                 {0, nullptr, nullptr},
                                 {1401, "Copiar", "ToolButton6"},
                                 {1402, "Pegar", "ToolButton7"}};
    for (const Item& it : items) {
        if (!it.caption) {
            PopupMenu1->addSeparator();
            continue;
        }
        auto* item = new TMenuItem(QString::fromUtf8(it.caption));
        item->setData(it.tag);
        auto* button = findChild<QToolButton*>(QString::fromLatin1(it.button));
        item->setStatusTip(button->statusTip());
        item->OnClick = [button](QObject*) { button->click(); };
        PopupMenu1->Add(item);
    }
    m_menuDrawing = std::make_unique<TMenuDrawing>();
    for (const char* name : {"PopupMenuX1", "PopupMenuX2", "PopupMenuX3"})
        m_menuDrawing->Attach(findChild<QMenu*>(QString::fromLatin1(name)));
    m_menuDrawing->Attach(PopupMenuX4);
    m_menuDrawing->Attach(PopupMenu1);
    for (QMenu* m : findChildren<QMenu*>())
        m->installEventFilter(this);

    // ---- start ----
    m_active = m_grids[0];
    ApplyAppearance();
    TApplication::Guarded([this] { ReadSettings(); });
    LoadGrids();
    UpdateStatus(m_active->Col(), m_active->Row());
}

TfmMatriz::~TfmMatriz()
{
    TApplication::Guarded([this] { WriteSettings(); });
    SaveGrids();
    if (m_panelsPlaced)
        TApplication::Guarded([this] { SaveFormPos(this); });
}

TStringGridX* TfmMatriz::MakeGrid(int tag, QWidget* panel)
{
    auto* g = new TStringGridX(panel);
    g->setObjectName(QString::fromLatin1(kGridNames[tag]));
    g->setProperty("tag", tag);
    g->SetColCount(4);
    g->SetRowCount(4);
    g->SetFixed(1, 1);
    g->SetCell(0, 0, QString::fromLatin1(kGridLetters[tag]));
    g->setItemDelegate(new CellDelegate(this, g));
    g->horizontalHeader()->setDefaultSectionSize(40);
    g->verticalHeader()->setDefaultSectionSize(16);
    g->setColumnWidth(0, 16);
    g->setShowGrid(true);
    g->setSelectionMode(QAbstractItemView::SingleSelection);
    // Typing in a cell, F2 or a double click edit it (never R).
    g->setEditTriggers(tag < 3 ? QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                                     QAbstractItemView::AnyKeyPressed
                               : QAbstractItemView::NoEditTriggers);
    g->setContextMenuPolicy(Qt::CustomContextMenu);
    g->setAcceptDrops(true);
    g->installEventFilter(this);
    g->viewport()->installEventFilter(this);
    connect(g, &QWidget::customContextMenuRequested, this,
            [this, g](const QPoint& pos) { PopupMenu1->popup(g->viewport()->mapToGlobal(pos)); });
    connect(g, &QTableWidget::currentCellChanged, this, [this, g](int row, int col) {
        if (g != m_active)
            return;
        UpdateStatus(col, row);
        ShowSize();
    });
    return g;
}

QToolButton* TfmMatriz::DropDown(const char* button, const char* menuName, const QString& sign, TMatrixAction action,
                                 const QString& hintText)
{
    QToolButton* b = MakeToolButton(ToolBar1, button, QString(), QString());
    auto* menu = new TPopupMenuX(this);
    menu->setObjectName(QString::fromLatin1(menuName));
    // The button stands for its last chosen item: its caption and hint.
    const QString picture = sign == QStringLiteral("+") ? QStringLiteral("mas")
                            : sign == QStringLiteral("-") ? QStringLiteral("menos")
                                                          : QStringLiteral("por");
    auto bind = [this, b, picture](TMenuItem* item) {
        b->setText(item->text());
        SetHint(b, item->statusTip());
        b->setProperty("tag", item->data());
        SetToolPicture(b, picture + item->text().right(1).toLower(), ToQColor(Host().Appearance().ClTexto));
    };
    for (int tag = 0; tag < 4; ++tag) {
        const QString letter = QString::fromLatin1(kGridLetters[tag]);
        auto* item = new TMenuItem(QStringLiteral("M") + sign + letter);
        item->setData(tag);
        item->setStatusTip(hintText + letter);
        item->OnClick = [this, item, action, tag, bind](QObject*) {
            if (Run([&] { Action(action, tag); }))
                bind(item);
        };
        menu->Add(item);
    }
    bind(menu->Items().front());
    b->setMenu(menu);
    b->setPopupMode(QToolButton::MenuButtonPopup);
    // A click repeats the item the button stands for.
    connect(b, &QToolButton::clicked, this, [menu, b] { menu->Items().at(b->property("tag").toInt())->Click(); });
    return b;
}

TStringGridX* TfmMatriz::GridByTag(int tag) const { return m_grids[tag >= 0 && tag < 4 ? tag : 3]; }

// ---------------------------------------------------------------------------
// Settings, grid files, appearance

void TfmMatriz::ReadSettings()
{
    TAppIniFile ini;
    m_panelSizes[0] = ini.ReadInteger(kOptions, QStringLiteral("TamaMatPan1"), 240);
    m_panelSizes[1] = ini.ReadInteger(kOptions, QStringLiteral("TamaMatPan2"), 240);
    m_panelSizes[2] = ini.ReadInteger(kOptions, QStringLiteral("TamaMatPan3"), 160);
    SetMode(ini.ReadBool(kOptions, QStringLiteral("ModoMatriz"), false));
}

void TfmMatriz::WriteSettings()
{
    if (m_panelsPlaced) {
        m_panelSizes[0] = m_panels[0]->width();
        m_panelSizes[1] = m_panels[2]->width();
        m_panelSizes[2] = Panel1->height();
    }
    TAppIniFile ini;
    ini.WriteBool(kOptions, QStringLiteral("ModoMatriz"), m_complex);
    ini.WriteInteger(kOptions, QStringLiteral("TamaMatPan1"), m_panelSizes[0]);
    ini.WriteInteger(kOptions, QStringLiteral("TamaMatPan2"), m_panelSizes[1]);
    ini.WriteInteger(kOptions, QStringLiteral("TamaMatPan3"), m_panelSizes[2]);
    ini.UpdateFile();
}

void TfmMatriz::showEvent(QShowEvent* e)
{
    TToolWindow::showEvent(e);
    if (m_panelsPlaced)
        return;
    // The panels take their sizes of the last session once the window has
    // its own.
    m_panelsPlaced = true;
    layout()->activate();
    const auto place = [](QSplitter* s, int first) {
        const int total = (s->orientation() == Qt::Horizontal ? s->width() : s->height()) - s->handleWidth();
        first = std::clamp(first, 16, std::max(16, total - 16));
        s->setSizes({first, std::max(16, total - first)});
    };
    place(m_rows, m_panelSizes[2]);
    place(m_top, m_panelSizes[0]);
    place(m_bottom, m_panelSizes[1]);
}

void TfmMatriz::LoadGrids()
{
    for (int i = 0; i < 4; ++i) {
        const QString file = ExeDir() + QString::fromLatin1(kGridNames[i]) + QStringLiteral(".gri");
        if (!QFileInfo::exists(file))
            continue;
        // A file that cannot be read is left as it is at the end too.
        m_unreadable[i] = !TApplication::Guarded([&] {
            m_grids[i]->LoadFromFile(file);
            m_grids[i]->SetFixed(1, 1);
            m_grids[i]->SetCell(0, 0, QString::fromLatin1(kGridLetters[i]));
            AutoSizeGridColumns(*m_grids[i]);
        });
    }
    ShowSize();
}

void TfmMatriz::SaveGrids() const
{
    // Each file on its own: one that cannot be written loses only itself.
    for (int i = 0; i < 4; ++i)
        if (!m_unreadable[i])
            TApplication::Guarded([&] {
                m_grids[i]->SaveToFile(ExeDir() + QString::fromLatin1(kGridNames[i]) + QStringLiteral(".gri"));
            });
}

void TfmMatriz::ApplyAppearance()
{
    TToolWindow::ApplyAppearance();
    const TAppearance& a = Host().Appearance();
    for (int i = 0; i < 4; ++i) {
        TStringGridX* g = m_grids[i];
        PaintBackground(g, i < 3 ? a.ClFondo : a.ClLuz, QPalette::Base);
        PaintBackground(g, a.ClTexto, QPalette::Text);
        g->setFont(i < 3 ? a.ExpressionFont : a.ResultFont);
        g->verticalHeader()->setDefaultSectionSize(std::max(16, QFontMetrics(g->font()).height() + 2));
        PaintBackground(m_panels[i], a.ClSombra);
    }
    for (QSpinBox* s : {spFilas, spColum})
        PaintBackground(s, a.ClFondo, QPalette::Base);
    PaintBackground(m_statusBar, a.ClLuz);
    for (QSplitter* s : {m_rows, m_top, m_bottom})
        PaintBackground(s, a.ClSombra);
    m_menuDrawing->SetScheme({a.ClLuz, a.ClSombra, a.ClTexto, a.ClFondo});
    RecolourToolPictures(ToolBar1, ToQColor(a.ClTexto));
    SetActiveGrid(m_grids[0]);
    ToolBar1->update();
    update();
}

// ---------------------------------------------------------------------------
// Mode, active grid, status

void TfmMatriz::SetMode(bool complexMode)
{
    m_complex = complexMode;
    ToolButton19->setEnabled(!complexMode);
    m_status[1]->setText(complexMode ? QStringLiteral("COMPL") : QStringLiteral("Racio"));
    setWindowTitle(complexMode ? QStringLiteral("Matrices (Modo Complejo)") : QStringLiteral("Matrices (Modo Racional)"));
}

void TfmMatriz::SetActiveGrid(TStringGridX* grid)
{
    const TAppearance& a = Host().Appearance();
    if (m_active && m_active != grid) {
        m_active->setFrameShape(QFrame::NoFrame);
        PaintBackground(m_panels[m_active->property("tag").toInt()], a.ClSombra);
    }
    m_active = grid;
    grid->setFrameShape(QFrame::Box);
    PaintBackground(m_panels[grid->property("tag").toInt()], a.ClLuz);
    ShowSize();
    UpdateStatus(grid->Col(), grid->Row());
}

void TfmMatriz::ShowSize()
{
    m_sizing = true;
    spColum->setValue(std::max(1, m_active->ColCount() - 1));
    spFilas->setValue(std::max(1, m_active->RowCount() - 1));
    m_sizing = false;
}

void TfmMatriz::UpdateStatus(int col, int row)
{
    // No current cell, no position.
    if (col < 0 || row < 0) {
        m_status[0]->clear();
        return;
    }
    const int tag = m_active->property("tag").toInt();
    m_status[0]->setText(Format(QStringLiteral("%s [%d,%d]"),
                                {QString::fromLatin1(tag < 3 ? kGridLetters[tag] : "R"), row, col}));
}

void TfmMatriz::SizeChanged()
{
    if (m_sizing)
        return;
    m_active->SetColCount(spColum->value() + 1);
    m_active->SetRowCount(spFilas->value() + 1);
    m_active->SetFixed(1, 1);
    m_active->viewport()->update();
}

bool TfmMatriz::event(QEvent* e)
{
    // The long part of every hint goes to the status line.
    if (e->type() == QEvent::StatusTip) {
        m_status[2]->setText(static_cast<QStatusTipEvent*>(e)->tip());
        return true;
    }
    return TToolWindow::event(e);
}

// ---------------------------------------------------------------------------
// Actions

bool TfmMatriz::Run(const std::function<void()>& work)
{
    if (m_busy)
        return false;
    m_busy = true;
    bool ok = false;
    {
        TWorkProgress report(m_status[2]);
        double done = 0;
        TMatrizProgress matrixProgress([&](double d) {
            done = d;
            report(d);
        });
        // Within one long product of polynomials: the share of the matrix work stays.
        TPoliNProgress polyProgress([&](double) { report(done); });
        ok = TApplication::Guarded([&] {
            try {
                work();
            } catch (const EMatrixNotice& notice) {
                MsgBoxApp(notice.message(), mb::Ok | mb::IconInformation);
                throw EAbort();
            }
        });
    }
    if (m_status[2]->text().startsWith(QStringLiteral("Calculando")))
        m_status[2]->clear();
    m_busy = false;
    return ok;
}

void TfmMatriz::Action(TMatrixAction action, int otherTag)
{
    if (!m_busy) {
        Run([&] { Action(action, otherTag); });
        return;
    }
    const QString name = m_active->Cell(0, 0);
    TStringGridX* result = m_grids[3];
    const TMatrixGrids grids{m_active, name, otherTag >= 0 ? GridByTag(otherTag) : nullptr, result};
    std::optional<TMatriz> shown = RunMatrixAction(action, m_complex, grids, Ask);
    // Only a rational matrix in R can be shown again in another format.
    if (shown)
        m_lastResult = std::move(shown);
    else if (action != TMatrixAction::Transpose)
        m_lastResult.reset();
    result->SetFixed(1, 1);
    AutoSizeGridColumns(*result);
    result->viewport()->update();
    if (action == TMatrixAction::Transpose) {
        m_active->SetFixed(1, 1);
        AutoSizeGridColumns(*m_active);
        ShowSize();
    }
}

void TfmMatriz::ShowLast()
{
    if (!m_lastResult)
        return;
    m_lastResult->ShowInGrid(*m_grids[3]);
    m_grids[3]->SetFixed(1, 1);
    AutoSizeGridColumns(*m_grids[3]);
}

void TfmMatriz::FormatClick(int tag)
{
    NumberFormat().Mode = std::uint8_t(tag);
    ToolButton19->setText(kFormats[tag]);
    SetToolPicture(ToolButton19, QStringLiteral("formato%1").arg(tag), ToQColor(Host().Appearance().ClTexto));
    TApplication::Guarded([this] { ShowLast(); });
}

void TfmMatriz::Scalar()
{
    // The program's input box; a box of this question when there is none.
    std::unique_ptr<TfmInput> own;
    TfmInput* box = fmInput;
    if (!box) {
        own = std::make_unique<TfmInput>(this);
        box = own.get();
    }
    struct Restore {
        TfmInput* box;
        QString caption;
        ~Restore()
        {
            box->setWindowTitle(caption);
            // The next caller places the box where it wants it.
            box->setAttribute(Qt::WA_Moved, false);
            // The names belong to this window.
            box->SetNameTable(std::shared_ptr<const TAutoCompSource>());
        }
    } restore{box, box->windowTitle()};
    box->setWindowTitle(QStringLiteral("Introduzca un valor para el producto escalar"));
    QString current;
    if (m_complex) {
        box->SetNameTable(ComplexEvaluator.GetTable());
        current = ComplexEvaluator.Text;
    } else {
        box->SetNameTable(RealEvaluator.GetTable());
        current = RealEvaluator.Text;
    }
    box->Texto->SetText(current);
    box->Texto->SetSel(0, int(current.size()));
    // Over this window, where the user is looking.
    box->move(frameGeometry().center() - QPoint(box->width() / 2, box->height() / 2));
    if (ExecInput(*box) != TfmInput::mrOk)
        return;
    const QString typed = box->Texto->Text();
    Run([&] {
        if (m_complex) {
            complex::TComplex c;
            ComplexEvaluator.EvaluateText(typed, c);
            ScaleComplex(*m_active, c, *m_grids[3]);
            m_lastResult.reset();
        } else {
            m_lastResult = ScaleRational(*m_active, typed, *m_grids[3]);
            m_grids[3]->SetFixed(1, 1);
        }
        AutoSizeGridColumns(*m_grids[3]);
    });
}

void TfmMatriz::Copy() { QApplication::clipboard()->setText(GridToText(*m_active)); }

void TfmMatriz::Paste()
{
    PasteText(*m_active, QApplication::clipboard()->text());
    AutoSizeGridColumns(*m_active);
    ShowSize();
    UpdateStatus(m_active->Col(), m_active->Row());
}

void TfmMatriz::SwapGridsOf(TStringGridX* a, TStringGridX* b)
{
    if (a == m_active || b == m_active)
        m_lastResult.reset();
    SwapGrids(*a, *b);
    for (TStringGridX* g : {a, b}) {
        g->SetCell(0, 0, QString::fromLatin1(kGridLetters[g->property("tag").toInt()]));
        AutoSizeGridColumns(*g);
        g->viewport()->update();
    }
    ShowSize();
}

// ---------------------------------------------------------------------------
// Keys and mouse

void TfmMatriz::keyPressEvent(QKeyEvent* e)
{
    if (e->modifiers() == Qt::ControlModifier) {
        switch (e->key()) {
        case Qt::Key_C:
            Copy();
            return;
        case Qt::Key_V:
            TApplication::Guarded([this] { Paste(); });
            return;
        case Qt::Key_X:
            Copy();
            EmptyGrid(*m_active);
            return;
        default:
            break;
        }
    }
    TToolWindow::keyPressEvent(e);
}

bool TfmMatriz::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::StatusTip && qobject_cast<QMenu*>(watched)) {
        m_status[2]->setText(static_cast<QStatusTipEvent*>(event)->tip());
        return true;
    }
    if (watched == imgTamano)
        return SizeHandleMouse(event) || TToolWindow::eventFilter(watched, event);
    for (TStringGridX* g : m_grids) {
        if (watched == g || watched == g->viewport()) {
            if (event->type() == QEvent::FocusIn && g != m_active)
                SetActiveGrid(g);
            if (GridKey(g, watched, event) || (watched == g->viewport() && GridMouse(g, event)))
                return true;
            return TToolWindow::eventFilter(watched, event);
        }
    }
    // The cell editors of the grids.
    if (auto* editor = qobject_cast<QLineEdit*>(watched)) {
        for (TStringGridX* g : m_grids)
            if (g->isAncestorOf(editor))
                return GridKey(g, watched, event) || TToolWindow::eventFilter(watched, event);
    }
    return TToolWindow::eventFilter(watched, event);
}

// Keys typed in a grid or its cell editor: only the characters of numbers,
// letters and fractions; R takes none. Enter shows the cell on the status
// line; after each key in A, B or C a typed ".." becomes "|".
bool TfmMatriz::GridKey(TStringGridX* grid, QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(event);
        if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
            UpdateStatus(grid->Col(), grid->Row());
            return false;
        }
        const QString text = k->text();
        if (text.size() == 1 && text[0].isPrint() && (k->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier)) == 0)
            return grid == m_grids[3] || !IsCellCharacter(text[0]);
        return false;
    }
    if (event->type() == QEvent::KeyRelease && grid != m_grids[3]) {
        auto* editor = qobject_cast<QLineEdit*>(watched);
        if (!editor)
            return false;
        const QString old = editor->text();
        const QString changed = DotsToBar(old);
        if (changed != old) {
            const int caret = editor->cursorPosition() - int(old.size() - changed.size());
            editor->setText(changed);
            editor->setCursorPosition(std::clamp(caret, 0, int(changed.size())));
        }
    }
    return false;
}

// A left press in the data cells may start dragging the grid onto another;
// a double click fits the columns; a grid takes the grids dropped on it.
bool TfmMatriz::GridMouse(TStringGridX* grid, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto* m = static_cast<QMouseEvent*>(event);
        const QPoint p = m->position().toPoint();
        const bool data = grid->columnAt(p.x()) >= 1 && grid->rowAt(p.y()) >= 1;
        m_dragGrid = m->button() == Qt::LeftButton && data ? grid : nullptr;
        m_dragStart = p;
        return false;
    }
    case QEvent::MouseMove: {
        auto* m = static_cast<QMouseEvent*>(event);
        // Not while a cell is being edited (the mouse selects its text then).
        QWidget* focus = QApplication::focusWidget();
        if (m_dragGrid != grid || !(m->buttons() & Qt::LeftButton) || (focus && focus != grid && grid->isAncestorOf(focus)))
            return false;
        if ((m->position().toPoint() - m_dragStart).manhattanLength() < QApplication::startDragDistance())
            return false;
        m_dragGrid = nullptr;
        if (StartDrag)
            StartDrag(grid);
        return true;
    }
    case QEvent::MouseButtonRelease:
        m_dragGrid = nullptr;
        return false;
    case QEvent::MouseButtonDblClick:
        if (grid != m_grids[3])
            AutoSizeGridColumns(*grid);
        return false;
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* d = static_cast<QDropEvent*>(event);
        if (d->mimeData()->hasFormat(kGridMime)) {
            d->setDropAction(Qt::MoveAction);
            d->accept();
        } else {
            d->ignore();
        }
        return true;
    }
    case QEvent::Drop: {
        auto* d = static_cast<QDropEvent*>(event);
        const QString source = QString::fromLatin1(d->mimeData()->data(kGridMime));
        for (TStringGridX* g : m_grids)
            if (g->objectName() == source) {
                d->setDropAction(Qt::MoveAction);
                d->accept();
                TApplication::Guarded([&] { SwapGridsOf(g, grid); });
            }
        return true;
    }
    default:
        return false;
    }
}

// The size handle: a drag with the left button alone adds or takes data
// columns (across) and rows (down), one per 16 pixels.
bool TfmMatriz::SizeHandleMouse(QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto* m = static_cast<QMouseEvent*>(event);
        if (m->button() != Qt::LeftButton)
            return false;
        m_sizeDragging = true;
        m_sizeStart = m->globalPosition().toPoint();
        m_sizeCols = m_active->ColCount() - 1;
        m_sizeRows = m_active->RowCount() - 1;
        return true;
    }
    case QEvent::MouseMove: {
        auto* m = static_cast<QMouseEvent*>(event);
        if (!m_sizeDragging || m->buttons() != Qt::LeftButton || m->modifiers() != Qt::NoModifier)
            return false;
        const QPoint travel = m->globalPosition().toPoint() - m_sizeStart;
        const int cols = SizeAfterDrag(m_sizeCols, travel.x());
        const int rows = SizeAfterDrag(m_sizeRows, travel.y());
        if (cols != spColum->value())
            spColum->setValue(cols);
        if (rows != spFilas->value())
            spFilas->setValue(rows);
        return true;
    }
    case QEvent::MouseButtonRelease:
        m_sizeDragging = false;
        return true;
    default:
        return false;
    }
}
