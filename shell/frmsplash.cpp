#include "shell/frmsplash.h"
#include "controls/appicon.h"

#include "controls/application.h"
#include "controls/areafondo.h"
#include "controls/credits.h"
#include "drawkit/drawkit.h"
#include "platform/shell.h"
#include "services/help.h"
#include "shell/frmcalc.h"
#include "shell/linklabel.h"

#include <QApplication>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

const QString TSplash::kMail = QStringLiteral("contacto@sumbrix.example.org");

namespace {

// The system colours the window was designed in.
constexpr int kBtnFace = 15;
constexpr int kBtnShadow = 16;
constexpr int kBtnHighlight = 20;
constexpr int kHighlight = 13;

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, const QRect& at)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    l->setGeometry(at);
    return l;
}

QFont Arial(int pixels, bool bold, bool italic)
{
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(pixels);
    f.setBold(bold);
    f.setItalic(italic);
    return f;
}

} // namespace

TSplash::TSplash(TSplashMode mode, QWidget* owner, const std::array<TColor, 4>& scheme)
    : QDialog(owner), m_mode(mode), m_scheme(scheme)
{
    setObjectName(QStringLiteral("splash"));
    SetHelpContext(this, 1);
    if (mode == TSplashMode::Splash) {
        setWindowFlags(Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    } else {
        setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                       Qt::WindowCloseButtonHint);
        setWindowTitle(QStringLiteral("Acerca de..."));
    }
    setFixedSize(248, kFullHeight);

    AreaFondo1 = new TAreaFondo(this);
    AreaFondo1->setObjectName(QStringLiteral("AreaFondo1"));
    AreaFondo1->setGeometry(0, 0, 248, kFullHeight);
    AreaFondo1->setEstilo(efCilindroHor);
    AreaFondo1->setColor(SysColor(kBtnHighlight));
    AreaFondo1->setColor2(SysColor(kBtnFace));
    AreaFondo1->setPosicion(3);

    Image1 = MakeLabel(this, "Image1", QString(), QRect(8, 16, 32, 32));
    Image1->setPixmap(ApplicationPixmap(32));
    Label1 = MakeLabel(this, "Label1", QStringLiteral("Sum"), QRect(48, 12, 68, 40));
    Label1->setFont(Arial(32, true, true));
    Label1->setStyleSheet(QStringLiteral("color: red"));
    Label2 = MakeLabel(this, "Label2", QStringLiteral("brix"), QRect(116, 12, 76, 40));
    Label2->setFont(Arial(32, true, true));
    Label2->setStyleSheet(QStringLiteral("color: blue"));
    Label4 = MakeLabel(this, "Label4", QStringLiteral("2.84"), QRect(196, 28, 44, 20));
    Label4->setFont(Arial(16, true, true));
    Label3 = MakeLabel(this, "Label3", QStringLiteral("Calculadora científica en español"), QRect(0, 62, 248, 18));
    Label3->setAlignment(Qt::AlignHCenter);
    QFont bold = Label3->font();
    bold.setBold(true);
    Label3->setFont(bold);

    Label7 = new TLinkLabel(kMail, this);
    Label7->setObjectName(QStringLiteral("Label7"));
    Label7->setGeometry(0, 88, 248, 18);
    Label7->setAlignment(Qt::AlignHCenter);
    Label7->OnClick = [this] { Label7Click(); };
    Label6 = new TLinkLabel(TfrmCalcu::kWebPage, this);
    Label6->setObjectName(QStringLiteral("Label6"));
    Label6->setGeometry(0, 108, 248, 18);
    Label6->setAlignment(Qt::AlignHCenter);
    Label6->setStyleSheet(QStringLiteral("color: %1").arg(ToQColor(SysColor(kHighlight)).name()));
    Label6->OnClick = [this] { Label6Click(); };
    Label10 = MakeLabel(this, "Label10", QStringLiteral("Programa de distribución gratuita"), QRect(0, 132, 248, 18));
    Label10->setAlignment(Qt::AlignHCenter);

    Bevel1 = new QFrame(this);
    Bevel1->setObjectName(QStringLiteral("Bevel1"));
    Bevel1->setFrameShape(QFrame::HLine);
    Bevel1->setFrameShadow(QFrame::Sunken);
    Bevel1->setGeometry(4, 156, 240, 2);

    ScrollCredits1 = new TScrollCredits(this);
    ScrollCredits1->setObjectName(QStringLiteral("ScrollCredits1"));
    ScrollCredits1->setGeometry(8, 164, 232, 69);
    ScrollCredits1->setContinuo(false);
    ScrollCredits1->setCreditsFont(Arial(13, false, false), SysColor(kHighlight));
    ScrollCredits1->setBackgroundColor(SysColor(kBtnFace));
    ScrollCredits1->setBorderColor(SysColor(kBtnShadow));
    ScrollCredits1->setShowBorder(true);
    ScrollCredits1->setInterval(60);
    ScrollCredits1->setStep(1);
    ScrollCredits1->setAlignment(taCenter);
    ScrollCredits1->setCredits({QStringLiteral("Sumbrix 2.84"), QString(), QStringLiteral("Gracias a todos los usuarios"),
                                QStringLiteral("que con sus ideas, pruebas"), QStringLiteral("y avisos de errores"),
                                QStringLiteral("han hecho crecer este programa."), QString(),
                                QStringLiteral("Y gracias a quienes aportaron"), QStringLiteral("fórmulas, unidades y datos"),
                                QStringLiteral("de los elementos químicos."), QString(), QStringLiteral("¡Buenos cálculos!")});

    SpeedButton1 = new QPushButton(QStringLiteral("Aceptar"), this);
    SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    SpeedButton1->setGeometry(88, 248, 72, 25);
    SpeedButton1->setAutoDefault(false);
    connect(SpeedButton1, &QPushButton::clicked, this, &TSplash::SpeedButton1Click);

    if (mode == TSplashMode::About) {
        AreaFondo1->setColor(m_scheme[0]);
        AreaFondo1->setColor2(m_scheme[1]);
    }
}

void TSplash::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    FormShow();
}

void TSplash::FormShow()
{
    if (m_mode == TSplashMode::About) {
        setFixedHeight(kFullHeight);
        ScrollCredits1->setBackgroundColor(m_scheme[1]);
        ScrollCredits1->setCreditsFont(ScrollCredits1->CreditsFont(), m_scheme[2]);
        ScrollCredits1->setBorderColor(m_scheme[0]);
        ScrollCredits1->setAnimate(true);
    } else {
        // Only the upper part: the credits stay below the window's edge.
        setFixedHeight(kSplashHeight);
    }
}

void TSplash::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter || e->key() == Qt::Key_Escape) {
        done(QDialog::Accepted);
        return;
    }
    QDialog::keyPressEvent(e);
}

void TSplash::SpeedButton1Click() { done(QDialog::Accepted); }

void TSplash::Label6Click() { OpenUrl(TfrmCalcu::kWebPage); }

void TSplash::Label7Click() { OpenMailTo(Label7->text(), QString(), QString()); }

std::unique_ptr<TSplash> ShowSplash()
{
    auto splash = std::make_unique<TSplash>(TSplashMode::Splash);
    splash->show();
    splash->repaint();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    return splash;
}

std::function<int(QDialog& box)>& AboutBoxRunner()
{
    static std::function<int(QDialog&)> runner = [](QDialog& box) { return box.exec(); };
    return runner;
}

void RunAboutBox(QWidget* owner, const std::array<TColor, 4>& scheme, bool gradient)
{
    TSplash box(TSplashMode::About, owner, scheme);
    if (gradient)
        box.AreaFondo1->setEstilo(efGradienteHor);
    AboutBoxRunner()(box);
}

void InstallAbout(TfrmCalcu& main)
{
    main.OnAbout = [&main] {
        const TAppearance& a = main.Appearance();
        RunAboutBox(&main, {a.ClLuz, a.ClSombra, a.ClTexto, a.ClFondo});
    };
}
