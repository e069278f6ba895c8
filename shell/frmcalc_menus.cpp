// The main window's insert, angle, digits and base menus with their buttons,
// and the keys the window handles before the focused control.
#include "shell/frmcalc.h"

#include "controls/application.h"
#include "controls/comboexpr.h"
#include "controls/formmx.h"
#include "controls/frmautocomp.h"
#include "controls/menudraw.h"
#include "controls/pvlurl.h"
#include "controls/toolpictures.h"
#include "shell/frmopciones.h"
#include "platform/msgbox.h"
#include "platform/shell.h"
#include "drawkit/drawkit.h"
#include "engine/bases.h"
#include "foundation/core/basicos.h"
#include "foundation/core/format.h"
#include "services/formulaview.h"
#include "services/toolwindow.h"

#include <QAction>
#include <algorithm>
#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QVBoxLayout>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLineEdit>
#include <QMenu>
#include <QToolButton>

namespace {

// The insert menu: Tag, caption, inserted text (a function's text is its
// template: the selection goes after the first "(").
struct InsertItem {
    int tag;
    const char* caption;
    const char* text;
};
struct InsertGroup {
    const char* caption;   // nullptr: items of the menu itself
    std::vector<InsertItem> items;   // tag 0: a separator
};

const std::vector<InsertGroup>& InsertTable()
{
    static const std::vector<InsertGroup> table = {
        {"&Operador",
         {{101, "Adición", "+"}, {102, "Resta", "-"}, {103, "Multiplicación", "*"}, {104, "División", "/"},
          {105, "Potenciación", "^"}, {106, "Radicación", "\\"}, {0, "", ""}, {107, "Y (Conjunción)", "&"},
          {108, "Y/O (Disy. Inclusiva)", "$"}, {109, "O (Disy. Exclusiva)", "!"}, {0, "", ""}, {110, "Igual", "="},
          {111, "Distinto", "<>"}, {112, "Mayor", ">"}, {113, "Mayor Igual", ">="}, {114, "Menor", "<"},
          {115, "Menor Igual", "<="}}},
        {"Función &Algebraica",
         {{301, "Logarítmo natural", "Ln()"}, {302, "Logarítmo decimal", "Log()"}, {303, "Logarítmo base N", "LogN(,)"},
          {304, "Recíproco", "Rcp()"}, {305, "Exponenciación", "Exp()"}, {306, "Cuadrado", "Cuad()"},
          {307, "Raíz cuadrada", "Raiz()"}}},
        {"Función &Trigonométrica",
         {{401, "Seno", "Sen()"}, {402, "Coseno", "Cos()"}, {403, "Tangente", "Tg()"}, {0, "", ""},
          {404, "Seno Hiperbólico", "SenH()"}, {405, "Coseno Hiperbólico", "CosH()"},
          {406, "Tangente Hiperbólica", "TgH()"}}},
        {"Función Trig. &Inversa",
         {{501, "Seno del arco", "ArcSen()"}, {502, "Coseno del arco", "ArCos()"}, {503, "Tangente del arco", "ArcTg()"},
          {0, "", ""}, {504, "Arcoseno Hiperbólico", "ArcSenH()"}, {505, "Arcocoseno Hiperbólico", "ArCosH()"},
          {506, "Arcotangente Hiperbólico", "ArcTgH()"}}},
        {"Combinatoria",
         {{700, "Factorial", "Fact()"}, {0, "", ""}, {701, "Permutaciones", "Prm()"}, {702, "Variaciones", "Var(,)"},
          {703, "Combinaciones", "Cmb(,)"}, {0, "", ""}, {704, "Permutaciones con repetición", "PrmR({,...225})"},
          {705, "Variaciones con repetición", "VarR(,)"}, {706, "Combinaciones con repetición", "CmbR(,)"}}},
        {"Probabilidades",
         {{720, "Binomial", "DBinom(,,)"}, {721, "Binomial Acumulada", "DBinomA(,,)"},
          {722, "Binomial Negativa", "DBinomNeg(,,)"}, {723, "Binomial Neg. Acum.", "DBinomNegA(,,)"},
          {724, "Hipergeométrica", "DHpGeom(,,)"}, {725, "Hipergeométrica Acum.", "DHpGeomA(,,)"},
          {726, "Poisson", "DPoisson(,)"}, {727, "Poisson Acumulada", "DPoissonA(,)"}, {0, "", ""},
          {730, "Dist. Normal", "DNormal(,,)"}, {731, "Area Dist. Normal", "DNormalA(,,)"},
          {732, "Dist Normal Estandar", "DNormStd()"}, {733, "Area Dist Normal Estandar", "DNormStdA()"}}},
        {"&Otras Funciones",
         {{601, "Absoluto", "Abs()"}, {602, "Aleatorio", "Rnd()"}, {603, "Angulo", "Ang(,)"}, {604, "Entero", "Ent()"},
          {605, "Parte fraccionaria", "Frac()"}, {606, "GMS", "GMS()"}, {607, "Hipotenusa", "Hipot(,)"},
          {608, "Máximo", "Max(,{,...255})"}, {609, "Mínimo", "Min(,{,...255})"}, {610, "Promedio", "Prom(,{,...255})"},
          {611, "Resto", "Resto(,)"}, {612, "Si", "Si(,,)"}, {613, "Suma", "Sum(,{,...255})"}, {0, "", ""},
          {616, "Determinante", "Det({,...225})"}, {614, "Integrar", "Integrar(,,)"},
          {615, "Sumatoria", "Sumatoria(,,)"}, {620, "Producto", "Producto(,,)"}}},
    };
    return table;
}

// Tags 100 to 115, 201 and 202 replace the selection with their text; the
// others are function templates.
bool IsOperatorTag(int tag) { return (tag >= 100 && tag <= 115) || tag == 201 || tag == 202; }

QString WithoutAmpersand(QString s) { return s.remove(QLatin1Char('&')); }

} // namespace

// ---------------------------------------------------------------------------
// Insert menu

void TfrmCalcu::InsertText(int tag, const QString& text)
{
    if (IsOperatorTag(tag)) {
        cmbEdit->SetSelText(text);
        return;
    }
    // The selection goes inside the template's first parentheses.
    const QString selected = cmbEdit->Text().mid(cmbEdit->SelStart(), cmbEdit->SelLength());
    const qsizetype paren = text.indexOf(QLatin1Char('('));
    const QString result = paren < 0 ? text : text.left(paren + 1) + selected + text.mid(paren + 1);
    const int start = cmbEdit->SelStart();
    cmbEdit->SetSelText(result);
    if (result.endsWith(QLatin1Char(')')))
        cmbEdit->SetSel(start + int(result.size()) - 1, 0);
}

void TfrmCalcu::BuildInsertItems()
{
    // Before "&Constante": "&Operador"; after "Función de &usuario": the
    // functions, "&Expresión" (hidden) and "Resolver".
    auto add = [this](QMenu* menu, const InsertItem& it, QAction* before) {
        if (it.tag == 0) {
            menu->insertSeparator(before);
            return;
        }
        auto* a = new QAction(QString::fromUtf8(it.caption), menu);
        a->setData(it.tag);
        a->setObjectName(QStringLiteral("Insertar%1").arg(it.tag));
        const int tag = it.tag;
        const QString text = QString::fromUtf8(it.text);
        connect(a, &QAction::triggered, this, [this, tag, text] { InsertText(tag, text); });
        menu->insertAction(before, a);
    };
    QAction* constants = Constante1->menuAction();
    for (const InsertGroup& group : InsertTable()) {
        auto* sub = new QMenu(QString::fromUtf8(group.caption), PopupMenu4);
        for (const InsertItem& it : group.items)
            add(sub, it, nullptr);
        if (QString::fromUtf8(group.caption) == QStringLiteral("&Operador"))
            PopupMenu4->insertMenu(constants, sub);
        else
            PopupMenu4->insertMenu(FunciondeUsuario1->menuAction(), sub);
    }
    QMenu* expresion = PopupMenu4->addMenu(QStringLiteral("&Expresión"));
    expresion->menuAction()->setVisible(false);
    PopupMenu4->addSeparator();
    add(PopupMenu4, {650, "Resolver", "Resolver(,,)"}, nullptr);
}

// ---------------------------------------------------------------------------
// Angle, digits and base menus

void TfrmCalcu::BuildNumberMenus()
{
    auto radio = [this](QMenu* menu, const QString& caption, int tag, std::function<void(int)> run) {
        QAction* a = menu->addAction(caption);
        a->setCheckable(true);
        a->setData(tag);
        connect(a, &QAction::triggered, this, [this, tag, run] { TApplication::Guarded([&] { run(tag); }); });
        return a;
    };
    PopupMenu2 = new QMenu(this);
    PopupMenu2->setObjectName(QStringLiteral("PopupMenu2"));
    auto* angles = new QActionGroup(PopupMenu2);
    const char* const angleNames[] = {"Radianes", "Sexagesimales", "Centesimales", "Ciclos", "GMS", "Pi"};
    for (int i = 0; i < 6; ++i)
        angles->addAction(radio(PopupMenu2, QString::fromLatin1(angleNames[i]), i,
                                [this](int t) { SetAngleMode(std::uint8_t(t)); }));
    FormAngulo->setMenu(PopupMenu2);

    PopupMenu3 = new QMenu(this);
    PopupMenu3->setObjectName(QStringLiteral("PopupMenu3"));
    auto* digits = new QActionGroup(PopupMenu3);
    digits->addAction(radio(PopupMenu3, QStringLiteral("Flotante"), 100, [this](int t) { SetDigits(t); }));
    for (int d = 0; d <= 16; d += 2)
        digits->addAction(radio(PopupMenu3, Format(QStringLiteral("%d decimales"), {d}), d,
                                [this](int t) { SetDigits(t); }));
    PopupMenu3->addSeparator();
    auto* notations = m_notations = new QActionGroup(PopupMenu3);
    const char* const notationNames[] = {"General", "Científico", "Ingeniería"};
    for (int i = 0; i < 3; ++i)
        notations->addAction(radio(PopupMenu3, QString::fromUtf8(notationNames[i]), i,
                                   [this](int t) { SetNumberFormat(t); }));
    PopupMenu3->addSeparator();
    Separadordemiles1 = PopupMenu3->addAction(QStringLiteral("Separador de miles"));
    Separadordemiles1->setCheckable(true);
    connect(Separadordemiles1, &QAction::triggered, this,
            [this] { SetGroupDigits(!numtext().GroupDigits); });
    btnDigitos->setMenu(PopupMenu3);

    PopupMenu8 = new QMenu(this);
    PopupMenu8->setObjectName(QStringLiteral("PopupMenu8"));
    auto* bases = new QActionGroup(PopupMenu8);
    auto base = [&](QMenu* menu, const QString& caption, int b) {
        bases->addAction(radio(menu, caption, b, [this](int t) { SetResultBase(t); }));
    };
    base(PopupMenu8, QStringLiteral("&Decimal"), 10);
    base(PopupMenu8, QStringLiteral("&Binario"), 2);
    base(PopupMenu8, QStringLiteral("&Octal"), 8);
    base(PopupMenu8, QStringLiteral("&Hexadecimal"), 16);
    PopupMenu8->addSeparator();
    const struct {
        const char* caption;
        int from, to;
    } ranges[] = {{"Bases 3 a 9", 3, 9}, {"Bases 11 a 19", 11, 19}, {"Bases 20 a 29", 20, 29}, {"Bases 30 a 36", 30, 36}};
    for (const auto& r : ranges) {
        QMenu* sub = PopupMenu8->addMenu(QString::fromLatin1(r.caption));
        for (int b = r.from; b <= r.to; ++b)
            if (b != 8 && b != 16)
                base(sub, QStringLiteral("Base %1").arg(b), b);
    }
    btnBase->setMenu(PopupMenu8);
    MirrorNumberMenus();
}

QAction* TfrmCalcu::FindMenuItemByTag(QMenu* menu, int tag)
{
    for (QAction* a : menu->actions()) {
        if (a->menu()) {
            if (QAction* found = FindMenuItemByTag(a->menu(), tag))
                return found;
        } else if (!a->isSeparator() && a->isCheckable() && a->data().toInt() == tag) {
            return a;
        }
    }
    return nullptr;
}

void TfrmCalcu::MirrorNumberMenus()
{
    if (!PopupMenu2)
        return;
    const NumberTextState& nt = numtext();
    const int angle = Calc().MainAngleMode;
    if (QAction* a = FindMenuItemByTag(PopupMenu2, angle)) {
        a->setChecked(true);
        FormAngulo->setText(a->text());
        FormAngulo->setToolTip(QStringLiteral("Formato de Angulos: ") + WithoutAmpersand(a->text()) +
                               QStringLiteral(" (F11)"));
    }
    const int digits = nt.StripTrailingZeros ? 100 : nt.DisplayDigits;
    if (QAction* a = FindMenuItemByTag(PopupMenu3, digits))
        a->setChecked(true);
    btnDigitos->setToolTip(QStringLiteral("Formato Decimal (F12):") +
                           (digits == 100 ? QStringLiteral(" Flotante")
                                          : Format(QStringLiteral(" %d dígitos"), {digits})));
    for (QAction* a : m_notations->actions())
        a->setChecked(a->data().toInt() == nt.DisplayNotation);
    Separadordemiles1->setChecked(nt.GroupDigits);
    if (QAction* a = FindMenuItemByTag(PopupMenu8, nt.DisplayBase)) {
        a->setChecked(true);
        btnBase->setText(WithoutAmpersand(a->text()));
    }
    btnBase->setToolTip(Format(QStringLiteral("Base numérica del resultado: %d (F7)"), {int(nt.DisplayBase)}));
}

void TfrmCalcu::FormAnguloClick() { SetAngleMode(std::uint8_t((Calc().MainAngleMode + 1) % 6)); }

void TfrmCalcu::btnBaseClick()
{
    switch (numtext().DisplayBase) {
    case 10: SetResultBase(2); break;
    case 2: SetResultBase(8); break;
    case 8: SetResultBase(16); break;
    default: SetResultBase(10); break;
    }
}

// ---------------------------------------------------------------------------
// Keys

bool TfrmCalcu::WindowKey(QKeyEvent* k)
{
    const bool ctrl = k->modifiers() & Qt::ControlModifier;
    const QPoint under = mapToGlobal(QPoint(0, Panel1->height()));
    switch (k->key()) {
    case Qt::Key_Menu: {
        QWidget* focus = QApplication::focusWidget();
        QLineEdit* box = focus == cmbEdit->lineEdit() || focus == cmbEdit ? cmbEdit->lineEdit()
                         : focus == Edit2                                 ? Edit2
                         : focus == edtTotal                              ? edtTotal
                                                                          : nullptr;
        if (!box)
            return false;
        ShowEditMenu(box);
        return true;
    }
    case Qt::Key_F9:
    case Qt::Key_Pause:
        MenuMemoriaPopup();
        PopupMenu5->popup(under);
        return true;
    case Qt::Key_Insert:
    case Qt::Key_F8:
        PopupMenu4->popup(under);
        return true;
    case Qt::Key_F5:
        PopupMenu7->popup(under);
        return true;
    case Qt::Key_F10:
        // Always consumed; with other modifiers it does nothing.
        ConversionKey(k->modifiers());
        return true;
    case Qt::Key_Escape:
        if (!cmbEdit->Text().isEmpty()) {
            cmbEdit->setFocus();
            cmbEdit->SetText(QString());
        } else if (MsgBoxApp(QStringLiteral("¿Cierra este programa?"), mb::YesNo | mb::IconQuestion) == idYes) {
            close();
        }
        return true;
    case Qt::Key_PageUp:
        cmbEdit->setFocus();
        return true;
    case Qt::Key_PageDown:
        Edit2->setFocus();
        return true;
    case Qt::Key_0:
        if (!ctrl)
            return false;
        SpeedButton1Click();
        return true;
    case Qt::Key_F7:
        btnBaseClick();
        return true;
    case Qt::Key_F2: {
        // The names list for the expression box, with no key typed.
        AutoComp().AutoCompleteCancelled = false;
        QChar none(0);
        TfmAutoComp* list = EnsureAutoComp();
        // The box's own entries join the list as when a letter opens it.
        list->OnCargarLista = cmbEdit->OnCargarLista();
        list->ShowForCombo(cmbEdit, cmbEdit->NameTable(), none);
        cmbEdit->SetSel(cmbEdit->SelStart() + cmbEdit->SelLength(), 0);
        return true;
    }
    case Qt::Key_F11:
        FormAnguloClick();
        return true;
    case Qt::Key_O:
        if (!ctrl)
            return false;
        RunOptionsDialog(*this);
        return true;
    case Qt::Key_F12:
        // The digits are chosen from the button's menu; the key has no action.
        return true;
    default:
        if (ctrl && k->key() >= Qt::Key_A && k->key() <= Qt::Key_Z) {
            // The letters of the tool table are the window's, built or not.
            const QChar letter(char('A' + (k->key() - Qt::Key_A)));
            ToolKey(letter);
            return QStringLiteral("BEFJMPQRSTU").contains(letter);
        }
        return false;
    }
}

// ---------------------------------------------------------------------------
// The tool windows

void TfrmCalcu::BuildToolProtocol()
{
    ToolBar2 = new QFrame(this);
    ToolBar2->setObjectName(QStringLiteral("ToolBar2"));
    auto* bar = new QHBoxLayout(ToolBar2);
    bar->setContentsMargins(2, 0, 2, 0);
    bar->setSpacing(0);
    QAction* first = PopupMenu7->actions().value(0);
    std::vector<TMainExtensions::Tool> tools = MainExtensions().Tools;
    std::stable_sort(tools.begin(), tools.end(),
                     [](const auto& a, const auto& b) { return a.MenuOrder < b.MenuOrder; });
    for (const TMainExtensions::Tool& entry : tools) {
        ToolState state;
        state.entry = entry;
        const QString name = entry.Name;
        state.item = new QAction(entry.Caption, PopupMenu7);
        state.item->setObjectName(QStringLiteral("Mostrar") + name);
        state.item->setCheckable(true);
        // The window's key handler runs Ctrl + the letter; the item shows it.
        if (!entry.Key.isNull())
            state.item->setText(entry.Caption + QStringLiteral("\tCtrl+") + entry.Key.toUpper());
        PopupMenu7->insertAction(first, state.item);
        connect(state.item, &QAction::triggered, this, [this, name] { ToggleTool(name); });
        state.button = new QToolButton(ToolBar2);
        state.button->setObjectName(entry.ButtonName);
        state.button->setText(entry.ButtonText);
        // Its picture, when the program has one for it, instead of the text.
        if (const QString picture = entry.ButtonName.toLower(); HasToolPicture(picture))
            SetToolPicture(state.button, picture, ToQColor(m_appearance.ClTexto));
        state.button->setToolTip(QString(entry.Hint).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
        state.button->setCheckable(true);
        state.button->setAutoRaise(true);
        bar->addWidget(state.button);
        connect(state.button, &QToolButton::clicked, this, [this, name] { ToggleTool(name); });
        m_tools.push_back(state);
    }
    bar->addStretch(1);
    if (!m_tools.empty())
        PopupMenu7->insertSeparator(first);
    ToolBar2->setVisible(!m_tools.empty());
    // The tool toggles head the bottom bar.
    if (auto* bottom = qobject_cast<QHBoxLayout*>(Panel2->layout()))
        bottom->insertWidget(0, ToolBar2);
}

TfrmCalcu::ToolState* TfrmCalcu::FindTool(const QString& name)
{
    for (ToolState& t : m_tools)
        if (t.entry.Name == name)
            return &t;
    return nullptr;
}

void TfrmCalcu::ShowTool(const QString& name, bool on)
{
    ToolState* t = FindTool(name);
    if (!t)
        return;
    t->open = on;
    t->item->setChecked(on);
    t->button->setChecked(on);
    if (on && !t->window) {
        t->window = t->entry.Create(*this, this);
        if (t->window)
            t->window->setAttribute(Qt::WA_DeleteOnClose, false);
    }
    if (!t->window)
        return;
    if (on) {
        t->window->show();
        t->window->raise();
        if (t->entry.AfterShow)
            t->entry.AfterShow(*t->window, TopMost());
    } else if (t->window->isVisible()) {
        m_closingTool = true;
        t->window->close();
        m_closingTool = false;
    }
}

void TfrmCalcu::ToggleTool(const QString& name)
{
    if (ToolState* t = FindTool(name))
        TApplication::Guarded([&] { ShowTool(name, !t->open); });
}

bool TfrmCalcu::ToolOpen(const QString& name) const
{
    for (const ToolState& t : m_tools)
        if (t.entry.Name == name)
            return t.open;
    return false;
}

TToolWindow* TfrmCalcu::ToolWindowOf(const QString& name) const
{
    for (const ToolState& t : m_tools)
        if (t.entry.Name == name)
            return t.window;
    return nullptr;
}

void TfrmCalcu::ToolClosed(TToolWindow* tool)
{
    if (m_closingTool)
        return;
    for (ToolState& t : m_tools)
        if (t.window == tool) {
            // The user closed it: the flag, the item and the button follow.
            t.open = false;
            t.item->setChecked(false);
            t.button->setChecked(false);
        }
}

void TfrmCalcu::ReopenTools()
{
    for (ToolState& t : m_tools)
        if (!t.entry.FlagKey.isEmpty() && m_toolFlags.value(t.entry.FlagKey))
            ShowTool(t.entry.Name, true);
}

bool TfrmCalcu::ToolKey(QChar letter)
{
    for (ToolState& t : m_tools)
        if (!t.entry.Key.isNull() && t.entry.Key.toUpper() == letter.toUpper()) {
            ToggleTool(t.entry.Name);
            return true;
        }
    return false;
}

// ---------------------------------------------------------------------------
// "Configurar" (tools menu) and the boxes' context menus

void TfrmCalcu::BuildConfigureMenu()
{
    // "Sumbrix" and its separator head the menu while the window sits in the
    // notification area.
    QAction* first = PopupMenu7->actions().value(0);
    Sumbrix1 = new QAction(QStringLiteral("Sumbrix"), PopupMenu7);
    Sumbrix1->setObjectName(QStringLiteral("Sumbrix1"));
    Sumbrix1->setCheckable(true);
    Sumbrix1->setChecked(true);
    connect(Sumbrix1, &QAction::triggered, this, [this] {
        Sumbrix1->setChecked(true);
        TApplication::Guarded([this] { RestoreFromNotificationArea(); });
    });
    PopupMenu7->insertAction(first, Sumbrix1);
    N1 = PopupMenu7->insertSeparator(first);
    PopupMenu7->addSeparator();
    Configurar1 = PopupMenu7->addMenu(QStringLiteral("Configurar"));
    Configurar1->setObjectName(QStringLiteral("Configurar1"));
    auto check = [this](const char* name, const QString& caption, std::function<bool()> state,
                        std::function<void(bool)> set) {
        QAction* a = Configurar1->addAction(caption);
        a->setObjectName(QString::fromLatin1(name));
        a->setCheckable(true);
        connect(a, &QAction::triggered, this, [set, state] { TApplication::Guarded([&] { set(!state()); }); });
        m_configureItems.push_back({a, std::move(state)});
    };
    check("Autocompletar1", QStringLiteral("&Autocompletar"), [] { return AutoComp().AutoCompleteOn; },
          [](bool on) { AutoComp().AutoCompleteOn = on; });
    check("CalcularMMR1", QStringLiteral("Calcular &MMR"), [this] { return m_chemistry; },
          [this](bool on) {
              m_chemistry = on;
              SetChemistryHooks();
          });
    check("VerFormulaHistorial1", QStringLiteral("Ver Fórmula-Historial"), [this] { return m_showHistory; },
          [this](bool on) { SetShowHistory(on); });
    check("VerBarra1", QStringLiteral("Ver Barra utilidades"), [this] { return m_showBar; },
          [this](bool on) { SetShowBar(on); });
    check("MostrarTotal1", QStringLiteral("Mostrar Total"), [this] { return m_showTotal; },
          [this](bool on) { SetShowTotal(on); });
    check("SiempreVisible1", QStringLiteral("&Siempre visible"), [this] { return TopMost(); },
          [this](bool on) { SetStayOnTop(on); });
    check("OcultarTtulo1", QStringLiteral("Ocultar título"), [this] { return m_noTitle; },
          [this](bool on) { SetNoTitle(on); });
    OcultarTtulo1 = m_configureItems.back().action;
    check("MostrarTeclado1", QStringLiteral("Mostrar Teclado"), [] { return ComboExpr().KeyboardEnabled; },
          [this](bool on) { SetShowKeyboard(on); });
    Configurar1->addSeparator();
    check("Autorepresentar1", QStringLiteral("Autorepresentar expresión"), [this] { return m_autoDraw; },
          [this](bool on) { SetAutoDraw(on); });
    check("Transparencia1", QStringLiteral("Transparencia"), [] { return FormMXSettings().TranspInactive; },
          [this](bool on) { SetTransparency(on); });
    QAction* options = PopupMenu7->addAction(QStringLiteral("Opciones...\tCtrl+O"));
    options->setObjectName(QStringLiteral("Opciones1"));
    connect(options, &QAction::triggered, this, [this] { TApplication::Guarded([this] { RunOptionsDialog(*this); }); });
    Salir1 = PopupMenu7->addAction(QStringLiteral("Salir"));
    Salir1->setObjectName(QStringLiteral("Salir1"));
    connect(Salir1, &QAction::triggered, this, [this] { close(); });
    connect(PopupMenu7, &QMenu::aboutToShow, this, [this] {
        AutoComp().AutoCompleteCancelled = false;
        for (QAction* a : {Sumbrix1, N1, Salir1})
            a->setVisible(m_inTray);
        Configurar1->menuAction()->setVisible(!m_inTray);
        for (const ConfigureItem& item : m_configureItems)
            item.action->setChecked(item.state());
        // "Mostrar Total" only with the bar.
        findChild<QAction*>(QStringLiteral("MostrarTotal1"))->setVisible(m_showBar);
    });
}

void TfrmCalcu::SetShowBar(bool on)
{
    m_showBar = on;
    Panel2->setVisible(on);
    ApplySettings();
}

void TfrmCalcu::BuildBoxMenus()
{
    // The expression box: copy, cut, paste, delete, select all.
    PopupMenuX1 = new QMenu(this);
    PopupMenuX1->setObjectName(QStringLiteral("PopupMenuX1"));
    QLineEdit* edit = cmbEdit->lineEdit();
    auto item = [](QMenu* menu, const QString& caption, int tag, std::function<void()> run) {
        QAction* a = menu->addAction(caption);
        a->setData(tag);
        QObject::connect(a, &QAction::triggered, menu, [run] { run(); });
        return a;
    };
    item(PopupMenuX1, QStringLiteral("&Copiar"), 0, [edit] { edit->copy(); });
    item(PopupMenuX1, QStringLiteral("C&ortar"), 1, [edit] { edit->cut(); });
    item(PopupMenuX1, QStringLiteral("&Pegar"), 2, [edit] { edit->paste(); });
    item(PopupMenuX1, QStringLiteral("&Eliminar"), 4, [this] { cmbEdit->SetText(QString()); });
    PopupMenuX1->addSeparator();
    item(PopupMenuX1, QStringLiteral("Seleccionar &todo"), 3, [edit] { edit->selectAll(); });
    edit->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(edit, &QWidget::customContextMenuRequested, this,
            [this, edit](const QPoint& p) { PopupMenuX1->popup(edit->mapToGlobal(p)); });

    // The result box: copy its whole text; a click opens the menu too.
    PopupMenuX2 = new QMenu(this);
    PopupMenuX2->setObjectName(QStringLiteral("PopupMenuX2"));
    item(PopupMenuX2, QStringLiteral("&Copiar"), 0,
         [this] { QGuiApplication::clipboard()->setText(Edit2->text()); });
    Edit2->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(Edit2, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& p) { PopupMenuX2->popup(Edit2->mapToGlobal(p)); });
}

// ---------------------------------------------------------------------------
// The context-menu key's editing menu

void TfrmCalcu::BuildEditMenu()
{
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    struct Item {
        const char* caption;
        int tag;
    } items[] = {{"&Copiar", 0}, {"C&ortar", 1}, {"&Pegar", 2}, {"&Eliminar", 4}, {nullptr, -1}, {"Seleccionar &todo", 3}};
    for (const Item& it : items) {
        if (!it.caption) {
            PopupMenu1->addSeparator();
            continue;
        }
        QAction* a = PopupMenu1->addAction(QString::fromUtf8(it.caption));
        a->setData(it.tag);
        const int tag = it.tag;
        connect(a, &QAction::triggered, this, [this, tag] {
            QLineEdit* box = m_editTarget;
            if (!box)
                return;
            switch (tag) {
            case 0: box->copy(); break;
            case 1: box->cut(); break;
            case 2: box->paste(); break;
            case 3: box->selectAll(); break;
            case 4: box->clear(); break;
            default: break;
            }
        });
    }
}

namespace {

// The context-menu key on a box: the platform follows the key with a context
// menu request of its own (keyboard reason) to the focused box, which would
// open the box's own menu over the editing menu the key opened. The request
// opens the editing menu instead, once.
class TMenuKeyRoute : public QObject {
public:
    TMenuKeyRoute(QObject* parent, QMenu* menu, std::function<void()> show)
        : QObject(parent), m_menu(menu), m_show(std::move(show))
    {
    }
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::ContextMenu ||
            static_cast<QContextMenuEvent*>(event)->reason() != QContextMenuEvent::Keyboard)
            return false;
        if (!m_menu->isVisible())
            m_show();
        return true;
    }

private:
    QMenu* m_menu;
    std::function<void()> m_show;
};

} // namespace

void TfrmCalcu::RouteMenuKey(QWidget* widget, QLineEdit* box)
{
    widget->installEventFilter(
        new TMenuKeyRoute(widget, PopupMenu1, [this, box] { TApplication::Guarded([&] { ShowEditMenu(box); }); }));
}

void TfrmCalcu::ShowEditMenu(QLineEdit* box)
{
    // The menu works on the box that has the focus; a read-only box can only
    // be copied and selected.
    m_editTarget = box;
    const bool writable = !box->isReadOnly();
    const bool hasText = !box->text().isEmpty();
    for (QAction* a : PopupMenu1->actions()) {
        if (a->isSeparator())
            continue;
        switch (a->data().toInt()) {
        case 0: a->setEnabled(box->hasSelectedText()); break;
        case 1: a->setEnabled(writable && box->hasSelectedText()); break;
        case 2: a->setEnabled(writable && !QGuiApplication::clipboard()->text().isEmpty()); break;
        case 4: a->setEnabled(writable && hasText); break;
        case 3: a->setEnabled(hasText); break;
        default: break;
        }
    }
    const QPoint at = mapToGlobal(QPoint(cmbEdit->x(), cmbEdit->y() + cmbEdit->height() + 25));
    PopupMenu1->popup(at);
}

void TfrmCalcu::BuildHelpMenu()
{
    PopupMenu9 = new QMenu(this);
    PopupMenu9->setObjectName(QStringLiteral("PopupMenu9"));
    auto item = [this](const char* name, const QString& caption, std::function<void()> run) {
        QAction* a = PopupMenu9->addAction(caption);
        a->setObjectName(QString::fromLatin1(name));
        connect(a, &QAction::triggered, this, [run] { TApplication::Guarded(run); });
        return a;
    };
    QAction* contents = item("Contenido1", QStringLiteral("Contenido"), [this] {
        if (OnHelpContext)
            OnHelpContext(1);
    });
    QAction* tips = item("Sabaque1", QStringLiteral("Sabía que..."), [this] {
        if (OnShowTips)
            OnShowTips();
    });
    PopupMenu9->addSeparator();
    item("BuscarActualizaciones1", QStringLiteral("Buscar Actualizaciones..."), [this] { pvlUrl1->OpenUrl(); });
    item("Contactarme1", QStringLiteral("Contactarme"), [this] {
        const QFileInfo exe(Basicos().ExeFile);
        const QString mail = exe.dir().filePath(exe.completeBaseName() + QStringLiteral(".eml"));
        if (!QFileInfo(mail).isFile()) {
            ShowMessage(QStringLiteral("No se encuentra el archivo:\r\n") + QDir::toNativeSeparators(mail),
                        mb::Ok | mb::IconWarning);
            return;
        }
        ShellOpenFile(mail, QString());
    });
    QAction* about = item("Acercade1", QStringLiteral("Acerca de..."), [this] {
        if (OnAbout)
            OnAbout();
    });
    // Only what is installed is offered.
    connect(PopupMenu9, &QMenu::aboutToShow, this, [this, contents, tips, about] {
        AutoComp().AutoCompleteCancelled = false;
        contents->setVisible(bool(OnHelpContext));
        tips->setVisible(bool(OnShowTips));
        about->setVisible(bool(OnAbout));
    });
    btnAyuda->setMenu(PopupMenu9);
}

void TfrmCalcu::AttachMenuDrawing()
{
    m_menuDrawing = std::make_unique<TMenuDrawing>();
    for (QMenu* menu : {PopupMenu1, PopupMenu2, PopupMenu3, PopupMenu4, PopupMenu7, PopupMenu8, PopupMenu9,
                        PopupMenuX1, PopupMenuX2, MenuLista, FormulaView->MenuMeta})
        m_menuDrawing->Attach(menu);
    m_menuDrawing->Attach(PopupMenu5, TMenuDrawing::kWide);
    m_menuDrawing->Attach(PopupMenu6, TMenuDrawing::kConversion);
}
