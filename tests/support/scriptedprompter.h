#pragma once
// Answers the letter-variable prompts of the calculation from a script,
// instead of the input box.
#include "services/calcmodel.h"

#include <QString>

#include <gtest/gtest.h>

#include <deque>
#include <optional>
#include <vector>

class ScriptedPrompter : public VariablePrompter {
public:
    struct Prompt {
        QString caption, proposed;
        // The evaluator whose names the box would offer.
        real::TExpresion* names = nullptr;
    };
    // The answer that presses Cancel.
    static constexpr std::nullopt_t kCancel = std::nullopt;

    // Every prompt shown, oldest first.
    std::vector<Prompt> prompts;
    // The answers of the next prompts, in order: a text is typed and
    // accepted, kCancel cancels. A prompt with no answer left is cancelled.
    std::deque<std::optional<QString>> answers;
    // A prompt with no answer left also fails the test.
    bool failWhenUnscripted = false;

    bool Ask(const QString& caption, real::TExpresion* names, QString& text) override
    {
        prompts.push_back({caption, text, names});
        if (answers.empty()) {
            if (failWhenUnscripted)
                ADD_FAILURE() << "unexpected prompt " << caption.toStdString();
            return false;
        }
        std::optional<QString> a = answers.front();
        answers.pop_front();
        if (!a)
            return false;
        text = *a;
        return true;
    }
};
