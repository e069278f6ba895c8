#include "platform/spanish.h"

#include <QApplication>
#include <QInputDialog>
#include <QLibraryInfo>
#include <QPushButton>
#include <QTranslator>

bool InstallSpanishTranslations(QApplication& app)
{
    auto* translator = new QTranslator(&app);
    if (!translator->load(QStringLiteral("qtbase_es"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    QApplication::installTranslator(translator);
    return true;
}

QString SpanishButtonText(QDialogButtonBox::StandardButton button)
{
    switch (button) {
    case QDialogButtonBox::Ok: return QStringLiteral("Aceptar");
    case QDialogButtonBox::Cancel: return QStringLiteral("Cancelar");
    case QDialogButtonBox::Yes: return QStringLiteral("Sí");
    case QDialogButtonBox::No: return QStringLiteral("No");
    case QDialogButtonBox::Abort: return QStringLiteral("Anular");
    case QDialogButtonBox::Retry: return QStringLiteral("Reintentar");
    case QDialogButtonBox::Ignore: return QStringLiteral("Omitir");
    case QDialogButtonBox::Close: return QStringLiteral("Cerrar");
    case QDialogButtonBox::Save: return QStringLiteral("Guardar");
    case QDialogButtonBox::Open: return QStringLiteral("Abrir");
    case QDialogButtonBox::Apply: return QStringLiteral("Aplicar");
    case QDialogButtonBox::Help: return QStringLiteral("Ayuda");
    case QDialogButtonBox::YesToAll: return QStringLiteral("Sí a todo");
    case QDialogButtonBox::NoToAll: return QStringLiteral("No a todo");
    default: return QString();
    }
}

void NameButtonsInSpanish(QMessageBox& box)
{
    for (QAbstractButton* b : box.buttons()) {
        const auto standard = QDialogButtonBox::StandardButton(int(box.standardButton(b)));
        const QString text = SpanishButtonText(standard);
        if (!text.isEmpty())
            b->setText(text);
    }
}

void NameButtonsInSpanish(QDialogButtonBox& buttons)
{
    for (QAbstractButton* b : buttons.buttons()) {
        const QString text = SpanishButtonText(buttons.standardButton(b));
        if (!text.isEmpty())
            b->setText(text);
    }
}

void NameButtonsInSpanish(QInputDialog& dialog)
{
    dialog.setOkButtonText(SpanishButtonText(QDialogButtonBox::Ok));
    dialog.setCancelButtonText(SpanishButtonText(QDialogButtonBox::Cancel));
}

bool SpanishInputQuery(QWidget* parent, const QString& caption, const QString& prompt, QString& text)
{
    QInputDialog dialog(parent);
    dialog.setWindowTitle(caption);
    dialog.setLabelText(prompt);
    dialog.setTextValue(text);
    NameButtonsInSpanish(dialog);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    text = dialog.textValue();
    return true;
}
