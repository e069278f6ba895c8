#pragma once
// A tool window's screen test: a fresh program whose folder holds the data
// files the build made, a host that records what the window tells it, and
// the checks of what reaches the screen.
#include "foundation/core/basicos.h"
#include "screen/screencheck.h"
#include "support/fixtures.h"
#include "support/recordinghost.h"
#include "support/recordingsink.h"

#include <QFile>
#include <QWidget>

#include <gtest/gtest.h>

class ScreenWindowTest : public ExeDirTest {
protected:
    void SetUp() override
    {
        ExeDirTest::SetUp();
        Basicos().ExeFile = path(QStringLiteral("sumbrix"));
        Basicos().ApplicationTitle = QStringLiteral("Sumbrix 2.84");
        Basicos().Messages = &sink;
    }
    // Copies a data file made by the build into the program's folder.
    void copyData(const QString& name)
    {
        const QString from = qEnvironmentVariable("SUMBRIX_BIN_DIR") + QLatin1Char('/') + name;
        ASSERT_TRUE(QFile::copy(from, path(name))) << from.toStdString();
    }
    // A window where a user would open it first: clear of the screen's corner
    // that tells what the server leaves untouched.
    static void place(QWidget* w) { w->move(40, 40); }

    RecordingHost host;
    RecordingSink sink;
};
