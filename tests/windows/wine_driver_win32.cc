// Drives lorvex.exe the way a person would (the steps are in driver_steps.h): starts it, sends
// real keys, fills and presses the buttons of its dialogs, and checks the results through the
// clipboard, saved files, message boxes, the screen and the exit code. One scenario per run;
// prints "PASS" or the failures.
//   lorvex_wine_driver SCENARIO LORVEX.EXE WORKDIR [ARGUMENTS [USER PASSWORD]]
#include <cstdio>
#include <string>

#include "tests/windows/driver_steps.h"
#include "tests/windows/scenarios.h"

namespace {

struct Scenario {
  const char* name;
  void (*run)();
};

const Scenario kScenarios[] = {
    {"usage-copy", UsageAndCopy},
    {"help-version", HelpAndVersion},
    {"save-as", SaveAs},
    {"save-as-failure", SaveAsFailure},
    {"find", FindText},
    {"about", About},
    {"menu-exit", MenuExit},
    {"silent", Silent},
    {"print-uncollated", [] { Print(L"2", false, false); }},
    {"print-collated", [] { Print(L"2", true, false); }},
    {"print-range", [] { Print(L"1", false, true); }},
    {"print-screen", PrintScreen},
    {"print-screen-key", [] { PrintScreenKey(false); }},
    {"print-screen-key-up", [] { PrintScreenKey(true); }},
    {"directory-error", DirectoryError},
    {"follow-output", FollowOutput},
    {"escape-yes", EscapeYes},
    {"escape-no", EscapeNo},
    {"close-during-run", CloseDuringRun},
    {"thumb-drag", ThumbDrag},
    {"directory-run", DirectoryRun},
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 4) {
    printf("usage: lorvex_wine_driver SCENARIO LORVEX.EXE WORKDIR [ARGUMENTS [USER PASSWORD]]\n");
    return 2;
  }
  DriverSetup setup;
  setup.program = argv[2];
  setup.work = argv[3];
  for (int i = 4; i < argc; ++i) setup.extra.push_back(argv[i]);
  SetUpDriver(setup);
  const std::string name = Narrow(argv[1]);
  for (const Scenario& scenario : kScenarios) {
    if (name != scenario.name) continue;
    scenario.run();
    const bool passed = FailureCount() == 0;
    printf(passed ? "PASS %s\n" : "FAILED %s\n", scenario.name);
    return passed ? 0 : 1;
  }
  printf("unknown scenario %s\n", name.c_str());
  return 2;
}
