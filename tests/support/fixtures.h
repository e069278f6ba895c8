#pragma once
// Fixtures that start and end every test with the program's process-wide
// values as a fresh program has them, and one that also points ExeDir at a
// temporary folder of its own, so that no test reads or writes beside the
// test programs.
//
// The Core... fixtures reset the foundation and the engines (library
// sumbrix_testsupport); the others every layer (sumbrix_testsupport_gui).
#include "foundation/core/basicos.h"
#include "support/processstate.h"
#include "support/testsupport.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

template <void (*Reset)()>
class FreshStateFixture : public ::testing::Test {
protected:
    void SetUp() override { Reset(); }
    void TearDown() override { Reset(); }
};

template <void (*Reset)()>
class TempExeDirFixture : public FreshStateFixture<Reset> {
protected:
    void SetUp() override
    {
        FreshStateFixture<Reset>::SetUp();
        ASSERT_TRUE(dir.isValid());
        SetExeDir(dir.path());
    }

    // The full name of a file of the folder.
    QString path(const QString& name) const { return dir.filePath(name); }
    bool exists(const QString& name) const { return QFileInfo::exists(path(name)); }
    // Writes a file whole.
    void put(const QString& name, const QByteArray& bytes) const
    {
        QFile f(path(name));
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            ADD_FAILURE() << "cannot write " << name.toStdString();
    }
    // Reads a file whole; "<missing>" when it cannot be read.
    QByteArray get(const QString& name) const
    {
        QFile f(path(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }

    QTemporaryDir dir;
};

using CoreStateTest = FreshStateFixture<&ResetCoreState>;
using CoreExeDirTest = TempExeDirFixture<&ResetCoreState>;
using ProcessStateTest = FreshStateFixture<&ResetProcessState>;
using ExeDirTest = TempExeDirFixture<&ResetProcessState>;
