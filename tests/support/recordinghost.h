#pragma once
// A tool window's host that answers from its members and records what the
// window tells it: the windows closed, the messages shown (answered with
// `answer`), the pictures copied.
#include "engine/formulapicture.h"
#include "services/toolhost.h"

#include <QString>

#include <vector>

class RecordingHost : public ToolHost {
public:
    real::TExpresion* InputEvaluator() override { return input; }
    Extended LastResult() const override { return lastResult; }
    std::uint8_t AngleUnit() const override { return angle; }
    const TAppearance& Appearance() const override { return appearance; }
    bool DrawsWhileTyping() const override { return drawsWhileTyping; }
    bool MagneticWindows() const override { return magnetic; }
    const FormulaPicture* CurrentPicture() const override { return nullptr; }
    void CopyPicture(const FormulaPicture&) override { ++copied; }
    bool CanExportPicture() const override { return false; }
    void ExportPicture(const FormulaPicture&, QWidget*) override {}
    VariablePrompter* Prompter() override { return prompter; }
    int ShowMessage(const QString& text, unsigned) override
    {
        messages.push_back(text);
        return answer;
    }
    void ToolClosed(TToolWindow* tool) override { closed.push_back(tool); }
    TNoticeBoard& Notices() override { return notices; }

    real::TExpresion* input = nullptr;
    VariablePrompter* prompter = nullptr;
    Extended lastResult = 0;
    std::uint8_t angle = 0;
    TAppearance appearance;
    bool drawsWhileTyping = true;
    bool magnetic = false;
    int answer = 0;
    int copied = 0;
    std::vector<QString> messages;
    std::vector<TToolWindow*> closed;
    TNoticeBoard notices;
};
