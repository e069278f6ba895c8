#pragma once
// A window as the placement routines see it, for the tests of placement
// records and of their settings files.
#include "foundation/core/placement.h"

#include <QList>
#include <QSize>
#include <QString>

// A window on a 1280 x 1024 screen that remembers the position modes it was
// given.
struct FakeForm : PlacementTarget {
    QString name = QStringLiteral("fmPrimos");
    int l = 100, t = 100, w = 400, h = 300;
    TWindowState s = TWindowState::Normal;
    QList<TPosition> positions;
    QString Name() const override { return name; }
    int Left() const override { return l; }
    int Top() const override { return t; }
    int Width() const override { return w; }
    int Height() const override { return h; }
    TWindowState WindowState() const override { return s; }
    void SetLeft(int v) override { l = v; }
    void SetTop(int v) override { t = v; }
    void SetWidth(int v) override { w = v; }
    void SetHeight(int v) override { h = v; }
    void SetWindowState(TWindowState v) override { s = v; }
    void SetPosition(TPosition p) override { positions.append(p); }
    QSize ScreenSize() const override { return {1280, 1024}; }
};
