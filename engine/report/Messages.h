#pragma once
#include <windows.h>

// The engine's failure messages. Each goes to the event log; in the wizard
// it is also shown in a message box without owner window, caption "Fail"
// and the warning icon, on the calling thread. A silent run shows none:
// nobody may be there to answer it, and the run must not wait for a click.
// `error` is Windows' error behind it, written beside it in the log;
// ERROR_SUCCESS where the failure is not one of Windows'.
void ShowFailure(const wchar_t* text, DWORD error);
// The same box without an event: for a failure whose event was reported
// in its own words.
void ShowFailureBox(const wchar_t* text);

// Set once at start-up, before anything can fail, for a silent run.
void SetFailuresSilent(bool silent);

// Tests receive the messages here instead of a box that would block them.
// Null restores the real message box.
using MessageSink = void (*)(const wchar_t* text, const wchar_t* caption, UINT flags);
void SetMessageSink(MessageSink sink);
