#include "services/frminput.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

TfmInput* fmInput = nullptr;

namespace {

// The small picture at the left of the box: a pencil over a line of text.
QPixmap inputPicture()
{
    QPixmap pm(32, 32);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(60, 60, 60), 1));
    p.setBrush(QColor(255, 255, 255));
    p.drawRect(QRectF(2.5, 16.5, 27, 12));
    p.setPen(QPen(QColor(0, 0, 160), 2));
    p.drawLine(QPointF(6, 22.5), QPointF(18, 22.5));
    p.setPen(QPen(QColor(120, 80, 0), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(14, 14), QPointF(27, 3));
    return pm;
}

} // namespace

TfmInput::TfmInput(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("fmInput"));
    setModal(true);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(inputPicture());
    Image1->setAlignment(Qt::AlignTop);

    Label1 = new QLabel(QStringLiteral("Utilice cualquier expresión evaluable:"), this);
    Label1->setObjectName(QStringLiteral("Label1"));

    Texto = new TComboExpr(this);
    Texto->setObjectName(QStringLiteral("Texto"));
    Texto->SetAutoagregar(true);
    Texto->SetDuplicados(false);
    Texto->OnKeyPress = [this](QObject* sender, QChar& key) { TextoKeyPress(sender, key); };
    Label1->setBuddy(Texto);

    Button1 = new QPushButton(QStringLiteral("Aceptar"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, [this] { done(mrOk); });

    Button2 = new QPushButton(QStringLiteral("Cancelar"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setAutoDefault(false);
    connect(Button2, &QPushButton::clicked, this, [this] { done(mrCancel); });

    auto* entry = new QVBoxLayout;
    entry->setSpacing(4);
    entry->addWidget(Label1);
    entry->addWidget(Texto);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    entry->addLayout(buttons);

    auto* main = new QHBoxLayout(this);
    main->setContentsMargins(8, 8, 8, 8);
    main->addWidget(Image1);
    main->addLayout(entry, 1);

    resize(302, 89);
}

TfmInput::~TfmInput()
{
    if (fmInput == this)
        fmInput = nullptr;
}

void TfmInput::SetNameTable(std::shared_ptr<const TAutoCompSource> table)
{
    m_nameTable = table;
    Texto->SetNameTable(std::move(table));
}

void TfmInput::FormActivate()
{
    Texto->setFocus(Qt::OtherFocusReason);
}

void TfmInput::TextoKeyPress(QObject*, QChar& Key)
{
    if (Key.unicode() == 13)
        done(mrOk);
}

void TfmInput::reject()
{
    done(mrCancel);
}

void TfmInput::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    FormActivate();
}
