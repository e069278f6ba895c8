#pragma once
// The pictures of the tool buttons: the program's own small drawings
// (controls/icons/tools/<name>.svg, a Qt resource), drawn in a colour of the
// scheme (the drawings use "currentColor", which takes the colour given).
//
//     SetToolPicture(button, QStringLiteral("toolbutton6"), textColour);
//     ...
//     RecolourToolPictures(window, newTextColour);   // the scheme changed
#include <QColor>
#include <QIcon>
#include <QString>

class QToolButton;
class QWidget;

// The picture `name` in `colour`; a null icon for an unknown name.
QIcon ToolPicture(const QString& name, const QColor& colour);
// Whether the resource holds the picture `name`.
bool HasToolPicture(const QString& name);
// The button shows the picture (and keeps its text and hint for the rest).
void SetToolPicture(QToolButton* button, const QString& name, const QColor& colour);
// The picture name a button was given, empty for none.
QString ToolPictureName(const QToolButton* button);
// Every button under `root` with a picture draws it again in `colour`.
void RecolourToolPictures(QWidget* root, const QColor& colour);
