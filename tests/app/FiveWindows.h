// The five windows exist once per test program, as at start-up.
#pragma once

#include <gtest/gtest.h>

#include "app/Unit1.h"
#include "app/Unit2.h"
#include "app/Unit3.h"
#include "app/Unit4.h"
#include "app/Unit5.h"
#include "gui/windows/TestKit.h"

class FiveWindowsEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        gui::testkit::Session session;  // a missing cover is reported, not shown
        gui::InitApplication();
        gui::Application->CreateForm(&Form4);
        gui::Application->CreateForm(&Form1);
        gui::Application->CreateForm(&Form2);
        gui::Application->CreateForm(&Form3);
        gui::Application->CreateForm(&Form5);
    }
    void TearDown() override { gui::DoneApplication(); }
};
