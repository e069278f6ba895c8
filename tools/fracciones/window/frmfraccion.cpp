#include "tools/fracciones/window/frmfraccion.h"

#include "controls/application.h"
#include "controls/areafondo.h"
#include "controls/comboexpr.h"
#include "controls/frmautocomp.h"
#include "controls/paintbox.h"
#include "controls/readonlybox.h"
#include "drawkit/drawkit.h"
#include "engine/formulapicture.h"
#include "foundation/core/zelini.h"
#include "services/formulaview.h"

#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const QString kOptions = QStringLiteral("Opciones");
const QString kDenominatorKey = QStringLiteral("FracDenominadorDec");
const QString kMixedKey = QStringLiteral("FracSepEntero");
// Digits the largest denominator takes from the keyboard.
constexpr int kDenominatorDigits = 6;

} // namespace

TfmFraccion::TfmFraccion(ToolHost& host, QWidget* parent) : TExprToolWindow(host, kName, kHelpContext, parent)
{
    setWindowTitle(QStringLiteral("Fracciones"));
    resize(420, 330);
    m_calc.Prompt = LetterPrompt([this] { return MakeNameSource(m_calc.Input.GetTable()); });

    auto* top = new QVBoxLayout(this);
    top->setContentsMargins(0, 0, 0, 0);
    top->setSpacing(0);

    // ---- the expression and the largest denominator ----
    QWidget* panel1 = MakePanel("Panel1", AreaFondo1);
    auto* entry = new QGridLayout(panel1);
    entry->setContentsMargins(6, 6, 6, 6);
    cmbExp = MakeEntry(panel1, "cmbExp", QStringLiteral("expq.lst"), [this](QChar& key) {
        // "//" separates numerator and denominator here, as ".." does (the
        // entry would make it a root).
        const int s = cmbExp->SelStart();
        if (key == QLatin1Char('/') && s >= 1 && cmbExp->Text().at(s - 1) == QLatin1Char('/')) {
            QLineEdit* edit = cmbExp->lineEdit();
            edit->setSelection(s - 1, 1);
            edit->insert(QStringLiteral("|"));
            key = QChar(0);
        }
    });
    cmbExp->SetTextEmpty(QStringLiteral("Ingrese aquí una expresión para evaluar. Ejemplo: 1|2+3|4|5"));
    // The results lie under the box: the keyboard opens clear of them.
    cmbExp->SetKeyboardClearOfWindow(true);
    cmbExp->setToolTip(QStringLiteral("Introduzca una expresión con fracciones a evaluar.\r\nUse un pipe o 2 puntos "
                                      "consecutivos para separar\r\nnumerador de denominador."));
    cmbExp->Change();
    MakeHelpButton(panel1);
    Label1 = new QLabel(QStringLiteral("Denominador máximo al convertir decimales"), panel1);
    Label1->setObjectName(QStringLiteral("Label1"));
    ComboBox1 = new QComboBox(panel1);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setEditable(true);
    // What is typed is what is calculated: no type-ahead from the list.
    ComboBox1->setCompleter(nullptr);
    ComboBox1->setInsertPolicy(QComboBox::NoInsert);
    ComboBox1->addItems({QStringLiteral("10"), QStringLiteral("100"), QStringLiteral("1000"), QStringLiteral("10000"),
                         QStringLiteral("100000"), QStringLiteral("1000000"), QStringLiteral("10000000")});
    ComboBox1->setCurrentIndex(-1);
    ComboBox1->setEditText(QStringLiteral("1000"));
    ComboBox1->installEventFilter(this);
    ComboBox1->lineEdit()->installEventFilter(this);
    entry->addWidget(cmbExp, 0, 0, 1, 2);
    entry->addWidget(SpeedButton9, 0, 2);
    entry->addWidget(Label1, 1, 0);
    entry->addWidget(ComboBox1, 1, 1, 1, 2);
    entry->setColumnStretch(0, 1);
    top->addWidget(panel1);

    // ---- the results ----
    QWidget* panel2 = MakePanel("Panel2", AreaFondo2);
    auto* results = new QGridLayout(panel2);
    results->setContentsMargins(6, 6, 6, 6);
    Edit2 = new QLineEdit(panel2);
    Edit2->setObjectName(QStringLiteral("Edit2"));
    Edit2->setReadOnly(true);
    Edit2->setToolTip(QStringLiteral("Resultado"));
    sbEntero = new QToolButton(panel2);
    sbEntero->setObjectName(QStringLiteral("sbEntero"));
    sbEntero->setText(QStringLiteral("1½"));
    sbEntero->setCheckable(true);
    sbEntero->setToolTip(QStringLiteral("Mostrar parte entera separada de la \r\nfracción (formato Mixto)"));
    Edit3 = new QLineEdit(panel2);
    Edit3->setObjectName(QStringLiteral("Edit3"));
    Edit3->setReadOnly(true);
    Edit3->setToolTip(QStringLiteral("Resultado en formato decimal"));
    Label2 = new QLabel(panel2);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setToolTip(QStringLiteral("Parte entera del resultado."));
    Label2->setMinimumWidth(40);
    Label2->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    PaintBox1 = new TPaintBox(panel2);
    PaintBox1->setObjectName(QStringLiteral("PaintBox1"));
    PaintBox1->setToolTip(QStringLiteral("Representación en dieciseisavos de la parte no entera del resultado"));
    PaintBox1->setFixedHeight(22);
    PaintBox1->setMinimumWidth(160);
    PaintBox1->OnPaint = [this](QObject*) {
        // The ruler (Image1): a tick every sixteenth, longer at the eighths,
        // quarters and the half.
        QPainter* p = PaintBox1->Canvas();
        if (!p)
            return;
        const int w = PaintBox1->width() - 1;
        const int h = PaintBox1->height() - 1;
        p->fillRect(PaintBox1->rect(), Qt::white);
        p->setPen(Qt::black);
        p->drawRect(0, 0, w, h);
        for (int i = 1; i < 16; ++i) {
            const int x = i * w / 16;
            const int len = i % 8 == 0 ? h : i % 4 == 0 ? h * 2 / 3 : i % 2 == 0 ? h / 2 : h / 3;
            p->drawLine(x, h, x, h - len);
        }
    };
    PaintBox1->OnResize = [this](QObject*) { ShowBar(); };
    Shape1 = new QFrame(PaintBox1);
    Shape1->setObjectName(QStringLiteral("Shape1"));
    Shape1->setAutoFillBackground(true);
    Shape1->setFrameShape(QFrame::Box);
    Shape1->setGeometry(0, 4, 0, 14);
    results->addWidget(Edit2, 0, 0, 1, 2);
    results->addWidget(sbEntero, 0, 2);
    results->addWidget(Edit3, 1, 0, 1, 3);
    results->addWidget(Label2, 2, 0);
    results->addWidget(PaintBox1, 2, 1, 1, 2);
    results->setColumnStretch(1, 1);
    top->addWidget(panel2);

    // ---- the formula ----
    top->addWidget(MakeFormulaView(80), 1);

    // ---- handlers ----
    cmbExp->OnChange = [this](QObject*) { cmbExpChange(); };
    connect(ComboBox1, qOverload<int>(&QComboBox::activated), this, [this](int) { Calculate(); });
    connect(sbEntero, &QToolButton::clicked, this, &TfmFraccion::sbEnteroClick);

    ApplyAppearance();
    cmbExp->SetNameTable(m_calc.Main.GetTable());
    TApplication::Guarded([this] { ReadSettings(); });
    TApplication::Guarded([this] { cmbExp->LoadHistory(); });
}

TfmFraccion::~TfmFraccion()
{
    TApplication::Guarded([this] { WriteSettings(); });
    TApplication::Guarded([this] { cmbExp->SaveHistory(); });
}

void TfmFraccion::ReadSettings()
{
    TAppIniFile ini;
    ComboBox1->setEditText(ini.ReadString(kOptions, kDenominatorKey, QStringLiteral("1000")));
    const bool mixed = ini.ReadBool(kOptions, kMixedKey, false);
    sbEntero->setChecked(mixed);
    rational::fracSettings().MixedFractions = mixed;
}

void TfmFraccion::WriteSettings()
{
    TAppIniFile ini;
    // What the box shows, as the largest denominator it stands for.
    ini.WriteString(kOptions, kDenominatorKey, QString::number(TFracCalc::MaxDenominatorOf(ComboBox1->currentText())));
    ini.WriteBool(kOptions, kMixedKey, sbEntero->isChecked());
    ini.UpdateFile();
}

void TfmFraccion::ApplyAppearance()
{
    TExprToolWindow::ApplyAppearance();
    const TAppearance& a = Host().Appearance();
    for (QWidget* w : {static_cast<QWidget*>(ComboBox1), static_cast<QWidget*>(Edit2), static_cast<QWidget*>(Edit3)})
        PaintControl(w, a.ClFondo);
    QPalette bar = Shape1->palette();
    bar.setColor(QPalette::Window, ToQColor(a.ClSombra));
    Shape1->setPalette(bar);
    Edit2->setFont(a.ResultFont);
    Edit3->setFont(a.ResultFont);
}

void TfmFraccion::Evaluate()
{
    Edit2->setText(QStringLiteral("Error"));
    QString shown;
    TFracCalc::MaxDenominatorOf(ComboBox1->currentText(), &shown);
    if (shown != ComboBox1->currentText())
        ComboBox1->setEditText(shown);
    const QString text = EntryText();
    const TFracCalc::TOutcome out = m_calc.Calculate(text, shown);
    m_barValue = out.Value;
    if (out.Compiled) {
        ShowFromStart(Edit3, out.Decimal);
        ShowBar();
        ShowFromStart(Edit2, out.Fraction);
        Label2->setText(out.Whole);
    } else {
        // A text that does not compile has no value: never the last one.
        Edit3->clear();
        m_barValue = rational::TFrac();
        ShowBar();
        Label2->clear();
    }
    Calculated(text, exprtool::BelongsAtTop(cmbExp->Items(), text));
    PMeta->SetPicture(m_calc.Main.DrawToMetafile());
}

void TfmFraccion::sbEnteroClick()
{
    rational::fracSettings().MixedFractions = sbEntero->isChecked();
    Calculate();
}

void TfmFraccion::ShowBar()
{
    Shape1->setGeometry(0, Shape1->y(), TFracCalc::BarWidth(m_barValue, PaintBox1->width()), Shape1->height());
}

void TfmFraccion::cmbExpChange()
{
    if (m_changing)
        return;
    m_changing = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{m_changing};
    QString text = EntryText();
    int caret = cmbExp->SelStart();
    if (exprtool::ReplaceDigraphs(text, caret)) {
        cmbExp->SetText(text);
        cmbExp->SetSel(caret, 0);
    }
    DrawWhileTyping(text, [this](const QString& t) { return m_calc.Draw(t); });
}

bool TfmFraccion::ComboBox1Key(QKeyEvent* e)
{
    const int key = e->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        Calculate();
        return true;
    }
    if (key == Qt::Key_Tab || key == Qt::Key_Backtab || key == Qt::Key_Backspace)
        return false;
    const bool digit = key >= Qt::Key_0 && key <= Qt::Key_9 && !(e->modifiers() & Qt::KeypadModifier) &&
                       !(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
    if (!digit)
        return true;
    // At most six digits typed (longer values come from the list).
    QLineEdit* edit = ComboBox1->lineEdit();
    return edit->text().size() - edit->selectedText().size() >= kDenominatorDigits;
}

bool TfmFraccion::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && (watched == ComboBox1 || watched == ComboBox1->lineEdit()))
        return ComboBox1Key(static_cast<QKeyEvent*>(event));
    return TExprToolWindow::eventFilter(watched, event);
}
