#include "platform/keystate.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>

int QtKeyOfVirtualKey(int v)
{
    if (v >= 'A' && v <= 'Z')
        return Qt::Key_A + (v - 'A');
    if (v >= '0' && v <= '9')
        return Qt::Key_0 + (v - '0');
    if (v >= vk::F1 && v < vk::F1 + 12)
        return Qt::Key_F1 + (v - vk::F1);
    switch (v) {
    case vk::Back: return Qt::Key_Backspace;
    case vk::Tab: return Qt::Key_Tab;
    case vk::Return: return Qt::Key_Return;
    case vk::Shift: return Qt::Key_Shift;
    case vk::Control: return Qt::Key_Control;
    case vk::Menu: return Qt::Key_Alt;
    case vk::Escape: return Qt::Key_Escape;
    case vk::Space: return Qt::Key_Space;
    case vk::Left: return Qt::Key_Left;
    case vk::Up: return Qt::Key_Up;
    case vk::Right: return Qt::Key_Right;
    case vk::Down: return Qt::Key_Down;
    case vk::Delete: return Qt::Key_Delete;
    default: return 0;
    }
}

KeyStateTracker::KeyStateTracker()
{
    if (QCoreApplication* app = QCoreApplication::instance()) {
        setParent(app);
        app->installEventFilter(this);
    }
}

KeyStateTracker& KeyStateTracker::instance()
{
    // Owned by the application object, which frees it at the end.
    static KeyStateTracker* tracker = new KeyStateTracker;
    return *tracker;
}

bool KeyStateTracker::isDown(int qtKey) const { return down_.contains(qtKey); }

void KeyStateTracker::clear() { down_.clear(); }

void KeyStateTracker::pump()
{
    if (holdingInput_)
        return;
    holdingInput_ = true;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    holdingInput_ = false;
}

bool KeyStateTracker::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress: {
        auto* k = static_cast<QKeyEvent*>(event);
        if (!k->isAutoRepeat() && !down_.contains(k->key()))
            down_.append(k->key());
        return holdingInput_;
    }
    case QEvent::KeyRelease: {
        auto* k = static_cast<QKeyEvent*>(event);
        if (!k->isAutoRepeat())
            down_.removeAll(k->key());
        return holdingInput_;
    }
    case QEvent::ApplicationDeactivate:
        // Keys released in another program are never seen here.
        down_.clear();
        break;
    case QEvent::ShortcutOverride:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::Close:
        if (holdingInput_)
            return true;
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

bool IsKeyDown(int virtualKey)
{
    const int key = QtKeyOfVirtualKey(virtualKey);
    if (key == 0)
        return false;
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        const Qt::KeyboardModifiers mods = QGuiApplication::queryKeyboardModifiers();
        if ((key == Qt::Key_Shift && (mods & Qt::ShiftModifier)) ||
            (key == Qt::Key_Control && (mods & Qt::ControlModifier)) ||
            (key == Qt::Key_Alt && (mods & Qt::AltModifier)))
            return true;
    }
    KeyStateTracker& tracker = KeyStateTracker::instance();
    if (key != Qt::Key_Shift && key != Qt::Key_Control && key != Qt::Key_Alt)
        tracker.pump();
    return tracker.isDown(key);
}
