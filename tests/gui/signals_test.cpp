// SIGTERM and SIGINT end the application through its event loop.
#include <gtest/gtest.h>

#include <unistd.h>

#include <csignal>

#include "gui/windows/Forms.h"
#include "gui/windows/Signals.h"

using namespace gui;

TEST(Signals, TermAndIntEndRunCleanly) {
    alarm(20);  // if the loop never ends, the run fails instead of hanging
    InitApplication();
    TerminateOnSignals();
    TerminateOnSignals();  // a second call changes nothing
    EXPECT_EQ(TerminatingSignal(), 0);
    ASSERT_EQ(std::raise(SIGTERM), 0);  // the process lives on: only noted
    EXPECT_EQ(TerminatingSignal(), 0) << "read by the event loop, not the handler";
    Application->Run();
    EXPECT_TRUE(Application->Terminated());
    EXPECT_EQ(TerminatingSignal(), SIGTERM);
    DoneApplication();

    InitApplication();
    ASSERT_EQ(std::raise(SIGINT), 0);
    Application->Run();
    EXPECT_TRUE(Application->Terminated());
    EXPECT_EQ(TerminatingSignal(), SIGINT);
    DoneApplication();
    alarm(0);
}
