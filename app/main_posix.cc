// Entry point of the console build.
#include "query/driver.h"
#include "util/cmdline.h"

int main(int argc, char** argv) {
  SetProcessCommandLine(JoinArguments(argc, argv), argv[0]);
  return MainRun();
}
