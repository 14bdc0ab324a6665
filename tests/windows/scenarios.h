// The Wine test driver's scenarios, one a run, by theme: the window with its menus and dialogs,
// printing, runs against a directory, and the slow test program's runs.
#ifndef LORVEX_TESTS_WINDOWS_SCENARIOS_H_
#define LORVEX_TESTS_WINDOWS_SCENARIOS_H_

// The window, its menus and its dialogs, with the usage text in it (scenarios_window_win32.cc).
/// Ctrl+C copies the whole usage text.
void UsageAndCopy();
/// --help shows the usage text and --version the version line, both ending with 0.
void HelpAndVersion();
/// Save As writes the window's text to the file named.
void SaveAs();
/// Save As to a file that cannot be written says so in a message box.
void SaveAsFailure();
/// Find highlights the word found and says when a text is nowhere; F3 searches again.
void FindText();
/// The About box opens from the menu and closes with OK.
void About();
/// File, Exit ends the program.
void MenuExit();
/// /0 runs without a window; -0 with more after it is no silent switch.
void Silent();

// Printing (scenarios_print_win32.cc); the test script reads what reached the printer.
/// Prints the window's text through the print dialog: copies, collated or not, pages 2 to 2 or all.
void Print(const wchar_t* copies, bool collate, bool range);
/// File, PrintScreen prints the window's image without a dialog.
void PrintScreen();
/// The Print Screen key prints the window's image once, whether it arrives pressed and released
/// or released only.
void PrintScreenKey(bool release_only);

// Runs against a directory (scenarios_directory_win32.cc).
/// Without a domain the window shows the reason the directory could not be opened.
void DirectoryError();
/// A run with the scenario's arguments whose window text and exit code are saved for the script.
void DirectoryRun();

// The slow test program's runs (scenarios_slow_run_win32.cc).
/// The view follows the output at its end and stays where it was scrolled to.
void FollowOutput();
/// Esc during the run, answered Yes: the run stops.
void EscapeYes();
/// Esc during the run, answered No: the run goes on.
void EscapeNo();
/// Closing the window during the run stops the worker and drops its lines.
void CloseDuringRun();
/// Dragging the scroll bar's thumb in a window of 100,000 lines shows the line dragged to.
void ThumbDrag();

#endif  // LORVEX_TESTS_WINDOWS_SCENARIOS_H_
