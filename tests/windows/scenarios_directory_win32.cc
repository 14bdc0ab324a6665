// Scenarios of runs against a directory: none reachable, and the runs that directory_scenario.sh
// compares with the OpenLDAP build's.
#include <cstdio>
#include <string>
#include <vector>

#include "tests/windows/driver_steps.h"
#include "tests/windows/scenarios.h"

void DirectoryError() {
  // Without a domain the run cannot open the directory: the reason is shown in the window.
  Driven lorvex(L"");
  if (lorvex.window == nullptr) return;
  // The window is there before the run has failed (locating a controller can take a while):
  // its text is copied until it holds the reason.
  std::string text;
  WaitFor(kWindowWaitMs, [&] {
    text = CopyWindowText(lorvex.window);
    return text.find("\r\nReason(s): ") != std::string::npos;
  });
  const int code = WaitExit(lorvex.program, 0);
  if (code != -1) Fail("the window did not stay open (exit %d)", code);
  printf("%s", text.c_str());
  if (text.rfind("LORVEX: ", 0) != 0) Fail("the window does not begin with the program name");
  EndWithEscape(lorvex.program, lorvex.window, 1);
}

// The scenario's arguments: lorvex's arguments, the typed name and password when the credential
// prompt is to be answered (on a console of the driver's own, which the program attaches to), and
// "refused" when the domain is to refuse them. Runs lorvex with them and a log file, answers the
// prompt when asked to, waits until the run is over, and writes the window's text (window.txt)
// and, once Esc has ended the program, its exit code (exit.txt). A run is over when it has closed
// its log; a refused one never opens it (the options are read after the logon) and is over when
// its window shows the reason (the window gives its text only once the run has ended).
void DirectoryRun() {
  const std::vector<std::wstring>& extra = Driver().extra;
  const std::wstring arguments = extra.empty() ? L"" : extra[0];
  const std::wstring user = extra.size() > 2 ? extra[1] : L"";
  const std::wstring password = extra.size() > 2 ? extra[2] : L"";
  const bool refused = extra.size() > 3 && extra[3] == L"refused";
  if (!user.empty() && !OpenConsole()) return;
  const std::wstring log = WorkFile(L"run.log");
  DeleteFileW(log.c_str());
  // The quotes keep the path's dashes from being read as options.
  Driven lorvex(arguments + L" /l=\"" + log + L"\"");
  if (!user.empty()) {
    // Typed ahead: the console keeps the keys until the prompt reads them.
    TypeIntoConsole(user);
    TypeIntoConsole(password);
  }
  if (lorvex.window == nullptr) return;
  std::string text;
  auto over = [&] {
    if (!refused) return FileClosed(log);
    text = CopyWindowText(lorvex.window);
    return text.find("\r\nReason(s): ") != std::string::npos;
  };
  if (!WaitFor(kExitWaitMs, over))
    Fail("the run did not end (%s)", refused ? "no reason shown" : "no closed log");
  if (!refused) text = CopyWindowText(lorvex.window);
  SaveText(WorkFile(L"window.txt"), text);
  PressIn(lorvex.window, {}, VK_ESCAPE);
  const int code = WaitExit(lorvex.program, kExitWaitMs);
  SaveText(WorkFile(L"exit.txt"), std::to_string(code) + "\n");
  printf("exit %d, %d bytes of window text\n", code, static_cast<int>(text.size()));
}
