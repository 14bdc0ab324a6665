#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <cstring>

#include "query/worker.h"
#include "util/output.h"

namespace {

struct WorkerThreadTest : testing::Test {
  void SetUp() override {
    g_cancel.store(0);
    strcpy(out.program_name, "LORVEX");
    run.output = &out;
  }
  void TearDown() override { g_cancel.store(0); }
  OutputContext out{};
  RunContext run;
};

int FinishWith7(RunContext*, const std::string& name) { return name == "ann" ? 7 : 0; }

// Plays the user pressing Ctrl+C once while the work runs, then works on
// until the flag is seen, as the retrieval does at its next object.
int InterruptOnce(RunContext*, const std::string&) {
  kill(getpid(), SIGINT);
  while (g_cancel.load() == 0) usleep(1000);
  return kWorkDone;
}

int InterruptTwice(RunContext*, const std::string&) {
  kill(getpid(), SIGINT);
  while (g_cancel.load() == 0) usleep(1000);
  kill(getpid(), SIGINT);
  for (;;) pause();
  return kWorkDone;
}

TEST_F(WorkerThreadTest, ResultOfTheBodyIsReturned) {
  EXPECT_EQ(RunOnWorkerThread(FinishWith7, &run, "ann"), 7);
}

TEST_F(WorkerThreadTest, CancelFlagSetDuringTheWorkGives151) {
  EXPECT_EQ(RunOnWorkerThread(FinishWith7, &run, "ann"), 7);
  g_cancel.store(1);
  EXPECT_EQ(RunOnWorkerThread(FinishWith7, &run, "ann"), kWorkCancelled);
}

TEST_F(WorkerThreadTest, CtrlCSetsTheCancelFlag) {
  EXPECT_EQ(RunOnWorkerThread(InterruptOnce, &run, "ann"), kWorkCancelled);
  EXPECT_EQ(g_cancel.load(), 1);
}

TEST_F(WorkerThreadTest, PreviousInterruptHandlingIsRestoredAfterTheWork) {
  struct sigaction before = {};
  sigaction(SIGINT, nullptr, &before);
  RunOnWorkerThread(FinishWith7, &run, "ann");
  struct sigaction after = {};
  sigaction(SIGINT, nullptr, &after);
  EXPECT_EQ(before.sa_handler, after.sa_handler);
}

TEST_F(WorkerThreadTest, SecondCtrlCEndsTheProcessAtOnce) {
  EXPECT_EXIT(RunOnWorkerThread(InterruptTwice, &run, "ann"), testing::KilledBySignal(SIGINT), "");
}

}  // namespace
