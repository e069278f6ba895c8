#pragma once
// Stand-ins the foundation tests share: a message sink that records and
// answers, a temporary folder with whole-file helpers, and a window as the
// placement routines see it.
#include "foundation/core/basicos.h"
#include "foundation/core/placement.h"

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// Records every box and answers with a fixed button.
struct RecordingSink : MessageSink {
    struct Box {
        QString text, caption;
        unsigned flags;
    };
    QList<Box> boxes;
    int answer = idOk;
    int showMessage(const QString& text, const QString& caption, unsigned flags) override
    {
        boxes.append({text, caption, flags});
        return answer;
    }
};

// A temporary folder and its files, written and read whole.
struct TempFolder {
    QTemporaryDir dir;

    QString path(const QString& name) const { return dir.path() + '/' + name; }
    void put(const QString& name, const QByteArray& bytes) const
    {
        QFile f(path(name));
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            ADD_FAILURE() << "cannot write " << name.toStdString();
    }
    QByteArray get(const QString& name) const
    {
        QFile f(path(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
};

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
