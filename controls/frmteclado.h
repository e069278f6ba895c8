#pragma once
// The on-screen keyboard: a small translucent keypad shown under an
// expression entry box while the mouse is over the box, so that expressions
// can be typed with the mouse. One instance, fmTeclado, serves the box that
// showed it last.
#include "engine/canvas.h"

#include <QPixmap>
#include <QPointer>
#include <QWidget>

#include <cstdint>
#include <functional>

class QLabel;
class QPushButton;
class QSlider;
class QTimer;
class TComboExpr;

class TfmTeclado : public QWidget {
    Q_OBJECT
public:
    static constexpr int kClientWidth = 290;
    static constexpr int kClientHeight = 233;
    static constexpr int kOpeningAlpha = 220;

    explicit TfmTeclado(QWidget* parent = nullptr);
    ~TfmTeclado() override;

    // Serves the box (which has placed the window) and shows the window.
    void ShowFor(TComboExpr* box);

    TComboExpr* Combo() const;
    int SavedSelStart() const { return m_savedSelStart; }
    int SavedSelLength() const { return m_savedSelLength; }
    // The window's opacity, 0 (clear) to 255 (opaque).
    int AlphaBlendValue() const { return m_alpha; }

    // Whether the keyboard stays shown with the mouse pointer at this screen
    // point: over the box it serves or over the keyboard itself.
    bool PointerKeepsKeyboard(const QPoint& global) const;

    // The keypad button of an action tag (0 to 55), none for an unused tag.
    QPushButton* KeyButton(int tag) const;

    // "Cerrar" answered Yes: switches the keyboard option off (the main
    // window holds that option). Without a handler the switch is cleared and
    // the keyboard hidden here.
    std::function<void()> OnSwitchOff;

    // The scheme colours of the background gradient (the main window sets them
    // with SetSchemeColors whenever its scheme changes).
    TColor LightColor = RGBColor(0xF0, 0xF0, 0xF0);
    TColor DarkColor = RGBColor(0x80, 0x80, 0x80);
    void SetSchemeColors(TColor light, TColor dark);

    QLabel* Image1 = nullptr;
    QPushButton* btnListado = nullptr;
    QSlider* trckbrTransp = nullptr;
    QPushButton* btnCerrar = nullptr;
    QTimer* tmr1 = nullptr;

public slots:
    // The keypad's shared click handler: the action of the button's tag.
    void KeyClick(int tag);
    void btnListadoClick();
    void btnCerrarClick();
    void trckbrTranspChange(int position);
    // The auto-hide check, every 100 ms while shown.
    void tmr1Timer();

protected:
    void paintEvent(QPaintEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void hideEvent(QHideEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    void restoreSelection();
    void setAlpha(int alpha);

    QPointer<TComboExpr> m_combo;
    int m_savedSelStart = 0;
    int m_savedSelLength = 0;
    int m_alpha = kOpeningAlpha;
};

// The shared keyboard window; created by the first entry box.
TfmTeclado* fmTeclado();
TfmTeclado* EnsureTeclado();
// Tests: frees the shared window.
void FreeTeclado();
