#include "services/frmusuario.h"

#include "services/help.h"

#include "controls/application.h"
#include "controls/areafondo.h"
#include "controls/frmautocomp.h"
#include "engine/real/expresion.h"
#include "foundation/core/basicos.h"
#include "foundation/core/format.h"
#include "foundation/core/zelini.h"
#include "drawkit/drawkit.h"
#include "platform/spanish.h"

#include <QHBoxLayout>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// A memo without line breaks: breaks that arrive by pasting become blanks.
QString OneLine(QString s)
{
    s.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    s.replace(QLatin1Char('\r'), QLatin1Char(' '));
    s.replace(QLatin1Char('\n'), QLatin1Char(' '));
    s.replace(QChar(0x2029), QLatin1Char(' '));
    return s;
}

} // namespace

TfmUsuario::TfmUsuario(int mode, real::TExpresion* mainEvaluator, real::TExpresion* inputEvaluator,
                       QWidget* parent, const QString& fileName)
    : QDialog(parent), m_editor(mode, fileName), m_main(mainEvaluator), m_input(inputEvaluator)
{
    setObjectName(QStringLiteral("fmUsuario"));
    setModal(true);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowTitle(m_editor.Section());

    InputQuery = [this](const QString& caption, const QString& prompt, QString& text) {
        return SpanishInputQuery(this, caption, prompt, text);
    };

    AreaFondo1 = new TAreaFondo(this);
    AreaFondo1->setObjectName(QStringLiteral("AreaFondo1"));
    AreaFondo1->setEstilo(efGradienteHor);
    AreaFondo1->lower();

    Label1 = new QLabel(m_editor.Section(), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    QFont bold = Label1->font();
    bold.setBold(true);
    Label1->setFont(bold);

    lbox = new QListWidget(this);
    lbox->setObjectName(QStringLiteral("lbox"));
    lbox->setSelectionMode(QAbstractItemView::SingleSelection);
    Label1->setBuddy(lbox);

    Label2 = new QLabel(QStringLiteral("Breve descripción:"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    desc = new QLineEdit(this);
    desc->setObjectName(QStringLiteral("desc"));
    desc->setMaxLength(30);
    Label2->setBuddy(desc);

    Label3 = new QLabel(QStringLiteral("Definición:"), this);
    Label3->setObjectName(QStringLiteral("Label3"));
    Def = new QPlainTextEdit(this);
    Def->setObjectName(QStringLiteral("Def"));
    Def->setTabChangesFocus(true);
    Def->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Def->installEventFilter(this);
    Label3->setBuddy(Def);

    Button1 = new QPushButton(QStringLiteral("&Nueva"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    cmdElim = new QPushButton(QStringLiteral("&Eliminar"), this);
    cmdElim->setObjectName(QStringLiteral("cmdElim"));
    cmdElim->setEnabled(false);
    Button2 = new QPushButton(QStringLiteral("&Aceptar"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button4 = new QPushButton(QStringLiteral("&Cancelar"), this);
    Button4->setObjectName(QStringLiteral("Button4"));
    for (QPushButton* b : {Button1, cmdElim, Button2, Button4})
        b->setAutoDefault(false);

    connect(lbox, &QListWidget::itemSelectionChanged, this, &TfmUsuario::lboxClick);
    connect(desc, &QLineEdit::textChanged, this, [this] { descChange(desc); });
    connect(Def, &QPlainTextEdit::textChanged, this, [this] { descChange(Def); });
    connect(Button1, &QPushButton::clicked, this, &TfmUsuario::Button1Click);
    connect(cmdElim, &QPushButton::clicked, this, &TfmUsuario::cmdElimClick);
    connect(Button2, &QPushButton::clicked, this, &TfmUsuario::Button2Click);
    connect(Button4, &QPushButton::clicked, this, &TfmUsuario::Button4Click);

    auto* left = new QVBoxLayout;
    left->setSpacing(3);
    left->addWidget(Label1);
    left->addWidget(lbox, 1);

    auto* right = new QVBoxLayout;
    right->setSpacing(3);
    right->addWidget(Label2);
    right->addWidget(desc);
    right->addWidget(Label3);
    right->addWidget(Def, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Button1);
    buttons->addWidget(cmdElim);
    buttons->addStretch();
    buttons->addWidget(Button2);
    buttons->addWidget(Button4);
    right->addLayout(buttons);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->setSpacing(8);
    layout->addLayout(left);
    layout->addLayout(right, 1);

    lbox->setMinimumWidth(110);
    Def->setMinimumSize(240, 90);
    SetSchemeColors(RGBColor(224, 232, 244), RGBColor(112, 132, 168), clWhite, clBlack);
    // F1 anywhere in the dialog: the topic of its section.
    SetHelpContext(this, HelpContext());
    // A fixed dialog border.
    setFixedSize(sizeHint().expandedTo(QSize(420, 230)));
}

TfmUsuario::~TfmUsuario() = default;

int TfmUsuario::Selected() const
{
    const int row = lbox->currentRow();
    if (row < 0 || !lbox->item(row) || !lbox->item(row)->isSelected())
        return -1;
    return row;
}

void TfmUsuario::SetSchemeColors(TColor light, TColor dark, TColor field, TColor text)
{
    AreaFondo1->setColor(light);
    AreaFondo1->setColor2(dark);
    for (QWidget* w : {static_cast<QWidget*>(lbox), static_cast<QWidget*>(desc), static_cast<QWidget*>(Def)}) {
        QPalette p = w->palette();
        p.setColor(QPalette::Base, ToQColor(field));
        p.setColor(QPalette::Text, ToQColor(text));
        w->setPalette(p);
    }
}

void TfmUsuario::ClearFields()
{
    const bool was = m_loading;
    m_loading = true;
    desc->clear();
    Def->clear();
    m_loading = was;
}

// ---------------------------------------------------------------------------
// Handlers

void TfmUsuario::FormShow()
{
    setWindowTitle(m_editor.Section());
    Label1->setText(m_editor.Section());
    m_loading = true;
    if (!m_editor.Load())
        MsgBoxApp(m_editor.LoadError(), mb::Ok | mb::IconError);
    lbox->clear();
    lbox->addItems(m_editor.Names());
    m_loading = false;
    ClearFields();
    cmdElim->setEnabled(false);
}

void TfmUsuario::FormHide() {}

void TfmUsuario::lboxClick()
{
    m_loading = true;
    const int i = Selected();
    if (i < 0) {
        cmdElim->setEnabled(false);
        desc->clear();
        Def->clear();
    } else {
        cmdElim->setEnabled(true);
        const QString value = m_editor.Entry(i).Value;
        desc->setText(userdefs::DescriptionOf(value));
        Def->setPlainText(userdefs::DefinitionOf(value));
    }
    m_loading = false;
}

void TfmUsuario::descChange(QObject* Sender)
{
    if (m_loading)
        return;
    if (Sender == Def) {
        const QString text = Def->toPlainText();
        const QString rewritten = real::ReplaceAltOperators(OneLine(text));
        if (rewritten != text) {
            const int caret = Def->textCursor().position();
            m_loading = true;
            Def->setPlainText(rewritten);
            QTextCursor c = Def->textCursor();
            c.setPosition(std::clamp(caret - 1, 0, int(rewritten.size())));
            Def->setTextCursor(c);
            m_loading = false;
        }
    }
    m_editor.Edit(Selected(), Def->toPlainText(), desc->text());
}

void TfmUsuario::Button1Click()
{
    QString name;
    if (!InputQuery || !InputQuery(m_editor.Section(), QStringLiteral("Indique el nuevo identificador"), name))
        return;
    const QString clean = userdefs::TUserDefsEditor::CleanName(name);
    switch (m_editor.Add(name, m_main)) {
    case userdefs::TUserDefsEditor::TAddResult::Empty:
        return;
    case userdefs::TUserDefsEditor::TAddResult::Known:
        MsgBoxApp(clean + QStringLiteral(" ya esta definido"), mb::Ok);
        return;
    case userdefs::TUserDefsEditor::TAddResult::Invalid:
        MsgBoxApp(Format(QStringLiteral("\"%s\" no es un identificador válido: use una letra seguida de letras o "
                                        "dígitos"),
                         {clean}),
                  mb::Ok | mb::IconError);
        return;
    case userdefs::TUserDefsEditor::TAddResult::Added:
        break;
    }
    // The new entry is selected without filling the fields: their text stays,
    // and the first edit stores both as its value.
    m_loading = true;
    {
        const QSignalBlocker block(lbox);
        lbox->addItem(m_editor.Entry(m_editor.Count() - 1).Name);
        lbox->setCurrentRow(m_editor.Count() - 1);
    }
    m_loading = false;
    cmdElim->setEnabled(true);
}

void TfmUsuario::cmdElimClick()
{
    const int i = Selected();
    if (i < 0)
        return;
    m_editor.Delete(i);
    {
        const QSignalBlocker block(lbox);
        delete lbox->takeItem(i);
        lbox->setCurrentRow(-1);
        lbox->clearSelection();
    }
    cmdElim->setEnabled(false);
    ClearFields();
}

void TfmUsuario::Button2Click()
{
    // A faulty definition: the compile error in the application's box, the
    // dialog stays open and nothing is written.
    if (!TApplication::Guarded([this] { m_editor.CheckDefinitions(m_main); }))
        return;
    if (!m_editor.Write()) {
        // The edits stay in the dialog rather than vanish unsaved.
        MsgBoxApp(CannotWriteMessage(m_editor.FileName()), mb::Ok | mb::IconError);
        return;
    }
    done(mrOk);
}

void TfmUsuario::Button4Click()
{
    if (m_editor.Modified() &&
        MsgBox(QStringLiteral("Cancela sin guardar los cambios"), m_editor.Section(), mb::YesNo | mb::IconQuestion) !=
            idYes)
        return;
    done(mrCancel);
}

void TfmUsuario::DefKeyPress(QChar& Key)
{
    if (Key.unicode() == 27) {
        Def->clear();
        Key = QChar(0);
        return;
    }
    const char16_t k = Key.unicode();
    const bool letter = (k >= 'A' && k <= 'Z') || (k >= 'a' && k <= 'z');
    if (letter && AutoComp().AutoCompleteOn && m_input) {
        const auto names = MakeNameSource(m_input->GetTable());
        EnsureAutoComp()->ShowForEdit(Def, names.get(), Key);
    }
}

void TfmUsuario::reject() { Button4Click(); }

// ---------------------------------------------------------------------------
// Events

void TfmUsuario::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    if (!m_shown) {
        m_shown = true;
        FormShow();
    }
}

void TfmUsuario::hideEvent(QHideEvent* e)
{
    QDialog::hideEvent(e);
    FormHide();
}

void TfmUsuario::resizeEvent(QResizeEvent* e)
{
    QDialog::resizeEvent(e);
    AreaFondo1->setGeometry(rect());
}

bool TfmUsuario::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Def && event->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(event);
        if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter)
            return true;   // no line breaks
        QChar key;
        if (k->key() == Qt::Key_Escape)
            key = QChar(27);
        else if (k->text().size() == 1)
            key = k->text().at(0);
        if (!key.isNull() && !(k->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            DefKeyPress(key);
            if (key.isNull())
                return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
