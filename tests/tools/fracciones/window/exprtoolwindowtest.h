#pragma once
// The fixture of the fractions and complex-number window tests: a fresh
// program in a folder of its own, boxes recorded by a sink, the window made
// over a recording host with its letters answered from a script, and Enter
// pressed in its entry box.
#include "controls/comboexpr.h"
#include "engine/formulapicture.h"
#include "foundation/core/basicos.h"
#include "support/fixtures.h"
#include "support/recordinghost.h"
#include "support/recordingsink.h"
#include "tools/fracciones/scriptedletters.h"

#include <QTest>

#include <memory>

// A host that can export, and whose main window shows a picture.
class ExportingHost : public RecordingHost {
public:
    const FormulaPicture* CurrentPicture() const override { return mainPicture.get(); }
    bool CanExportPicture() const override { return true; }
    void ExportPicture(const FormulaPicture&, QWidget* owner) override { exportedFrom = owner; }
    std::unique_ptr<FormulaPicture> mainPicture;
    QWidget* exportedFrom = nullptr;
};

// `Entry` is the window's expression box.
template <class Window, TComboExpr* Window::*Entry>
class ExprToolWindowTest : public ExeDirTest {
protected:
    void SetUp() override
    {
        ExeDirTest::SetUp();
        Basicos().ExeFile = path(QStringLiteral("sumbrix"));
        Basicos().ApplicationTitle = QStringLiteral("Sumbrix 2.84");
        Basicos().Messages = &sink;
    }
    void TearDown() override
    {
        w.reset();
        ExeDirTest::TearDown();
    }
    void open(ToolHost& h)
    {
        w = std::make_unique<Window>(h, nullptr);
        w->AskLetter = letters.Prompt();
        w->show();
    }
    void open() { open(host); }
    // Puts the text into the entry and presses Enter there (letters typed
    // one by one would open the autocomplete list).
    void calculate(const QString& text)
    {
        TComboExpr* entry = w.get()->*Entry;
        entry->SetText(text);
        entry->setFocus();
        QTest::keyClick(entry, Qt::Key_Return);
    }

    RecordingHost host;
    RecordingSink sink;
    std::unique_ptr<Window> w;
    ScriptedLetters letters;
    QStringList& prompts = letters.prompts;
    std::deque<QString>& answers = letters.answers;
};
