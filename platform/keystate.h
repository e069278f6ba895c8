#pragma once
// Whether a key is held down at this moment, asked by virtual-key code (the
// codes the program's callers use: 0x1B Esc, 0x11 Ctrl, 0x10 Shift, ...).
// Shift, Ctrl and Alt are asked of the window system directly. For any other
// key the pending events are delivered first, so that a long computation
// polling Esc between its chunks sees the key; the user's input that arrives
// meanwhile (keys, clicks, closing a window) is held back from the windows,
// as it would wait in the queue while the computation runs.
#include <QObject>

namespace vk {
inline constexpr int Back = 0x08;
inline constexpr int Tab = 0x09;
inline constexpr int Return = 0x0D;
inline constexpr int Shift = 0x10;
inline constexpr int Control = 0x11;
inline constexpr int Menu = 0x12; // Alt
inline constexpr int Escape = 0x1B;
inline constexpr int Space = 0x20;
inline constexpr int Left = 0x25;
inline constexpr int Up = 0x26;
inline constexpr int Right = 0x27;
inline constexpr int Down = 0x28;
inline constexpr int Delete = 0x2E;
inline constexpr int F1 = 0x70;
} // namespace vk

bool IsKeyDown(int virtualKey);

// The Qt key of a virtual-key code (0 when the program never asks for it).
int QtKeyOfVirtualKey(int virtualKey);

// Follows key presses and releases for IsKeyDown; IsKeyDown installs it on
// the application the first time it is asked.
class KeyStateTracker : public QObject {
public:
    static KeyStateTracker& instance();
    bool isDown(int qtKey) const;
    void clear();
    // Delivers the pending events, keeping user input from the windows.
    void pump();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    KeyStateTracker();
    QList<int> down_;
    bool holdingInput_ = false;
};
