#pragma once
// A read-only box that shows a number shows its beginning: the leading
// digits matter more than the last ones.
#include <QLineEdit>

inline void ShowFromStart(QLineEdit* box, const QString& text)
{
    box->setText(text);
    box->setCursorPosition(0);
}
