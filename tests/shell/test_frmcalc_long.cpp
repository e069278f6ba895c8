// Calculations that would run for hours: the window shows how far they are,
// stays painted, takes no other input, and stops on Esc with "Cálculo
// cancelado", the history and the total untouched.
#include "frmcalcfixture.h"

#include <QTimer>

namespace {

using LongTest = FrmCalcTest;

TEST_F(LongTest, AHugeCountStopsOnEscLeavingHistoryAndTotal)
{
    for (const char* text : {"Sumatoria(1,1e12,n)", "Producto(1,1e12,1)", "Integrar(0,1,4e12,x)"}) {
        SCOPED_TRACE(text);
        openNotFirstRun();
        w->show();
        enter(QStringLiteral("5"));
        QString shownMeanwhile;
        QTimer::singleShot(300, [&] {
            shownMeanwhile = w->Edit2->text();
            // Typing meanwhile reaches nothing; Esc stops the calculation.
            QTest::keyClicks(w->cmbEdit->lineEdit(), QStringLiteral("77"));
            QTest::keyClick(w->cmbEdit, Qt::Key_Return);
            QTest::keyClick(w->cmbEdit, Qt::Key_Escape);
        });
        enter(QString::fromLatin1(text));
        EXPECT_TRUE(shownMeanwhile.startsWith(QStringLiteral("Calculando..."))) << shownMeanwhile.toStdString();
        EXPECT_EQ(result(), QStringLiteral("Cálculo cancelado"));
        EXPECT_EQ(w->cmbEdit->Text(), QString::fromLatin1(text));
        EXPECT_EQ(w->Total(), 5);
        EXPECT_EQ(w->TotalCount(), 1);
        EXPECT_EQ(w->HistoryCount(), 2);
        // Stopped while compiling (constant arguments are calculated then),
        // the compiler's box says the same.
        for (const RecordingSink::Box& box : sink.boxes)
            EXPECT_EQ(box.text, QStringLiteral("Cálculo cancelado"));
        sink.clear();
        // The window calculates normally afterwards.
        enter(QStringLiteral("Sumatoria(1,100,n)"));
        EXPECT_EQ(result(), QStringLiteral("5050"));
        w.reset();
    }
}

} // namespace
