// Entry point of the Windows program.
#include "app/window_win32.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) { return RunApplication(instance, show); }
