#include "platform/msgbox.h"
#include "platform/spanish.h"

#include <QApplication>
#include <QPushButton>
#include <QtDebug>

#include <algorithm>

QMessageBox::StandardButton ButtonOfResult(int result)
{
    switch (result) {
    case idOk: return QMessageBox::Ok;
    case idCancel: return QMessageBox::Cancel;
    case idAbort: return QMessageBox::Abort;
    case idRetry: return QMessageBox::Retry;
    case idIgnore: return QMessageBox::Ignore;
    case idYes: return QMessageBox::Yes;
    case idNo: return QMessageBox::No;
    default: return QMessageBox::NoButton;
    }
}

int ResultOfButton(QMessageBox::StandardButton button)
{
    switch (button) {
    case QMessageBox::Ok: return idOk;
    case QMessageBox::Abort: return idAbort;
    case QMessageBox::Retry: return idRetry;
    case QMessageBox::Ignore: return idIgnore;
    case QMessageBox::Yes: return idYes;
    case QMessageBox::No: return idNo;
    default: return idCancel;
    }
}

int EscapeResult(unsigned flags)
{
    const QList<int> results = ButtonsOf(flags);
    if (results.contains(idCancel))
        return idCancel;
    if (results.size() == 1)
        return results.first();
    return 0;
}

std::unique_ptr<QMessageBox> BuildMessageBox(const QString& text, const QString& caption, unsigned flags,
                                             QWidget* parent)
{
    auto box = std::make_unique<QMessageBox>(parent);
    // A box must never stand under a window that stays on top (the start's
    // splash, a main window kept above the others): it stays on top as well.
    const QWidgetList windows = QApplication::topLevelWidgets();
    if (std::any_of(windows.begin(), windows.end(), [&](const QWidget* w) {
            return w != box.get() && w->isVisible() && w->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
        }))
        box->setWindowFlag(Qt::WindowStaysOnTopHint);
    box->setWindowTitle(caption);
    box->setText(text);
    switch (flags & mb::IconMask) {
    case mb::IconError: box->setIcon(QMessageBox::Critical); break;
    case mb::IconQuestion: box->setIcon(QMessageBox::Question); break;
    case mb::IconWarning: box->setIcon(QMessageBox::Warning); break;
    case mb::IconInformation: box->setIcon(QMessageBox::Information); break;
    default: box->setIcon(QMessageBox::NoIcon); break;
    }
    const QList<int> results = ButtonsOf(flags);
    QMessageBox::StandardButtons buttons;
    for (int r : results)
        buttons |= ButtonOfResult(r);
    box->setStandardButtons(buttons);
    NameButtonsInSpanish(*box);
    box->setDefaultButton(ButtonOfResult(DefaultButtonResult(flags)));
    if (const int esc = EscapeResult(flags))
        box->setEscapeButton(ButtonOfResult(esc));
    return box;
}

int QtMessageSink::showMessage(const QString& text, const QString& caption, unsigned flags)
{
    // Before the application exists or after it has ended there is no screen
    // to show a box on (a settings file written at the very end).
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        qWarning().noquote() << caption << ":" << text;
        return DefaultButtonResult(flags);
    }
    auto box = BuildMessageBox(text, caption, flags, QApplication::activeWindow());
    box->exec();
    QAbstractButton* clicked = box->clickedButton();
    if (!clicked) {
        const int esc = EscapeResult(flags);
        return esc ? esc : idCancel;
    }
    return ResultOfButton(box->standardButton(clicked));
}

void InstallQtMessageSink()
{
    static QtMessageSink sink;
    Basicos().Messages = &sink;
}
