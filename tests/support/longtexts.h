#pragma once
// Long texts for the engines' tests: a thread with a small stack, on which a
// walk of a long expression that recursed once per operator would overflow,
// and the alternating sum "1-2+3-4+..." with its value.
#include <QThread>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

inline void OnSmallStack(std::size_t bytes, const std::function<void()>& work)
{
    std::unique_ptr<QThread> t(QThread::create(work));
    t->setStackSize(static_cast<uint>(bytes));
    t->start();
    ASSERT_TRUE(t->wait(120000));
}

struct TAlternatingSum {
    std::string text;
    long long value = 0;
};

// "1-2+3-4+..." up to `terms`, and what it adds up to.
inline TAlternatingSum AlternatingSum(int terms)
{
    TAlternatingSum s{"1", 1};
    for (int i = 2; i <= terms; ++i) {
        s.text += (i % 2 ? "+" : "-") + std::to_string(i);
        s.value += i % 2 ? i : -i;
    }
    return s;
}
