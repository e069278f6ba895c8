#pragma once
// Runs work on a thread with a small stack: a walk of a long expression that
// recursed once per operator would overflow it.
#include <QThread>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

inline void OnSmallStack(std::size_t bytes, const std::function<void()>& work)
{
    std::unique_ptr<QThread> t(QThread::create(work));
    t->setStackSize(static_cast<uint>(bytes));
    t->start();
    ASSERT_TRUE(t->wait(120000));
}
