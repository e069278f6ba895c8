#include "foundation/core/placement.h"

#include <algorithm>

namespace {

const QString kFirst = QStringLiteral("First");
const QString kShow = QStringLiteral("Show");
const QString kTop = QStringLiteral("Top");
const QString kLeft = QStringLiteral("Left");
const QString kWidth = QStringLiteral("Width");
const QString kHeight = QStringLiteral("Height");

// A stored state outside 0..2 leaves the window as it is.
void applyState(PlacementTarget& form, int show)
{
    if (show >= 0 && show <= 2)
        form.SetWindowState(static_cast<TWindowState>(show));
}

} // namespace

QString PlacementSection(const QString& windowName) { return QStringLiteral("Pos") + windowName; }

void WritePlacement(const PlacementTarget& form, PlacementStore& store, bool flushAfterShow)
{
    const QString section = PlacementSection(form.Name());
    store.WriteBool(section, kFirst, false);
    // A window closed while minimized comes back in the normal state.
    const TWindowState state =
        form.WindowState() == TWindowState::Minimized ? TWindowState::Normal : form.WindowState();
    store.WriteInteger(section, kShow, static_cast<int>(state));
    if (flushAfterShow)
        store.Flush();
    store.WriteInteger(section, kTop, form.Top());
    store.WriteInteger(section, kLeft, form.Left());
    store.WriteInteger(section, kWidth, form.Width());
    store.WriteInteger(section, kHeight, form.Height());
}

bool ReadPlacement(PlacementTarget& form, PlacementStore& store, TPosition defaultPosition)
{
    const QString section = PlacementSection(form.Name());
    if (store.ReadBool(section, kFirst, true)) {
        form.SetPosition(defaultPosition);
        return true;
    }
    // A stored size is never larger than the screen (a hand-edited or damaged
    // file may hold anything), and the window is then kept on the screen.
    const QSize screen = form.ScreenSize();
    form.SetWidth(std::clamp(store.ReadInteger(section, kWidth, form.Width()), 0, std::max(0, screen.width())));
    form.SetHeight(std::clamp(store.ReadInteger(section, kHeight, form.Height()), 0, std::max(0, screen.height())));
    form.SetTop(store.ReadInteger(section, kTop, form.Top()));
    form.SetLeft(store.ReadInteger(section, kLeft, form.Left()));
    if (form.WindowState() == TWindowState::Normal)
        KeepOnScreen(form);
    applyState(form, store.ReadInteger(section, kShow, static_cast<int>(form.WindowState())));
    return false;
}

bool ReadPlace(PlacementTarget& form, PlacementStore& store)
{
    const QString section = PlacementSection(form.Name());
    const bool first = store.ReadBool(section, kFirst, true);
    if (first)
        return true;
    form.SetTop(store.ReadInteger(section, kTop, form.Top()));
    form.SetLeft(store.ReadInteger(section, kLeft, form.Left()));
    applyState(form, store.ReadInteger(section, kShow, static_cast<int>(form.WindowState())));
    if (form.WindowState() == TWindowState::Normal)
        KeepOnScreen(form);
    return false;
}

void KeepOnScreen(PlacementTarget& form)
{
    // In 64 bits: a stored coordinate near the 32-bit limit plus the size must
    // not wrap around.
    const QSize screen = form.ScreenSize();
    const long long h = screen.height();
    const long long w = screen.width();
    const long long top = form.Top();
    if (top < 0)
        form.SetTop(0);
    else if (top + form.Height() > h)
        form.SetTop(static_cast<int>(h - form.Height()));
    const long long left = form.Left();
    if (left < 0)
        form.SetLeft(0);
    else if (left + form.Width() > w)
        form.SetLeft(static_cast<int>(w - form.Width()));
}
