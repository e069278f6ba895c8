#include "controls/frmteclado.h"

#include "controls/comboexpr.h"
#include "controls/formmx.h"
#include "controls/sharedwindow.h"
#include "foundation/core/basicos.h"
#include "drawkit/gradients.h"
#include "platform/window.h"

#include <QCursor>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSlider>
#include <QTimer>

#include <algorithm>

namespace {

struct KeyDef {
    int tag;
    int x;
    int y;
    int w;
    int h;
    const char16_t* face;   // drawn on the keypad picture
    const char* hint;
};

constexpr int kCol[] = {5, 53, 100, 150, 197, 244};
constexpr int kRow[] = {28, 69, 110, 150, 192};

const KeyDef kKeys[] = {
    {12, kCol[0], kRow[0], 42, 36, u"%", nullptr},
    {13, kCol[1], kRow[0], 42, 36, u"(", nullptr},
    {14, kCol[2], kRow[0], 42, 36, u")", nullptr},
    {15, kCol[3], kRow[0], 42, 36, u"?", "Incógnita"},
    {50, kCol[4], kRow[0], 42, 36, u"|", "Fracción"},
    {51, kCol[5], kRow[0], 42, 36, u"C", "Borrar todo"},
    {7, kCol[0], kRow[1], 42, 36, u"7", nullptr},
    {8, kCol[1], kRow[1], 42, 36, u"8", nullptr},
    {9, kCol[2], kRow[1], 42, 36, u"9", nullptr},
    {16, kCol[3], kRow[1], 42, 36, u"/", nullptr},
    {17, kCol[4], kRow[1], 42, 36, u"^", "Potencia"},
    {52, kCol[5], kRow[1], 42, 36, u"\u2190", "Borrar"},
    {4, kCol[0], kRow[2], 42, 36, u"4", nullptr},
    {5, kCol[1], kRow[2], 42, 36, u"5", nullptr},
    {6, kCol[2], kRow[2], 42, 36, u"6", nullptr},
    {18, kCol[3], kRow[2], 42, 36, u"*", nullptr},
    {19, kCol[4], kRow[2], 42, 36, u"\u221A", "Radical"},
    {30, kCol[5], kRow[2], 42, 36, u"Rst", "Ultimo resultado"},
    {1, kCol[0], kRow[3], 42, 36, u"1", nullptr},
    {2, kCol[1], kRow[3], 42, 36, u"2", nullptr},
    {3, kCol[2], kRow[3], 42, 36, u"3", nullptr},
    {20, kCol[3], kRow[3], 42, 36, u"-", nullptr},
    {53, kCol[4], kRow[3], 42, 36, u"\u03C0", "Pi"},
    {55, kCol[5], kRow[3], 42, 80, u"\u21B5", nullptr},
    {10, kCol[0], kRow[4], 42, 36, u"E", "Exponente de 10"},
    {0, kCol[1], kRow[4], 42, 36, u"0", nullptr},
    {21, kCol[2], kRow[4], 42, 36, u".", nullptr},
    {22, kCol[3], kRow[4], 90, 36, u"+", nullptr},
};

constexpr QPoint kImageOrigin(2, 26);

// The character a keypad tag types, none for the tags with other actions.
QString textOfTag(int tag)
{
    if (tag >= 0 && tag <= 9)
        return QString(QChar(u'0' + tag));
    switch (tag) {
    case 10: return QStringLiteral("E");
    case 12: return QStringLiteral("%");
    case 13: return QStringLiteral("(");
    case 14: return QStringLiteral(")");
    case 15: return QStringLiteral("?");
    case 16: return QStringLiteral("/");
    case 17: return QStringLiteral("^");
    case 18: return QStringLiteral("*");
    case 19: return QStringLiteral("\\");
    case 20: return QStringLiteral("-");
    case 21: return QStringLiteral(".");
    case 22: return QStringLiteral("+");
    case 50: return QStringLiteral("|");
    case 30: return QStringLiteral("Rst");
    case 53: return QStringLiteral("Pi");
    default: return {};
    }
}

// The picture of the key faces the flat buttons lie over.
QPixmap keypadPicture()
{
    QPixmap pm(289, 205);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QFont f(QStringLiteral("Tahoma"));
    f.setPixelSize(15);
    f.setBold(true);
    p.setFont(f);
    for (const KeyDef& k : kKeys) {
        const QRectF r(k.x - kImageOrigin.x() + 1.5, k.y - kImageOrigin.y() + 1.5, k.w - 3, k.h - 3);
        const bool digit = k.tag <= 9;
        p.setPen(QColor(90, 90, 90));
        p.setBrush(digit ? QColor(250, 250, 250) : QColor(225, 232, 242));
        p.drawRoundedRect(r, 5, 5);
        p.setPen(QColor(20, 20, 20));
        p.drawText(r, Qt::AlignCenter, QString::fromUtf16(k.face));
    }
    return pm;
}

} // namespace

TfmTeclado::TfmTeclado(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus)
{
    setObjectName(QStringLiteral("fmTeclado"));
    setFixedSize(kClientWidth, kClientHeight);
    // Shown when the mouse passes over a box: the box keeps the keys. Without
    // a window manager nothing else keeps the keyboard window, which pops up
    // under the pointer, from taking them.
    setAttribute(Qt::WA_ShowWithoutActivating);
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(11);
    setFont(font);
    setFocusPolicy(Qt::StrongFocus);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(kImageOrigin.x(), kImageOrigin.y(), 289, 205);
    Image1->setPixmap(keypadPicture());
    Image1->setAttribute(Qt::WA_TranslucentBackground);

    const QString flat = QStringLiteral("QPushButton { border: none; background: transparent; }"
                                        "QPushButton:pressed { background: rgba(0, 0, 0, 40); }");
    for (const KeyDef& k : kKeys) {
        auto* b = new QPushButton(this);
        b->setObjectName(QStringLiteral("btnTecla%1").arg(k.tag));
        b->setProperty("Tag", k.tag);
        b->setFlat(true);
        b->setStyleSheet(flat);
        b->setFocusPolicy(Qt::NoFocus);
        b->setGeometry(k.x, k.y, k.w, k.h);
        if (k.hint)
            b->setToolTip(QString::fromUtf8(k.hint));
        const int tag = k.tag;
        connect(b, &QPushButton::clicked, this, [this, tag] { KeyClick(tag); });
    }

    QFont bold = font;
    bold.setBold(true);
    btnListado = new QPushButton(QStringLiteral("Funciones y Constantes"), this);
    btnListado->setObjectName(QStringLiteral("btnListado"));
    btnListado->setFlat(true);
    btnListado->setFont(bold);
    btnListado->setFocusPolicy(Qt::NoFocus);
    btnListado->setGeometry(5, 3, 161, 21);
    connect(btnListado, &QPushButton::clicked, this, &TfmTeclado::btnListadoClick);

    trckbrTransp = new QSlider(Qt::Horizontal, this);
    trckbrTransp->setObjectName(QStringLiteral("trckbrTransp"));
    trckbrTransp->setGeometry(175, 6, 56, 12);
    trckbrTransp->setRange(80, 255);
    trckbrTransp->setValue(200);
    trckbrTransp->setTickPosition(QSlider::NoTicks);
    trckbrTransp->setToolTip(QStringLiteral("Ajustar Transparencia"));
    trckbrTransp->setCursor(Qt::SplitHCursor);
    trckbrTransp->setFocusPolicy(Qt::NoFocus);
    connect(trckbrTransp, &QSlider::valueChanged, this, &TfmTeclado::trckbrTranspChange);

    btnCerrar = new QPushButton(QStringLiteral("Cerrar"), this);
    btnCerrar->setObjectName(QStringLiteral("btnCerrar"));
    btnCerrar->setFlat(true);
    btnCerrar->setFont(bold);
    btnCerrar->setFocusPolicy(Qt::NoFocus);
    btnCerrar->setGeometry(235, 3, 51, 21);
    connect(btnCerrar, &QPushButton::clicked, this, &TfmTeclado::btnCerrarClick);

    tmr1 = new QTimer(this);
    tmr1->setObjectName(QStringLiteral("tmr1"));
    tmr1->setInterval(100);
    connect(tmr1, &QTimer::timeout, this, &TfmTeclado::tmr1Timer);
    tmr1->start();

    setAlpha(kOpeningAlpha);
}

TfmTeclado::~TfmTeclado() = default;

TComboExpr* TfmTeclado::Combo() const
{
    return m_combo;
}

QPushButton* TfmTeclado::KeyButton(int tag) const
{
    return findChild<QPushButton*>(QStringLiteral("btnTecla%1").arg(tag));
}

void TfmTeclado::setAlpha(int alpha)
{
    m_alpha = alpha;
    platform::SetWindowAlpha(this, true, alpha);
}

void TfmTeclado::ShowFor(TComboExpr* box)
{
    m_combo = box;
    if (box) {
        m_savedSelStart = box->SelStart();
        m_savedSelLength = box->SelLength();
    }
    show();
}

void TfmTeclado::restoreSelection()
{
    if (m_combo)
        m_combo->SetSel(m_savedSelStart, m_savedSelLength);
}

bool TfmTeclado::PointerKeepsKeyboard(const QPoint& global) const
{
    // One rule for the box's leave and the timer: the keyboard stays while
    // the pointer is over the box or over the keyboard, whatever their widths.
    if (geometry().contains(global))
        return true;
    if (m_combo) {
        const QRect box(m_combo->mapToGlobal(QPoint(0, 0)), m_combo->size());
        if (box.contains(global))
            return true;
        // Placed away from the box, the keyboard stays while the pointer goes
        // straight from one to the other.
        const QRect k = geometry();
        const int left = std::max(box.left(), k.left()), right = std::min(box.right(), k.right());
        const int top = std::max(box.top(), k.top()), bottom = std::min(box.bottom(), k.bottom());
        QRect way;
        if (left <= right && k.top() > box.bottom())
            way = QRect(QPoint(left, box.bottom()), QPoint(right, k.top()));
        else if (left <= right && k.bottom() < box.top())
            way = QRect(QPoint(left, k.bottom()), QPoint(right, box.top()));
        else if (top <= bottom && k.left() > box.right())
            way = QRect(QPoint(box.right(), top), QPoint(k.left(), bottom));
        else if (top <= bottom && k.right() < box.left())
            way = QRect(QPoint(k.right(), top), QPoint(box.left(), bottom));
        if (way.contains(global))
            return true;
    }
    return false;
}

void TfmTeclado::KeyClick(int tag)
{
    if (!m_combo)
        return;
    restoreSelection();
    switch (tag) {
    case 51:
        m_combo->clear();
        m_combo->SetText(QString());
        m_savedSelStart = 0;
        m_savedSelLength = 0;
        return;
    case 52:
        if (m_savedSelStart > 0) {
            --m_savedSelStart;
            ++m_savedSelLength;
            m_combo->SetSel(m_savedSelStart, m_savedSelLength);
        }
        m_combo->SetSelText(QString());
        m_savedSelLength = 0;
        return;
    case 55: {
        QChar enter(13);
        m_combo->KeyPress(enter);
        if (m_combo)
            m_combo->setFocus();
        hide();
        return;
    }
    default:
        break;
    }
    const QString text = textOfTag(tag);
    if (text.isEmpty())
        return;
    m_combo->SetSelText(text);
    if (tag == 30)
        m_savedSelStart += 2;
    else if (tag == 53)
        m_savedSelStart += 1;
    ++m_savedSelStart;
    m_savedSelLength = 0;
}

void TfmTeclado::btnListadoClick()
{
    if (!m_combo || !m_combo->NameTable())
        return;
    QPointer<TComboExpr> box = m_combo;
    box->SetAutoCompleteSuppressed(false);
    box->SetInAutoComplete(true);
    restoreSelection();
    QChar blank(u' ');
    EnsureAutoComp()->ShowForCombo(box, box->NameTable(), blank);
    if (!box)
        return;
    box->SetInAutoComplete(false);
    // The keypad goes on from where the list left the caret.
    m_savedSelStart = box->SelStart();
    m_savedSelLength = box->SelLength();
}

void TfmTeclado::btnCerrarClick()
{
    const int answer = MsgBox(QStringLiteral("¿Desactiva el teclado en pantalla?\r\n\r\nPuede activarlo cuando "
                                             "desee desde \r\nel menú Configurar>Mostrar Teclado"),
                              QStringLiteral("Teclado en Pantalla"), mb::YesNo | mb::IconQuestion);
    if (answer != idYes)
        return;
    if (OnSwitchOff) {
        OnSwitchOff();
    } else {
        ComboExpr().KeyboardEnabled = false;
        hide();
    }
}

void TfmTeclado::trckbrTranspChange(int position)
{
    setAlpha(position);
}

void TfmTeclado::tmr1Timer()
{
    if (isVisible() && !PointerKeepsKeyboard(QCursor::pos()))
        hide();
}

void TfmTeclado::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    FillSplitGradient(p, TRect{0, 0, width(), height()}, LightColor, DarkColor, true, 9);
}

void TfmTeclado::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Escape) {
        hide();
        return;
    }
    if (m_combo) {
        int key = e->key();
        m_combo->KeyDown(key, e->modifiers());
    }
}

void TfmTeclado::hideEvent(QHideEvent* e)
{
    QWidget::hideEvent(e);
    restoreSelection();
}

void TfmTeclado::changeEvent(QEvent* e)
{
    QWidget::changeEvent(e);
    if (e->type() == QEvent::ActivationChange && isActiveWindow() && m_combo) {
        // The box's window stays opaque while the keyboard has the focus. It
        // hears of its deactivation after this window hears of its
        // activation, so this comes after that.
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (!isActiveWindow() || !m_combo)
                    return;
                QWidget* owner = m_combo->window();
                if (auto* form = qobject_cast<TFormMX*>(owner))
                    form->setAlphaBlend(false);
                else
                    platform::SetWindowAlpha(owner, false, 255);
            },
            Qt::QueuedConnection);
    }
}

void TfmTeclado::SetSchemeColors(TColor light, TColor dark)
{
    LightColor = light;
    DarkColor = dark;
    update();
}

TfmTeclado* fmTeclado()
{
    return TSharedWindow<TfmTeclado>::Get();
}

TfmTeclado* EnsureTeclado()
{
    return TSharedWindow<TfmTeclado>::Ensure();
}

void FreeTeclado()
{
    TSharedWindow<TfmTeclado>::Free();
}
