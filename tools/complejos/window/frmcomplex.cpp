#include "tools/complejos/window/frmcomplex.h"

#include "controls/application.h"
#include "controls/areafondo.h"
#include "controls/comboexpr.h"
#include "controls/frmautocomp.h"
#include "controls/readonlybox.h"
#include "drawkit/drawkit.h"
#include "drawkit/qpaintercanvas.h"
#include "engine/formulapicture.h"
#include "foundation/core/basicos.h"
#include "services/formulaview.h"
#include "services/frminput.h"
#include "services/userdefs.h"
#include "services/help.h"

#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPointer>
#include <QShortcut>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QString BoxText(const TComboExpr* box) { return box->IsEmpty() ? QString() : box->Text(); }

// The shared input box asking a letter with the names of the answers'
// expression; the answer is what the box holds, whatever closed it.
bool AskWithInputBox(const complex::NameTable* names, const QString& caption, QString& text)
{
    if (!fmInput)
        fmInput = new TfmInput(QApplication::activeWindow());
    fmInput->setWindowTitle(caption);
    fmInput->SetNameTable(names);
    fmInput->Texto->SetText(text);
    fmInput->Texto->SetSel(0, int(text.size()));
    const bool ok = fmInput->exec() != TfmInput::mrCancel;
    text = fmInput->Texto->Text();
    // The table belongs to this window: the box keeps none of it.
    fmInput->SetNameTable(std::shared_ptr<const TAutoCompSource>());
    return ok;
}

QLineEdit* MakeResult(QWidget* parent, const char* name, const QString& hint)
{
    auto* e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    e->setReadOnly(true);
    e->setToolTip(hint);
    return e;
}

} // namespace

TfmComplex::TfmComplex(ToolHost& host, QWidget* parent) : TToolWindow(host, kName, parent)
{
    // Help requests go to the help viewer.
    OnHelp = [](int context) { ShowHelpContext(context); };
    setWindowTitle(QStringLiteral("Complejos"));
    setMinimumSize(423, 190);
    setMaximumWidth(600);
    resize(460, 260);
    m_calc.Prompt = [this](const QString& caption, QString& text) {
        if (AskLetter)
            return AskLetter(caption, text);
        return AskWithInputBox(m_calc.Input.GetTable(), caption, text);
    };

    auto* top = new QVBoxLayout(this);
    top->setContentsMargins(0, 0, 0, 0);
    top->setSpacing(0);

    // ---- the expression ----
    auto* panel2 = new QWidget(this);
    panel2->setObjectName(QStringLiteral("Panel2"));
    AreaFondo2 = new TAreaFondo(panel2);
    AreaFondo2->setObjectName(QStringLiteral("AreaFondo2"));
    AreaFondo2->lower();
    panel2->installEventFilter(this);
    auto* entry = new QGridLayout(panel2);
    entry->setContentsMargins(6, 6, 6, 6);
    ComboBox1 = new TComboExpr(panel2);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->SetFileName(QStringLiteral("expc.lst"));
    ComboBox1->SetAutoagregar(false);
    ComboBox1->SetDuplicados(false);
    ComboBox1->SetAutoComplete(false);
    ComboBox1->SetTextEmpty(QStringLiteral("{Ingrese aquí una expresión para evaluar}"));
    ComboBox1->setToolTip(QStringLiteral("Introduzca aquí una expresión compleja para evaluar"));
    ComboBox1->Change();
    SpeedButton9 = new QToolButton(panel2);
    SpeedButton9->setObjectName(QStringLiteral("SpeedButton9"));
    SpeedButton9->setText(QStringLiteral("?"));
    SpeedButton9->setToolTip(QStringLiteral("Ayuda (F1)"));
    SpeedButton9->setAutoRaise(true);
    entry->addWidget(ComboBox1, 0, 0);
    entry->addWidget(SpeedButton9, 0, 1);
    entry->setColumnStretch(0, 1);
    top->addWidget(panel2);

    // ---- z, |z|, arg(z) ----
    auto* panel1 = new QWidget(this);
    panel1->setObjectName(QStringLiteral("Panel1"));
    AreaFondo1 = new TAreaFondo(panel1);
    AreaFondo1->setObjectName(QStringLiteral("AreaFondo1"));
    AreaFondo1->lower();
    panel1->installEventFilter(this);
    auto* results = new QGridLayout(panel1);
    results->setContentsMargins(6, 6, 6, 6);
    Edit2 = MakeResult(panel1, "Edit2", QStringLiteral("Resultado"));
    Edit3 = MakeResult(panel1, "Edit3", QStringLiteral("Norma del resultado"));
    Edit4 = MakeResult(panel1, "Edit4",
                       QStringLiteral("Argumento o Angulo del resultado\r\n(puede modificar el formato de angulo\r\n "
                                      "desde la ventana principal)"));
    const std::pair<const char*, QLineEdit*> rows[3] = {{"z", Edit2}, {"|z|", Edit3}, {"arg(z)", Edit4}};
    for (int i = 0; i < 3; ++i) {
        auto* label = new QLabel(QString::fromLatin1(rows[i].first), panel1);
        label->setObjectName(QStringLiteral("Label%1").arg(i + 1));
        results->addWidget(label, i == 0 ? 0 : 1, i == 2 ? 2 : 0);
        results->addWidget(rows[i].second, i == 0 ? 0 : 1, i == 2 ? 3 : 1, 1, i == 0 ? 3 : 1);
    }
    results->setColumnStretch(1, 1);
    results->setColumnStretch(3, 1);
    top->addWidget(panel1);

    // ---- the formula ----
    PMeta = new TFormulaView(this);
    PMeta->setMinimumHeight(60);
    PMeta->OnCopy = [this](const FormulaPicture& picture) { Host().CopyPicture(picture); };
    PMeta->OnExport = [this](const FormulaPicture& picture) {
        if (Host().CanExportPicture())
            Host().ExportPicture(picture, this);
    };
    PMeta->SetOnDescribe([this](bool describe) {
        m_calc.Main.InlineUserFunctions = describe;
        Calculate();
    });
    connect(PMeta->MenuMeta, &QMenu::aboutToShow, this,
            [this] { PMeta->Exportar->setEnabled(PMeta->Picture() && Host().CanExportPicture()); });
    PMeta->pbMeta->installEventFilter(this);
    top->addWidget(PMeta, 1);

    // ---- handlers ----
    ComboBox1->OnChange = [this](QObject*) { ComboBox1Change(); };
    ComboBox1->OnKeyDown = [this](QObject*, int& key, TShiftState) {
        if (key != Qt::Key_Escape)
            return;
        key = 0;
        if (!BoxText(ComboBox1).isEmpty())
            ComboBox1->SetText(QString());
        else
            close();
    };
    ComboBox1->OnKeyPress = [this](QObject*, QChar& key) {
        if (key.unicode() != 13)
            return;
        key = QChar(0);
        Calculate();
    };
    const auto help = [this] {
        if (OnHelp)
            OnHelp(kHelpContext);
    };
    connect(SpeedButton9, &QToolButton::clicked, this, help);
    auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(f1, &QShortcut::activated, this, help);
    // The board may outlive this window: the handler checks that it is there.
    host.Notices().Connect(THostNotice::AngleChanged, [w = QPointer<TfmComplex>(this)] {
        // An empty entry has nothing to show in the new unit.
        if (w && !BoxText(w->ComboBox1).isEmpty())
            w->Calculate();
    });

    // The user's definitions, the names, the history.
    TApplication::Guarded([this] { m_calc.LoadDefinitions(userdefs::FileName()); });
    ComboBox1->SetNameTable(m_calc.Main.GetTable());
    TApplication::Guarded([this] { ComboBox1->LoadHistory(); });
    m_calc.Input.SetText(QStringLiteral("0"));
    AutoComp().AutoCompleteOn = true;
    ApplyAppearance();
}

TfmComplex::~TfmComplex()
{
    TApplication::Guarded([this] { ComboBox1->SaveHistory(); });
}

void TfmComplex::ApplyAppearance()
{
    TToolWindow::ApplyAppearance();
    const TAppearance& a = Host().Appearance();
    for (TAreaFondo* f : {AreaFondo1, AreaFondo2}) {
        f->setColor(a.ClLuz);
        f->setColor2(a.ClSombra);
    }
    const auto paint = [](QWidget* w, TColor color) {
        QPalette p = w->palette();
        p.setColor(QPalette::Base, ToQColor(color));
        p.setColor(QPalette::Window, ToQColor(color));
        w->setPalette(p);
    };
    for (QLineEdit* e : {Edit2, Edit3, Edit4}) {
        paint(e, a.ClFondo);
        e->setFont(a.ResultFont);
    }
    paint(PMeta->lblError, a.ClFondo);
    PMeta->lblError->setAutoFillBackground(true);
    PMeta->SetBackground(a.ClFondo);
    paint(ComboBox1, a.ClLuz);
    ComboBox1->setFont(a.ExpressionFont);
}

const FormulaPicture* TfmComplex::Picture() const { return PMeta->Picture(); }

void TfmComplex::SetExpression(const QString& text) { ComboBox1->SetText(text); }

void TfmComplex::Calculate()
{
    // A calculation asks letters in a modal box: no second one meanwhile.
    if (m_calculating)
        return;
    m_calculating = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{m_calculating};
    TApplication::Guarded([this] {
        const QString text = BoxText(ComboBox1);
        ShowOutcome(m_calc.Calculate(text, Host().AngleUnit()));
        if (!text.isEmpty() && exprtool::BelongsAtTop(ComboBox1->Items(), text))
            AddExprHistory(ComboBox1, text);
        ComboBox1->SetSel(0, int(ComboBox1->Text().size()));
        PMeta->SetPicture(m_calc.Main.DrawToMetafile());
    });
}

void TfmComplex::ShowOutcome(const TComplexCalc::TOutcome& out)
{
    // A text that does not compile has no value: never the last one.
    ShowFromStart(Edit2, out.Z);
    ShowFromStart(Edit3, out.Modulus);
    ShowFromStart(Edit4, out.Argument);
}

void TfmComplex::ComboBox1Change()
{
    if (!Host().DrawsWhileTyping() || ComboBox1->InAutoComplete())
        return;
    const QString text = BoxText(ComboBox1);
    exprtool::TDrawing drawn = m_calc.Draw(text);
    if (text.isEmpty()) {
        PMeta->SetPicture(nullptr);
    } else if (!drawn.Error.isEmpty()) {
        PMeta->ShowError(drawn.Error);
    } else if (drawn.Picture) {
        PMeta->ShowError(QString());
        PMeta->SetPicture(std::move(drawn.Picture));
    }
}

bool TfmComplex::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Resize) {
        if (watched == AreaFondo1->parentWidget())
            AreaFondo1->setGeometry(AreaFondo1->parentWidget()->rect());
        else if (watched == AreaFondo2->parentWidget())
            AreaFondo2->setGeometry(AreaFondo2->parentWidget()->rect());
    }
    if (event->type() == QEvent::Paint && watched == PMeta->pbMeta && !PMeta->Picture()) {
        // While the window has no picture, the main window's.
        QWidget* box = PMeta->pbMeta;
        QPainter p(box);
        p.fillRect(box->rect(), ToQColor(PMeta->Background()));
        const FormulaPicture* pic = Host().CurrentPicture();
        if (pic && pic->width() > 0 && pic->height() > 0) {
            TRect dest;
            FitRectProportional(TRect{0, 0, pic->width(), pic->height()}, TRect{0, 0, box->width(), box->height()},
                                PMeta->FitToWindow(), dest);
            DrawPictureStretched(p, *pic, dest);
        }
        return true;
    }
    return TToolWindow::eventFilter(watched, event);
}

void TfmComplex::showEvent(QShowEvent* e)
{
    TToolWindow::showEvent(e);
    ComboBox1->SetSel(0, int(ComboBox1->Text().size()));
}

void TfmComplex::changeEvent(QEvent* e)
{
    if (e->type() == QEvent::ActivationChange && isActiveWindow())
        Magnetic = Host().MagneticWindows();
    TToolWindow::changeEvent(e);
}

bool OfferComplexCalculation(ToolHost& host, QWidget* owner, const QString& text, const std::function<void()>& open)
{
    const int answer =
        MsgBox(QStringLiteral("Esta expresión no pudo evaluarse, \r\npero quizá sea posible en el dominio de los "
                              "Complejos.\r\n\r\n¿Desea evaluar esta expresión con la Herramienta Complejos? \r\n "),
               QStringLiteral("Parametro no válido"), mb::YesNo | mb::DefButton2 | mb::IconInformation);
    if (answer != idYes)
        return false;
    if (open)
        open();
    auto* window = dynamic_cast<TfmComplex*>(TToolWindow::Find(TfmComplex::kName));
    if (!window) {
        window = &TToolWindow::Open<TfmComplex>(host, owner);
        window->show();
    }
    window->raise();
    window->SetExpression(text);
    window->Calculate();
    return true;
}
