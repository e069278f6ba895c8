#include "tools/complejos/window/frmcomplex.h"

#include "controls/application.h"
#include "controls/comboexpr.h"
#include "controls/frmautocomp.h"
#include "controls/readonlybox.h"
#include "engine/formulapicture.h"
#include "foundation/core/basicos.h"
#include "services/formulaview.h"
#include "services/userdefs.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QLineEdit* MakeResult(QWidget* parent, const char* name, const QString& hint)
{
    auto* e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    e->setReadOnly(true);
    e->setToolTip(hint);
    return e;
}

} // namespace

TfmComplex::TfmComplex(ToolHost& host, QWidget* parent) : TExprToolWindow(host, kName, kHelpContext, parent)
{
    setWindowTitle(QStringLiteral("Complejos"));
    setMinimumSize(423, 190);
    setMaximumWidth(600);
    resize(460, 260);
    m_calc.Prompt = LetterPrompt([this] { return MakeNameSource(m_calc.Input.GetTable()); });

    auto* top = new QVBoxLayout(this);
    top->setContentsMargins(0, 0, 0, 0);
    top->setSpacing(0);

    // ---- the expression ----
    QWidget* panel2 = MakePanel("Panel2", AreaFondo2);
    auto* entry = new QGridLayout(panel2);
    entry->setContentsMargins(6, 6, 6, 6);
    ComboBox1 = MakeEntry(panel2, "ComboBox1", QStringLiteral("expc.lst"));
    ComboBox1->SetAutoComplete(false);
    ComboBox1->SetTextEmpty(QStringLiteral("{Ingrese aquí una expresión para evaluar}"));
    ComboBox1->setToolTip(QStringLiteral("Introduzca aquí una expresión compleja para evaluar"));
    ComboBox1->Change();
    MakeHelpButton(panel2);
    entry->addWidget(ComboBox1, 0, 0);
    entry->addWidget(SpeedButton9, 0, 1);
    entry->setColumnStretch(0, 1);
    top->addWidget(panel2);

    // ---- z, |z|, arg(z) ----
    QWidget* panel1 = MakePanel("Panel1", AreaFondo1);
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
    MakeFormulaView(60);
    PMeta->SetOnDescribe([this](bool describe) {
        m_calc.Main.InlineUserFunctions = describe;
        Calculate();
    });
    top->addWidget(PMeta, 1);

    // ---- handlers ----
    ComboBox1->OnChange = [this](QObject*) { ComboBox1Change(); };
    // The board may outlive this window: the handler checks that it is there.
    host.Notices().Connect(THostNotice::AngleChanged, [w = QPointer<TfmComplex>(this)] {
        // An empty entry has nothing to show in the new unit.
        if (w && !w->EntryText().isEmpty())
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
    TExprToolWindow::ApplyAppearance();
    const TAppearance& a = Host().Appearance();
    for (QLineEdit* e : {Edit2, Edit3, Edit4}) {
        PaintControl(e, a.ClFondo);
        e->setFont(a.ResultFont);
    }
}

void TfmComplex::SetExpression(const QString& text) { ComboBox1->SetText(text); }

void TfmComplex::Evaluate()
{
    const QString text = EntryText();
    ShowOutcome(m_calc.Calculate(text, Host().AngleUnit()));
    Calculated(text, exprtool::BelongsAtTop(ComboBox1->Items(), text));
    PMeta->SetPicture(m_calc.Main.DrawToMetafile());
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
    DrawWhileTyping(EntryText(), [this](const QString& text) { return m_calc.Draw(text); });
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
