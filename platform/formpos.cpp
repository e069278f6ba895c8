#include "platform/formpos.h"

#include "foundation/core/basicos.h"
#include "foundation/core/zelini.h"
#include "platform/profile.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

QString WidgetPlacement::Name() const { return w_->objectName(); }
int WidgetPlacement::Left() const { return w_->x(); }
int WidgetPlacement::Top() const { return w_->y(); }
int WidgetPlacement::Width() const { return w_->width(); }
int WidgetPlacement::Height() const { return w_->height(); }

TWindowState WidgetPlacement::WindowState() const
{
    const Qt::WindowStates s = w_->windowState();
    if (s & Qt::WindowMinimized)
        return TWindowState::Minimized;
    if (s & Qt::WindowMaximized)
        return TWindowState::Maximized;
    return TWindowState::Normal;
}

void WidgetPlacement::SetLeft(int left) { w_->move(left, w_->y()); }
void WidgetPlacement::SetTop(int top) { w_->move(w_->x(), top); }
void WidgetPlacement::SetWidth(int width) { w_->resize(width, w_->height()); }
void WidgetPlacement::SetHeight(int height) { w_->resize(w_->width(), height); }

void WidgetPlacement::SetWindowState(TWindowState state)
{
    Qt::WindowStates s = w_->windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized);
    if (state == TWindowState::Minimized)
        s |= Qt::WindowMinimized;
    else if (state == TWindowState::Maximized)
        s |= Qt::WindowMaximized;
    w_->setWindowState(s);
}

void WidgetPlacement::SetPosition(TPosition mode)
{
    QRect area;
    switch (mode) {
    case TPosition::poScreenCenter:
    case TPosition::poDesktopCenter:
        if (QScreen* s = QGuiApplication::primaryScreen())
            area = s->availableGeometry();
        break;
    case TPosition::poMainFormCenter:
    case TPosition::poOwnerFormCenter:
        if (QWidget* p = w_->parentWidget())
            area = p->window()->frameGeometry();
        else if (QScreen* s = QGuiApplication::primaryScreen())
            area = s->availableGeometry();
        break;
    default:
        return; // the designed or the system's position
    }
    if (area.isValid())
        w_->move(area.x() + (area.width() - w_->width()) / 2, area.y() + (area.height() - w_->height()) / 2);
}

QSize WidgetPlacement::ScreenSize() const
{
    if (QScreen* s = QGuiApplication::primaryScreen())
        return s->geometry().size();
    return {w_->width(), w_->height()};
}

// ---------------------------------------------------------------------------

void WriteFormPos(QWidget* form, TIniFile& ini)
{
    WidgetPlacement target(form);
    IniFilePlacementStore store(ini);
    WritePlacement(target, store, true);
}

bool ReadFormPos(QWidget* form, TIniFile& ini, TPosition defaultPosition)
{
    WidgetPlacement target(form);
    IniFilePlacementStore store(ini);
    return ReadPlacement(target, store, defaultPosition);
}

void SaveFormPosTo(QWidget* form, const QString& fileName)
{
    TIniFile ini(fileName);
    WriteFormPos(form, ini);
}

void SaveFormPos(QWidget* form) { SaveFormPosTo(form, SettingsFileName()); }

bool LoadFormPosFrom(QWidget* form, const QString& fileName, TPosition defaultPosition)
{
    TIniFile ini(fileName);
    return ReadFormPos(form, ini, defaultPosition);
}

bool LoadFormPos(QWidget* form, TPosition defaultPosition)
{
    return LoadFormPosFrom(form, SettingsFileName(), defaultPosition);
}

bool LoadFormPlace(QWidget* form)
{
    TIniFile ini(SettingsFileName());
    WidgetPlacement target(form);
    IniFilePlacementStore store(ini);
    return ReadPlace(target, store);
}

void KeepFormOnScreen(QWidget* form)
{
    WidgetPlacement target(form);
    KeepOnScreen(target);
}

void WriteFormPos(QWidget* form, TZelIniFile& ini)
{
    WidgetPlacement target(form);
    ini.WriteFormPos(target);
}

bool ReadFormPos(QWidget* form, TZelIniFile& ini, TPosition defaultPosition)
{
    WidgetPlacement target(form);
    return ini.ReadFormPos(target, defaultPosition);
}
