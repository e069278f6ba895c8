#include "shell/frmcalc.h"

#include "controls/application.h"
#include "controls/comboexpr.h"
#include "controls/frmautocomp.h"
#include "controls/menudraw.h"
#include "controls/pvlurl.h"
#include "controls/readonlybox.h"
#include "controls/toolbutton.h"
#include "services/pictureexport.h"
#include "shell/frmsplash.h"
#include "tools/complejos/window/frmcomplex.h"
#include "shell/frmtips.h"
#include "shell/helpsetup.h"
#include "science/unidades/window/convmenu.h"
#include "engine/bases.h"
#include "engine/checked.h"
#include "engine/formulapicture.h"
#include "engine/real/builtins_math.h"
#include "engine/errors.h"
#include "engine/real/errors.h"
#include "engine/real/expresion.h"
#include "foundation/core/basicos.h"
#include "foundation/core/format.h"
#include "foundation/core/zelini.h"
#include "drawkit/drawkit.h"
#include "drawkit/qpaintercanvas.h"
#include "platform/formpos.h"
#include "services/calcfuncs.h"
#include "services/frminput.h"
#include "services/formulaview.h"
#include "services/frmusuario.h"
#include "services/toolwindow.h"

#include <algorithm>
#include <utility>
#include <vector>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDateTime>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPainter>
#include <QSplitter>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <chrono>
#include <cmath>

TfrmCalcu* frmCalcu = nullptr;

// ---------------------------------------------------------------------------
// The formula picture of an expression.

namespace {

// The engine's drawing of a compiled expression as a recorded picture, or
// none when the expression has no tree.
std::unique_ptr<FormulaPicture> DrawExpression(real::TExpresion& e)
{
    return e.DrawToMetafile();
}

// The small picture of an angle unit beside a result line.
QPixmap AngleImage(int unit)
{
    static const char16_t* const marks[] = {u"r", u"\u00B0", u"g", u"c", u"'", u"\u03C0"};
    if (unit < 0 || unit > 5)
        return QPixmap();
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QColor(0x18, 0x40, 0x67));
    p.setBrush(QColor(0xAF, 0xD2, 0xED));
    p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
    QFont f = p.font();
    f.setPixelSize(10);
    f.setBold(true);
    p.setFont(f);
    p.drawText(QRect(0, 0, 16, 16), Qt::AlignCenter, QString::fromUtf16(marks[unit]));
    return pm;
}

constexpr int kObjectRole = Qt::UserRole + 1;

// Draws the history list's lines: expressions in bold, results after the
// image of their angle unit.
class HistoryDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QSize s = QStyledItemDelegate::sizeHint(option, index);
        s.setHeight(16);
        return s;
    }
    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        p->save();
        const bool selected = option.state & QStyle::State_Selected;
        p->fillRect(option.rect, selected ? option.palette.highlight() : option.palette.base());
        p->setPen(selected ? option.palette.highlightedText().color() : option.palette.text().color());
        QFont f = option.font;
        const QString text = index.data(Qt::DisplayRole).toString();
        const int top = option.rect.top();
        if (index.row() % 2 == 0) {
            f.setBold(true);
            p->setFont(f);
            p->drawText(QRect(option.rect.left() + 2, top + 2, option.rect.width() - 2, option.rect.height() - 2),
                        Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
        } else {
            f.setBold(false);
            p->setFont(f);
            const QPixmap img = AngleImage(index.data(kObjectRole).toInt());
            if (!img.isNull())
                p->drawPixmap(option.rect.left() + 32, top, img);
            p->drawText(QRect(option.rect.left() + 70, top + 2, option.rect.width() - 70, option.rect.height() - 2),
                        Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
        }
        p->restore();
    }
};

// Runs a step of the window's creation; a failure is shown and the creation
// goes on with the next step.
void Step(const std::function<void()>& step)
{
    TApplication::Guarded(step);
}

} // namespace

// ---------------------------------------------------------------------------
// The window

// The evaluator's code of an invalid operation.
const int kInvalidOperation = EInvalidOp().code();

const QString TfrmCalcu::kWebPage = QStringLiteral("https://sumbrix.example.org/");

TfrmCalcu::TfrmCalcu(QWidget* parent) : TFormMX(parent)
{
    setObjectName(QStringLiteral("frmCalcu"));
    if (!frmCalcu)
        frmCalcu = this;
    BuildControls();
    FormCreate();
}

TfrmCalcu::~TfrmCalcu()
{
    // The expression box saves its history once more on the way out.
    if (m_closed)
        TApplication::Guarded([this] { cmbEdit->SaveHistory(); });
    CalcGlobals& g = Calc();
    // The tool windows go with this window (its children); from here on they
    // have no host to tell.
    for (ToolState& t : m_tools)
        if (t.window)
            t.window->ForgetHost();
    if (m_calc && g.InputEvaluator == &m_calc->Input())
        g.InputEvaluator = nullptr;
    m_calc.reset();
    if (frmCalcu == this)
        frmCalcu = nullptr;
}

void TfrmCalcu::BuildControls()
{
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);

    // Top panel: expression, result, memory button.
    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    auto* top = new QGridLayout(Panel1);
    top->setContentsMargins(4, 4, 4, 4);
    top->setSpacing(4);
    cmbEdit = new TComboExpr(Panel1);
    QFont ef = cmbEdit->font();
    ef.setBold(true);   // as designed; the settings may change it
    cmbEdit->setFont(ef);
    cmbEdit->setObjectName(QStringLiteral("cmbEdit"));
    cmbEdit->SetFileName(QStringLiteral("expr.lst"));
    cmbEdit->SetOnCargarLista([this](QObject* list) { AddExtraAutoCompleteEntries(list); });
    cmbEdit->SetTextEmpty(QStringLiteral("{Ingrese aquí una expresión para evaluar}"));
    cmbEdit->SetAutoagregar(false);
    cmbEdit->setMinimumWidth(260);
    cmbEdit->OnKeyPress = [this](QObject* sender, QChar& key) { cmbEditKeyPress(sender, key); };
    cmbEdit->OnChange = [this](QObject*) { cmbEditChange(); };
    Edit2 = new QLineEdit(Panel1);
    Edit2->setObjectName(QStringLiteral("Edit2"));
    Edit2->setReadOnly(true);
    Edit2->setToolTip(QStringLiteral("Resultado"));
    QFont rf = Edit2->font();
    rf.setBold(true);
    Edit2->setFont(rf);
    connect(Edit2, &QLineEdit::textChanged, this, &TfrmCalcu::Edit2Change);
    btnInsertar = MakeToolButton(Panel1, "btnInsertar", QStringLiteral("+"), QStringLiteral("Insertar (INS)"));
    btnInsertar->setPopupMode(QToolButton::InstantPopup);
    btnMemoria = MakeToolButton(Panel1, "btnMemoria", QStringLiteral("M"), QStringLiteral("Memoria (F9)"));
    btnMemoria->setPopupMode(QToolButton::InstantPopup);
    btnHerramientas = MakeToolButton(Panel1, "btnHerramientas", QStringLiteral("\u2261"),
                                 QStringLiteral("Herramientas y Configuración (F5)"));
    btnHerramientas->setPopupMode(QToolButton::InstantPopup);
    FormAngulo = MakeToolButton(Panel1, "FormAngulo", QStringLiteral("Radianes"), QString());
    FormAngulo->setPopupMode(QToolButton::MenuButtonPopup);
    connect(FormAngulo, &QToolButton::clicked, this, [this] { TApplication::Guarded([this] { FormAnguloClick(); }); });
    btnDigitos = MakeToolButton(Panel1, "btnDigitos", QStringLiteral(".0"), QString());
    btnDigitos->setPopupMode(QToolButton::InstantPopup);
    btnBase = MakeToolButton(Panel1, "btnBase", QStringLiteral("Decimal"), QString());
    btnBase->setPopupMode(QToolButton::MenuButtonPopup);
    connect(btnBase, &QToolButton::clicked, this, [this] { TApplication::Guarded([this] { btnBaseClick(); }); });
    auto* tools = new QHBoxLayout;
    tools->setSpacing(0);
    tools->addWidget(FormAngulo);
    tools->addWidget(btnDigitos);
    tools->addWidget(btnBase);
    tools->addWidget(btnInsertar);
    tools->addWidget(btnMemoria);
    btnConversion = MakeToolButton(Panel1, "btnConversion", QStringLiteral("\u21C4"), QStringLiteral("Conversión (F10)"));
    btnConversion->setPopupMode(QToolButton::InstantPopup);
    tools->addWidget(btnConversion);
    tools->addWidget(btnHerramientas);
    btnAyuda = MakeToolButton(Panel1, "btnAyuda", QStringLiteral("?"), QStringLiteral("Ayuda (F1)"));
    btnAyuda->setPopupMode(QToolButton::InstantPopup);
    pvlUrl1 = new TpvlUrl(this);
    pvlUrl1->Url = kWebPage;
    tools->addWidget(btnAyuda);
    top->addWidget(cmbEdit, 0, 0, 1, 2);
    top->addWidget(Edit2, 1, 0);
    top->addLayout(tools, 1, 1);
    m_topLayout = top;
    top->setColumnStretch(0, 1);
    root->addWidget(Panel1);

    // Middle panel: the picture over the history list.
    Panel3 = new QFrame(this);
    Panel3->setObjectName(QStringLiteral("Panel3"));
    auto* mid = new QVBoxLayout(Panel3);
    mid->setContentsMargins(4, 0, 4, 0);
    auto* split = Splitter1 = new QSplitter(Qt::Vertical, Panel3);
    split->setObjectName(QStringLiteral("Splitter1"));
    split->setToolTip(
        QStringLiteral("Mueva arriba o abajo esta linea para\r\ncambiar el tamaño de los paneles"));
    FormulaView = new TFormulaView(split);
    pbMeta = FormulaView->pbMeta;
    lblError = FormulaView->lblError;
    FormulaView->OnCopy = [this](const FormulaPicture& picture) { CopyPicture(picture); };
    FormulaView->OnExport = [this](const FormulaPicture& picture) { ExportPicture(picture, this); };
    // "Describir funciones de usuario": calls of user functions compiled and
    // drawn as their bodies.
    FormulaView->SetOnDescribe([this](bool on) {
        m_calc->Main().InlineUserFunctions = on;
        m_calc->Main().SetText(QStringLiteral("0"));
        Calculate();
    });
    Lista = new QListWidget(split);
    Lista->setObjectName(QStringLiteral("Lista"));
    Lista->setItemDelegate(new HistoryDelegate(Lista));
    Lista->setUniformItemSizes(true);
    Lista->setToolTip(QStringLiteral(
        "Detalle de las operaciones realizadas\r\nUse el botón secundario del ratón\r\npara mas opciones"));
    Lista->setContextMenuPolicy(Qt::CustomContextMenu);
    Lista->installEventFilter(this);
    connect(Lista, &QListWidget::itemDoubleClicked, this, [this] { ReemplazarenexpresinClick(); });
    connect(Lista, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        MenuListaPopup();
        MenuLista->popup(Lista->viewport()->mapToGlobal(pos));
    });
    split->addWidget(FormulaView);
    split->addWidget(Lista);
    // Either side may shrink to nothing (the splitter then collapses it), so
    // that a list's own minimum never takes the picture's share.
    FormulaView->setMinimumHeight(1);
    Lista->setMinimumHeight(1);
    split->setSizes({kDesignedSplit[0], kDesignedSplit[1]});
    mid->addWidget(split);
    root->addWidget(Panel3, 1);

    // Bottom bar: the running total.
    Panel2 = new QFrame(this);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    auto* bottom = new QHBoxLayout(Panel2);
    bottom->setContentsMargins(4, 2, 4, 4);
    bottom->setSpacing(4);
    bottom->addStretch(1);
    Label1 = new QLabel(QStringLiteral("0"), Panel2);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setToolTip(QStringLiteral("Número de items sumados"));
    edtTotal = new QLineEdit(Panel2);
    edtTotal->setObjectName(QStringLiteral("edtTotal"));
    edtTotal->setReadOnly(true);
    edtTotal->setMinimumWidth(170);
    edtTotal->setToolTip(QStringLiteral("Total (Suma de resultados)"));
    connect(edtTotal, &QLineEdit::textChanged, this, &TfrmCalcu::edtTotalChange);
    // Drawn as buttons: a bare "0" beside the count read like a second count.
    SpeedButton1 = MakeToolButton(Panel2, "SpeedButton1", QStringLiteral("\u2192 0"), QStringLiteral("Total a cero (Ctrl+0)"));
    SpeedButton1->setAutoRaise(false);
    connect(SpeedButton1, &QToolButton::clicked, this, &TfrmCalcu::SpeedButton1Click);
    btnUndo = MakeToolButton(Panel2, "btnUndo", QStringLiteral("\u21B6"),
                         QStringLiteral("Deshacer última adición a total."));
    btnUndo->setAutoRaise(false);
    connect(btnUndo, &QToolButton::clicked, this, &TfrmCalcu::btnUndoClick);
    bottom->addWidget(Label1);
    bottom->addWidget(edtTotal);
    bottom->addWidget(SpeedButton1);
    bottom->addWidget(btnUndo);
    root->addWidget(Panel2);

    // The panels paint their own background over the window's picture.
    for (QFrame* panel : {Panel1, Panel2, Panel3})
        panel->setAutoFillBackground(true);

    BuildMemoryMenu();
    BuildHistoryMenu();
    BuildInsertAndToolsMenus();
    BuildInsertItems();
    BuildNumberMenus();
    BuildToolProtocol();
    BuildConfigureMenu();
    BuildBoxMenus();
    BuildEditMenu();
    RouteMenuKey(cmbEdit, cmbEdit->lineEdit());
    RouteMenuKey(cmbEdit->lineEdit(), cmbEdit->lineEdit());
    RouteMenuKey(Edit2, Edit2);
    RouteMenuKey(edtTotal, edtTotal);
    BuildHelpMenu();
    BuildConversionMenu();
    BuildModeControls(m_topLayout);
    AttachMenuDrawing();
    // The window sees its keys before the focused control.
    qApp->installEventFilter(this);
    // Wide enough for the result box beside the row of tool buttons.
    resize(560, 320);
}

void TfrmCalcu::BuildMemoryMenu()
{
    PopupMenu5 = new QMenu(this);
    PopupMenu5->setObjectName(QStringLiteral("PopupMenu5"));
    struct Item {
        const char* caption;
        int tag;
    };
    static const Item items[] = {{"Insertar", 1000}, {"Cargar", 1001}, {nullptr, 0},
                                 {"Sumar", 1002},    {"Restar", 1003}, {"Borrar", 1004}};
    for (int m = 0; m < 10; ++m) {
        QMenu* sub = PopupMenu5->addMenu(Format(QStringLiteral("M%d"), {m}));
        sub->setObjectName(Format(QStringLiteral("M%d"), {m}));
        for (const Item& it : items) {
            if (!it.caption) {
                sub->addSeparator();
                continue;
            }
            QAction* a = sub->addAction(QString::fromUtf8(it.caption));
            a->setData(it.tag);
            const int tag = it.tag;
            connect(a, &QAction::triggered, this, [this, m, tag] { MemoryAction(m, tag); });
        }
    }
    connect(PopupMenu5, &QMenu::aboutToShow, this, &TfrmCalcu::MenuMemoriaPopup);
    btnMemoria->setMenu(PopupMenu5);
}

void TfrmCalcu::BuildHistoryMenu()
{
    MenuLista = new QMenu(this);
    MenuLista->setObjectName(QStringLiteral("MenuLista"));
    auto add = [this](const QString& caption, const char* name, void (TfrmCalcu::*slot)()) {
        QAction* a = MenuLista->addAction(caption);
        a->setObjectName(QString::fromLatin1(name));
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    Reemplazarenexpresin1 = add(QStringLiteral("Asignar a expresión"), "Reemplazarenexpresin1",
                                &TfrmCalcu::ReemplazarenexpresinClick);
    MenuLista->addSeparator();
    CopiarTodo1 = add(QStringLiteral("Copiar  todo"), "CopiarTodo1", &TfrmCalcu::CopiarTodoClick);
    CopiarResultados1 = add(QStringLiteral("Copiar resultados"), "CopiarResultados1",
                            &TfrmCalcu::CopiarResultadosClick);
    Copiar1 = add(QStringLiteral("Copiar"), "Copiar1", &TfrmCalcu::CopiarClick);
    MenuLista->addSeparator();
    Eliminar1 = add(QStringLiteral("Eliminar"), "Eliminar1", &TfrmCalcu::EliminarClick);
    LimpiarTodo1 = add(QStringLiteral("Limpiar Todo"), "LimpiarTodo1", &TfrmCalcu::LimpiarTodoClick);
    connect(MenuLista, &QMenu::aboutToShow, this, &TfrmCalcu::MenuListaPopup);
}

void TfrmCalcu::BuildInsertAndToolsMenus()
{
    // The insert menu: the last result, the constants with the user's own and
    // the user's functions.
    PopupMenu4 = new QMenu(this);
    PopupMenu4->setObjectName(QStringLiteral("PopupMenu4"));
    auto insert = [this](QMenu* menu, const QString& caption, const QString& text) {
        QAction* a = menu->addAction(caption);
        connect(a, &QAction::triggered, this, [this, text] { cmbEdit->SetSelText(text); });
    };
    insert(PopupMenu4, QStringLiteral("&Resultado"), QStringLiteral("Rst"));
    Constante1 = PopupMenu4->addMenu(QStringLiteral("&Constante"));
    Constante1->setObjectName(QStringLiteral("Constante1"));
    insert(Constante1, QStringLiteral("Pi"), QStringLiteral("Pi"));
    insert(Constante1, QStringLiteral("Euler"), QStringLiteral("e"));
    Constante1->addSeparator();
    FunciondeUsuario1 = PopupMenu4->addMenu(QStringLiteral("Función de &usuario"));
    FunciondeUsuario1->setObjectName(QStringLiteral("FunciondeUsuario1"));
    // "&Constante" keeps Pi, Euler and the separator before the user's items.
    connect(Constante1, &QMenu::aboutToShow, this, [this] {
        if (std::exchange(m_constantsMenuStale, false))
            FillUserMenu(Constante1, UserConstants, 3);
    });
    connect(FunciondeUsuario1, &QMenu::aboutToShow, this, [this] {
        if (std::exchange(m_functionsMenuStale, false))
            FillUserMenu(FunciondeUsuario1, UserFunctions, 0);
    });
    btnInsertar->setMenu(PopupMenu4);

    // The tools menu: the user definitions.
    PopupMenu7 = new QMenu(this);
    PopupMenu7->setObjectName(QStringLiteral("PopupMenu7"));
    struct Item {
        const char* caption;
        const char* name;
        int tag;
    };
    static const Item items[] = {{"&Constantes...", "Constantes1", 0},
                                 {"&Funciones...", "Funciones1", 1},
                                 {"&Expresiones...", "Expresiones1", 2}};
    for (const Item& it : items) {
        QAction* a = PopupMenu7->addAction(QString::fromUtf8(it.caption));
        a->setObjectName(QString::fromLatin1(it.name));
        a->setData(it.tag);
        // "&Expresiones..." stays hidden, as designed.
        a->setVisible(it.tag != 2);
        const int tag = it.tag;
        connect(a, &QAction::triggered, this, [this, tag] { TApplication::Guarded([&] { Constantes1Click(tag); }); });
    }
    btnHerramientas->setMenu(PopupMenu7);
}

void TfrmCalcu::RebuildUserMenus()
{
    // A real.duf may hold a great many definitions: their menus are filled
    // when they are about to show, not at every load.
    m_constantsMenuStale = true;
    m_functionsMenuStale = true;
}

void TfrmCalcu::FillUserMenu(QMenu* menu, const QList<userdefs::TUserMenuItem>& items, int keep)
{
    const QList<QAction*> old = menu->actions();
    for (int i = keep; i < old.size(); ++i) {
        menu->removeAction(old[i]);
        delete old[i];
    }
    auto add = [this](QMenu* into, const userdefs::TUserMenuItem& item) {
        QAction* a = into->addAction(item.Caption);
        a->setData(item.Tag);
        const int tag = item.Tag;
        connect(a, &QAction::triggered, this, [this, tag] { InsertUserName(tag); });
    };
    // A long list is split into submenus of kGroup items, each named after its
    // first and last item, so that every menu stays short enough to open at once.
    constexpr qsizetype kGroup = 500;
    if (items.size() <= kGroup) {
        for (const userdefs::TUserMenuItem& item : items)
            add(menu, item);
        return;
    }
    for (qsizetype from = 0; from < items.size(); from += kGroup) {
        const qsizetype to = std::min(items.size(), from + kGroup);
        QMenu* group = menu->addMenu(items[from].Caption + QStringLiteral(" … ") + items[to - 1].Caption);
        for (qsizetype i = from; i < to; ++i)
            add(group, items[i]);
    }
}

void TfrmCalcu::Constantes1Click(int tag)
{
    TfmUsuario dlg(tag, &m_calc->Main(), &m_calc->Input(), this);
    const TAppearance& a = m_appearance;
    dlg.SetSchemeColors(a.ClLuz, a.ClSombra, a.ClFondo, a.ClTexto);
    const int result = RunDialog ? RunDialog(dlg) : dlg.exec();
    if (result == TfmUsuario::mrOk) {
        calcfuncs::ReloadCalcTables(m_calc->Main(), m_calc->Input());
        RegisterNames();
    }
}

void TfrmCalcu::FormCreate()
{
    CalcGlobals& g = Calc();
    // Help, the about box and the tips, before the first-run offer of help.
    Step([this] {
        InstallHelp(*this);
        InstallAbout(*this);
        InstallTips(*this);
    });

    // The random generator behind "Ale" and the truth values.
    if (g.FixedSeed)
        real::builtins::RandomState::seed(*g.FixedSeed);
    else
        real::builtins::RandomState::seed(
            std::uint64_t(std::chrono::system_clock::now().time_since_epoch().count()));

    for (int i = 0; i < kLetterCount; ++i) {
        const QChar c = LetterVariables().at(i);
        if (c != 'o' && c != 'p' && c != 'q')
            g.VarText[size_t(i)] = QStringLiteral("1");
    }
    setNoErase(false);
    EasySize = true;

    // Now and then, the offer to look for a newer version.
    if (QDate::currentDate() > QDate(2011, 5, 1)) {
        const int r = int(std::floor(real::builtins::RandomState::next() * 10));
        if (r > 7) {
            Step([this] {
                if (MsgBox(QStringLiteral("Una nueva versión de Sumbrix\r\n(con mas funciones y menos errores) "
                                          "\r\ndebería estar disponible...\r\n\r\n¿Desea buscar novedades ahora?"),
                           Basicos().ApplicationTitle, mb::YesNo | mb::DefButton2 | mb::IconInformation) == idYes) {
                    pvlUrl1->OpenUrl();
                }
            });
        }
    }

    setWindowTitle(WindowTitle());

    m_calc = std::make_unique<TCalcModel>();
    g.InputEvaluator = &m_calc->Input();

    cmbEdit->setToolTip(QStringLiteral("Escriba aquí la expresión a calcular.") + QStringLiteral("\r\n") +
                        QStringLiteral("Presione F1 para ayuda sensible al contexto."));

    {
        TAppIniFile ini;
        Step([&] {
            if (ini.ReadInteger(QStringLiteral("Opciones"), QStringLiteral("Ver"), 0) != 280) {
                const int answer = MsgBoxApp(QStringLiteral("Parece que es la primera vez que utiliza este programa.") +
                                                 QStringLiteral("\r\n\r\n") +
                                                 QStringLiteral("¿Desea ver la ayuda ahora? (Recomendado) "),
                                             mb::YesNo | mb::IconInformation);
                if (answer == idYes && OnHelpContext)
                    OnHelpContext(1);
                ini.WriteInteger(QStringLiteral("Opciones"), QStringLiteral("Ver"), 280);
                ini.UpdateFile();
            }
        });
        Step([&] { ReadSettings(ini); });
        for (const TMainExtensions::Settings& part : MainExtensions().SettingsParts)
            if (part.Read)
                Step([&] { part.Read(ini); });
        Basicos().ApplicationTitle = WindowTitle();

        Step([this] { RegisterNames(); });

        Step([&] { ReadFormPos(this, ini, TPosition::poDesktopCenter); });
    }
    for (const TMainExtensions::StartStep& step : MainExtensions().StartSteps)
        if (step.Run)
            Step(step.Run);
    // The tool windows open at the last exit open again.
    Step([this] { ReopenTools(); });
    Step([this] {
        // The box keeps as many expressions as the history list.
        cmbEdit->SetMaxItems(Calc().MaxList);
        cmbEdit->LoadHistory();
    });
    UpdateTotalDisplay();
}

void TfrmCalcu::ReadSettings(TZelIniFile& ini)
{
    CalcGlobals& g = Calc();
    ReadOptions(ini);
    for (int i = 0; i < 10; ++i)
        g.Memories[size_t(i)] = ini.ReadFloat(QStringLiteral("Memoria"), Format(QStringLiteral("M%d"), {i}), 0);
    m_conversion->ReadSettings(ini);
    ReadHistoryLines(ini);
}

void TfrmCalcu::ReadHistoryLines(TZelIniFile& ini)
{
    QStringList lines;
    ini.ReadSectionValues(QStringLiteral("Calculos"), lines);
    // Only the numbered keys are history lines, in the order of their numbers:
    // a stray line (a hand-made "Cant=...") must not shift the pairs.
    auto allDigits = [](const QString& s) {
        return std::all_of(s.begin(), s.end(), [](QChar c) { return c >= '0' && c <= '9'; });
    };
    std::vector<std::pair<long long, QString>> numbered;
    for (const QString& line : lines) {
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        const QString name = line.left(eq).trimmed();
        long long n = 0;
        if (eq > 0 && !name.isEmpty() && allDigits(name) && TryStrToInt(name, n))
            numbered.emplace_back(n, line.mid(eq + 1));
    }
    std::stable_sort(numbered.begin(), numbered.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& entry : numbered) {
        const QString& value = entry.second;
        const qsizetype p = value.lastIndexOf(QLatin1Char('_'));
        QString text = value;
        int object = 0;
        if (p >= 0) {
            const QString digits = value.mid(p + 1).trimmed();
            long long n = 0;
            // Only digits make an icon number; anything else (a line cut short
            // at 255 characters) is all text.
            if (allDigits(digits) && TryStrToInt(QStringLiteral("0") + digits, n) && n <= 255) {
                text = value.left(p);
                object = int(n);
            }
        }
        AddHistoryLine(text.trimmed(), object);
    }
}

void TfrmCalcu::WriteHistoryLines(TZelIniFile& ini)
{
    const QString section = QStringLiteral("Calculos");
    ini.EraseSection(section);
    const int last = std::min(HistoryCount() - 1, Calc().MaxList);
    for (int i = 0; i <= last; ++i)
        ini.WriteString(section, Format(QStringLiteral("%d"), {i}),
                        HistoryLine(i) + QStringLiteral("_") + Format(QStringLiteral("%d"), {HistoryObject(i)}));
}

void TfrmCalcu::SaveSettings()
{
    TAppIniFile ini;
    WriteOptions(ini);
    for (int i = 0; i < 10; ++i)
        ini.WriteFloat(QStringLiteral("Memoria"), Format(QStringLiteral("M%d"), {i}), Calc().Memories[size_t(i)]);
    m_conversion->WriteSettings(ini);
    WriteHistoryLines(ini);
    for (const TMainExtensions::Settings& part : MainExtensions().SettingsParts)
        if (part.Write)
            part.Write(ini);
    WriteFormPos(this, ini);
    // The file is replaced once, with everything; a failure is reported once.
    ini.UpdateFile();
}

void TfrmCalcu::CloseQuery()
{
    // Closing the help windows belongs to the help integration.
    TApplication::Guarded([this] { SaveSettings(); });
    TApplication::Guarded([this] { cmbEdit->SaveHistory(); });
    m_closed = true;
}

void TfrmCalcu::closeEvent(QCloseEvent* e)
{
    // Closed in the middle of a calculation: it stops first, then the window
    // closes as usual.
    if (m_calculating) {
        m_cancelRequested = true;
        e->ignore();
        QTimer::singleShot(0, this, [this] { close(); });
        return;
    }
    CloseQuery();
    e->accept();
    TFormMX::closeEvent(e);
}

// ---------------------------------------------------------------------------
// Names

void TfrmCalcu::RegisterNames()
{
    CalcGlobals& g = Calc();
    calcfuncs::TCalcHooks h;
    h.Memory = [](int i) { return MemoryValue(i); };
    h.LastResult = [] { return LastResultValue(); };
    h.Now = [] { return NowValue(); };
    h.Letter = [](QChar c) { return LetterVariableValue(c); };
    const auto x = size_t(LetterIndex(QLatin1Char('x')));
    const auto n = size_t(LetterIndex(QLatin1Char('n')));
    h.X = {&g.VarValue[x], &g.AskedFlag[x]};
    h.N = {&g.VarValue[n], &g.AskedFlag[n]};
    m_calc->SetSolveVariable(calcfuncs::RegisterCalcNames(m_calc->Main(), m_calc->Input(), h));
    cmbEdit->SetNameTable(m_calc->Main().GetTable());
    // A faulty definition is reported and skipped; the rest still load.
    const userdefs::TUserDefsLoad defs = userdefs::LoadUserDefinitions(m_calc->Main(), m_calc->Input(), userdefs::FileName());
    UserNames = defs.UserNames;
    UserConstants = defs.Constants;
    UserFunctions = defs.Functions;
    RebuildUserMenus();
}

int TfrmCalcu::NameHelpContext(const QString& name, int icon) const
{
    constexpr int kUserConstants = 18, kUserFunctions = 19, kFunctions = 17;
    constexpr int kUserFunctionIcon = 4;
    if (icon == kUserFunctionIcon)
        return kUserFunctions;
    for (const userdefs::TUserMenuItem& item : UserConstants)
        if (item.Tag >= 0 && item.Tag < UserNames.size() &&
            UserNames.at(item.Tag).compare(name, Qt::CaseInsensitive) == 0)
            return kUserConstants;
    return kFunctions;
}

void TfrmCalcu::InsertUserName(int tag)
{
    if (tag < 0 || tag >= UserNames.size())
        return;
    const QString text = UserNames.at(tag);
    const int start = cmbEdit->SelStart();
    cmbEdit->SetSelText(text);
    const qsizetype paren = text.indexOf(QLatin1Char('('));
    if (paren >= 0)
        cmbEdit->SetSel(start + int(paren) + 1, 0);
}

// ---------------------------------------------------------------------------
// The calculation road

void TfrmCalcu::ShowResult(const QString& text)
{
    ShowFromStart(Edit2, text);
}

const FormulaPicture* TfrmCalcu::Picture() const { return FormulaView->Picture(); }

void TfrmCalcu::SetPicture(std::unique_ptr<FormulaPicture> picture)
{
    FormulaView->SetPicture(std::move(picture));
}

void TfrmCalcu::cmbEditKeyPress(QObject*, QChar& Key)
{
    if (Key.unicode() != 13)
        return;
    Key = QChar(0);
    // Exceptions end here with the application's error box.
    TApplication::Guarded([this] {
        Calculate();
        AddToHistory();
    });
    m_notices.Post(THostNotice::AfterCalculation);
}

void TfrmCalcu::Calculate()
{
    ShowResult(QStringLiteral("Calculando..."));
    Edit2->repaint();
    SetPicture(nullptr);
    pbMeta->repaint();
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    m_resultReady = false;
    // Whatever happens below, the cursor comes back.
    struct Finally {
        ~Finally()
        {
            QGuiApplication::restoreOverrideCursor();
            // An open instant converter refreshes here (unit conversion).
        }
    } finally;

    const QString text = cmbEdit->Text();
    m_emptyRequest = text.isEmpty();
    // A long calculation shows how far it is, keeps the window painted and
    // stops on Esc; nothing else the user does reaches the window meanwhile.
    m_cancelRequested = false;
    m_calculating = true;
    calcfuncs::LongWorkHook() = [this](double done) { LongWorkTick(done); };
    struct Done {
        TfrmCalcu* w;
        ~Done()
        {
            w->m_calculating = false;
            calcfuncs::LongWorkHook() = nullptr;
        }
    } done{this};
    TCalcModel::TOutcome out;
    try {
        out = m_calc->Calculate(text, [this] { SetPicture(DrawExpression(m_calc->Main())); });
    } catch (const std::exception& e) {
        // The request ends in the error's box: the result box says what it
        // says, never "Calculando..." any longer.
        const auto* own = dynamic_cast<const Exception*>(&e);
        ShowResult(own ? own->message() : QString::fromUtf8(e.what()));
        throw;
    }
    ShowResult(out.Shown);
    if (out.Ready && out.KeepText)
        UpdateExpressionHistory(text);
    m_resultReady = out.Ready;
    // An invalid operation (a root of a negative number...), met while
    // evaluating or already while compiling (a constant folded), offers the
    // complex-number window, once this request has ended.
    if (!out.Empty && m_calc->Main().HasError && m_calc->Main().ErrorCode == kInvalidOperation)
        QTimer::singleShot(0, this, [this, text] {
            TApplication::Guarded([&] {
                OfferComplexCalculation(*this, this, text, [this] { ShowTool(TfmComplex::kName, true); });
            });
        });
}

void TfrmCalcu::LongWorkTick(double done)
{
    ShowResult(Format(QStringLiteral("Calculando... %d%% (Esc cancela)"), {int(done * 100)}));
    Edit2->repaint();
    QCoreApplication::processEvents();
    if (m_cancelRequested)
        throw real::EExprMsj(QStringLiteral("Cálculo cancelado"));
}

bool TfrmCalcu::CalculationInput(QEvent* event)
{
    // A box that opens while the calculation runs (a letter's prompt, an
    // error box, a tool window's question) is modal: it takes its input as
    // usual, Esc included, and the windows it blocks get none anyway.
    if (QWidget* modal = QApplication::activeModalWidget(); modal && modal != this)
        return false;
    switch (event->type()) {
    case QEvent::KeyPress:
        if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape)
            m_cancelRequested = true;
        return true;
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
        return true;
    default:
        return false;
    }
}

void TfrmCalcu::UpdateExpressionHistory(const QString& text)
{
    m_updatingHistory = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{m_updatingHistory};
    int found = -1;
    for (int i = 0; i < cmbEdit->count(); ++i)
        if (cmbEdit->itemText(i).compare(text, Qt::CaseInsensitive) == 0) {
            found = i;
            break;
        }
    if (found > 0) {
        // The two entries exchange places: the first one is not moved to the end.
        const QString first = cmbEdit->itemText(0);
        cmbEdit->setItemText(0, cmbEdit->itemText(found));
        cmbEdit->setItemText(found, first);
    } else if (found < 0) {
        cmbEdit->insertItem(0, text);
    }
    const int maxList = std::max(0, Calc().MaxList);
    while (cmbEdit->count() > maxList)
        cmbEdit->removeItem(maxList);
    if (cmbEdit->count() > 0) {
        // The first entry becomes the box's text, all of it selected, so
        // that what is typed next replaces it.
        cmbEdit->setCurrentIndex(0);
        cmbEdit->SetText(cmbEdit->itemText(0));
        cmbEdit->lineEdit()->selectAll();
    }
}

bool TfrmCalcu::AddToHistory()
{
    if (m_emptyRequest || !m_resultReady || !m_calc || m_calc->Main().HasError ||
        m_calc->Main().Text == QStringLiteral("0"))
        return false;
    CalcGlobals& g = Calc();
    // The total first, so that an overflow leaves everything as it was. A
    // truth value is a random number that only tells true from false: it
    // adds nothing to the total.
    m_addedToTotal = !TCalcModel::IsTruthValue(g.LastResult);
    if (m_addedToTotal)
        m_calc->AddToTotal(g.LastResult);
    auto* result = new QListWidgetItem(Edit2->text() + QStringLiteral("   ") + g.Assignments);
    result->setData(kObjectRole, int(g.MainAngleMode));
    Lista->insertItem(0, result);
    auto* expr = new QListWidgetItem(m_calc->Main().Text);
    expr->setData(kObjectRole, 0);
    Lista->insertItem(0, expr);
    Lista->setCurrentRow(0);
    UpdateTotalDisplay();
    return true;
}

void TfrmCalcu::UpdateTotalDisplay()
{
    Label1->setText(Format(QStringLiteral("%d"), {m_calc->Count()}));
    ShowFromStart(edtTotal, FloatToStrDefBase(m_calc->Total()));
    btnUndo->setEnabled(m_calc->Total() != m_calc->PreviousTotal());
}

void TfrmCalcu::SetAngleMode(std::uint8_t mode)
{
    Calc().MainAngleMode = mode;
    MirrorNumberMenus();
    m_calc->Main().SetAngleMode(mode);
    m_calc->Main().SetText(QStringLiteral("0"));
    Calculate();
    // The recalculated result is shown as a history pair, not added to the
    // total: the addition is undone, but only when there was one.
    if (AddToHistory() && m_addedToTotal)
        btnUndoClick();
    m_notices.Post(THostNotice::AngleChanged);
}

void TfrmCalcu::SetResultBase(int base)
{
    numtext().DisplayBase = std::uint8_t(base);
    MirrorNumberMenus();
    ShowResult(FloatToStrDefBase(Calc().LastResult));
    if (AddToHistory() && m_addedToTotal)
        btnUndoClick();
}

// ---------------------------------------------------------------------------
// Live drawing

void TfrmCalcu::SetAutoDraw(bool on)
{
    m_autoDraw = on;
    if (!on)
        FormulaView->ShowError(QString());
}

void TfrmCalcu::cmbEditChange()
{
    if (!m_autoDraw || m_updatingHistory || !m_calc)
        return;
    if (cmbEdit->InAutoComplete())
        return;
    DrawLiveExpression();
}

void TfrmCalcu::DrawLiveExpression()
{
    try {
        const QString text = cmbEdit->IsEmpty() ? QString() : cmbEdit->Text();
        if (text.isEmpty()) {
            FormulaView->ShowError(QString());
            SetPicture(nullptr);
            return;
        }
        real::TExpresion& m = m_calc->Main();
        // A long calculation met while compiling (a sum of constants folded
        // at once) is left for Enter: the drawing gives up after a moment.
        static const QString kLeftForEnter = QStringLiteral("Cálculo largo");
        calcfuncs::LongWorkHook() = [](double) { throw real::EExprMsj(kLeftForEnter); };
        struct Done {
            ~Done() { calcfuncs::LongWorkHook() = nullptr; }
        } done;
        m.SetText(text);
        if (m.HasError && m.ErrorMessage == kLeftForEnter) {
            m.SetText(QStringLiteral("0"));   // compiled afresh at Enter
            FormulaView->ShowError(QString());
            SetPicture(nullptr);
        } else if (m.HasError) {
            FormulaView->ShowError(m.ErrorMessage);
        } else {
            FormulaView->ShowError(QString());
            SetPicture(DrawExpression(m));
        }
    } catch (const Exception&) {
        // A text that cannot be drawn yet (an unknown name while typing) just
        // leaves the picture as it is.
    }
}

// ---------------------------------------------------------------------------
// Result box, total, memories

void TfrmCalcu::Edit2Change()
{
    QString hint = QStringLiteral("Resultado:") + QStringLiteral(" ") + Edit2->text();
    if (numtext().DisplayBase != 10) {
        // The decimal image must not disturb the base of the displayed result.
        const std::uint8_t lastBase = numtext().LastBase;
        hint += QStringLiteral("\r\n(Decimal: ") + FloatToStrBase(10, Calc().LastResult) + QStringLiteral(")");
        numtext().LastBase = lastBase;
    }
    Edit2->setToolTip(hint);
}

void TfrmCalcu::edtTotalChange()
{
    edtTotal->setToolTip(QStringLiteral("Total (suma de resultados): ") + edtTotal->text());
}

void TfrmCalcu::SpeedButton1Click()
{
    m_calc->ClearTotal();
    UpdateTotalDisplay();
}

void TfrmCalcu::btnUndoClick()
{
    if (m_calc->UndoTotal())
        UpdateTotalDisplay();
}

void TfrmCalcu::MemoryAction(int memory, int tag)
{
    if (memory < 0 || memory > 9)
        return;
    if (tag == 1000)
        cmbEdit->SetSelText(Format(QStringLiteral("M%d"), {memory}));
    else
        TCalcModel::MemoryAction(memory, tag);
}

void TfrmCalcu::MenuMemoriaPopup()
{
    const QList<QAction*> actions = PopupMenu5->actions();
    for (int i = 0; i < actions.size() && i < 10; ++i)
        actions[i]->setText(Format(QStringLiteral("M%d = %g"), {i, Calc().Memories[size_t(i)]}));
}

// ---------------------------------------------------------------------------
// History list

int TfrmCalcu::HistoryCount() const
{
    return Lista->count();
}

QString TfrmCalcu::HistoryLine(int i) const
{
    return Lista->item(i)->text();
}

int TfrmCalcu::HistoryObject(int i) const
{
    return Lista->item(i)->data(kObjectRole).toInt();
}

void TfrmCalcu::AddHistoryLine(const QString& text, int object)
{
    auto* item = new QListWidgetItem(text);
    item->setData(kObjectRole, object);
    Lista->addItem(item);
}

void TfrmCalcu::MenuListaPopup()
{
    const bool selected = Lista->currentRow() >= 0 && Lista->currentItem() && Lista->currentItem()->isSelected();
    Reemplazarenexpresin1->setEnabled(selected);
    Eliminar1->setEnabled(selected);
    LimpiarTodo1->setEnabled(Lista->count() > 0);
}

namespace {

int SelectedRow(QListWidget* list)
{
    QListWidgetItem* item = list->currentItem();
    return item && item->isSelected() ? list->row(item) : -1;
}

} // namespace

void TfrmCalcu::ReemplazarenexpresinClick()
{
    const int row = SelectedRow(Lista);
    if (row < 0)
        return;
    QString s = Lista->item(row)->text();
    if (row % 2 == 1) {
        // A result line loses its assignments: "5   {a=2} {b=3} " gives "5".
        const int p = int(s.indexOf(QLatin1Char('{'))) + 1;
        if (p > 0 && p - 3 > 1)
            s = s.left(p - 3);
    }
    cmbEdit->SetText(s.trimmed());
    cmbEdit->setFocus(Qt::OtherFocusReason);
    cmbEdit->SetSel(int(cmbEdit->Text().size()), 0);
}

void TfrmCalcu::CopiarTodoClick()
{
    QString out;
    for (int i = 0; i + 1 < Lista->count(); i += 2)
        out += Lista->item(i)->text() + QLatin1Char('\t') + Lista->item(i + 1)->text() + QLatin1Char('\r');
    QGuiApplication::clipboard()->setText(out);
}

void TfrmCalcu::CopiarResultadosClick()
{
    QString out;
    for (int i = 1; i < Lista->count(); i += 2)
        out += Lista->item(i)->text() + QLatin1Char('\r');
    QGuiApplication::clipboard()->setText(out);
}

void TfrmCalcu::CopiarClick()
{
    const int row = SelectedRow(Lista);
    if (row >= 0)
        QGuiApplication::clipboard()->setText(Lista->item(row)->text());
}

void TfrmCalcu::EliminarClick()
{
    const int row = SelectedRow(Lista);
    if (row < 0)
        return;
    const int first = row - row % 2;
    // Both lines of the pair (a lone last line when the list is odd).
    delete Lista->takeItem(first);
    if (first < Lista->count())
        delete Lista->takeItem(first);
}

void TfrmCalcu::LimpiarTodoClick()
{
    if (MsgBox(QStringLiteral("¿Esta seguro?"), QStringLiteral("Vaciar Detalle"), mb::YesNo | mb::IconQuestion) ==
        idYes)
        Lista->clear();
}

bool TfrmCalcu::eventFilter(QObject* watched, QEvent* event)
{
    if (m_calculating && CalculationInput(event))
        return true;
    if (event->type() == QEvent::KeyPress && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == this) {
        bool used = false;
        TApplication::Guarded([&] { used = WindowKey(static_cast<QKeyEvent*>(event)); });
        if (used)
            return true;
    }
    if ((watched == Panel1 || watched == Panel2 || watched == Panel3) &&
        static_cast<QWidget*>(watched)->window() == this) {
        const QEvent::Type t = event->type();
        if (t == QEvent::MouseButtonPress || t == QEvent::MouseMove || t == QEvent::MouseButtonRelease ||
            t == QEvent::MouseButtonDblClick)
            return BackgroundMouse(static_cast<QWidget*>(watched), event);
    }
    if (watched == Lista && event->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(event);
        if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
            ReemplazarenexpresinClick();
            return true;
        }
    }
    return TFormMX::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------
// What the tool windows ask of the main window

real::TExpresion* TfrmCalcu::InputEvaluator() { return m_calc ? &m_calc->Input() : nullptr; }

Extended TfrmCalcu::LastResult() const { return Calc().LastResult; }

std::uint8_t TfrmCalcu::AngleUnit() const { return Calc().MainAngleMode; }

const TAppearance& TfrmCalcu::Appearance() const
{
    m_appearance.ExpressionFont = cmbEdit->font();
    m_appearance.ResultFont = Edit2->font();
    return m_appearance;
}

const FormulaPicture* TfrmCalcu::CurrentPicture() const { return Picture(); }

void TfrmCalcu::CopyPicture(const FormulaPicture& picture) { CopyPictureToClipboard(picture); }

void TfrmCalcu::ExportPicture(const FormulaPicture& picture, QWidget* owner)
{
    ::ExportPicture(picture, owner ? owner : this);
}

VariablePrompter* TfrmCalcu::Prompter()
{
    if (Calc().Prompter)
        return Calc().Prompter;
    if (!m_inputBox)
        m_inputBox = std::make_unique<InputBoxPrompter>();
    return m_inputBox.get();
}

int TfrmCalcu::ShowMessage(const QString& text, unsigned flags) { return MsgBoxApp(text, flags); }

