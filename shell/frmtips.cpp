#include "shell/frmtips.h"

#include "controls/application.h"
#include "drawkit/drawkit.h"
#include "drawkit/gradients.h"
#include "engine/real/builtins_math.h"
#include "foundation/core/basicos.h"
#include "foundation/core/zelini.h"
#include "platform/formpos.h"
#include "services/help.h"
#include "shell/frmcalc.h"
#include "shell/linklabel.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QStyle>

namespace {

const QString kOpc = QStringLiteral("OPC");
constexpr int kWidth = 420;
constexpr int kHeight = 260;
// The colour outside the rounded shape (cut away).
constexpr TColor kCutColour = 0xFF00FF;

} // namespace

QString TipsFileName() { return ExeDir() + QStringLiteral("tips.ini"); }

QString TfmTips::SectionOf(int k) { return QStringLiteral("TIP") + QStringLiteral("0%1").arg(k).right(2); }

TfmTips::TfmTips(QWidget* parent) : TFormMX(parent, Qt::Window | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("fmTips"));
    setWindowTitle(QStringLiteral("Sabía que..."));
    resize(kWidth, kHeight);
    // In the middle of the screen, whatever window is open.
    WidgetPlacement(this).SetPosition(TPosition::poScreenCenter);
    OnHelp = [](int context) { ShowHelpContext(context); };

    Label1 = new QLabel(QStringLiteral("Sabía que..."), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(20, 7, 200, 20);
    QFont title = Label1->font();
    title.setBold(true);
    title.setItalic(true);
    Label1->setFont(title);
    Label1->setStyleSheet(QStringLiteral("color: white"));
    Label3 = new QLabel(this);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setGeometry(kWidth - 120, 7, 100, 20);
    Label3->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(16, 44, 48, 48);
    Image1->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(48, 48));
    Area1 = new QWidget(this);
    Area1->setObjectName(QStringLiteral("Area1"));
    Area1->setGeometry(76, 36, kWidth - 92, 150);
    Area1->setVisible(false);
    chkUsa = new QCheckBox(QStringLiteral("Mostrar esta ventana al iniciar el programa"), this);
    chkUsa->setObjectName(QStringLiteral("chkUsa"));
    chkUsa->setGeometry(16, 196, kWidth - 32, 20);
    Label2 = new TLinkLabel(QStringLiteral("Mas información"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(16, 226, 120, 20);
    Label2->setStyleSheet(QStringLiteral("color: blue"));
    Label2->OnClick = [this] { Label2Click(); };
    auto button = [this](QPushButton*& b, const char* name, const QString& caption, int x) {
        b = new QPushButton(caption, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setGeometry(x, 222, 80, 26);
        b->setAutoDefault(false);
    };
    button(btnAnt, "btnAnt", QStringLiteral("Anterior"), kWidth - 276);
    button(btnSig, "btnSig", QStringLiteral("Siguiente"), kWidth - 188);
    button(btnCerrar, "btnCerrar", QStringLiteral("Cerrar"), kWidth - 100);
    connect(btnAnt, &QPushButton::clicked, this, &TfmTips::btnAntClick);
    connect(btnSig, &QPushButton::clicked, this, &TfmTips::btnSigClick);
    connect(btnCerrar, &QPushButton::clicked, this, &TfmTips::btnCerrarClick);
    // Enter and Esc are the window's, whatever control has the focus.
    for (QWidget* w : findChildren<QWidget*>())
        w->installEventFilter(this);

    // 1. A rounded shape: the picture outside the rounded rectangle is cut away.
    QImage& picture = Image();
    picture.fill(ToQColor(kCutColour));
    {
        QPainter p(&picture);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setPen(Qt::NoPen);
        p.setBrush(ToQColor(0xEEF2F1));
        p.drawRoundedRect(QRect(0, 0, width(), height()), 15, 15);
    }
    SetTransparent(true);

    // 2. The switch and the number of tips (1 to 99).
    TZelIniFile ini(TipsFileName());
    // A file without one section it can read is kept as a backup (and the user
    // told) before the switch is written into a new one.
    ini.KeepUnrecognisedAside();
    chkUsa->setChecked(ini.ReadBool(kOpc, QStringLiteral("Usa"), true));
    m_count = std::clamp(ini.ReadInteger(kOpc, QStringLiteral("Cuenta"), 4), 1, kMaxTips);

    // 3. The order: 500 exchanges of two positions drawn at random.
    m_order.resize(m_count + 1);
    for (int k = 1; k <= m_count; ++k)
        m_order[k] = k;
    auto draw = [this] { return 1 + std::min(m_count - 1, int(real::builtins::RandomState::next() * m_count)); };
    for (int i = 0; i < 500; ++i) {
        const int a = draw();
        const int b = draw();
        std::swap(m_order[a], m_order[b]);
    }
    // 4. The first position.
    ShowTip(1);
}

TfmTips::~TfmTips()
{
    if (m_loop)
        m_loop->quit();
}

void TfmTips::ShowTip(int position)
{
    position = std::clamp(position, 1, m_count);
    const QString section = SectionOf(m_order[position]);
    {
        TZelIniFile ini(TipsFileName());
        QStringList lines;
        ini.ReadList(section, lines, QString());
        m_text = lines.join(QStringLiteral("\r\n"));
        m_context = ini.ReadInteger(QStringLiteral("MAS"), section, 1);
    }
    m_current = position;
    Label3->setText(QStringLiteral("%1 de %2").arg(position).arg(m_count));
    PaintTip();
    btnAnt->setEnabled(position > 1);
    btnSig->setEnabled(position < m_count);
    update();
}

void TfmTips::PaintTip()
{
    QImage& picture = Image();
    QPainter p(&picture);
    const TRect all = MakeBounds(0, 0, width(), height());
    FillGradient(p, all, 0xD8EDEF, 0xEEF2F1, true);
    FillGradient(p, MakeRect(0, 7, width(), 27), 0xFF0000, 0xFFFFFF, false);
    QFont f(QStringLiteral("Arial"));
    f.setPointSize(10);
    p.setFont(f);
    p.setPen(ToQColor(0x800000));
    p.setBrush(Qt::NoBrush);
    DrawTextWrappedCentered(p, FromQRect(Area1->geometry()), m_text);
}

void TfmTips::btnAntClick()
{
    if (m_current > 1)
        ShowTip(m_current - 1);
}

void TfmTips::btnSigClick()
{
    if (m_current < m_count)
        ShowTip(m_current + 1);
}

void TfmTips::btnCerrarClick()
{
    // The window closes even when the switch cannot be saved.
    TApplication::Guarded([this] {
        TZelIniFile ini(TipsFileName());
        ini.WriteBool(kOpc, QStringLiteral("Usa"), chkUsa->isChecked());
        ini.UpdateFile();
    });
    Finish(idOk);
}

void TfmTips::Label2Click()
{
    const int context = m_context;
    Finish(idOk);
    if (OnHelp)
        OnHelp(context);
}

void TfmTips::Finish(int result)
{
    m_modalResult = result;
    hide();
    if (m_loop)
        m_loop->quit();
}

int TfmTips::ShowModal()
{
    m_modalResult = 0;
    setWindowModality(Qt::ApplicationModal);
    show();
    raise();
    activateWindow();
    QEventLoop loop;
    m_loop = &loop;
    if (isVisible())
        loop.exec();
    m_loop = nullptr;
    return m_modalResult;
}

bool TfmTips::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) {
            keyPressEvent(static_cast<QKeyEvent*>(event));
            return true;
        }
    }
    return TFormMX::eventFilter(watched, event);
}

void TfmTips::keyPressEvent(QKeyEvent* e)
{
    switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        TApplication::Guarded([this] { Label2Click(); });
        return;
    case Qt::Key_Escape:
        btnCerrarClick();
        return;
    default:
        TFormMX::keyPressEvent(e);
    }
}

void TfmTips::closeEvent(QCloseEvent* e)
{
    // Closed by the system: as "Cerrar" without saving.
    if (m_loop)
        m_loop->quit();
    TFormMX::closeEvent(e);
}

void ShowTipsAtStart()
{
    TfmTips tips;
    if (tips.chkUsa->isChecked())
        tips.ShowModal();
}

void InstallTips(TfrmCalcu& main)
{
    main.OnShowTips = [] {
        TfmTips tips;
        tips.ShowModal();
    };
}
