#pragma once
// Every box of the program speaks Spanish: Qt's own translations when the
// machine has them, and the standard buttons named here whatever it has.
#include <QDialogButtonBox>
#include <QMessageBox>
#include <QString>

class QApplication;
class QInputDialog;
class QWidget;

// Loads Qt's Spanish translations (qtbase_es) into the application; false when
// the machine has none (the boxes still name their buttons in Spanish).
bool InstallSpanishTranslations(QApplication& app);

// "Aceptar", "Cancelar", "Sí", "No", ... for a standard button; empty for one
// the program never shows.
QString SpanishButtonText(QDialogButtonBox::StandardButton button);

// Names every standard button of the box or button row in Spanish.
void NameButtonsInSpanish(QMessageBox& box);
void NameButtonsInSpanish(QDialogButtonBox& buttons);
void NameButtonsInSpanish(QInputDialog& dialog);

// Asks for a text in a box with "Aceptar" and "Cancelar"; `text` is the
// proposal and, on Aceptar, the answer. False on Cancelar.
bool SpanishInputQuery(QWidget* parent, const QString& caption, const QString& prompt, QString& text);
