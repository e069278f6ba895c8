#pragma once
// The program's message boxes on the screen: the MessageSink that shows a
// QMessageBox with the buttons and icon of the program's flags.
#include "foundation/core/basicos.h"

#include <QMessageBox>
#include <memory>

class QtMessageSink : public MessageSink {
public:
    int showMessage(const QString& text, const QString& caption, unsigned flags) override;
};

// The box that showMessage runs (built, not shown).
std::unique_ptr<QMessageBox> BuildMessageBox(const QString& text, const QString& caption, unsigned flags,
                                             QWidget* parent = nullptr);
// The program's result for a standard button (idCancel for none).
int ResultOfButton(QMessageBox::StandardButton button);
QMessageBox::StandardButton ButtonOfResult(int result);
// What Esc answers: Cancel when the box has it, the only button of a
// one-button box, otherwise nothing (0): a Yes/No question needs an answer.
int EscapeResult(unsigned flags);

// Registers a QtMessageSink for the rest of the program's life; called once
// by the start-up code after the QApplication exists.
void InstallQtMessageSink();
