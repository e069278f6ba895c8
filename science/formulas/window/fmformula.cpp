#include "science/formulas/window/fmformula.h"
#include "controls/appicon.h"

#include "controls/areafondo.h"
#include "controls/frmautocomp.h"
#include "controls/menudraw.h"
#include "controls/transedit.h"
#include "drawkit/drawkit.h"
#include "engine/real/expresion.h"
#include "foundation/core/basicos.h"
#include "foundation/core/format.h"
#include "platform/metafile.h"
#include "platform/spanish.h"
#include "science/formulas/formulagroup.h"
#include "science/formulas/window/formulagrid.h"
#include "science/unidades/unidades.h"
#include "services/formulaview.h"
#include "controls/stringgridx.h"
#include "services/help.h"
#include "controls/toolbutton.h"


#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPixmap>
#include <QPointer>
#include <QResizeEvent>
#include <QShortcut>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// The unit menus' items are this wide at least.
constexpr int kUnitMenuWidth = 120;
// The Valor column's first width.
constexpr int kValorWidth = 110;

void widenMenu(QMenu* menu)
{
    const QStyle* st = menu->style();
    const int frame = st->pixelMetric(QStyle::PM_MenuPanelWidth, nullptr, menu) +
                      st->pixelMetric(QStyle::PM_MenuHMargin, nullptr, menu);
    menu->setMinimumWidth(kUnitMenuWidth + 2 * frame);
}

// "**" to "^" and "//" to "\" in an edit, the caret one place back when the
// text changed.
void replaceAltOperators(QLineEdit* edit)
{
    const QString text = edit->text();
    const QString fixed = real::ReplaceAltOperators(text);
    if (fixed != text) {
        const int caret = edit->cursorPosition();
        edit->setText(fixed);
        edit->setCursorPosition(std::max(0, caret - 1));
    }
}

bool isAsciiLetter(QChar c)
{
    const char16_t k = c.unicode();
    return (k >= 'A' && k <= 'Z') || (k >= 'a' && k <= 'z');
}

// The status-line hints by column: edit mode, the unknown's row, other rows.
QString cellHint(int col, bool edit, bool unknown)
{
    switch (col) {
    case TfmFormula::cSimb: return edit ? QStringLiteral("Indique el simbolo para un elemento de la fórmula") : QString();
    case TfmFormula::cDesc:
        return edit ? QStringLiteral("Indique una breve descripción del elemento")
                    : QStringLiteral("Suba o baje este marcador para indicar la incógnita");
    case TfmFormula::cValor:
        return edit ? QStringLiteral("Indique un valor inicial para este elemento")
               : unknown ? QStringLiteral("Aquí se muestra el valor que toma la incógnita")
                         : QStringLiteral("Indique un valor o una expresión para este elemento");
    case TfmFormula::cUnidad:
        return edit ? QStringLiteral("Indique la magnitud medida y una unidad")
               : unknown ? QStringLiteral("Seleccione la unidad en la que quiere el resultado")
                         : QStringLiteral("Seleccione la unidad en la que expreso este valor");
    case TfmFormula::cMin:
        return edit ? QStringLiteral("Indique el mínimo valor válido para este elemento")
                    : QStringLiteral("Muestra el mínimo valor válido para este elemento");
    case TfmFormula::cMax:
        return edit ? QStringLiteral("Indique el máximo valor válido para este elemento")
                    : QStringLiteral("Muestra el máximo valor válido para este elemento");
    default: return QString();
    }
}

} // namespace

void GiveStayOnTop(TToolWindow& window, bool stayOnTop) { window.SetTopMost(stayOnTop); }

TfmFormula::TfmFormula(ToolHost& host, QWidget* parent) : TToolWindow(host, kName, parent)
{
    // Help requests go to the help viewer.
    ShowHelp = [](int context) { ShowHelpContext(context); };
    setWindowTitle(QStringLiteral("Administrador de Fórmulas"));
    InputQuery = [this](const QString& caption, const QString& prompt, QString& text) {
        return SpanishInputQuery(this, caption, prompt, text);
    };
    EditUnits = [this](const QString& magnitude) { return UnitEditor && UnitEditor(this, magnitude); };
    buildControls();
    // The styles of use mode.
    SetEditMode(true);
    SetEditMode(false);
    if (unitEngine().MagnitudeList.empty())
        LoadUnitDefinitions();
    rebuildMagnitudeMenu();
    m_reloadHandler = AddUnitReloadHandler([this] { rebuildMagnitudeMenu(); });
    cmbTipo->addItems(ListFormulaGroups());
    setHeader();
    real::TExpresion* input = host.InputEvaluator();
    if (!input) {
        m_ownParent = std::make_unique<real::TExpresion>();
        m_ownParent->UseBuiltIns = true;
        input = m_ownParent.get();
    }
    m_solver = std::make_unique<TFormulaSolver>(input);
    ApplyAppearance();
    // The pictures: without a readable form.img the window says so and goes
    // on with none.
    const QString img = ExeDir() + QStringLiteral("form.img");
    try {
        m_pictures.LoadFromFile(img);
    } catch (const Exception& e) {
        error(e.message().contains(img) ? e.message() : e.message() + QStringLiteral(": ") + img);
    }
    if (cmbTipo->count() > 0) {
        cmbTipo->setCurrentIndex(0);
        OpenGroup(cmbTipo->currentText());
    }
}

TfmFormula::~TfmFormula()
{
    // An editor still open is closed as the grid goes: nothing of it reaches
    // a window half gone.
    gri->itemDelegate()->blockSignals(true);
    gri->blockSignals(true);
    if (m_reloadHandler)
        RemoveUnitReloadHandler(m_reloadHandler);
}

void TfmFormula::buildControls()
{
    AreaFondo1 = new TAreaFondo(this);
    AreaFondo1->setObjectName(QStringLiteral("AreaFondo1"));
    AreaFondo1->lower();
    auto* top = new QHBoxLayout;
    cmbTipo = new QComboBox(this);
    cmbTipo->setObjectName(QStringLiteral("cmbTipo"));
    cmbTipo->setToolTip(QStringLiteral("Grupos de fórmulas"));
    cmbFormulas = new QComboBox(this);
    cmbFormulas->setObjectName(QStringLiteral("cmbFormulas"));
    cmbFormulas->setToolTip(QStringLiteral("Nombre de la fórmula"));
    cmbFormulas->setMinimumWidth(220);
    SpeedButton8 = MakeToolButton(this, "SpeedButton8", QStringLiteral("G+"), QStringLiteral("Nuevo tipo"));
    SpeedButton1 = MakeToolButton(this, "SpeedButton1", QStringLiteral("+"), QStringLiteral("Nueva Fórmula"));
    SpeedButton10 = MakeToolButton(this, "SpeedButton10", QStringLiteral("-"), QStringLiteral("Eliminar Fórmula"));
    SpeedButton6 = MakeToolButton(this, "SpeedButton6", QStringLiteral("Dp"), QStringLiteral("Duplicar"));
    SpeedButton11 = MakeToolButton(this, "SpeedButton11", QStringLiteral("Rn"), QStringLiteral("Renombrar Fórmula"));
    chkEdit = MakeToolButton(this, "chkEdit", QStringLiteral("Modo edición"), QStringLiteral("Modo edición"));
    chkEdit->setCheckable(true);
    SpeedButton2 = MakeToolButton(this, "SpeedButton2", QStringLiteral("Guardar"), QStringLiteral("Guardar cambios"));
    SpeedButton7 = MakeToolButton(this, "SpeedButton7", QStringLiteral("Unidades"),
                          QStringLiteral("Editar magnitudes y unidades de medida"));
    SpeedButton9 = MakeToolButton(this, "SpeedButton9", QStringLiteral("?"), QStringLiteral("Ayuda (F1)"));
    top->addWidget(cmbTipo);
    top->addWidget(SpeedButton8);
    top->addWidget(cmbFormulas, 1);
    for (QToolButton* b : {SpeedButton1, SpeedButton10, SpeedButton6, SpeedButton11, chkEdit, SpeedButton2,
                           SpeedButton7, SpeedButton9})
        top->addWidget(b);

    Ley = new TTransEdit(this);
    Ley->setObjectName(QStringLiteral("Ley"));
    Ley->installEventFilter(this);
    Image2 = new TFormulaView(this);
    Image2->setObjectName(QStringLiteral("Image2"));
    Image2->setMinimumHeight(60);
    Desc = new TTransMemo(this);
    Desc->setObjectName(QStringLiteral("Desc"));
    Desc->setMaximumHeight(80);
    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setFixedSize(90, 90);
    Image1->setAlignment(Qt::AlignCenter);
    Image1->installEventFilter(this);
    auto* middle = new QHBoxLayout;
    auto* texts = new QVBoxLayout;
    texts->addWidget(Ley);
    texts->addWidget(Image2);
    texts->addWidget(Desc);
    middle->addLayout(texts, 1);
    middle->addWidget(Image1, 0, Qt::AlignTop);

    gri = new TStringGridX(this);
    gri->setObjectName(QStringLiteral("gri"));
    gri->SetColCount(kColumns);
    gri->SetRowCount(2);
    const int widths[kColumns] = {44, 160, kValorWidth, 140, 80, 70, 80};
    for (int c = 0; c < kColumns; ++c)
        gri->setColumnWidth(c, widths[c]);
    gri->installEventFilter(this);
    gri->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                         QAbstractItemView::AnyKeyPressed);
    gri->setSelectionMode(QAbstractItemView::NoSelection);
    gri->setItemDelegate(new TFormulaGridDelegate([this](int row, int col) { return CellLook(row, col); },
                                                  [this](QLineEdit* editor, QKeyEvent* key) {
                                                      return CellEditorKey(editor, key);
                                                  },
                                                  gri));
    connect(gri, &QTableWidget::currentCellChanged, this,
            [this](int row, int col, int, int previousCol) { cellSelected(row, col, previousCol); });
    connect(gri, &QTableWidget::cellClicked, this, [this](int row, int col) { cellClicked(row, col); });
    connect(gri, &QTableWidget::cellChanged, this, [this](int row, int col) { cellChanged(row, col); });
    // Enter in a cell editor of Valor in use mode recalculates once the text
    // is in the cell.
    connect(gri->itemDelegate(), &QAbstractItemDelegate::closeEditor, this,
            [this](QWidget*, QAbstractItemDelegate::EndEditHint hint) {
                if (hint == QAbstractItemDelegate::SubmitModelCache && !m_editMode && gri->Col() == cValor)
                    recalculateSoon();
            });

    SpeedButton3 = MakeToolButton(this, "SpeedButton3", QStringLiteral("Recalcular"), QStringLiteral("Recalcular"));
    SpeedButton4 = MakeToolButton(this, "SpeedButton4", QStringLiteral("Borrar"), QStringLiteral("Borrar valores"));
    SpeedButton5 = MakeToolButton(this, "SpeedButton5", QStringLiteral("Copiar"),
                          QStringLiteral("Copiar resultado al portapapeles"));
    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    AreaFondo2 = new TAreaFondo(Panel1);
    AreaFondo2->setObjectName(QStringLiteral("AreaFondo2"));
    AreaFondo2->lower();
    Panel1->installEventFilter(this);
    for (QToolButton* b : {SpeedButton3, SpeedButton4, SpeedButton5})
        b->setParent(Panel1);
    h = new QLabel(Panel1);
    h->setObjectName(QStringLiteral("h"));
    auto* bottom = new QHBoxLayout(Panel1);
    bottom->setContentsMargins(2, 2, 2, 2);
    bottom->addWidget(SpeedButton3);
    bottom->addWidget(SpeedButton4);
    bottom->addWidget(SpeedButton5);
    bottom->addWidget(h, 1);

    auto* all = new QVBoxLayout(this);
    all->setContentsMargins(4, 4, 4, 4);
    all->addLayout(top);
    all->addLayout(middle);
    all->addWidget(gri, 1);
    all->addWidget(Panel1);
    resize(620, 440);

    // The unit menus, drawn in the scheme, items 120 pixels wide at least.
    MenuUni = new QMenu(this);
    MenuUni->setObjectName(QStringLiteral("MenuUni"));
    MenuMag = new QMenu(this);
    MenuMag->setObjectName(QStringLiteral("MenuMag"));
    m_menuDrawing = std::make_unique<TMenuDrawing>();
    for (QMenu* menu : {MenuUni, MenuMag}) {
        widenMenu(menu);
        m_menuDrawing->Attach(menu);
    }
    // F1, as the help button says.
    auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(f1, &QShortcut::activated, this, [this] {
        if (ShowHelp)
            ShowHelp(kHelpContext);
    });

    connect(cmbTipo, &QComboBox::activated, this, [this] { OpenGroup(cmbTipo->currentText()); });
    connect(cmbFormulas, &QComboBox::activated, this, [this] { LoadFormula(cmbFormulas->currentText()); });
    connect(SpeedButton8, &QToolButton::clicked, this, [this] { NewGroup(); });
    connect(SpeedButton1, &QToolButton::clicked, this, [this] { NewFormula(); });
    connect(SpeedButton10, &QToolButton::clicked, this, [this] { DeleteFormula(); });
    connect(SpeedButton6, &QToolButton::clicked, this, [this] { DuplicateFormula(); });
    connect(SpeedButton11, &QToolButton::clicked, this, [this] { RenameFormula(); });
    connect(chkEdit, &QToolButton::clicked, this, [this](bool down) {
        if (down)
            SetEditMode(true);
        else
            SaveFormula();
    });
    connect(SpeedButton2, &QToolButton::clicked, this, [this] { SaveFormula(); });
    connect(SpeedButton3, &QToolButton::clicked, this, [this] { Recalculate(); });
    connect(SpeedButton4, &QToolButton::clicked, this, [this] { ClearValues(); });
    connect(SpeedButton5, &QToolButton::clicked, this, [this] { CopyResult(); });
    connect(SpeedButton9, &QToolButton::clicked, this, [this] {
        if (ShowHelp)
            ShowHelp(kHelpContext);
    });
    connect(SpeedButton7, &QToolButton::clicked, this, [this] {
        const int row = gri->Row() > 0 ? gri->Row() : 1;
        if (EditUnits && EditUnits(BaseMagnitude(gri->Cells(cBase, row))))
            rebuildMagnitudeMenu();
    });
    connect(Ley, &QLineEdit::textEdited, this, [this] { replaceAltOperators(Ley); });
}

void TfmFormula::rebuildMagnitudeMenu()
{
    // One submenu per magnitude, one item per unit.
    MenuMag->clear();
    for (const TMagnitud& mag : unitEngine().MagnitudeList) {
        QMenu* sub = MenuMag->addMenu(mag.Name);
        widenMenu(sub);
        for (const QString& unit : mag.UnitNames) {
            const QString name = mag.Name;
            connect(sub->addAction(unit), &QAction::triggered, this, [this, name, unit] { UnitMenuClick(name, unit); });
        }
    }
}

void TfmFormula::setHeader()
{
    const QStringList header = FormulaTableHeader();
    for (int c = 0; c < kColumns; ++c)
        gri->SetCells(c, 0, header[c]);
}

void TfmFormula::error(const QString& text) { MsgBoxApp(text, mb::Ok | mb::IconError); }

QString TfmFormula::currentGroup() const { return cmbTipo->currentText(); }

QStringList TfmFormula::formulaNames() const
{
    QStringList names;
    for (int i = 0; i < cmbFormulas->count(); ++i)
        names.append(cmbFormulas->itemText(i));
    return names;
}

void TfmFormula::selectFormula(const QString& name)
{
    QStringList names = formulaNames();
    if (!names.contains(name)) {
        names.append(name);
        names.sort(Qt::CaseInsensitive);
        cmbFormulas->clear();
        cmbFormulas->addItems(names);
    }
    cmbFormulas->setCurrentIndex(int(names.indexOf(name)));
}

void TfmFormula::OpenGroup(const QString& group)
{
    m_groupFile = FormulaGroupFile(group);
    QString problem;
    QStringList names = TFormulaGroup(group).Names(&problem);
    if (!problem.isEmpty())
        error(problem);
    names.sort(Qt::CaseInsensitive);
    cmbFormulas->clear();
    cmbFormulas->addItems(names);
    if (!names.isEmpty()) {
        cmbFormulas->setCurrentIndex(0);
        LoadFormula(names[0]);
    } else {
        m_formulaName.clear();
    }
}

void TfmFormula::LoadFormula(const QString& name)
{
    m_loading = true;
    SetEditMode(true);
    const TFormula f = TFormulaGroup(currentGroup()).Read(name);
    Ley->setText(f.Ley);
    Desc->setPlainText(f.Desc.join(QLatin1Char('\n')));
    m_imageReference = f.ImageReference;
    gri->SetRowCount(int(f.Elements.size()) + 1);
    if (f.Elements.empty())
        gri->SetRowCount(2);
    setHeader();
    for (int r = 1; r < gri->RowCount(); ++r)
        for (int c = 0; c < kColumns; ++c)
            gri->SetCells(c, r, QString());
    for (size_t k = 0; k < f.Elements.size(); ++k) {
        const TFormulaElement& e = f.Elements[k];
        const QString cells[] = {e.Simb, e.Descripcion, e.Valor, e.Unidad, e.Base, e.Min, e.Max};
        for (int c = 0; c < kColumns; ++c)
            gri->SetCells(c, int(k) + 1, cells[c]);
    }
    m_unknownRow = f.Unknown < 0 ? -1 : f.Unknown + 1;
    m_formulaName = name;
    m_loading = false;
    SetEditMode(false);
    showPicture();
    Desc->moveCursor(QTextCursor::Start);
    showLaw();
    cellSelected(gri->Row(), gri->Col(), gri->Col());
    update();
}

void TfmFormula::showPicture()
{
    QPixmap pixmap;
    const QString ref = m_imageReference;
    if (ref.isEmpty()) {
        pixmap = ApplicationPixmap(64);
    } else if (ref.startsWith(QLatin1Char('#'))) {
        // An entry of form.img; without the container (already told as the
        // window opened) there is no picture.
        TGraphicKind kind;
        const QByteArray bytes = m_pictures.GetGraphicBytes(ref.mid(1), kind);
        if (!m_pictures.FileName.isEmpty() && !loadPicture(pixmap, bytes, kind))
            error(Format(QStringLiteral("No se puede cargar la imagen \"%s\""), {ref}));
    } else {
        // A file beside the program, or where a full path says.
        const QString file = QFileInfo(ref).isAbsolute() ? ref : ExeDir() + ref;
        const TGraphicKind kind = GraphicKindOf(file);
        bool ok = false;
        if (kind == TGraphicKind::Metafile) {
            QFile f(file);
            ok = f.open(QIODevice::ReadOnly) && loadPicture(pixmap, f.readAll(), kind);
        } else {
            ok = pixmap.load(file);
        }
        if (!ok)
            error(Format(QStringLiteral("No se puede cargar la imagen \"%s\""), {file}));
    }
    // A larger picture is shrunk into the 90 x 90 box, its proportions kept.
    if (pixmap.width() > Image1->width() || pixmap.height() > Image1->height())
        pixmap = pixmap.scaled(Image1->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation);
    Image1->setPixmap(pixmap);
}

bool TfmFormula::loadPicture(QPixmap& pixmap, const QByteArray& bytes, TGraphicKind kind) const
{
    switch (kind) {
    case TGraphicKind::Bitmap: return pixmap.loadFromData(bytes, "BMP");
    case TGraphicKind::Metafile: {
        // Drawn straight into the box rather than shrunk afterwards.
        const QImage image = RenderMetafile(bytes, Image1->size());
        if (image.isNull())
            return false;
        pixmap = QPixmap::fromImage(image);
        return true;
    }
    case TGraphicKind::None: break;
    }
    return false;
}

void TfmFormula::showLaw()
{
    syncSolver();
    Image2->SetPicture(m_solver->DrawLaw(Ley->text()));
}

void TfmFormula::syncSolver()
{
    const TFormula f = DisplayedFormula();
    m_solver->Elements = f.Elements;
}

TFormula TfmFormula::DisplayedFormula() const
{
    TFormula f;
    f.Ley = Ley->text();
    f.Desc = Desc->toPlainText().split(QLatin1Char('\n'));
    f.ImageReference = m_imageReference;
    for (int r = 1; r < gri->RowCount(); ++r) {
        TFormulaElement e{gri->Cells(cSimb, r), gri->Cells(cDesc, r), gri->Cells(cValor, r), gri->Cells(cUnidad, r),
                          gri->Cells(cBase, r),  gri->Cells(cMin, r),  gri->Cells(cMax, r)};
        if (r == m_unknownRow)
            f.Unknown = int(f.Elements.size());
        f.Elements.push_back(e);
    }
    return f;
}

bool TfmFormula::SaveFormula()
{
    if (!m_formulaName.isEmpty()) {
        try {
            TFormula f = DisplayedFormula();
            // Rows without a symbol are not kept; the unknown follows its row.
            TFormula kept = f;
            kept.Elements.clear();
            kept.Unknown = -1;
            for (size_t k = 0; k < f.Elements.size(); ++k) {
                if (f.Elements[k].Simb.isEmpty())
                    continue;
                if (int(k) == f.Unknown)
                    kept.Unknown = int(kept.Elements.size());
                kept.Elements.push_back(f.Elements[k]);
            }
            TFormulaGroup(currentGroup()).Write(m_formulaName, kept);
        } catch (const Exception& e) {
            MsgBox(e.message(), QStringLiteral("Guardar cambios"), mb::Ok | mb::IconWarning);
            chkEdit->setChecked(true);
            return false;
        }
    }
    SetEditMode(false);
    if (!m_formulaName.isEmpty())
        LoadFormula(m_formulaName);
    return true;
}

void TfmFormula::NewFormula()
{
    QString name;
    if (!InputQuery(QStringLiteral("Nueva fórmula"), QStringLiteral("Indique un nombre para la nueva fórmula:"), name))
        return;
    name = name.trimmed();
    const QString why = CheckFormulaName(name, TFormulaGroup(currentGroup()).Names());
    if (!why.isEmpty()) {
        MsgBox(why, QStringLiteral("Nueva fórmula"), mb::Ok | mb::IconWarning);
        return;
    }
    try {
        TFormulaGroup(currentGroup()).Write(name, NewFormulaTemplate());
    } catch (const Exception& e) {
        error(e.message());
        return;
    }
    selectFormula(name);
    LoadFormula(name);
    Ley->setFocus();
    SetEditMode(true);
    m_formulaName = name;
}

void TfmFormula::NewGroup()
{
    QString name;
    if (!InputQuery(QStringLiteral("Nuevo grupo"), QStringLiteral("Indique un nombre para el nuevo grupo:"), name))
        return;
    name = name.trimmed();
    QStringList groups;
    for (int i = 0; i < cmbTipo->count(); ++i)
        groups.append(cmbTipo->itemText(i));
    const QString why = CheckGroupName(name, groups);
    if (!why.isEmpty()) {
        MsgBox(why, QStringLiteral("Nuevo grupo"), mb::Ok | mb::IconWarning);
        return;
    }
    groups.append(name);
    groups.sort(Qt::CaseInsensitive);
    cmbTipo->clear();
    cmbTipo->addItems(groups);
    cmbTipo->setCurrentIndex(int(groups.indexOf(name)));
    m_groupFile = FormulaGroupFile(name);
    cmbFormulas->clear();
    m_formulaName.clear();
    NewFormula();
}

void TfmFormula::DeleteFormula()
{
    const QString name = cmbFormulas->currentText();
    if (cmbFormulas->currentIndex() < 0 || name.isEmpty())
        return;
    if (MsgBox(Format(QStringLiteral("¿Desea eliminar la fórmula\r\n%s?"), {name}), QStringLiteral("Borrar Fórmula"),
               mb::YesNo | mb::IconQuestion | mb::DefButton2) != idYes)
        return;
    try {
        TFormulaGroup(currentGroup()).Erase(name);
    } catch (const Exception& e) {
        error(e.message());
        return;
    }
    const int index = cmbFormulas->currentIndex();
    cmbFormulas->removeItem(index);
    m_formulaName.clear();
    if (cmbFormulas->count() == 0)
        return;
    cmbFormulas->setCurrentIndex(std::min(index, cmbFormulas->count() - 1));
    LoadFormula(cmbFormulas->currentText());
}

void TfmFormula::DuplicateFormula()
{
    if (m_formulaName.isEmpty())
        return;
    QString name = m_formulaName + QStringLiteral(" 2");
    if (!InputQuery(QStringLiteral("Duplicar fórmula"), QStringLiteral("Indique un nuevo nombre para la fórmula:"), name))
        return;
    name = name.trimmed();
    const QString why = CheckFormulaName(name, TFormulaGroup(currentGroup()).Names());
    if (!why.isEmpty()) {
        MsgBox(why, QStringLiteral("Duplicar fórmula"), mb::Ok | mb::IconWarning);
        return;
    }
    SetEditMode(true);
    m_formulaName = name;
    m_loading = true;
    selectFormula(name);
    m_loading = false;
    Ley->setFocus();
}

void TfmFormula::RenameFormula()
{
    const QString old = cmbFormulas->currentText();
    if (cmbFormulas->currentIndex() < 0 || old.isEmpty())
        return;
    QString name = old;
    if (!InputQuery(QStringLiteral("Renombrar Fórmula"), QStringLiteral("Introduzca el nuevo nombre para la fórmula"), name))
        return;
    name = name.trimmed();
    if (name == old)
        return;
    QStringList others = TFormulaGroup(currentGroup()).Names();
    others.removeIf([&](const QString& n) { return n.compare(old, Qt::CaseInsensitive) == 0; });
    const QString why = CheckFormulaName(name, others);
    if (!why.isEmpty()) {
        MsgBox(why, QStringLiteral("Renombrar Fórmula"), mb::Ok | mb::IconWarning);
        return;
    }
    try {
        TFormulaGroup(currentGroup()).Rename(old, name);
    } catch (const Exception& e) {
        error(e.message());
        return;
    }
    cmbFormulas->removeItem(cmbFormulas->currentIndex());
    selectFormula(name);
    LoadFormula(name);
}

void TfmFormula::SetEditMode(bool on)
{
    if (on == m_editMode)
        return;
    m_editMode = on;
    chkEdit->setChecked(on);
    // Use mode shows the law and the description on the window's background;
    // edit mode gives them their field colour and a border.
    Ley->setReadOnly(!on);
    Desc->setReadOnly(!on);
    Ley->setTransparent(!on);
    Desc->setTransparent(!on);
    Ley->setFrame(on);
    Desc->setFrameShape(on ? QFrame::StyledPanel : QFrame::NoFrame);
    cmbFormulas->setEnabled(!on);
    cmbTipo->setEnabled(!on);
    gri->SetFixed(on ? 0 : 1, 1);
    gri->setColumnHidden(cBase, !on);
    if (on)
        gri->setColumnWidth(cBase, 80);
    applyCellFlags();
    if (!on && gri->RowCount() > 1 && !m_loading)
        gri->SetCurrent(cValor, std::max(1, gri->Row()));
    // The hint of the current cell as this mode tells it.
    cellSelected(gri->Row(), gri->Col(), gri->Col());
}

void TfmFormula::applyCellFlags()
{
    const QSignalBlocker block(gri);
    for (int r = 1; r < gri->RowCount(); ++r)
        for (int c = 0; c < kColumns; ++c) {
            QTableWidgetItem* it = gri->item(r, c);
            if (!it) {
                it = new QTableWidgetItem;
                gri->setItem(r, c, it);
            }
            const bool editable = c != cBase && (m_editMode || (c == cValor && r != m_unknownRow));
            it->setFlags(editable ? it->flags() | Qt::ItemIsEditable : it->flags() & ~Qt::ItemIsEditable);
        }
}

void TfmFormula::cellSelected(int row, int col, int previousCol)
{
    if (row < 0 || col < 0)
        return;
    // The base unit is set through the unit menu only: its column is passed by.
    if (col == cBase) {
        gri->SetCurrent(previousCol > cBase ? cUnidad : cMin, row);
        return;
    }
    gri->viewport()->update();
    if (row < 1)
        return;
    const QString hint = cellHint(col, m_editMode, row == m_unknownRow);
    h->setText(hint + Format(QStringLiteral(":  %s (%s)"), {gri->Cells(cSimb, row), gri->Cells(cDesc, row)}));
}

void TfmFormula::cellClicked(int row, int col)
{
    if (row < 1)
        return;
    if (col == cDesc && !m_editMode && row != m_unknownRow) {
        m_unknownRow = row;
        applyCellFlags();
        cellSelected(row, col, col);
    } else if (col == cUnidad) {
        const QRect cell = gri->visualItemRect(gri->item(row, col));
        const QPoint at = gri->viewport()->mapToGlobal(cell.bottomLeft());
        if (m_editMode)
            MenuMag->popup(at);
        else if (MenuUniPopup())
            MenuUni->popup(at);
    }
}

void TfmFormula::cellChanged(int row, int col)
{
    if (m_loading || row < 1)
        return;
    const QString text = gri->Cells(col, row);
    const QString why = CheckCellText(text);
    if (!why.isEmpty()) {
        MsgBox(why, windowTitle(), mb::Ok | mb::IconWarning);
        const QSignalBlocker block(gri);
        gri->SetCells(col, row, QString(text).remove(kFieldSeparator));
    }
}

bool TfmFormula::MenuUniPopup()
{
    MenuUni->clear();
    const int row = gri->Row() > 0 ? gri->Row() : 1;
    const QString magnitude = BaseMagnitude(gri->Cells(cBase, row));
    const int m = MatchMagnitude(magnitude);
    if (m < 0) {
        error(Format(QStringLiteral("Magnitud %s no esta definida"), {magnitude}));
        return false;
    }
    const TMagnitud& mag = unitEngine().MagnitudeList[size_t(m)];
    const QString current = gri->Cells(cUnidad, row);
    for (const QString& unit : mag.UnitNames) {
        QAction* a = MenuUni->addAction(unit);
        a->setCheckable(true);
        a->setChecked(unit.compare(current, Qt::CaseInsensitive) == 0);
        const QString name = mag.Name;
        connect(a, &QAction::triggered, this, [this, name, unit] { UnitMenuClick(name, unit); });
    }
    return true;
}

void TfmFormula::UnitMenuClick(const QString& magnitude, const QString& unit)
{
    const int row = gri->Row() > 0 ? gri->Row() : 1;
    gri->SetCells(cUnidad, row, StripAmpersands(unit));
    if (m_editMode) {
        // The unit chosen in edit mode is also the unit the law works in.
        const QString base = StripAmpersands(unit);
        gri->SetCells(cBase, row, StripAmpersands(magnitude) + QLatin1Char('=') + base);
    } else {
        Recalculate();
    }
}

void TfmFormula::Recalculate()
{
    if (m_editMode)
        return;
    const int col = gri->Col(), row = gri->Row();
    // Leaving the cell closes its editor and keeps its text.
    gri->setCurrentItem(nullptr);
    syncSolver();
    if (m_unknownRow > 0) {
        const QSignalBlocker block(gri);
        gri->SetCells(cValor, m_unknownRow, QStringLiteral("Error"));
    }
    const TSolveOutcome r = m_solver->Recalculate(Ley->text(), m_unknownRow - 1);
    if (m_unknownRow > 0) {
        const QSignalBlocker block(gri);
        gri->SetCells(cValor, m_unknownRow, r.Result);
        // A long result widens its column rather than lose its end.
        gri->setColumnWidth(cValor, std::max(kValorWidth, ColumnNeeds(gri, cValor)));
    }
    switch (r.What) {
    case TSolveOutcome::Kind::Refused: MsgBox(r.Message, QStringLiteral("Error"), mb::Ok | mb::IconWarning); break;
    case TSolveOutcome::Kind::Failed:
        if (!r.Message.isEmpty())
            error(r.Message);
        break;
    default: break;
    }
    gri->SetCurrent(col, row);
}

void TfmFormula::recalculateSoon()
{
    // Enter closes the cell editor and reaches the grid too: one recalculation.
    if (m_recalculatePending)
        return;
    m_recalculatePending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_recalculatePending = false;
            Recalculate();
        },
        Qt::QueuedConnection);
}

void TfmFormula::ClearValues()
{
    for (int r = 1; r < gri->RowCount(); ++r) {
        gri->SetCells(cValor, r, QString());
        gri->SetCells(cUnidad, r, BaseUnit(gri->Cells(cBase, r)));
    }
    if (gri->RowCount() > 1)
        gri->SetCurrent(cValor, 1);
}

void TfmFormula::CopyResult()
{
    if (m_unknownRow > 0)
        QApplication::clipboard()->setText(gri->Cells(cValor, m_unknownRow));
}

bool TfmFormula::gridKey(int key)
{
    const int col = gri->Col(), row = gri->Row();
    if (key != Qt::Key_Return && key != Qt::Key_Enter)
        return false;
    if (!m_editMode) {
        if (col == cValor || col == cUnidad) {
            recalculateSoon();
            return true;
        }
        return false;
    }
    if (col == cMax && row == gri->RowCount() - 1) {
        gri->SetRowCount(gri->RowCount() + 1);
        applyCellFlags();
        gri->SetCurrent(cSimb, row + 1);
    } else if (col == cUnidad) {
        gri->SetCurrent(cMin, row);
    } else if (col == cMax) {
        gri->SetCurrent(cSimb, row + 1);
    } else {
        gri->SetCurrent(col + 1, row);
    }
    return true;
}

TFormulaCellLook TfmFormula::CellLook(int row, int col) const
{
    const TAppearance& a = Host().Appearance();
    TFormulaCellLook look;
    look.Row = row;
    look.Col = col;
    look.Unknown = row > 0 && row == m_unknownRow;
    look.Current = row == gri->Row() && col == gri->Col();
    look.Luz = a.ClLuz;
    look.Sombra = a.ClSombra;
    look.Texto = a.ClTexto;
    return look;
}

bool TfmFormula::complete(QWidget* edit, real::TExpresion& names, QKeyEvent* key)
{
    QChar typed = KeyEventChar(key);
    if (!isAsciiLetter(typed) || !AutoComp().AutoCompleteOn ||
        (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)))
        return false;
    const auto source = MakeNameSource(names.GetTable());
    QPointer<QWidget> guard(edit);
    EnsureAutoComp()->ShowForEdit(edit, source.get(), typed);
    if (guard) {
        edit->activateWindow();
        edit->setFocus();
    }
    return true;
}

bool TfmFormula::CellEditorKey(QLineEdit* editor, QKeyEvent* key)
{
    if (m_editMode || gri->Col() != cValor)
        return false;
    if (key->key() == Qt::Key_Escape) {
        editor->clear();
        return true;
    }
    if (key->text() == QStringLiteral("*")) {
        editor->insert(QStringLiteral("*"));
        replaceAltOperators(editor);
        return true;
    }
    return complete(editor, m_solver->ValueEvaluator(), key);
}

bool TfmFormula::lawKey(QKeyEvent* key)
{
    if (!m_editMode)
        return false;
    if (key->key() == Qt::Key_Escape) {
        Ley->clear();
        return true;
    }
    return complete(Ley, m_solver->LawEvaluator(), key);
}

void TfmFormula::resizeEvent(QResizeEvent* e)
{
    TToolWindow::resizeEvent(e);
    AreaFondo1->setGeometry(rect());
}

void TfmFormula::showEvent(QShowEvent* e)
{
    TToolWindow::showEvent(e);
    // Shown the first time: ready for the first value.
    if (!m_shown) {
        m_shown = true;
        if (!m_editMode && gri->RowCount() > 1) {
            gri->SetCurrent(cValor, std::max(1, gri->Row()));
            gri->setFocus();
        }
    }
}

bool TfmFormula::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == gri && event->type() == QEvent::KeyPress) {
        if (gridKey(static_cast<QKeyEvent*>(event)->key()))
            return true;
    }
    if (watched == Ley && event->type() == QEvent::KeyPress && lawKey(static_cast<QKeyEvent*>(event)))
        return true;
    if (watched == Panel1 && event->type() == QEvent::Resize)
        AreaFondo2->setGeometry(Panel1->rect());
    if (watched == Image1 && event->type() == QEvent::MouseButtonPress && m_editMode) {
        QString ref = m_imageReference;
        if (InputQuery(QStringLiteral("Imagen"), QStringLiteral("Indique archivo BMP, EMF o WMF (90x90 max)"), ref)) {
            m_imageReference = ref.trimmed();
            showPicture();
        }
        return true;
    }
    return TToolWindow::eventFilter(watched, event);
}

void TfmFormula::ApplyAppearance()
{
    TToolWindow::ApplyAppearance();
    const TAppearance& a = Host().Appearance();
    auto paint = [](QWidget* w, TColor base, TColor text) {
        QPalette p = w->palette();
        p.setColor(QPalette::Base, ToQColor(base));
        p.setColor(QPalette::Text, ToQColor(text));
        w->setPalette(p);
    };
    for (TAreaFondo* area : {AreaFondo1, AreaFondo2}) {
        area->setColor(a.ClLuz);
        area->setColor2(a.ClSombra);
    }
    for (QWidget* w : {static_cast<QWidget*>(cmbFormulas), static_cast<QWidget*>(cmbTipo)})
        paint(w, a.ClFondo, a.ClTexto);
    // The law and the description: their field colour while they are opaque.
    Ley->setColor(a.ClFondo);
    Desc->setColor(a.ClFondo);
    for (QWidget* w : {static_cast<QWidget*>(Ley), static_cast<QWidget*>(Desc)}) {
        QPalette p = w->palette();
        p.setColor(QPalette::Text, ToQColor(a.ClTexto));
        w->setPalette(p);
    }
    paint(gri, a.ClSombra, a.ClTexto);
    Image2->SetBackground(a.ClFondo);
    m_menuDrawing->SetScheme({a.ClLuz, a.ClSombra, a.ClTexto, a.ClFondo});
    gri->viewport()->update();
    update();
}
