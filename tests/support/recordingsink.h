#pragma once
// A message sink that records every box instead of showing it and answers it
// without waiting for anyone.
#include "foundation/core/basicos.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <deque>

class RecordingSink : public MessageSink {
public:
    struct Box {
        QString text, caption;
        unsigned flags = 0;
    };
    // The button `answer` stands for when a box is to be answered with the
    // button its flags make the default (as an unattended program does).
    static constexpr int kDefaultButton = 0;

    // Every box shown, oldest first.
    QList<Box> boxes;
    // The buttons the next boxes answer, one each, in order.
    std::deque<int> answers;
    // The button every further box answers.
    int answer = idOk;

    int showMessage(const QString& text, const QString& caption, unsigned flags) override
    {
        boxes.append({text, caption, flags});
        int a = answer;
        if (!answers.empty()) {
            a = answers.front();
            answers.pop_front();
        }
        return a == kDefaultButton ? DefaultButtonResult(flags) : a;
    }

    int count() const { return int(boxes.size()); }
    bool empty() const { return boxes.isEmpty(); }
    const Box& last() const { return boxes.back(); }
    void clear() { boxes.clear(); }
    QStringList texts() const
    {
        QStringList out;
        for (const Box& b : boxes)
            out << b.text;
        return out;
    }
    QStringList captions() const
    {
        QStringList out;
        for (const Box& b : boxes)
            out << b.caption;
        return out;
    }
    QList<unsigned> flags() const
    {
        QList<unsigned> out;
        for (const Box& b : boxes)
            out << b.flags;
        return out;
    }
};
