#include "science/unidades/window/frmconver.h"

#include "controls/areafondo.h"
#include "controls/frmautocomp.h"
#include "controls/stringgridx.h"
#include "drawkit/drawkit.h"
#include "engine/bases.h"
#include "engine/real/expresion.h"
#include "foundation/core/basicos.h"
#include "foundation/core/muldiv.h"
#include "foundation/core/zelini.h"
#include "science/unidades/conversion.h"
#include "science/unidades/unidades.h"
#include "science/unidades/window/convmenu.h"
#include "science/unidades/window/frmdefmaguni.h"
#include "science/unidades/window/unitlook.h"
#include "services/calcmodel.h"
#include "services/help.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QSplitter>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

// The least room the values keep beside the units' names.
constexpr int kLeastValueRoom = 40;

} // namespace

namespace {

const QString kOptions = QStringLiteral("Opciones");
const QString kTabKey = QStringLiteral("TabConver");

// The cells of the three grids: the gradient runs down the names' column and
// across the values' column; the names are bold.
bool NamesColumn(int, int col) { return col == 0; }
bool Never(int, int) { return false; }
std::function<const TAppearance&()> HostScheme(TfmConver* w)
{
    return [w]() -> const TAppearance& { return w->Host().Appearance(); };
}

TUnitCellDelegate* ConverCells(TfmConver* w, QObject* parent)
{
    return new TUnitCellDelegate(HostScheme(w), NamesColumn, NamesColumn, Never, parent);
}

// The editor of a value cell of the bases page takes only what a number in
// the row's base can hold; the cell is painted as the others.
class BaseCellDelegate : public TUnitCellDelegate {
public:
    BaseCellDelegate(TfmConver* w, int firstBase, QObject* parent)
        : TUnitCellDelegate(HostScheme(w), NamesColumn, NamesColumn, Never, parent), m_firstBase(firstBase)
    {
    }

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QWidget* w = TUnitCellDelegate::createEditor(parent, option, index);
        w->setProperty("sumbrixBase", m_firstBase + index.row());
        w->installEventFilter(const_cast<BaseCellDelegate*>(this));
        return w;
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress) {
            auto* k = static_cast<QKeyEvent*>(event);
            const QString t = k->text();
            if (t.size() == 1 && t[0] >= QLatin1Char(' ')) {
                const int base = watched->property("sumbrixBase").toInt();
                QChar c = t[0];
                if (Accept(c, base)) {
                    if (c != t[0]) {
                        QKeyEvent upper(QEvent::KeyPress, k->key(), k->modifiers(), QString(c));
                        QApplication::sendEvent(watched, &upper);
                        return true;
                    }
                } else {
                    return true;
                }
            }
        }
        return TUnitCellDelegate::eventFilter(watched, event);
    }

    // The typed character as the cell takes it, or false when it is dropped.
    static bool Accept(QChar& c, int base)
    {
        if (QStringLiteral("-.[]e").contains(c))
            return true;
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
            c = c.toUpper();
        const bool digit = c >= QLatin1Char('0') && c <= QLatin1Char('9');
        const bool letter = c >= QLatin1Char('A') && c <= QLatin1Char('Z');
        if (!digit && !letter)
            return false;
        const int value = digit ? c.unicode() - '0' : c.unicode() - 'A' + 10;
        return value < base;
    }

private:
    int m_firstBase;
};

QToolButton* Button(QWidget* parent, const char* name, const QString& text, const QString& hint)
{
    auto* b = new QToolButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setText(text);
    b->setToolTip(hint);
    return b;
}

QTableWidget* Grid(QWidget* parent, const char* name, int rows)
{
    auto* g = new QTableWidget(rows, 2, parent);
    g->setObjectName(QString::fromLatin1(name));
    g->horizontalHeader()->hide();
    g->verticalHeader()->hide();
    g->verticalHeader()->setDefaultSectionSize(18);
    return g;
}

QTableWidgetItem* Item(const QString& text, bool editable, bool bold)
{
    auto* it = new QTableWidgetItem(text);
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (editable)
        f |= Qt::ItemIsEditable;
    it->setFlags(f);
    if (bold) {
        QFont font = it->font();
        font.setBold(true);
        it->setFont(font);
    }
    return it;
}

} // namespace

TfmConver::TfmConver(ToolHost& host, QWidget* parent) : TToolWindow(host, kName, parent)
{
    setWindowTitle(QStringLiteral("Conversor instantáneo"));
    EditUnits = [this](const QString& magnitude) {
        TfmDefMagUni editor(this);
        return editor.EditMagnitude(magnitude);
    };
    auto* top = new QVBoxLayout(this);
    top->setContentsMargins(2, 2, 2, 2);
    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->setTabPosition(QTabWidget::South);
    top->addWidget(PageControl1);

    // Units page.
    TabSheet1 = new QWidget;
    TabSheet1->setObjectName(QStringLiteral("TabSheet1"));
    AreaFondo1 = AddBackground(TabSheet1, QStringLiteral("AreaFondo1"));
    auto* l1 = new QVBoxLayout(TabSheet1);
    auto* row1 = new QHBoxLayout;
    cmbMag = new QComboBox(TabSheet1);
    cmbMag->setObjectName(QStringLiteral("cmbMag"));
    cmbMag->setToolTip(QStringLiteral("Lista de magnitudes disponibles"));
    SpeedButton7 = Button(TabSheet1, "SpeedButton7", QStringLiteral("..."),
                          QStringLiteral("Editar magnitudes y unidades de medida"));
    SpeedButton9 = Button(TabSheet1, "SpeedButton9", QStringLiteral("?"), QStringLiteral("Ayuda (F1)"));
    row1->addWidget(cmbMag, 1);
    row1->addWidget(SpeedButton7);
    row1->addWidget(SpeedButton9);
    l1->addLayout(row1);
    auto* row2 = new QHBoxLayout;
    txtUni = new QLineEdit(QStringLiteral("1"), TabSheet1);
    txtUni->setObjectName(QStringLiteral("txtUni"));
    txtUni->setToolTip(QStringLiteral("Indique cualquier número o expresión evaluable"));
    cmbUni = new QComboBox(TabSheet1);
    cmbUni->setObjectName(QStringLiteral("cmbUni"));
    UsaRst = Button(TabSheet1, "UsaRst", QStringLiteral("Rst"), QStringLiteral("Usar resultado principal"));
    UsaRst->setCheckable(true);
    row2->addWidget(txtUni, 1);
    row2->addWidget(cmbUni, 1);
    row2->addWidget(UsaRst);
    l1->addLayout(row2);
    gri = Grid(TabSheet1, "gri", 0);
    gri->setItemDelegate(ConverCells(this, gri));
    // Its two columns share the window's width between them.
    gri->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    gri->setToolTip(QStringLiteral("Use el boton secudario del mouse para copiar un valor"));
    gri->setContextMenuPolicy(Qt::CustomContextMenu);
    gri->viewport()->installEventFilter(this);
    l1->addWidget(gri, 1);
    PageControl1->addTab(TabSheet1, QStringLiteral("Magnitudes y Unidades"));

    // Bases page.
    TabSheet2 = new QWidget;
    TabSheet2->setObjectName(QStringLiteral("TabSheet2"));
    AreaFondo2 = AddBackground(TabSheet2, QStringLiteral("AreaFondo2"));
    auto* l2 = new QVBoxLayout(TabSheet2);
    auto* row3 = new QHBoxLayout;
    Edit1 = new QLineEdit(TabSheet2);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    UsaRst2 = Button(TabSheet2, "UsaRst2", QStringLiteral("Rst"), QStringLiteral("Usar resultado principal"));
    UsaRst2->setCheckable(true);
    SpeedButton1 = Button(TabSheet2, "SpeedButton1", QStringLiteral("?"), QStringLiteral("Ayuda (F1)"));
    row3->addWidget(Edit1, 1);
    row3->addWidget(UsaRst2);
    row3->addWidget(SpeedButton1);
    l2->addLayout(row3);
    Splitter1 = new QSplitter(Qt::Horizontal, TabSheet2);
    Splitter1->setObjectName(QStringLiteral("Splitter1"));
    gri1 = Grid(Splitter1, "gri1", 17);
    gri2 = Grid(Splitter1, "gri2", 18);
    gri1->setProperty("Tag", 1);
    gri2->setProperty("Tag", 2);
    Splitter1->addWidget(gri1);
    Splitter1->addWidget(gri2);
    l2->addWidget(Splitter1, 1);
    PageControl1->addTab(TabSheet2, QStringLiteral("Bases numéricas"));
    m_filling = true;
    for (QTableWidget* g : {gri1, gri2}) {
        g->setItemDelegate(ConverCells(this, g));
        g->setItemDelegateForColumn(1, new BaseCellDelegate(this, g == gri1 ? 2 : 19, g));
        g->viewport()->installEventFilter(this);
        for (int r = 0; r < g->rowCount(); ++r) {
            g->setItem(r, 0, Item(BaseLabel(BaseOfRow(g, r)), false, true));
            g->setItem(r, 1, Item(QString(), true, false));
        }
    }
    m_filling = false;

    connect(cmbMag, qOverload<int>(&QComboBox::activated), this, [this](int) { cmbMagClick(); });
    connect(cmbUni, qOverload<int>(&QComboBox::activated), this, [this](int) { cmbUniClick(); });
    connect(txtUni, &QLineEdit::textChanged, this, [this] { cmbUniClick(); });
    connect(UsaRst, &QToolButton::clicked, this, &TfmConver::UsaRstClick);
    connect(UsaRst2, &QToolButton::clicked, this, &TfmConver::UsaRst2Click);
    connect(Edit1, &QLineEdit::textChanged, this, &TfmConver::Edit1Change);
    connect(Edit1, &QLineEdit::returnPressed, this, &TfmConver::Edit1Change);
    connect(SpeedButton7, &QToolButton::clicked, this, &TfmConver::SpeedButton7Click);
    connect(SpeedButton9, &QToolButton::clicked, this, &TfmConver::SpeedButton9Click);
    connect(SpeedButton1, &QToolButton::clicked, this, &TfmConver::SpeedButton9Click);
    connect(gri, &QTableWidget::cellClicked, this, [this](int row, int col) {
        // A click on a unit's name makes it the quantity's unit.
        if (col == 0 && row >= 0 && row < cmbUni->count()) {
            cmbUni->setCurrentIndex(row);
            cmbUniClick();
        }
    });
    connect(gri, &QWidget::customContextMenuRequested, this, [this](const QPoint& p) {
        QMenu menu(this);
        menu.addAction(QStringLiteral("&Copiar"), this, &TfmConver::CopyCell);
        menu.exec(gri->viewport()->mapToGlobal(p));
    });
    for (QTableWidget* g : {gri1, gri2})
        connect(g, &QTableWidget::cellChanged, this, [this, g](int row, int col) { gri1SetEditText(g, row, col); });
    connect(Splitter1, &QSplitter::splitterMoved, this, [this] { LayoutColumns(); });
    txtUni->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(txtUni, &QWidget::customContextMenuRequested, this, [this](const QPoint&) {
        if (ExpressionMenu)
            ExpressionMenu(txtUni);
    });
    connect(PageControl1, &QTabWidget::currentChanged, this, [this](int page) {
        LayoutColumns();
        TAppIniFile ini;
        ini.WriteInteger(kOptions, kTabKey, page);
    });
    installEventFilter(this);
    txtUni->installEventFilter(this);
    SetHelpContext(this, kHelpContext);

    {
        TAppIniFile ini;
        const int page = ini.ReadInteger(kOptions, kTabKey, 0);
        PageControl1->blockSignals(true);
        PageControl1->setCurrentIndex(page == 1 ? 1 : 0);
        PageControl1->blockSignals(false);
    }
    FillMagnitudes();
    m_reloadHandler = AddUnitReloadHandler([this] { FillMagnitudes(); });
    // The board may outlive this window and this window the board (the main
    // window goes first at the end): the handler checks that the window is
    // still there, and the window never reaches back into the board.
    host.Notices().Connect(THostNotice::AfterCalculation, [w = QPointer<TfmConver>(this)] {
        if (w)
            w->UpdateFromMainResult();
    });
    // Wide enough for the longest names beside their values.
    resize(420, 380);
    ApplyAppearance();
}

TfmConver::~TfmConver()
{
    RemoveUnitReloadHandler(m_reloadHandler);
}

QString TfmConver::ResultText() const
{
    return MainResultText ? MainResultText() : FloatToStrDefBase(Host().LastResult());
}

int TfmConver::BaseOfRow(const QTableWidget* grid, int row) const { return (grid == gri1 ? 2 : 19) + row; }

void TfmConver::FillMagnitudes()
{
    // The magnitude shown stays when the reloaded list still has it.
    const QString shown = cmbMag->currentText();
    cmbMag->clear();
    for (const TMagnitud& m : unitEngine().MagnitudeList)
        cmbMag->addItem(m.Name);
    const int again = cmbMag->findText(shown);
    cmbMag->setCurrentIndex(again >= 0 ? again : (cmbMag->count() > 0 ? 0 : -1));
    cmbMagClick();
}

void TfmConver::cmbMagClick()
{
    const int m = cmbMag->currentIndex();
    const auto& list = unitEngine().MagnitudeList;
    m_filling = true;
    cmbUni->clear();
    gri->setRowCount(0);
    if (m >= 0 && size_t(m) < list.size()) {
        const TMagnitud& mag = list[size_t(m)];
        gri->setRowCount(mag.Count());
        for (int i = 0; i < mag.Count(); ++i) {
            gri->setItem(i, 0, Item(mag.UnitNames[i], false, true));
            gri->setItem(i, 1, Item(QString(), false, false));
        }
        cmbUni->addItems(mag.UnitNames);
        cmbUni->setCurrentIndex(0);
    }
    m_filling = false;
    LayoutColumns();
    cmbUniClick();
}

void TfmConver::cmbUniClick()
{
    if (m_filling)
        return;
    const int m = cmbMag->currentIndex();
    const int from = cmbUni->currentIndex();
    const auto& list = unitEngine().MagnitudeList;
    auto clear = [this] {
        for (int r = 0; r < gri->rowCount(); ++r)
            if (QTableWidgetItem* it = gri->item(r, 1))
                it->setText(QString());
    };
    if (m < 0 || size_t(m) >= list.size() || from < 0) {
        clear();
        return;
    }
    real::TExpresion* e = Host().InputEvaluator();
    if (!e) {
        clear();
        return;
    }
    // Typed letter by letter, the quantity is often not yet an expression:
    // the column is emptied without a word.
    const bool wasSilent = e->Silent;
    e->Silent = true;
    Extended value = 0;
    bool ok = false;
    try {
        e->SetText(txtUni->text());
        value = e->Evaluate();
        ok = !e->HasError && e->Compiled;
    } catch (const std::exception&) {
        ok = false;
    }
    e->Silent = wasSilent;
    if (!ok) {
        clear();
        return;
    }
    for (int r = 0; r < gri->rowCount() && r < list[size_t(m)].Count(); ++r) {
        QString text;
        try {
            const Extended v = r == from ? value : ConvertByTag(PackConversionTag(m, from, r), value);
            text = FloatToStrDefBase(v);
        } catch (const Exception& ex) {
            text = ex.message();
        }
        if (QTableWidgetItem* it = gri->item(r, 1))
            it->setText(text);
    }
}

void TfmConver::UpdateFromMainResult()
{
    if (PageControl1->currentIndex() == 0 && UsaRst->isChecked())
        txtUni->setText(ResultText());
    else if (PageControl1->currentIndex() == 1 && UsaRst2->isChecked())
        Edit1->setText(ResultText());
}

void TfmConver::UsaRstClick()
{
    txtUni->setEnabled(!UsaRst->isChecked());
    if (UsaRst->isChecked())
        txtUni->setText(ResultText());
}

void TfmConver::UsaRst2Click()
{
    if (UsaRst2->isChecked())
        Edit1->setText(ResultText());
}

void TfmConver::SetBaseCell(QTableWidget* grid, int row, const QString& text)
{
    if (QTableWidgetItem* it = grid->item(row, 1))
        it->setText(text);
}

void TfmConver::ClearBases()
{
    m_filling = true;
    for (QTableWidget* g : {gri1, gri2})
        for (int r = 0; r < g->rowCount(); ++r)
            SetBaseCell(g, r, QString());
    m_filling = false;
}

void TfmConver::ShowAllBases(int base, Extended x)
{
    m_filling = true;
    for (QTableWidget* g : {gri1, gri2})
        for (int r = 0; r < g->rowCount(); ++r)
            if (BaseOfRow(g, r) != base)
                SetBaseCell(g, r, NumberInBase(BaseOfRow(g, r), x));
    m_filling = false;
}

void TfmConver::Edit1Change()
{
    Extended x = 0;
    QString error;
    // Not a number (a half-typed text, "Verdadero", an error text): the
    // grid shows nothing rather than some value the reader left.
    if (ReadNumberWithBase(Edit1->text(), x, error))
        ShowAllBases(0, x);
    else
        ClearBases();
}

void TfmConver::gri1SetEditText(QTableWidget* grid, int row, int col)
{
    if (m_filling || col != 1)
        return;
    const QTableWidgetItem* it = grid->item(row, 1);
    if (!it)
        return;
    const Extended x = ParseNumberInBase(it->text(), BaseOfRow(grid, row));
    if (!numtext().BaseError && x != 0)
        ShowAllBases(BaseOfRow(grid, row), x);
}

void TfmConver::SpeedButton7Click()
{
    if (EditUnits)
        EditUnits(cmbMag->currentText());
    // A save reloaded the definitions: the lists were refilled by then.
}

void TfmConver::SpeedButton9Click()
{
    if (UnitsHelpHook())
        UnitsHelpHook()(kHelpContext);
}

void TfmConver::CopyCell()
{
    if (const QTableWidgetItem* it = gri->currentItem())
        QApplication::clipboard()->setText(it->text());
}

void TfmConver::ApplyAppearance()
{
    TToolWindow::ApplyAppearance();
    const TAppearance& a = Host().Appearance();
    for (QWidget* w : {static_cast<QWidget*>(gri), static_cast<QWidget*>(gri1), static_cast<QWidget*>(gri2)})
        PaintField(w, a.ClSombra, a.ClTexto);
    PaintField(cmbMag, a.ClLuz, a.ClTexto);
    PaintField(cmbUni, a.ClLuz, a.ClTexto);
    PaintField(txtUni, a.ClFondo, a.ClTexto);
    PaintBackground(AreaFondo1, a);
    PaintBackground(AreaFondo2, a);
    for (QTableWidget* g : {gri, gri1, gri2})
        g->viewport()->update();
    Edit1->setFont(a.ExpressionFont);
    gri1->setFont(a.ResultFont);
    gri2->setFont(a.ResultFont);
    LayoutColumns();
    update();
}

void TfmConver::LayoutColumns()
{
    // The columns share the grid's visible width, so that nothing lies out of
    // reach beside them: 40 % for the names, or what the names need while the
    // values keep some room; the rest for the values.
    const int room = gri->viewport()->width();
    const int names = std::max(MulDiv(room, 40, 100), std::min(ColumnNeeds(gri, 0), room - kLeastValueRoom));
    gri->setColumnWidth(0, names);
    gri->setColumnWidth(1, std::max(20, room - names));
    for (QTableWidget* g : {gri1, gri2}) {
        const int labels = std::max(26, ColumnNeeds(g, 0));
        g->setColumnWidth(0, labels);
        g->setColumnWidth(1, std::max(20, g->viewport()->width() - labels));
    }
}

void TfmConver::resizeEvent(QResizeEvent* e)
{
    TToolWindow::resizeEvent(e);
    LayoutColumns();
}

bool TfmConver::QuantityAutoComplete(QChar key)
{
    const char16_t k = key.unicode();
    const bool letter = (k >= 'A' && k <= 'Z') || (k >= 'a' && k <= 'z');
    if (!letter || !AutoComp().AutoCompleteOn || AutoComp().AutoCompleteCancelled || Calc().NoAuto)
        return false;
    real::TExpresion* e = Host().InputEvaluator();
    if (!e)
        return false;
    const auto names = MakeNameSource(e->GetTable());
    EnsureAutoComp()->ShowForEdit(txtUni, names.get(), key);
    return true;
}

bool TfmConver::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == txtUni && event->type() == QEvent::KeyPress) {
        const auto* k = static_cast<QKeyEvent*>(event);
        if (k->text().size() == 1 && !(k->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) &&
            QuantityAutoComplete(k->text()[0]))
            return true;
    }
    if ((watched == gri->viewport() || watched == gri1->viewport() || watched == gri2->viewport()) &&
        event->type() == QEvent::Resize)
        LayoutColumns();
    if (watched == this && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_F1) {
        SpeedButton9Click();
        return true;
    }
    return TToolWindow::eventFilter(watched, event);
}
