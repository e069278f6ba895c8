#pragma once
// The periodic window's tests: a fresh program whose folder holds the shipped
// element table, and a host that records what the window tells it.
#include "foundation/core/basicos.h"
#include "science/quimica/elementos.h"
#include "science/quimica/quimica.h"
#include "science/quimica/window/legendas.h"
#include "support/fixtures.h"
#include "support/recordinghost.h"

#include <QFile>

class TabPerTest : public ExeDirTest {
protected:
    void SetUp() override
    {
        ExeDirTest::SetUp();
        Basicos().ExeFile = path(QStringLiteral("sumbrix"));
        Elementos().reset();
        Quimica().reset();
        TabPer().reset();
        ASSERT_TRUE(QFile::copy(QStringLiteral(SUMBRIX_BIN_DIR "/tablaper.tab"), path(QStringLiteral("tablaper.tab"))));
    }
    void TearDown() override
    {
        Elementos().reset();
        Quimica().reset();
        TabPer().reset();
        ExeDirTest::TearDown();
    }
    RecordingHost host;
};
