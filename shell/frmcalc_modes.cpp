// The main window's modes: no title bar, dragged by its background and sized
// by its grip, above other windows, translucent, reduced to its top panel
// while the mouse is away, minimized to the notification area; the panels
// shown or hidden and the splitter that collapses the picture or the history.
#include "shell/frmcalc.h"
#include "controls/appicon.h"

#include "controls/application.h"
#include "controls/toolbutton.h"
#include "services/calcmodel.h"
#include "services/toolwindow.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainterPath>
#include <QSizeGrip>
#include <QSplitter>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWindow>

namespace {

QToolButton* SmallButton(QWidget* parent, const char* name, const QString& text, const QString& hint)
{
    QToolButton* b = MakeToolButton(parent, name, text, hint);
    b->setFixedSize(18, 16);
    return b;
}

} // namespace

void TfrmCalcu::BuildModeControls(QGridLayout* top)
{
    // The four small buttons at the right of the top panel.
    auto* column = new QGridLayout;
    column->setSpacing(0);
    SpeedButton7 = SmallButton(Panel1, "SpeedButton7", QStringLiteral("\u00D7"), QStringLiteral("Cerrar"));
    SpeedButton8 = SmallButton(Panel1, "SpeedButton8", QStringLiteral("_"), QStringLiteral("Minimizar"));
    btnModoReducido = SmallButton(Panel1, "btnModoReducido", QStringLiteral("\u25AD"), QStringLiteral("Ventana reducida"));
    btnModoReducido->setCheckable(true);
    btnSiempreVisible = SmallButton(Panel1, "btnSiempreVisible", QStringLiteral("\u22A4"), QStringLiteral("Siempre Visible"));
    btnSiempreVisible->setCheckable(true);
    column->addWidget(SpeedButton7, 0, 1);
    column->addWidget(SpeedButton8, 0, 0);
    column->addWidget(btnModoReducido, 1, 0);
    column->addWidget(btnSiempreVisible, 1, 1);
    top->addLayout(column, 0, 2, 2, 1, Qt::AlignTop);
    connect(SpeedButton7, &QToolButton::clicked, this, [this] { close(); });
    connect(SpeedButton8, &QToolButton::clicked, this, [this] { TApplication::Guarded([this] { MinimizeToTray(); }); });
    connect(btnSiempreVisible, &QToolButton::clicked, this, [this](bool on) { SetStayOnTop(on); });
    connect(btnModoReducido, &QToolButton::clicked, this, [this](bool down) { SetReducedMode(down); });

    // The reduced mode's watch of the mouse.
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(100);
    connect(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });

    // The size grip at the bottom right.
    Image1 = new QSizeGrip(Panel2);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setToolTip(QStringLiteral("Ajustar tamaño"));
    if (auto* bottom = qobject_cast<QHBoxLayout*>(Panel2->layout()))
        bottom->addWidget(Image1, 0, Qt::AlignBottom);

    // The panels' background drags the window; a double click hides or
    // shows the title bar.
    for (QWidget* w : {static_cast<QWidget*>(Panel1), static_cast<QWidget*>(Panel2), static_cast<QWidget*>(Panel3)})
        w->installEventFilter(this);

    // The splitter collapses the picture or the history near its ends.
    connect(Splitter1, &QSplitter::splitterMoved, this, [this](int pos, int) { Splitter1Moved(pos); });
}

bool TfrmCalcu::BackgroundMouse(QWidget* panel, QEvent* event)
{
    auto* m = static_cast<QMouseEvent*>(event);
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        if (m->button() != Qt::LeftButton)
            return false;
        // The window manager moves the window; where it cannot, the window
        // follows the mouse itself.
        m_backgroundDrag = !(windowHandle() && windowHandle()->startSystemMove());
        m_dragFrom = m->globalPosition().toPoint() - frameGeometry().topLeft();
        return true;
    case QEvent::MouseMove:
        if (m_backgroundDrag && (m->buttons() & Qt::LeftButton)) {
            move(m->globalPosition().toPoint() - m_dragFrom);
            return true;
        }
        return false;
    case QEvent::MouseButtonRelease:
        m_backgroundDrag = false;
        return false;
    case QEvent::MouseButtonDblClick:
        if (m->button() != Qt::LeftButton)
            return false;
        OcultarTtulo1->trigger();
        return true;
    default:
        break;
    }
    (void)panel;
    return false;
}

void TfrmCalcu::SetNoTitle(bool on)
{
    m_noTitle = on;
    OcultarTtulo1->setChecked(on);
    const bool shown = isVisible();
    const QRect place = geometry();
    setWindowFlag(Qt::FramelessWindowHint, on);
    setWindowTitle(on ? QString() : WindowTitle());
    // Changing the frame hides the window: it comes back where it was.
    if (shown) {
        setGeometry(place);
        show();
    }
    ApplySettings();
    update();
}

void TfrmCalcu::SetStayOnTop(bool on)
{
    SetTopMost(on);
    btnSiempreVisible->setChecked(on);
}

void TfrmCalcu::SetTransparency(bool on)
{
    FormMXSettings().TranspInactive = on;
    ApplyInactiveTransparency();
    for (ToolState& t : m_tools)
        if (t.window)
            t.window->ApplyInactiveTransparency();
}

void TfrmCalcu::SetReducedMode(bool on)
{
    m_reducedMode = on;
    btnModoReducido->setChecked(on);
    // The timer runs exactly while the button is down; up, the full window
    // comes back at once.
    if (on) {
        Timer1->start();
    } else {
        Timer1->stop();
        SetReduced(false);
    }
}

void TfrmCalcu::Timer1Timer()
{
    if (m_reduced) {
        const QPoint p = Panel1->mapFromGlobal(QCursor::pos());
        if (p.x() > 0 && p.x() < Panel1->width() && p.y() > 0 && p.y() < Panel1->height())
            SetReduced(false);
    } else {
        const QPoint p = mapFromGlobal(QCursor::pos());
        const int caption = frameGeometry().height() - height();
        if (!(p.x() > 0 && p.x() < width() && p.y() < height() && p.y() > -caption))
            SetReduced(true);
    }
}

void TfrmCalcu::SetReduced(bool on)
{
    if (on == m_reduced)
        return;
    m_reduced = on;
    if (on) {
        // Only the top panel shows, with rounded corners.
        QPainterPath path;
        path.addRoundedRect(QRectF(Panel1->geometry()), 4, 4);
        setMask(QRegion(path.toFillPolygon().toPolygon()));
    } else {
        clearMask();
    }
    repaint();
}

void TfrmCalcu::MinimizeToTray()
{
    showMinimized();
    // Without a notification area there is nowhere to come back from: the
    // window is only minimized, as without the option.
    if (!Calc().MinIcon || !HasNotificationArea())
        return;
    m_inTray = true;
    if (!m_tray) {
        m_tray = new QSystemTrayIcon(this);
        m_tray->setObjectName(QStringLiteral("TrayIcon"));
        m_tray->setIcon(ApplicationIcon());
        connect(m_tray, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
            TApplication::Guarded([&] { TrayActivated(reason); });
        });
    }
    // The tip: the application's title, 63 characters at the most.
    m_tray->setToolTip(WindowTitle().left(63));
    m_tray->show();
    hide();
}

void TfrmCalcu::TrayActivated(int reason)
{
    if (reason == QSystemTrayIcon::Context) {
        activateWindow();
        PopupMenu7->exec(QCursor::pos());
    } else if (reason == QSystemTrayIcon::Trigger) {
        RestoreFromNotificationArea();
    }
}

void TfrmCalcu::RestoreFromNotificationArea()
{
    m_inTray = false;
    if (m_tray)
        m_tray->hide();
    showNormal();
    activateWindow();
}

bool TfrmCalcu::HasNotificationArea() const
{
    return NotificationAreaAvailable ? NotificationAreaAvailable() : QSystemTrayIcon::isSystemTrayAvailable();
}

void TfrmCalcu::showEvent(QShowEvent* e)
{
    TFormMX::showEvent(e);
    m_laidOut = true;
    if (!m_pendingSplit.isEmpty()) {
        const int wanted = m_pendingSplit.value(0) + m_pendingSplit.value(1);
        const int room = Splitter1->height() - Splitter1->handleWidth();
        // Heights that do not fit share the room in their proportion.
        if (wanted > 0 && room > 0 && wanted != room)
            m_pendingSplit = {room * m_pendingSplit.value(0) / wanted, room - room * m_pendingSplit.value(0) / wanted};
        Splitter1->setSizes(m_pendingSplit);
        m_pendingSplit.clear();
    }
}

void TfrmCalcu::changeEvent(QEvent* e)
{
    TFormMX::changeEvent(e);
    // Minimized by the system (or the title bar's button): to the
    // notification area when the option says so.
    if (e->type() == QEvent::WindowStateChange && (windowState() & Qt::WindowMinimized) && !m_inTray &&
        Calc().MinIcon && HasNotificationArea())
        QTimer::singleShot(0, this, [this] {
            if (windowState() & Qt::WindowMinimized && !m_inTray)
                MinimizeToTray();
        });
}

void TfrmCalcu::Splitter1Moved(int top)
{
    const int total = Splitter1->height();
    if (top < 30)
        Splitter1->setSizes({0, total});   // the picture collapses
    else if (top > total - 30)
        Splitter1->setSizes({total, 0});   // the history collapses
}
