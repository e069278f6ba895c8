#pragma once
// Answers the letter prompts of the fractions and complex-number tools from a
// script: each prompt is recorded as "caption|proposed text" and answered
// with the next text (with OK); a prompt with no answer left fails the test.
#include "tools/fracciones/exprtool.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <deque>

struct ScriptedLetters {
    QStringList prompts;
    std::deque<QString> answers;

    exprtool::TLetterPrompt Prompt()
    {
        return [this](const QString& caption, QString& text) {
            prompts << caption + QLatin1Char('|') + text;
            if (answers.empty()) {
                ADD_FAILURE() << "unexpected prompt " << caption.toStdString();
                text = QStringLiteral("0");
                return false;
            }
            text = answers.front();
            answers.pop_front();
            return true;
        };
    }
};
