#pragma once
// The formula manager's element grid driven as a user drives it: the row of a
// symbol, and a value typed into its Valor cell and entered.
#include "controls/stringgridx.h"
#include "science/formulas/window/fmformula.h"

#include <QCoreApplication>
#include <QEvent>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

// The row of a symbol, -1 when the formula has none.
inline int FormulaRowOf(TfmFormula& w, const QString& symbol)
{
    for (int r = 1; r < w.gri->RowCount(); ++r)
        if (w.gri->Cells(TfmFormula::cSimb, r) == symbol)
            return r;
    return -1;
}

// Types a value into the Valor cell of a symbol's row and presses Enter.
inline void TypeFormulaValue(TfmFormula& w, const QString& symbol, const QString& text)
{
    const int r = FormulaRowOf(w, symbol);
    ASSERT_GT(r, 0);
    w.gri->SetCurrent(TfmFormula::cValor, r);
    w.gri->editItem(w.gri->item(r, TfmFormula::cValor));
    QLineEdit* line = nullptr;
    for (QLineEdit* e : w.gri->viewport()->findChildren<QLineEdit*>())
        if (e->isVisible())
            line = e;
    ASSERT_NE(line, nullptr);
    line->selectAll();
    QTest::keyClicks(line, text);
    QTest::keyClick(line, Qt::Key_Return);
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
