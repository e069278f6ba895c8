#include "tools/primos/window/frmprimos.h"

#include "controls/application.h"
#include "controls/areafondo.h"
#include "drawkit/drawkit.h"
#include "foundation/core/basicos.h"
#include "foundation/core/format.h"
#include "platform/keystate.h"
#include "platform/shell.h"
#include "tools/primos/criba.h"
#include "tools/primos/listaprimos.h"
#include "tools/primos/primostext.h"
#include "platform/spanish.h"
#include "controls/toolbutton.h"
#include "services/help.h"

#include <QApplication>
#include <QDir>
#include <QGridLayout>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include <cmath>

using namespace primos;

namespace {

constexpr std::uint32_t kReportInterval = 50;   // ms between two progress displays

QToolButton* MakeButton(QWidget* parent, const char* name, const QString& text, const QString& hint)
{
    QToolButton* b = MakeToolButton(parent, name, text, hint);
    b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    return b;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& hint)
{
    auto* l = new QLabel(parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setToolTip(hint);
    return l;
}

QString Percent(double fraction) { return Format(QStringLiteral("%.3f"), {fraction * 100}); }

} // namespace

TfmPrimos::TfmPrimos(ToolHost& host, QWidget* parent)
    : TToolWindow(host, kName, parent, TPosition::poDesktopCenter, true)
{
    // Help requests go to the help viewer.
    OnHelp = [](int context) { ShowHelpContext(context); };
    setWindowTitle(QStringLiteral("Primos"));
    setWindowFlags((windowFlags() & ~(Qt::WindowMinMaxButtonsHint | Qt::WindowContextHelpButtonHint)) |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    InputQuery = [this](const QString& caption, const QString& prompt, QString& text) {
        return SpanishInputQuery(this, caption, prompt, text);
    };

    AreaFondo1 = new TAreaFondo(this);
    AreaFondo1->setObjectName(QStringLiteral("AreaFondo1"));
    AreaFondo1->setEstilo(efGradienteHor);
    AreaFondo1->lower();

    Label2 = new QLabel(QStringLiteral("&Número entero:"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setMaxLength(19);
    Edit1->installEventFilter(this);
    Label2->setBuddy(Edit1);

    SpeedButton2 = MakeButton(this, "SpeedButton2", QStringLiteral("¿Es &primo?"),
                              QStringLiteral("Determina si el número introducido es primo"));
    SpeedButton1 = MakeButton(this, "SpeedButton1", QStringLiteral("&Hallar Primo(n)"),
                              QStringLiteral("Encuentra al primo que ocupa la posición n"));
    SpeedButton3 = MakeButton(this, "SpeedButton3", QStringLiteral("Primos &entre..."),
                              QStringLiteral("Muestra todos los números primos hasta el número indicado"));
    SpeedButton4 = MakeButton(this, "SpeedButton4", QStringLiteral("&Factores primos"),
                              QStringLiteral("Descompone al número en sus factores primos"));
    SpeedButton5 = MakeButton(this, "SpeedButton5", QStringLiteral("&Divisores"),
                              QStringLiteral("Muestra todos los divisores del número indicado"));
    SpeedButton9 = MakeButton(this, "SpeedButton9", QStringLiteral("Ayuda"), QStringLiteral("Ayuda (F1)"));
    // The five operations share one glyph.
    const QIcon glyph = style()->standardIcon(QStyle::SP_ArrowRight);
    for (QToolButton* b : {SpeedButton1, SpeedButton2, SpeedButton3, SpeedButton4, SpeedButton5})
        b->setIcon(glyph);
    SpeedButton9->setIcon(style()->standardIcon(QStyle::SP_MessageBoxQuestion));

    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    Memo1->setToolTip(QStringLiteral("Resultado"));
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setMinimumSize(230, 230);

    Label1 = MakeLabel(this, "Label1", QStringLiteral("Cantidad de números hallados"));
    Label3 = MakeLabel(this, "Label3", QString());
    Label4 = MakeLabel(this, "Label4", QString());
    pb = new QProgressBar(this);
    pb->setObjectName(QStringLiteral("pb"));
    pb->setRange(0, 100);
    pb->setTextVisible(false);
    pb->setMaximumHeight(10);
    QSizePolicy keep = pb->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    pb->setSizePolicy(keep);
    pb->hide();

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(8, 8, 8, 6);
    grid->setHorizontalSpacing(8);
    grid->setSizeConstraint(QLayout::SetFixedSize);
    grid->addWidget(Label2, 0, 0);
    grid->addWidget(Edit1, 0, 1);
    auto* buttons = new QVBoxLayout;
    buttons->setSpacing(2);
    for (QToolButton* b : {SpeedButton2, SpeedButton1, SpeedButton3, SpeedButton4, SpeedButton5})
        buttons->addWidget(b);
    buttons->addStretch(1);
    buttons->addWidget(SpeedButton9);
    grid->addLayout(buttons, 1, 0);
    grid->addWidget(Memo1, 1, 1);
    auto* status = new QGridLayout;
    status->addWidget(Label1, 0, 0);
    status->addWidget(Label3, 0, 1, Qt::AlignRight);
    status->addWidget(Label4, 1, 0, 1, 2);
    status->addWidget(pb, 2, 0, 1, 2);
    grid->addLayout(status, 2, 0, 1, 2);

    connect(SpeedButton2, &QToolButton::clicked, this, &TfmPrimos::btnEsPrimoClick);
    connect(SpeedButton1, &QToolButton::clicked, this, &TfmPrimos::btnPrimoNClick);
    connect(SpeedButton3, &QToolButton::clicked, this, &TfmPrimos::PrimosEntreClick);
    connect(SpeedButton4, &QToolButton::clicked, this, &TfmPrimos::FactoresPrimosClick);
    connect(SpeedButton5, &QToolButton::clicked, this, &TfmPrimos::SpeedButton5Click);
    connect(SpeedButton9, &QToolButton::clicked, this, &TfmPrimos::SpeedButton9Click);
    connect(Edit1, &QLineEdit::textChanged, this, &TfmPrimos::Edit1Change);
    Edit1Change();
    ApplyAppearance();
}

TfmPrimos::~TfmPrimos() { SetWaitCursor(false); }

void TfmPrimos::ApplyAppearance()
{
    TToolWindow::ApplyAppearance();
    const TAppearance& a = Host().Appearance();
    AreaFondo1->setColor(a.ClLuz);
    AreaFondo1->setColor2(a.ClSombra);
    auto paint = [&](QWidget* w, TColor base) {
        QPalette p = w->palette();
        p.setColor(QPalette::Base, ToQColor(base));
        p.setColor(QPalette::Text, ToQColor(a.ClTexto));
        w->setPalette(p);
    };
    paint(Edit1, a.ClFondo);
    paint(Memo1, a.ClLuz);
    Edit1->setFont(a.ExpressionFont);
    Memo1->setFont(a.ResultFont);
}

void TfmPrimos::resizeEvent(QResizeEvent* e)
{
    TToolWindow::resizeEvent(e);
    AreaFondo1->setGeometry(rect());
}

void TfmPrimos::changeEvent(QEvent* e)
{
    if (e->type() == QEvent::ActivationChange && isActiveWindow())
        Magnetic = Host().MagneticWindows();
    TToolWindow::changeEvent(e);
}

void TfmPrimos::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_F1 && e->modifiers() == Qt::NoModifier) {
        SpeedButton9Click();
        return;
    }
    TToolWindow::keyPressEvent(e);
}

bool TfmPrimos::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Edit1 && event->type() == QEvent::KeyPress) {
        // Digits and Backspace only; with Ctrl held every key passes (copy, paste).
        auto* k = static_cast<QKeyEvent*>(event);
        if (k->modifiers() & Qt::ControlModifier)
            return false;
        const QString text = k->text();
        if (text.isEmpty() || k->key() == Qt::Key_Backspace)
            return false;   // keys that type nothing: arrows, Delete, Home, End
        return !(text.size() == 1 && text[0] >= QLatin1Char('0') && text[0] <= QLatin1Char('9'));
    }
    return TToolWindow::eventFilter(watched, event);
}

void TfmPrimos::Edit1Change()
{
    const bool on = Edit1->text().compare(QStringLiteral("1")) >= 0;
    for (QToolButton* b : {SpeedButton1, SpeedButton2, SpeedButton3, SpeedButton4, SpeedButton5})
        b->setEnabled(on);
}

void TfmPrimos::SpeedButton9Click()
{
    if (OnHelp)
        OnHelp(HelpContext());
}

// ---------------------------------------------------------------------------
// The course of an operation

void TfmPrimos::Run(const std::function<void()>& operation)
{
    if (m_busy)
        return;
    m_busy = true;
    TApplication::Guarded([&] {
        try {
            operation();
        } catch (...) {
            EndSteps();
            throw;
        }
    });
    m_busy = false;
}

void TfmPrimos::SetWaitCursor(bool on)
{
    if (on == m_waitCursor)
        return;
    m_waitCursor = on;
    if (on)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void TfmPrimos::HideList(bool hidden)
{
    // The list is not drawn while it fills; it keeps its place in the window.
    Memo1->setUpdatesEnabled(!hidden);
}

void TfmPrimos::StartOperation()
{
    SetWaitCursor(true);
    Label3->setText(QStringLiteral("Use <ESC> para cancelar"));
    Label4->clear();
    pb->setValue(0);
    pb->show();
    Memo1->clear();
    m_lines = 0;
    m_spin = 0;
    repaint();
    ElapsedTicks(true);
    m_lastShown = TickCount();
}

void TfmPrimos::EndSteps()
{
    pb->hide();
    SetWaitCursor(false);
    HideList(false);
}

void TfmPrimos::ShowElapsed()
{
    Label3->setText(Format(QStringLiteral("%g seg."), {double(ElapsedTicks(false)) / 1000}));
}

void TfmPrimos::AddLines(const QStringList& lines)
{
    if (lines.isEmpty())
        return;
    Memo1->appendPlainText(lines.join(QLatin1Char('\n')));
    m_lines += int(lines.size());
}

void TfmPrimos::Report(const TPrimeReport& r)
{
    const std::uint32_t now = TickCount();
    if (now - m_lastShown < kReportInterval)
        return;
    m_lastShown = now;
    const double fraction = std::clamp(r.Fraction, 0.0, 1.0);
    switch (r.Stage) {
    case TPrimeStage::Factoring:
        // A spinner of 2, 3, 4, 1, 2, ... ">".
        ++m_spin;
        Label1->setText(RepeatChar(QLatin1Char('>'), std::uint16_t(m_spin % 4 + 1)));
        break;
    case TPrimeStage::Counting:
        pb->setValue(int(std::lround(fraction * 100)));
        Label4->setText(QStringLiteral("Calculado: ") + Percent(fraction) + QStringLiteral("%"));
        break;
    case TPrimeStage::Listing:
        pb->setValue(int(std::lround(fraction * 100)));
        Label4->setText(Format(QStringLiteral("%d   ("), {r.Candidate}) + Percent(fraction) + QStringLiteral("%)"));
        break;
    }
    repaint();
    CancelRequested();
}

void TfmPrimos::CancelRequested()
{
    if (!IsKeyDown(vk::Escape))
        return;
    if (MsgBox(QStringLiteral("¿Cancela este proceso?"), QStringLiteral("Cancelar"), mb::YesNo | mb::IconQuestion) !=
        idYes)
        return;
    SetWaitCursor(false);
    Label3->setText(QStringLiteral("Proceso cancelado"));
    throw EAbort();
}

bool TfmPrimos::ReadOrSay(std::int64_t& n)
{
    if (ReadNumber(Edit1->text(), n) && n >= 1)
        return true;
    MsgBoxApp(kMsgNatural63, mb::Ok);
    return false;
}

QString TfmPrimos::Summary(std::int64_t count, std::int64_t m0, std::int64_t n) const
{
    const std::int64_t range = n - m0;   // m0 >= 0: no overflow
    return Format(QStringLiteral("%d / %d  ("), {count, range}) +
           Format(QStringLiteral("%.3f"), {SharePercent(double(count), double(range))}) + QStringLiteral("%)");
}

// ---------------------------------------------------------------------------
// The operations

void TfmPrimos::btnEsPrimoClick()
{
    Run([this] {
        std::int64_t n = 0;
        if (!ReadNumber(Edit1->text(), n) || n <= 0)
            throw Exception(kMsgMaxNumber);
        StartOperation();
        const std::int64_t f = SmallestFactor64(n, [this](const TPrimeReport& r) { Report(r); });
        if (f != 0)
            AddLines({Format(QStringLiteral("No, es divisible por: %d"), {f})});
        else if (n == 1)
            AddLines({kMsgOneNotPrime});
        else
            AddLines({QStringLiteral("Es Primo")});
        EndSteps();
        Label1->setText(IntToStr(m_lines));
        ShowElapsed();
        Label4->clear();
    });
}

void TfmPrimos::btnPrimoNClick()
{
    Run([this] {
        std::int64_t n = 0;
        if (!ReadNumber(Edit1->text(), n) || n <= 0 || n > kMaxNthPrime)
            throw Exception(kMsgNthRange);
        StartOperation();
        const std::int64_t p = NthPrime(n, [this](const TPrimeReport& r) { Report(r); });
        AddLines({IntToStr(p)});
        EndSteps();
        Label1->setText(IntToStr(m_lines));
        ShowElapsed();
        Label4->setText(Format(QStringLiteral("Pr(%d) = %d"), {n, p}));
    });
}

void TfmPrimos::FactoresPrimosClick()
{
    Run([this] {
        std::int64_t n = 0;
        if (!ReadNumber(Edit1->text(), n)) {
            MsgBoxApp(kMsgNatural63, mb::Ok);
            return;
        }
        StartOperation();
        const auto factors = PrimeFactors(n, [this](const TPrimeReport& r) { Report(r); });
        EndSteps();
        int count = 0;
        if (factors.size() >= 2) {
            QStringList lines;
            for (const TPrimePower& pp : GroupFactors(factors))
                lines << FactorLine(pp.Prime, pp.Exponent);
            AddLines(lines);
            count = int(factors.size());
        } else if (n > 1) {
            AddLines({QStringLiteral("Primo")});
        }
        Label1->setText(IntToStr(count));
        ShowElapsed();
    });
}

void TfmPrimos::SpeedButton5Click()
{
    Run([this] {
        std::int64_t n = 0;
        if (!ReadOrSay(n))
            return;
        HideList(true);
        StartOperation();
        const auto divisors = Divisors(n, [this](const TPrimeReport& r) { Report(r); });
        QStringList lines;
        lines.reserve(qsizetype(divisors.size()) + 1);
        for (std::int64_t d : divisors)
            lines << IntToStr(d);
        if (divisors.size() == 2)
            lines << QStringLiteral("Es Primo");
        AddLines(lines);
        EndSteps();
        ShowElapsed();
        Label1->setText(IntToStr(std::int64_t(divisors.size())));
        Label4->clear();
    });
}

void TfmPrimos::PrimosEntreClick()
{
    Run([this] {
        std::int64_t n = 0, m0 = 0;
        if (!ReadNumber(Edit1->text(), n)) {
            MsgBoxApp(kMsgNatural63, mb::Ok);
            return;
        }
        if (n <= 2)
            return;
        QString from = QStringLiteral("2");
        if (!InputQuery || !InputQuery(QStringLiteral("Mostrar primos"),
                                       QStringLiteral("¿Desde que número empieza a mostrar?"), from))
            return;
        if (!ReadNumber(from, m0) || m0 < 0) {
            MsgBoxApp(kMsgNatural63, mb::Ok);
            return;
        }
        const std::int64_t est = EstimatePrimeCount(m0, n);
        if (est > kMaxListedInWindow) {
            const int answer =
                MsgBoxApp(Format(QStringLiteral("La cantidad de primos ha hallar (aprox. %d) "), {est}) +
                              QStringLiteral("\r") +
                              QStringLiteral("puede ser demasiado grande para listarla aquí.\r\r"
                                             "¿Desea dirigir la salida a un archivo?"),
                          mb::YesNoCancel | mb::IconInformation | mb::DefButton3);
            if (answer == idYes) {
                ListPrimesToFile(m0, n);
                return;
            }
            if (answer != idNo)
                return;
        }
        HideList(true);
        StartOperation();
        std::int64_t count = 0;
        ListPrimes(
            m0, n,
            [&](const std::vector<std::int64_t>& primes) {
                QStringList lines;
                lines.reserve(qsizetype(primes.size()));
                for (std::int64_t p : primes)
                    lines << IntToStr(p);
                AddLines(lines);
                count += std::int64_t(primes.size());
            },
            [this](const TPrimeReport& r) { Report(r); });
        EndSteps();
        Label1->setText(IntToStr(count));
        ShowElapsed();
        Label4->setText(Summary(count, m0, n));
    });
}

void TfmPrimos::ListPrimesToFile(std::int64_t m0, std::int64_t n)
{
    StartOperation();
    const QString fileName = ExeDir() + PrimeListFileName(m0, n);
    const std::int64_t count = WritePrimeList(fileName, m0, n, [this](const TPrimeReport& r) { Report(r); });
    EndSteps();
    Label1->setText(IntToStr(count));
    ShowElapsed();
    Label4->setText(Summary(count, m0, n));
    if (MsgBox(QStringLiteral("Se creo con éxito:\r\n\r\n") + QDir::toNativeSeparators(fileName) +
                   QStringLiteral("\r\n\r\n¿Desea verlo en el editor predeterminado?"),
               QStringLiteral("Cálculo terminado"), mb::YesNo | mb::IconInformation) == idYes)
        ShellOpenDocument(fileName);
}
