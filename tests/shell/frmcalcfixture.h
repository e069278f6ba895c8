#pragma once
// The main window made over a temporary executable folder, with a recording
// message sink and a scripted prompter; helpers to type, read the boxes and the
// files the window writes.
#include "shell/frmcalc.h"

#include "controls/comboexpr.h"
#include "controls/frmautocomp.h"
#include "controls/frmteclado.h"
#include "engine/bases.h"
#include "engine/formulapicture.h"
#include "engine/real/expresion.h"
#include "foundation/core/basicos.h"
#include "foundation/core/format.h"
#include "services/calcmodel.h"
#include "services/toolhost.h"
#include "shell/startup.h"
#include "support/recordingsink.h"
#include "support/scriptedprompter.h"

#include <QCoreApplication>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>

class FrmCalcTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        Basicos().reset();
        SetExeDir(dir.path());
        // The settings file is named after the program.
        Basicos().ExeFile = dir.filePath(QStringLiteral("sumbrix"));
        Basicos().Messages = &sink;
        sink.answer = RecordingSink::kDefaultButton;
        prompter.failWhenUnscripted = true;
        Calc().reset();
        Calc().FixedSeed = 20260101;
        Calc().Prompter = &prompter;
        numtext().reset();
        real::engineState().reset();
        AutoComp().reset();
        ComboExpr().reset();
        StartUnits();
    }
    void TearDown() override
    {
        w.reset();
        MainExtensions().reset();
        FreeAutoComp();
        FreeTeclado();
        PictureMetrics::reset();
        real::messageHook() = nullptr;
        Calc().reset();
        numtext().reset();
        real::engineState().reset();
        Basicos().reset();
    }

    // A settings file that is not a first run (no help offer).
    void writeSettings(const QByteArray& extra = QByteArray())
    {
        QFile f(dir.filePath(QStringLiteral("sumbrix.ini")));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[Opciones]\r\nVer=280\r\n" + extra);
    }
    // Copies data files made by the build (beside the test programs) into
    // the program's folder.
    void copyBuiltDataFiles(std::initializer_list<const char*> names)
    {
        for (const char* name : names)
            ASSERT_TRUE(QFile::copy(QCoreApplication::applicationDirPath() + QLatin1Char('/') + QLatin1String(name),
                                    dir.filePath(QLatin1String(name))));
    }
    void open()
    {
        w = std::make_unique<TfrmCalcu>();
    }
    void openNotFirstRun()
    {
        writeSettings();
        open();
    }
    void enter(const QString& text)
    {
        w->cmbEdit->SetText(text);
        QTest::keyClick(w->cmbEdit, Qt::Key_Return);
    }
    QString result() const { return w->Edit2->text(); }
    QStringList history() const { return w->cmbEdit->Items(); }
    QStringList lines() const
    {
        QStringList out;
        for (int i = 0; i < w->HistoryCount(); ++i)
            out << w->HistoryLine(i);
        return out;
    }
    QByteArray file(const QString& name) const
    {
        QFile f(dir.filePath(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void selectLine(int row)
    {
        w->Lista->setCurrentRow(row);
        w->Lista->item(row)->setSelected(true);
    }

    QTemporaryDir dir;
    RecordingSink sink;
    ScriptedPrompter prompter;
    std::unique_ptr<TfrmCalcu> w;
};

