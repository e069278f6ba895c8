#pragma once
// What a window shows on a real X server, checked as a user would look at it:
// the window's pixels are read back from the server (not the widget's own
// rendering), saved as a picture beside the tests' logs, and searched for
// areas nothing painted and for texts wider than the room they are given.
#include <QImage>
#include <QRegion>
#include <QString>

#include <string>
#include <vector>

class QWidget;

namespace screencheck {

using Faults = std::vector<std::string>;

// Shows the window (when hidden), waits until the server has it and until what
// it shows stops changing.
void showAndSettle(QWidget* window);
// Lets pending paints reach the server.
void settle(QWidget* window);

// The window's pixels as the X server holds them, once they stop changing.
QImage grabFromServer(QWidget* window);

// The colour the server shows where no window ever painted: the root
// window's, read where no window lies.
QRgb untouchedColour();

// Saves the picture as <name>.png in the folder of the screen pictures
// (SUMBRIX_SCREEN_SHOTS, beside the tests' logs); returns its path.
QString save(const QImage& image, const QString& name);

// Solid squares of `size` × `size` pixels or more of one colour, outside
// `allowed` (window coordinates), each reported once by its first square.
std::vector<QRect> solidBlocks(const QImage& image, QRgb colour, int size = 16, const QRegion& allowed = {});

// Areas nothing painted: solid blocks of 16 × 16 pixels of the server's
// untouched colour, or of the pure black that a window's buffer holds where
// no widget drew, outside `designedSolid`.
Faults unpainted(const QImage& image, const QRegion& designedSolid = {});

// Texts that do not fit: every visible label, button, group box, read-only
// line edit, grid header and grid cell of the window whose text, measured with
// its own font, is wider (or taller) than the room it is given there, and
// grids whose columns reach beyond a view that offers no scroll bar.
Faults cutTexts(QWidget* window);

// Pixels that differ between two pictures of the same window (their bounding
// box), empty when they are the same.
QRect difference(const QImage& a, const QImage& b);

// The whole look: grabbed, saved as `name`, both checks.
Faults check(QWidget* window, const QString& name, const QRegion& designedSolid = {});

} // namespace screencheck
