#pragma once
// The actions of the matrix window on its grids, in rational (TMatriz) and
// complex (TMatrix) mode. Grids have one fixed row and column; the result
// grid is R. Faults are exceptions with the text the user sees; a question
// answered "no" ends with EAbort.
#include "tools/matrices/matrizp.h"
#include "tools/matrices/mmatrix.h"

#include <optional>

// A refusal that the window shows as information rather than as an error.
class EMatrixNotice : public Exception {
public:
    using Exception::Exception;
};

enum class TMatrixAction { Determinant, Triangulate, Transpose, Inverse, Solve, Sum, Difference, Product, Square };

struct TMatrixGrids {
    GridCells* Active = nullptr;
    QString ActiveName;            // "A", "B", "C" or "R"
    const GridCells* Other = nullptr;   // X of the sum, difference and product
    GridCells* Result = nullptr;
};

// Runs one action. The rational result written into R is returned so that it
// can be shown again in another number format.
std::optional<TMatriz> RunMatrixAction(TMatrixAction action, bool complexMode, const TMatrixGrids& grids,
                                       const TSingularQuestion& ask);

// The product by a scalar into R. Rational: the number typed (NumberFormat's
// ParseValue: an empty or unreadable text is an error, R unchanged) times the
// active matrix, R sized like it. Complex: each product that is not exactly 0 written into the same cell
// of R, which keeps its size and its other cells.
TMatriz ScaleRational(const GridCells& active, const QString& typed, GridCells& result);
void ScaleComplex(const GridCells& active, complex::TComplex c, GridCells& result);

// Every data row emptied; "1" on the diagonal, empty elsewhere.
void EmptyGrid(GridCells& grid);
void IdentityGrid(GridCells& grid);

// Data cells as text: cells followed by a tab (the last by CR LF), rows in order.
QString GridToText(const GridCells& grid);
// The rows of text (fields split at `separator`) into the grid's data cells:
// one row more than lines (at least 2), columns widened to the widest line.
// More than 255 rows or columns are refused with a message, grid unchanged.
void TextToGrid(GridCells& grid, const QStringList& lines, QChar separator);
// A clipboard text: LF dropped, lines at CR, fields at TAB.
void PasteText(GridCells& grid, const QString& text);

// Editing helpers of the window's grids.
// The characters a cell accepts: Backspace, "+", "-", ".", digits, the
// letters A to Z and a to z, "^" and "|".
bool IsCellCharacter(QChar ch);
// Each ".." becomes "|" (so "1..2" reads 1|2), left to right.
QString DotsToBar(const QString& text);
// The text a fixed cell shows: the grid's name at (0, 0); the row number down
// column 0; "b" over the columns right of the square part (the right-hand
// sides of a system), nothing over the others.
QString HeaderText(const GridCells& grid, const QString& name, int col, int row);
// The two grids exchange their sizes and data columns; column 0 (with the
// names and row numbers) stays where it is.
void SwapGrids(GridCells& a, GridCells& b);
// The data rows or columns that a drag of the size handle gives: the count at
// the press plus one for every 16 pixels of travel (truncated toward zero),
// kept within 1 and 255.
int SizeAfterDrag(int countAtPress, int travel);
