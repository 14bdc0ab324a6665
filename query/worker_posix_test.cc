// Ctrl+C during a run: the first press cancels it, a second ends the process at once.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <cstring>

#include "query/worker.h"
#include "util/output.h"

namespace {

// Plays the user pressing Ctrl+C, then works on until the flag is seen, as the retrieval does at
// its next object; with kTwice the user presses again.
template <bool kTwice>
int Interrupt(RunContext*, const std::string&) {
  kill(getpid(), SIGINT);
  while (g_cancel.load() == 0) usleep(1000);
  if (kTwice) {
    kill(getpid(), SIGINT);
    for (;;) pause();
  }
  return kWorkDone;
}

struct WorkerThread : testing::Test {
  void SetUp() override {
    g_cancel.store(0);
    strcpy(out.program_name, "LORVEX");
    run.output = &out;
  }
  void TearDown() override { g_cancel.store(0); }
  OutputContext out{};
  RunContext run;
};

TEST_F(WorkerThread, CtrlCCancelsTheRunAndTheFormerHandlerIsBackAfterIt) {
  struct sigaction before = {};
  struct sigaction after = {};
  sigaction(SIGINT, nullptr, &before);
  EXPECT_EQ(RunOnWorkerThread(Interrupt<false>, &run, "ann"), kWorkCancelled);
  EXPECT_EQ(g_cancel.load(), 1);
  sigaction(SIGINT, nullptr, &after);
  EXPECT_EQ(before.sa_handler, after.sa_handler);
}

TEST_F(WorkerThread, SecondCtrlCEndsTheProcessAtOnce) {
  EXPECT_EXIT(RunOnWorkerThread(Interrupt<true>, &run, "ann"), testing::KilledBySignal(SIGINT), "");
}

}  // namespace
