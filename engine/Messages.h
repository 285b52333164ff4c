#pragma once
#include <windows.h>

// The engine's failure messages: a message box without owner window,
// caption "Fail" and the warning icon, shown on the calling thread.
void ShowFailure(const wchar_t* text);

// Tests receive the messages here instead of a box that would block them.
// Null restores the real message box.
using MessageSink = void (*)(const wchar_t* text, const wchar_t* caption, UINT flags);
void SetMessageSink(MessageSink sink);
