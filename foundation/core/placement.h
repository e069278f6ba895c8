#pragma once
// Window placement records: one section "Pos" + window name in the settings
// file with the keys First, Show, Top, Left, Width and Height. The routines
// here see the window and the file through two small interfaces, so the same
// steps serve the settings engine, the profile functions and the tests.
#include <QSize>
#include <QString>

enum class TWindowState { Normal = 0, Minimized = 1, Maximized = 2 };

// The framework's window position modes; callers of the placement routines
// pass poDesktopCenter.
enum class TPosition {
    poDesigned,
    poDefault,
    poDefaultPosOnly,
    poDefaultSizeOnly,
    poScreenCenter,
    poDesktopCenter,
    poMainFormCenter,
    poOwnerFormCenter
};

// A window as the placement routines see it: its bounds (outer position and
// size in screen pixels), its state and the primary screen's size.
class PlacementTarget {
public:
    virtual ~PlacementTarget() = default;
    virtual QString Name() const = 0;
    virtual int Left() const = 0;
    virtual int Top() const = 0;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual TWindowState WindowState() const = 0;
    virtual void SetLeft(int left) = 0;
    virtual void SetTop(int top) = 0;
    virtual void SetWidth(int width) = 0;
    virtual void SetHeight(int height) = 0;
    virtual void SetWindowState(TWindowState state) = 0;
    virtual void SetPosition(TPosition mode) = 0;
    virtual QSize ScreenSize() const = 0;
};

// The settings file as the placement routines see it.
class PlacementStore {
public:
    virtual ~PlacementStore() = default;
    virtual int ReadInteger(const QString& section, const QString& name, int def) = 0;
    virtual void WriteInteger(const QString& section, const QString& name, int value) = 0;
    virtual bool ReadBool(const QString& section, const QString& name, bool def) = 0;
    virtual void WriteBool(const QString& section, const QString& name, bool value) = 0;
    // Called after "Show" by the route that writes single values in place.
    virtual void Flush() {}
};

QString PlacementSection(const QString& windowName);

// Writes the record; with flushAfterShow the store is flushed after "Show".
void WritePlacement(const PlacementTarget& form, PlacementStore& store, bool flushAfterShow);
// Reads the record; returns First (true: no record was saved, the window is
// given the position mode `defaultPosition` and nothing else).
bool ReadPlacement(PlacementTarget& form, PlacementStore& store, TPosition defaultPosition);
// Reads only the position and the state (windows of fixed size).
bool ReadPlace(PlacementTarget& form, PlacementStore& store);
// Keeps the window's top-left corner inside the primary screen.
void KeepOnScreen(PlacementTarget& form);
