#pragma once
// The fixture of the tests that begin with the program already running as a
// returning user starts it: settings of an earlier session (no first-run
// offer, no tips), the main window up and taking keys.
#include "programdriver.h"

#include <gtest/gtest.h>

class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(p.ready()) << p.error().toStdString();
        p.writeSettings();
        ASSERT_TRUE(p.start()) << p.error().toStdString();
    }
    ProgramDriver p;
};
