// The checks themselves, on windows made to fail them: a hole nothing
// paints, a label, a button and a grid cell narrower than their texts.
#include "screen/screencheck.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTableWidget>

#include <gtest/gtest.h>

namespace {

TEST(ScreenCheck, SolidBlocksFromTheirSizeOn)
{
    struct Case {
        QRect block;
        size_t found;
    };
    const Case cases[] = {{QRect(10, 10, 16, 16), 1}, {QRect(10, 10, 15, 40), 0}, {QRect(0, 0, 40, 15), 0},
                          {QRect(30, 20, 40, 30), 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.block.width());
        QImage img(100, 80, QImage::Format_RGB32);
        img.fill(Qt::white);
        QPainter(&img).fillRect(c.block, Qt::black);
        const auto blocks = screencheck::solidBlocks(img, qRgb(0, 0, 0));
        ASSERT_EQ(blocks.size(), c.found);
        if (c.found)
            EXPECT_EQ(blocks.front(), c.block);
        // What the design paints so is allowed.
        EXPECT_TRUE(screencheck::solidBlocks(img, qRgb(0, 0, 0), 16, QRegion(c.block)).empty());
    }
}

// A window whose only child paints nothing over part of it.
class Holed : public QWidget {
protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(0, 0, width() / 2, height(), Qt::white); }
};

TEST(ScreenCheck, AnAreaNothingPaintsIsFound)
{
    QWidget w;
    w.setGeometry(40, 40, 200, 100);
    auto* hole = new Holed;
    hole->setAttribute(Qt::WA_OpaquePaintEvent);
    auto* l = new QHBoxLayout(&w);
    l->setContentsMargins(0, 0, 0, 0);
    l->addWidget(hole);
    screencheck::showAndSettle(&w);
    const screencheck::Faults faults = screencheck::unpainted(screencheck::grabFromServer(&w));
    EXPECT_FALSE(faults.empty());
    hole->setAttribute(Qt::WA_OpaquePaintEvent, false);
    hole->update();
    EXPECT_TRUE(screencheck::unpainted(screencheck::grabFromServer(&w)).empty());
}

TEST(ScreenCheck, TextsNarrowerThanTheirRoomAreFound)
{
    QWidget w;
    w.setGeometry(40, 40, 300, 200);
    auto* label = new QLabel(QStringLiteral("Un texto bastante largo para su sitio"), &w);
    label->setObjectName(QStringLiteral("label"));
    label->setGeometry(5, 5, 60, 20);
    auto* button = new QPushButton(QStringLiteral("Un botón de texto largo"), &w);
    button->setObjectName(QStringLiteral("button"));
    button->setGeometry(5, 30, 50, 25);
    auto* grid = new QTableWidget(1, 1, &w);
    grid->setObjectName(QStringLiteral("grid"));
    grid->setGeometry(5, 60, 200, 100);
    grid->setItem(0, 0, new QTableWidgetItem(QStringLiteral("0.333333333333333333333")));
    grid->setColumnWidth(0, 40);
    screencheck::showAndSettle(&w);
    const screencheck::Faults faults = screencheck::cutTexts(&w);
    ASSERT_EQ(faults.size(), 3u) << ::testing::PrintToString(faults);
    EXPECT_EQ(faults[0].rfind("label", 0), 0u);
    EXPECT_EQ(faults[1].rfind("button", 0), 0u);
    EXPECT_EQ(faults[2].rfind("grid", 0), 0u);

    label->resize(label->sizeHint());
    button->resize(button->sizeHint());
    grid->resizeColumnsToContents();
    EXPECT_TRUE(screencheck::cutTexts(&w).empty()) << ::testing::PrintToString(screencheck::cutTexts(&w));
}

} // namespace
