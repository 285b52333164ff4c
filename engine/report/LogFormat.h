#pragma once
#include <windows.h>

#include "engine/config/Paths.h"

// How the run's log names its file and writes a line: functions of their
// inputs alone.

// "<folder>Arrayvane Setup 2026-12-10 101112.log" ("Arrayvane Uninstall ..."
// for a removal); from the second attempt on " #2", " #3" before ".log".
// `folder` ends with a backslash. False when it does not fit.
bool ComposeLogName(wchar_t (&out)[kPathChars], const wchar_t* folder, bool uninstall, const SYSTEMTIME& time,
                    int attempt);

// True for a file name that ComposeLogName gives, in any folder.
bool IsOurLogName(const wchar_t* name);

// True for the first bytes of a log of ours: the byte-order mark, then a
// line's time ("2026-12-10 10:11:12.345 ").
bool StartsLikeOurLog(const char* bytes, int count);

// One line in UTF-8: "2026-12-10 10:11:12.345 <text>" and CR LF. Returns
// the bytes written into `out`, the text cut where `room` ends.
int FormatLogLine(char* out, int room, const SYSTEMTIME& time, const wchar_t* text);
