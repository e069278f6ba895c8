#pragma once
// Helpers of the matrix tests: the message of what an action raises, cell
// texts joined into one line, and a rational matrix from rows of cell texts.
#include "foundation/core/exceptions.h"
#include "tools/matrices/matrizp.h"

#include <QStringList>
#include <functional>

namespace matrixtest {

inline QString Message(const std::function<void()>& f)
{
    try {
        f();
    } catch (const Exception& e) {
        return e.message();
    }
    return QStringLiteral("<no exception>");
}

// Rows 1..rows of cells 1..cols, cells joined by `cellSep`, rows by `rowSep`.
inline QString JoinCells(int cols, int rows, const std::function<QString(int col, int row)>& cell, const QString& cellSep,
                         const QString& rowSep)
{
    QStringList lines;
    for (int r = 1; r <= rows; ++r) {
        QStringList cells;
        for (int c = 1; c <= cols; ++c)
            cells << cell(c, r);
        lines << cells.join(cellSep);
    }
    return lines.join(rowSep);
}

// Rows of cell texts, each read as a grid cell is.
inline TMatriz Make(const std::vector<std::vector<QString>>& rows)
{
    TMatriz m = TMatriz::CreateEmpty(int(rows[0].size()), int(rows.size()));
    for (int r = 0; r < int(rows.size()); ++r)
        for (int c = 0; c < int(rows[0].size()); ++c)
            m.SetCell(c + 1, r + 1, TPoliN(rows[std::size_t(r)][std::size_t(c)]));
    return m;
}

} // namespace matrixtest
