#include "foundation/core/placement.h"

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
    form.SetTop(store.ReadInteger(section, kTop, form.Top()));
    form.SetLeft(store.ReadInteger(section, kLeft, form.Left()));
    // The clamp uses the size the window has now, before the stored one.
    if (form.WindowState() == TWindowState::Normal)
        KeepOnScreen(form);
    form.SetWidth(store.ReadInteger(section, kWidth, form.Width()));
    form.SetHeight(store.ReadInteger(section, kHeight, form.Height()));
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
    const QSize screen = form.ScreenSize();
    const int h = screen.height();
    const int w = screen.width();
    const int top = form.Top();
    if (top < 0)
        form.SetTop(0);
    else if (top + form.Height() > h)
        form.SetTop(h - form.Height());
    const int left = form.Left();
    if (left < 0)
        form.SetLeft(0);
    else if (left + form.Width() > w)
        form.SetLeft(w - form.Width());
}
