#pragma once
#include <windows.h>

// The run's log: one line a fact, gathered in memory and written in a few
// large writes (at once when something fails, and at the end), so that a
// run cut off still leaves its log up to there. Every step writes through
// it; only it knows the file and the format.

// Opens the log for this run: `chosenPath` (the command line's /log=) is
// appended to or created; where it is null, or cannot be used, a new file
// in the user's temporary folder, whose oldest logs of ours beyond the ten
// newest go. False when no log could be opened at all; the run goes on.
bool OpenRunLog(bool uninstall, const wchar_t* chosenPath);

// Where the log is ("" when none), and why the chosen path was not used
// ("" when it was, or none was chosen).
const wchar_t* RunLogPath();
const wchar_t* RunLogProblem();

// A fact, formatted as _vsnwprintf does; a line longer than 2,000
// characters is cut.
void LogLine(const wchar_t* format, ...);

// A fact ending with Windows' error: its number and its text in the user's
// language, where Windows has it.
void LogWindowsError(DWORD error, const wchar_t* format, ...);

// Writes what is gathered.
void FlushRunLog();

// The closing lines (the outcome, the exit code, the whole run's time),
// then the file is written and closed.
void CloseRunLog(const wchar_t* outcome, DWORD exitCode);

// Windows' text for the error, one line, without its final stop and line
// ends; "unknown error" where it has none.
void WindowsErrorText(DWORD error, wchar_t* out, DWORD chars);
