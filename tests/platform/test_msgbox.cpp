#include "platform/msgbox.h"
#include "platform/spanish.h"

#include "support/fixtures.h"

#include <QAbstractButton>
#include <QPushButton>
#include <QApplication>
#include <QInputDialog>
#include <QTimer>

namespace {

// The Qt sink is installed into the process-wide values: the fixture takes it
// out again.
using MessageBoxes = ProcessStateTest;

TEST_F(MessageBoxes, FlagsBecomeButtonsAndIcons)
{
    struct Case {
        unsigned flags;
        QMessageBox::StandardButtons buttons;
        QMessageBox::Icon icon;
        QMessageBox::StandardButton def;
    };
    const Case cases[] = {
        {mb::Ok, QMessageBox::Ok, QMessageBox::NoIcon, QMessageBox::Ok},
        {mb::Ok | mb::IconError, QMessageBox::Ok, QMessageBox::Critical, QMessageBox::Ok},
        {mb::YesNo | mb::IconQuestion, QMessageBox::Yes | QMessageBox::No, QMessageBox::Question, QMessageBox::Yes},
        {mb::YesNo | mb::DefButton2, QMessageBox::Yes | QMessageBox::No, QMessageBox::NoIcon, QMessageBox::No},
        {mb::YesNoCancel | mb::IconWarning, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
         QMessageBox::Warning, QMessageBox::Yes},
        {mb::OkCancel | mb::IconInformation, QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Information,
         QMessageBox::Ok},
        {mb::RetryCancel, QMessageBox::Retry | QMessageBox::Cancel, QMessageBox::NoIcon, QMessageBox::Retry},
        {mb::AbortRetryIgnore | mb::DefButton3, QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore,
         QMessageBox::NoIcon, QMessageBox::Ignore},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.flags);
        auto box = BuildMessageBox(QStringLiteral("Texto"), QStringLiteral("Sumbrix"), c.flags);
        EXPECT_EQ(box->windowTitle(), QStringLiteral("Sumbrix"));
        EXPECT_EQ(box->text(), QStringLiteral("Texto"));
        EXPECT_EQ(box->standardButtons(), c.buttons);
        EXPECT_EQ(box->icon(), c.icon);
        ASSERT_NE(box->defaultButton(), nullptr);
        EXPECT_EQ(box->standardButton(box->defaultButton()), c.def);
    }
}

TEST_F(MessageBoxes, ABoxStandsAboveAWindowThatStaysOnTop)
{
    // Nothing stays on top: an ordinary box.
    EXPECT_FALSE(BuildMessageBox(QStringLiteral("x"), QStringLiteral("y"), mb::Ok)
                     ->windowFlags()
                     .testFlag(Qt::WindowStaysOnTopHint));
    // A splash over everything: the box shown meanwhile goes above it too.
    QWidget splash(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    splash.show();
    EXPECT_TRUE(BuildMessageBox(QStringLiteral("x"), QStringLiteral("y"), mb::YesNo)
                    ->windowFlags()
                    .testFlag(Qt::WindowStaysOnTopHint));
    splash.hide();
    EXPECT_FALSE(BuildMessageBox(QStringLiteral("x"), QStringLiteral("y"), mb::Ok)
                     ->windowFlags()
                     .testFlag(Qt::WindowStaysOnTopHint));
}

TEST_F(MessageBoxes, EscapeAnswers)
{
    EXPECT_EQ(EscapeResult(mb::Ok), idOk);
    EXPECT_EQ(EscapeResult(mb::YesNoCancel), idCancel);
    EXPECT_EQ(EscapeResult(mb::YesNo), 0) << "a yes/no question needs an answer";
    for (int r : {idOk, idCancel, idAbort, idRetry, idIgnore, idYes, idNo})
        EXPECT_EQ(ResultOfButton(ButtonOfResult(r)), r);
}

// The real box, answered by a click from a timer so that nothing waits.
TEST_F(MessageBoxes, TheSinkReturnsTheButtonPressed)
{
    Basicos().reset();
    InstallQtMessageSink();
    ASSERT_NE(Basicos().Messages, nullptr);
    QString seenTitle;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        seenTitle = box->windowTitle();
        box->button(QMessageBox::No)->click();
    });
    Basicos().ApplicationTitle = QStringLiteral("Sumbrix 2.84");
    EXPECT_EQ(MsgBoxApp(QStringLiteral("¿Cancela este proceso?"), mb::YesNo | mb::IconQuestion), idNo);
    EXPECT_EQ(seenTitle, QStringLiteral("Sumbrix 2.84"));
    Basicos().reset();
}

} // namespace

namespace {

// Every box names its buttons in Spanish, with or without Qt's translations.
TEST_F(MessageBoxes, ButtonsSpeakSpanish)
{
    struct Case {
        unsigned flags;
        QStringList texts;
    };
    const Case cases[] = {
        {mb::Ok, {QStringLiteral("Aceptar")}},
        {mb::OkCancel, {QStringLiteral("Aceptar"), QStringLiteral("Cancelar")}},
        {mb::YesNo, {QStringLiteral("Sí"), QStringLiteral("No")}},
        {mb::YesNoCancel, {QStringLiteral("Sí"), QStringLiteral("No"), QStringLiteral("Cancelar")}},
        {mb::RetryCancel, {QStringLiteral("Reintentar"), QStringLiteral("Cancelar")}},
        {mb::AbortRetryIgnore, {QStringLiteral("Anular"), QStringLiteral("Reintentar"), QStringLiteral("Omitir")}},
    };
    for (const Case& c : cases) {
        auto box = BuildMessageBox(QStringLiteral("Texto"), QStringLiteral("Sumbrix"), c.flags);
        QStringList texts;
        for (QAbstractButton* b : box->buttons())
            texts << b->text().remove(QLatin1Char('&'));
        texts.sort();
        QStringList expected = c.texts;
        expected.sort();
        EXPECT_EQ(texts, expected) << c.flags;
    }
    QInputDialog input;
    NameButtonsInSpanish(input);
    EXPECT_EQ(input.okButtonText(), QStringLiteral("Aceptar"));
    EXPECT_EQ(input.cancelButtonText(), QStringLiteral("Cancelar"));
}

TEST_F(MessageBoxes, QtsOwnSpanishTranslationsLoad)
{
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    ASSERT_TRUE(app);
    // The setup installs them; the translated texts of Qt's own dialogs follow.
    ASSERT_TRUE(InstallSpanishTranslations(*app));
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Cancelar"));
}

} // namespace
