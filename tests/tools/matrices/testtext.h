#pragma once
// Helpers of the matrix tests: the message of what an action raises, and
// cell texts joined into one line.
#include "foundation/core/exceptions.h"

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

} // namespace matrixtest
