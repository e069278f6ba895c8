#pragma once
// A flat tool button with its control name, its text and its hint.
#include <QString>
#include <QToolButton>

inline QToolButton* MakeToolButton(QWidget* parent, const char* name, const QString& text, const QString& hint)
{
    auto* b = new QToolButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setText(text);
    b->setToolTip(hint);
    b->setAutoRaise(true);
    return b;
}
