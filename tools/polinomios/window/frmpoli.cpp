#include "tools/polinomios/window/frmpoli.h"

#include "controls/application.h"
#include "controls/areafondo.h"
#include "controls/comboexpr.h"
#include "controls/stringgridx.h"
#include "drawkit/drawkit.h"
#include "engine/complex/expresion.h"
#include "foundation/core/basicos.h"
#include "foundation/core/format.h"
#include "platform/keystate.h"
#include "services/frminput.h"
#include "tools/polinomios/window/frmvargrid.h"
#include "platform/spanish.h"
#include "controls/toolbutton.h"
#include "services/help.h"
#include "services/workprogress.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {


QToolButton* MakeButton(QWidget* parent, const char* name, const QString& text, const QString& hint)
{
    QToolButton* b = MakeToolButton(parent, name, text, hint);
    b->setMinimumWidth(28);
    return b;
}

// Only x, in either case, among the letters of the text.
bool OnlyLetterX(const QString& text)
{
    return std::none_of(text.begin(), text.end(), [](QChar ch) {
        const QChar l = ch.toLower();
        return l >= QLatin1Char('a') && l <= QLatin1Char('z') && l != QLatin1Char('x');
    });
}

} // namespace

TfmPoli::TfmPoli(ToolHost& host, QWidget* parent) : TToolWindow(host, kName, parent, TPosition::poDesktopCenter)
{
    // Help requests go to the help viewer.
    OnHelp = [](int context) { ShowHelpContext(context); };
    setWindowTitle(QStringLiteral("Polinomios"));
    setMinimumSize(410, 200);
    InputQuery = [this](const QString& caption, const QString& prompt, QString& text) {
        return SpanishInputQuery(this, caption, prompt, text);
    };
    ExecDialog = [](QDialog& d) { return d.exec(); };

    AreaFondo1 = new TAreaFondo(this);
    AreaFondo1->setObjectName(QStringLiteral("AreaFondo1"));
    AreaFondo1->setEstilo(efGradienteHor);
    AreaFondo1->lower();

    Label1 = new QLabel(QStringLiteral("P(x):"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label2 = new QLabel(QStringLiteral("Q(x):"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label3 = new QLabel(this);
    Label3->setObjectName(QStringLiteral("Label3"));
    QFont bold = Label3->font();
    bold.setBold(true);
    Label3->setFont(bold);

    auto makeBox = [this](const char* name, const QString& placeholder) {
        auto* box = new TComboExpr(this);
        box->setObjectName(QString::fromLatin1(name));
        box->SetTextEmpty(placeholder);
        box->SetTeclado(false);
        box->SetAutoComplete(false);
        box->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        box->OnKeyPress = [this, box](QObject*, QChar& key) { TypingKey(box, key); };
        box->OnChange = [this, box](QObject*) { UpdateForText(box); };
        box->OnEnter = [this, box](QObject*) {
            m_selected = box;
            UpdateForText(box);
        };
        return box;
    };
    Edit1 = makeBox("Edit1", QStringLiteral("Ingrese un polinomio. Ejemplo 2x3 +3x2 -4x -1"));
    Edit2 = makeBox("Edit2", QStringLiteral("Ingrese un polinomio. Ejemplo: 2a+3b2-c"));

    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    Memo1->setToolTip(QStringLiteral("Resultados"));
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    af1 = new TAreaFondo(this);
    af1->setObjectName(QStringLiteral("af1"));
    af1->setEstilo(efGradienteHor);
    btnSuma = MakeButton(af1, "btnSuma", QStringLiteral("+"), QStringLiteral("Suma ambos polinomios (Ctrl+A)"));
    btnResta = MakeButton(af1, "btnResta", QStringLiteral("-"), QStringLiteral("Resta ambos polinomios P-Q  (Ctrl+S)"));
    btnProducto =
        MakeButton(af1, "btnProducto", QStringLiteral("×"), QStringLiteral("Multiplica ambos polinomios (Ctrl+P)"));
    btnCociente =
        MakeButton(af1, "btnCociente", QStringLiteral("÷"), QStringLiteral("Divide ambos polinomios P/Q (Ctrl+O)"));
    btnEvaluar = MakeButton(af1, "btnEvaluar", QStringLiteral("P(a)"),
                            QStringLiteral("Evalúa el polinomio seleccionado o sustituye sus variables\r\n"
                                           "por números o polinomios (Ctrl+E)"));
    btnDerivar = MakeButton(af1, "btnDerivar", QStringLiteral("P´"),
                            QStringLiteral("Muestra la derivada del polinomio seleccionado (Ctrl+D)"));
    btnIntegIndef = MakeButton(af1, "btnIntegIndef", QStringLiteral("∫"),
                               QStringLiteral("Muestra la integral del polinomio seleccionado (Ctrl+T)"));
    btnIntegralDef = MakeButton(af1, "btnIntegralDef", QStringLiteral("∫ab"),
                                QStringLiteral("Calcula la integral definida del polinomio seleccionado (Ctrl+I)"));
    btnRuffini = MakeButton(af1, "btnRuffini", QStringLiteral("x-a"),
                            QStringLiteral("Divide el polinomio seleccionado entre (x-a)\r\n"
                                           "por la regla de Ruffini (Ctrl+U)"));
    btnRaices = MakeButton(af1, "btnRaices", QStringLiteral("x0"),
                           QStringLiteral("Busca raíces del polinomio seleccionado (Ctrl+R)"));
    btnGenerar = MakeButton(af1, "btnGenerar", QStringLiteral("G"),
                            QStringLiteral("Genera un polinomio en base a las \r\nraíces racionales pasadas (Ctrl+G)"));
    btnPotencia = MakeButton(af1, "btnPotencia", QStringLiteral("P^n"),
                             QStringLiteral("Calcula una potencia entera del polinomio seleccionado (Ctrl+N)"));
    SpeedButton11 = MakeButton(af1, "SpeedButton11", QStringLiteral("?"), QStringLiteral("Ayuda (F1)"));
    SpeedButton12 = MakeButton(af1, "SpeedButton12", QStringLiteral("⇅"), QStringLiteral("Intercambiar polinomios"));

    auto* strip = new QHBoxLayout(af1);
    strip->setContentsMargins(4, 2, 4, 2);
    strip->setSpacing(1);
    for (QToolButton* b : {btnSuma, btnResta, btnProducto, btnCociente, btnPotencia, btnEvaluar, btnDerivar,
                           btnIntegIndef, btnIntegralDef, btnRuffini, btnRaices, btnGenerar})
        strip->addWidget(b);
    strip->addStretch(1);
    strip->addWidget(SpeedButton12);
    strip->addWidget(SpeedButton11);
    // As tall as its buttons (a paint box alone would ask for more).
    af1->setFixedHeight(strip->sizeHint().height());

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(6, 6, 6, 6);
    grid->setVerticalSpacing(4);
    grid->addWidget(Label1, 0, 0);
    grid->addWidget(Edit1, 0, 1);
    grid->addWidget(Label2, 1, 0);
    grid->addWidget(Edit2, 1, 1);
    grid->addWidget(af1, 2, 0, 1, 2);
    grid->addWidget(Label3, 3, 0, 1, 2);
    grid->addWidget(Memo1, 4, 0, 1, 2);
    grid->setRowStretch(4, 1);

    connect(btnSuma, &QToolButton::clicked, this, &TfmPoli::btnSumaClick);
    connect(btnResta, &QToolButton::clicked, this, &TfmPoli::btnRestaClick);
    connect(btnProducto, &QToolButton::clicked, this, &TfmPoli::btnProductoClick);
    connect(btnCociente, &QToolButton::clicked, this, &TfmPoli::btnCocienteClick);
    connect(btnEvaluar, &QToolButton::clicked, this, &TfmPoli::btnEvaluarClick);
    connect(btnDerivar, &QToolButton::clicked, this, &TfmPoli::btnDerivarClick);
    connect(btnIntegIndef, &QToolButton::clicked, this, &TfmPoli::btnIntegIndefClick);
    connect(btnIntegralDef, &QToolButton::clicked, this, &TfmPoli::btnIntegralDefClick);
    connect(btnRuffini, &QToolButton::clicked, this, &TfmPoli::btnRuffiniClick);
    connect(btnRaices, &QToolButton::clicked, this, &TfmPoli::btnRaicesClick);
    connect(btnGenerar, &QToolButton::clicked, this, &TfmPoli::btnGenerarClick);
    connect(btnPotencia, &QToolButton::clicked, this, &TfmPoli::btnPotenciaClick);
    connect(SpeedButton11, &QToolButton::clicked, this, &TfmPoli::SpeedButton11Click);
    connect(SpeedButton12, &QToolButton::clicked, this, &TfmPoli::SpeedButton12Click);

    // The window sees every key first (Ctrl+letter, F1) and the memo's focus.
    for (QWidget* w : findChildren<QWidget*>())
        w->installEventFilter(this);

    m_complex = std::make_unique<complex::TExpresion>();
    m_complex->Silent = true;
    m_complex->SetUseBuiltIns(true);

    m_selected = Edit1;
    UpdateForText(Edit2);
    UpdateForText(Edit1);
    resize(520, 300);
    ApplyAppearance();
}

TfmPoli::~TfmPoli() = default;

void TfmPoli::ApplyAppearance()
{
    TToolWindow::ApplyAppearance();
    const TAppearance& a = Host().Appearance();
    for (TAreaFondo* f : {AreaFondo1, af1}) {
        f->setColor(a.ClLuz);
        f->setColor2(a.ClSombra);
    }
    auto paint = [&](QWidget* w, TColor base) {
        QPalette p = w->palette();
        p.setColor(QPalette::Base, ToQColor(base));
        p.setColor(QPalette::Text, ToQColor(a.ClTexto));
        w->setPalette(p);
    };
    paint(Edit1, a.ClLuz);
    paint(Edit2, a.ClLuz);
    paint(Memo1, a.ClFondo);
    Edit1->setFont(a.ExpressionFont);
    Edit2->setFont(a.ExpressionFont);
    Memo1->setFont(a.ResultFont);
}

void TfmPoli::resizeEvent(QResizeEvent* e)
{
    TToolWindow::resizeEvent(e);
    AreaFondo1->setGeometry(rect());
}

// ---------------------------------------------------------------------------
// Keys and focus

bool TfmPoli::CtrlKey(int key)
{
    static const struct {
        int key;
        void (TfmPoli::*action)();
    } keys[] = {
        {Qt::Key_A, &TfmPoli::btnSumaClick},       {Qt::Key_S, &TfmPoli::btnRestaClick},
        {Qt::Key_P, &TfmPoli::btnProductoClick},   {Qt::Key_O, &TfmPoli::btnCocienteClick},
        {Qt::Key_E, &TfmPoli::btnEvaluarClick},    {Qt::Key_D, &TfmPoli::btnDerivarClick},
        {Qt::Key_T, &TfmPoli::btnIntegIndefClick}, {Qt::Key_I, &TfmPoli::btnIntegralDefClick},
        {Qt::Key_U, &TfmPoli::btnRuffiniClick},    {Qt::Key_R, &TfmPoli::btnRaicesClick},
        {Qt::Key_G, &TfmPoli::btnGenerarClick},    {Qt::Key_N, &TfmPoli::btnPotenciaClick},
    };
    for (const auto& k : keys)
        if (k.key == key) {
            // Also when the button is hidden.
            (this->*k.action)();
            return true;
        }
    return false;
}

bool TfmPoli::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(event);
        const Qt::KeyboardModifiers mods = k->modifiers() & ~Qt::KeypadModifier;
        if (mods == Qt::ControlModifier && CtrlKey(k->key()))
            return true;
        if (k->key() == Qt::Key_F1 && mods == Qt::NoModifier) {
            SpeedButton11Click();
            return true;
        }
    }
    if (event->type() == QEvent::FocusIn && watched == Memo1) {
        m_selected = nullptr;
        UpdateForText(Memo1);
    }
    return TToolWindow::eventFilter(watched, event);
}

void TfmPoli::TypingKey(TComboExpr* box, QChar& key)
{
    const char16_t c = key.unicode();
    if (c == 13) {
        Run([&] { ParsePolyN(box); });
        key = QChar(0);
        return;
    }
    if (c >= 'A' && c <= 'Z') {
        key = QChar(c + 32);
        return;
    }
    const bool passes = c == 8 || c == ' ' || c == '+' || c == '-' || c == '.' || c == '^' ||
                        (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z');
    if (!passes && !(QApplication::keyboardModifiers() & Qt::ControlModifier))
        key = QChar(0);
}

void TfmPoli::UpdateForText(QWidget* control)
{
    const QString text = control == Memo1 ? Memo1->toPlainText() : static_cast<TComboExpr*>(control)->Text();
    const bool inX = OnlyLetterX(text);
    for (QToolButton* b : {btnRuffini, btnDerivar, btnIntegIndef, btnIntegralDef, btnRaices})
        b->setVisible(inX);
    if (control == Edit1)
        Label1->setText(inX ? QStringLiteral("P(x)") : QStringLiteral("P()"));
    else
        Label2->setText(inX ? QStringLiteral("Q(x)") : QStringLiteral("Q()"));
}

// ---------------------------------------------------------------------------
// The course of an action

void TfmPoli::Run(const std::function<void()>& action)
{
    if (m_busy)
        return;
    m_busy = true;
    {
        TWorkProgress work(Label3);
        TPoliNProgress progress([&](double done) { work(done); });
        TApplication::Guarded(action);
    }
    m_busy = false;
}

void TfmPoli::Show(const TPoliAction& a)
{
    Memo1->setPlainText(QString(a.Memo).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    Label3->setText(a.Label);
}

TPoliN TfmPoli::ParsePolyN(TComboExpr* box)
{
    Memo1->clear();
    Label3->clear();
    TPoliN p(box->Text());
    const QString text = p.ToString();
    box->SetText(text);
    AddExprHistory(box, text);
    return p;
}

TPoli TfmPoli::ParsePoli(TComboExpr* box)
{
    Memo1->clear();
    Label3->clear();
    TPoli p(box->Text(), QLatin1Char('x'));
    const QString text = p.ToString();
    box->SetText(text);
    AddExprHistory(box, text);
    return p;
}

std::unique_ptr<TfmVarGrid> TfmPoli::NewVarGrid(const QString& hint)
{
    auto g = std::make_unique<TfmVarGrid>(this);
    const TAppearance& a = Host().Appearance();
    g->ColorLight = a.ClLuz;
    g->ColorDark = a.ClSombra;
    g->grid->setToolTip(hint);
    const QPoint button = btnSuma->mapTo(this, QPoint(0, 0));
    const QRect frame = frameGeometry();
    g->move(frame.left() + button.x(), frame.top() + button.y() + (frame.height() - g->frameGeometry().height()) / 2);
    return g;
}

int TfmPoli::AskGrid(TfmVarGrid& grid, const QString& names)
{
    // The global names the dialog of the question while it is open.
    struct Current {
        QPointer<TfmVarGrid> previous = fmVarGrid;
        ~Current() { fmVarGrid = previous; }
    } current;
    fmVarGrid = &grid;
    return grid.Ask(names, ExecDialog);
}

// ---------------------------------------------------------------------------
// The actions

void TfmPoli::OnSelectedPoli(TPoliAction (*operation)(const TPoli&))
{
    Run([this, operation] {
        if (m_selected)
            Show(operation(ParsePoli(m_selected)));
    });
}

void TfmPoli::btnSumaClick()
{
    Run([this] { Show(PoliSum(ParsePolyN(Edit1), ParsePolyN(Edit2))); });
}

void TfmPoli::btnRestaClick()
{
    Run([this] { Show(PoliDifference(ParsePolyN(Edit1), ParsePolyN(Edit2))); });
}

void TfmPoli::btnProductoClick()
{
    Run([this] { Show(PoliProduct(ParsePolyN(Edit1), ParsePolyN(Edit2))); });
}

void TfmPoli::btnCocienteClick()
{
    Run([this] { Show(PoliQuotient(ParsePolyN(Edit1), ParsePolyN(Edit2))); });
}

void TfmPoli::btnPotenciaClick()
{
    Run([this] {
        if (!m_selected)
            return;
        QString typed = QStringLiteral("2");
        if (!InputQuery || !InputQuery(QStringLiteral("Potencia"), QStringLiteral("Ingrese un valor entero "), typed))
            return;
        Memo1->clear();
        const int n = PoliPowerCount(typed);
        Show(PoliPower(m_selected->Text(), n));
    });
}

void TfmPoli::btnEvaluarClick()
{
    Run([this] {
        if (!m_selected)
            throw EAbort();
        const TPoliN p = ParsePolyN(m_selected);
        const QString letters = PoliLetterList(p);
        if (letters.isEmpty()) {
            ShowMsgApp(QStringLiteral("No hay variables para sustituir"));
            return;
        }
        auto grid = NewVarGrid(QStringLiteral("Ingrese los valores para sustituir las variables,\r\n"
                                              "pueden ser polinomios.\r\nDeje en blanco las que no desea sustituir"));
        if (AskGrid(*grid, letters) != TfmVarGrid::mrOk)
            return;
        std::array<QString, kLetters> typed;
        for (int k = 0; k < kLetters; ++k)
            typed[k] = grid->ValueOf(QString(QChar('a' + k)));
        Show(PoliEvaluate(p, typed, *m_complex, [this] {
            return MsgBox(QStringLiteral("¿El valor ingresado es un número complejo?"),
                          QStringLiteral("Evaluar polinomio"), mb::YesNo | mb::IconQuestion | mb::DefButton2) == idYes;
        }));
    });
}

void TfmPoli::btnDerivarClick() { OnSelectedPoli(PoliDerivative); }

void TfmPoli::btnIntegIndefClick() { OnSelectedPoli(PoliIntegral); }

void TfmPoli::btnIntegralDefClick()
{
    Run([this] {
        auto grid = NewVarGrid(QStringLiteral("Ingrese los límites inferior y superior de la integración definida"));
        grid->setWindowTitle(QStringLiteral("Intervalo [a,b] de la Integral"));
        if (!m_selected || AskGrid(*grid, QStringLiteral("sup,inf")) != TfmVarGrid::mrOk)
            return;
        Show(PoliDefiniteIntegral(ParsePoli(m_selected), grid->ValueOf(QStringLiteral("sup")),
                                  grid->ValueOf(QStringLiteral("inf"))));
    });
}

void TfmPoli::btnRuffiniClick()
{
    Run([this] {
        if (!m_selected)
            throw EAbort();
        // The program's input box; a box of this question when there is none.
        std::unique_ptr<TfmInput> own;
        TfmInput* box = fmInput;
        if (!box) {
            own = std::make_unique<TfmInput>(this);
            box = own.get();
        }
        const QString caption = box->windowTitle(), prompt = box->Label1->text();
        struct Restore {
            TfmInput* box;
            QString caption, prompt;
            ~Restore()
            {
                box->setWindowTitle(caption);
                box->Label1->setText(prompt);
            }
        } restore{box, caption, prompt};
        box->setWindowTitle(QStringLiteral("Ingrese una valor para Ruffini"));
        box->SetNameTable(std::shared_ptr<const TAutoCompSource>());
        box->Texto->SetText(QString());
        box->Label1->setText(QStringLiteral("Debe ser un número racional"));
        if (ExecDialog(*box) != TfmInput::mrOk)
            return;
        const QString typed = box->Texto->Text();
        Show(PoliRuffini(ParsePoli(m_selected), typed));
    });
}

void TfmPoli::btnRaicesClick() { OnSelectedPoli(PoliRoots); }

void TfmPoli::btnGenerarClick()
{
    Run([this] {
        QString typed;
        if (!InputQuery ||
            !InputQuery(QStringLiteral("Crear polinomio"), QStringLiteral("Ingrese raíces separadas por comas"), typed))
            return;
        Show(PoliFromRoots(typed));
    });
}

void TfmPoli::SpeedButton11Click()
{
    if (OnHelp)
        OnHelp(HelpContext());
}

void TfmPoli::SpeedButton12Click()
{
    const QString p = Edit1->Text();
    Edit1->SetText(Edit2->Text());
    Edit2->SetText(p);
}
