#include "services/toolwindow.h"

#include "drawkit/drawkit.h"
#include "platform/formpos.h"

#include <QCloseEvent>
#include <QShowEvent>

QHash<QString, TToolWindow*>& TToolWindow::Registry()
{
    static QHash<QString, TToolWindow*> windows;
    return windows;
}

TToolWindow::TToolWindow(ToolHost& host, const QString& name, QWidget* parent, TPosition defaultPosition,
                         bool fixedSize)
    : TFormMX(parent, Qt::Window), m_host(host), m_defaultPosition(defaultPosition), m_fixedSize(fixedSize)
{
    setObjectName(name);
    Registry().insert(name, this);
    m_appearanceNotice = host.Notices().Connect(THostNotice::AppearanceChanged, [this] { ApplyAppearance(); });
}

void TToolWindow::ForgetHost()
{
    if (!m_hostGone)
        m_host.Notices().Disconnect(m_appearanceNotice);
    m_hostGone = true;
}

TToolWindow::~TToolWindow()
{
    // The place is kept however the window goes: closed by the user, or
    // destroyed with the main window while still open. A window never shown
    // has no place of its own to keep.
    if (m_placed)
        SaveFormPos(this);
    ForgetHost();
    const auto it = Registry().find(objectName());
    if (it != Registry().end() && it.value() == this)
        Registry().erase(it);
}

TToolWindow* TToolWindow::Find(const QString& name) { return Registry().value(name, nullptr); }

void TToolWindow::ApplyAppearance()
{
    QPalette p = palette();
    p.setColor(QPalette::Window, ToQColor(m_host.Appearance().ClLuz));
    p.setColor(QPalette::WindowText, ToQColor(m_host.Appearance().ClTexto));
    setPalette(p);
    update();
}

void TToolWindow::showEvent(QShowEvent* e)
{
    Magnetic = m_host.MagneticWindows();
    if (!m_placed) {
        // The first show: the scheme, then the place of the last session.
        m_placed = true;
        ApplyAppearance();
        if (m_fixedSize)
            LoadFormPlace(this);
        else
            LoadFormPos(this, m_defaultPosition);
    }
    TFormMX::showEvent(e);
}

void TToolWindow::closeEvent(QCloseEvent* e)
{
    SaveFormPos(this);
    TFormMX::closeEvent(e);
    if (e->isAccepted() && !m_hostGone)
        m_host.ToolClosed(this);
}
