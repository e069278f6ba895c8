#pragma once
// The splash window shown while the program starts, and the same window as
// the about box: product name, version, notices and contact lines, and in the
// about box the credits scrolling in the colours of the scheme.
#include "engine/canvas.h"

#include <QDialog>

#include <array>
#include <functional>
#include <memory>

class QFrame;
class QLabel;
class QPushButton;
class TAreaFondo;
class TfrmCalcu;
class TLinkLabel;
class TScrollCredits;

enum class TSplashMode { Splash, About };

class TSplash : public QDialog {
    Q_OBJECT
public:
    // The about box takes the scheme: light, dark, text, field.
    TSplash(TSplashMode mode, QWidget* owner = nullptr, const std::array<TColor, 4>& scheme = {});

    TSplashMode Mode() const { return m_mode; }
    static const QString kMail;
    static constexpr int kFullHeight = 291;
    static constexpr int kSplashHeight = 166;

    TAreaFondo* AreaFondo1 = nullptr;
    QLabel* Image1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    TLinkLabel* Label6 = nullptr;
    TLinkLabel* Label7 = nullptr;
    QLabel* Label10 = nullptr;
    QFrame* Bevel1 = nullptr;
    TScrollCredits* ScrollCredits1 = nullptr;
    QPushButton* SpeedButton1 = nullptr;

public slots:
    void FormShow();
    void SpeedButton1Click();
    void Label6Click();
    void Label7Click();

protected:
    void showEvent(QShowEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    TSplashMode m_mode;
    std::array<TColor, 4> m_scheme;
};

// The splash of the start-up: shown at once (not modal) and painted; the
// caller frees it once the main window exists.
std::unique_ptr<TSplash> ShowSplash();

// The about box, modal, over the owner, in the scheme's colours; from the
// options dialog its background is the scheme's light-to-dark gradient.
void RunAboutBox(QWidget* owner, const std::array<TColor, 4>& scheme, bool gradient = false);
// How the about box is run (tests replace it to look at the box).
std::function<int(QDialog& box)>& AboutBoxRunner();

// The main window's "Acerca de...".
void InstallAbout(TfrmCalcu& main);
