#include "services/exprtoolwindow.h"

#include "controls/application.h"
#include "controls/areafondo.h"
#include "controls/comboexpr.h"
#include "drawkit/drawkit.h"
#include "drawkit/qpaintercanvas.h"
#include "engine/formulapicture.h"
#include "services/formulaview.h"
#include "services/frminput.h"
#include "services/help.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QShortcut>
#include <QToolButton>

namespace {

// The shared input box asking a letter with the names of the answers'
// expression; the answer is what the box holds, whatever closed it.
bool AskWithInputBox(std::shared_ptr<const TAutoCompSource> names, const QString& caption, QString& text)
{
    if (!fmInput)
        fmInput = new TfmInput(QApplication::activeWindow());
    fmInput->setWindowTitle(caption);
    fmInput->SetNameTable(std::move(names));
    fmInput->Texto->SetText(text);
    fmInput->Texto->SetSel(0, int(text.size()));
    const bool ok = fmInput->exec() != TfmInput::mrCancel;
    text = fmInput->Texto->Text();
    // The table belongs to the window: the box keeps none of it.
    fmInput->SetNameTable(std::shared_ptr<const TAutoCompSource>());
    return ok;
}

} // namespace

TExprToolWindow::TExprToolWindow(ToolHost& host, const QString& name, int helpContext, QWidget* parent)
    : TToolWindow(host, name, parent), m_helpContext(helpContext)
{
    // Help requests go to the help viewer.
    OnHelp = [](int context) { ShowHelpContext(context); };
}

QWidget* TExprToolWindow::MakePanel(const char* name, TAreaFondo*& area)
{
    auto* panel = new QWidget(this);
    panel->setObjectName(QString::fromLatin1(name));
    area = AddBackground(panel, QStringLiteral("AreaFondo") + QString::fromLatin1(name).right(1));
    return panel;
}

QToolButton* TExprToolWindow::MakeHelpButton(QWidget* parent)
{
    SpeedButton9 = new QToolButton(parent);
    SpeedButton9->setObjectName(QStringLiteral("SpeedButton9"));
    SpeedButton9->setText(QStringLiteral("?"));
    SpeedButton9->setToolTip(QStringLiteral("Ayuda (F1)"));
    SpeedButton9->setAutoRaise(true);
    const auto help = [this] {
        if (OnHelp)
            OnHelp(m_helpContext);
    };
    connect(SpeedButton9, &QToolButton::clicked, this, help);
    auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(f1, &QShortcut::activated, this, help);
    return SpeedButton9;
}

TFormulaView* TExprToolWindow::MakeFormulaView(int minHeight)
{
    PMeta = new TFormulaView(this);
    PMeta->setMinimumHeight(minHeight);
    PMeta->OnCopy = [this](const FormulaPicture& picture) { Host().CopyPicture(picture); };
    PMeta->OnExport = [this](const FormulaPicture& picture) {
        if (Host().CanExportPicture())
            Host().ExportPicture(picture, this);
    };
    connect(PMeta->MenuMeta, &QMenu::aboutToShow, this,
            [this] { PMeta->Exportar->setEnabled(PMeta->Picture() && Host().CanExportPicture()); });
    PMeta->pbMeta->installEventFilter(this);
    return PMeta;
}

TComboExpr* TExprToolWindow::MakeEntry(QWidget* parent, const char* name, const QString& historyFile,
                                       std::function<void(QChar& key)> otherKey)
{
    auto* entry = new TComboExpr(parent);
    entry->setObjectName(QString::fromLatin1(name));
    entry->SetFileName(historyFile);
    entry->SetAutoagregar(false);
    entry->SetDuplicados(false);
    m_entry = entry;
    entry->OnKeyDown = [this](QObject*, int& key, TShiftState) {
        if (key != Qt::Key_Escape)
            return;
        key = 0;
        if (!EntryText().isEmpty())
            m_entry->SetText(QString());
        else
            close();
    };
    entry->OnKeyPress = [this, otherKey = std::move(otherKey)](QObject*, QChar& key) {
        if (key.unicode() == 13) {
            key = QChar(0);
            Calculate();
            return;
        }
        if (otherKey)
            otherKey(key);
    };
    return entry;
}

QString TExprToolWindow::EntryText() const { return m_entry->IsEmpty() ? QString() : m_entry->Text(); }

std::function<bool(const QString&, QString&)>
TExprToolWindow::LetterPrompt(std::function<std::shared_ptr<const TAutoCompSource>()> names)
{
    return [this, names = std::move(names)](const QString& caption, QString& text) {
        if (AskLetter)
            return AskLetter(caption, text);
        return AskWithInputBox(names(), caption, text);
    };
}

void TExprToolWindow::ApplyAppearance()
{
    TToolWindow::ApplyAppearance();
    const TAppearance& a = Host().Appearance();
    for (TAreaFondo* f : {AreaFondo1, AreaFondo2}) {
        if (!f)
            continue;
        f->setColor(a.ClLuz);
        f->setColor2(a.ClSombra);
    }
    if (PMeta) {
        PaintControl(PMeta->lblError, a.ClFondo);
        PMeta->lblError->setAutoFillBackground(true);
        PMeta->SetBackground(a.ClFondo);
    }
    if (m_entry) {
        PaintControl(m_entry, a.ClLuz);
        m_entry->setFont(a.ExpressionFont);
    }
}

void TExprToolWindow::PaintControl(QWidget* w, TColor color)
{
    QPalette p = w->palette();
    p.setColor(QPalette::Base, ToQColor(color));
    p.setColor(QPalette::Window, ToQColor(color));
    w->setPalette(p);
}

const FormulaPicture* TExprToolWindow::Picture() const { return PMeta->Picture(); }

void TExprToolWindow::Calculate()
{
    if (m_calculating)
        return;
    m_calculating = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{m_calculating};
    TApplication::Guarded([this] { Evaluate(); });
}

void TExprToolWindow::Calculated(const QString& text, bool toTop)
{
    if (!text.isEmpty() && toTop)
        AddExprHistory(m_entry, text);
    m_entry->SetSel(0, int(m_entry->Text().size()));
}

bool TExprToolWindow::DrawsWhileTyping() const { return Host().DrawsWhileTyping() && !m_entry->InAutoComplete(); }

void TExprToolWindow::ShowDrawing(const QString& text, std::unique_ptr<FormulaPicture> picture, const QString& error)
{
    if (text.isEmpty()) {
        PMeta->SetPicture(nullptr);
    } else if (!error.isEmpty()) {
        PMeta->ShowError(error);
    } else if (picture) {
        PMeta->ShowError(QString());
        PMeta->SetPicture(std::move(picture));
    }
}

bool TExprToolWindow::PaintMainPicture()
{
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

bool TExprToolWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Paint && PMeta && watched == PMeta->pbMeta && !PMeta->Picture())
        return PaintMainPicture();
    return TToolWindow::eventFilter(watched, event);
}

void TExprToolWindow::showEvent(QShowEvent* e)
{
    TToolWindow::showEvent(e);
    if (m_entry)
        m_entry->SetSel(0, int(m_entry->Text().size()));
}

void TExprToolWindow::changeEvent(QEvent* e)
{
    if (e->type() == QEvent::ActivationChange && isActiveWindow())
        Magnetic = Host().MagneticWindows();
    TToolWindow::changeEvent(e);
}
