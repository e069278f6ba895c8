// The statistics window on a real X server: the data page and the results
// page after a sample is typed, every label and value whole, and the chart's
// axis labels apart.
#include "windowfixture.h"

#include "controls/paintboxm.h"
#include "tools/estadisticas/window/frmstat.h"

#include <QLineEdit>
#include <QTabWidget>
#include <QTest>

namespace {

class StatScreen : public ScreenWindowTest {};

TEST_F(StatScreen, ResultsAndLabelsReadWhole)
{
    TfmStat w(host, nullptr);
    place(&w);
    screencheck::Faults faults = screencheck::check(&w, QStringLiteral("stat_default"));
    EXPECT_TRUE(faults.empty()) << ::testing::PrintToString(faults);

    // Most of the sample at its minimum: the first quartile lies at the
    // chart's left edge, where "Dato" is written.
    for (const char* entry : {"1*6", "2", "3", "1234567.891", "-0.000123*2"}) {
        w.entrada->setText(QString::fromLatin1(entry));
        QTest::keyClick(w.entrada, Qt::Key_Return);
    }
    faults = screencheck::check(&w, QStringLiteral("stat_data"));
    EXPECT_TRUE(faults.empty()) << ::testing::PrintToString(faults);

    w.PageControl1->setCurrentIndex(1);
    faults = screencheck::check(&w, QStringLiteral("stat_results"));
    EXPECT_TRUE(faults.empty()) << ::testing::PrintToString(faults);
    const auto& labels = w.AxisLabels();
    ASSERT_EQ(labels.size(), 4u);
    // No label over another, and all within the chart.
    const QRect chart = w.pb->rect();
    for (size_t i = 0; i < labels.size(); ++i) {
        SCOPED_TRACE(labels[i].first.toStdString());
        EXPECT_TRUE(chart.contains(labels[i].second));
        for (size_t j = 0; j < i; ++j)
            EXPECT_FALSE(labels[j].second.intersects(labels[i].second)) << labels[j].first.toStdString();
    }
}

} // namespace
