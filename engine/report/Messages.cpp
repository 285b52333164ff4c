#include "engine/report/Messages.h"

#include "engine/report/EventLog.h"
#include "engine/report/SetupLog.h"

namespace {
MessageSink sink = nullptr;
bool failuresSilent = false;
}

void SetMessageSink(MessageSink newSink) { sink = newSink; }

void SetFailuresSilent(bool silent) { failuresSilent = silent; }

void ShowFailure(const wchar_t* text, DWORD error) {
    if (error != ERROR_SUCCESS) LogWindowsError(error, L"FAILED: %s", text);
    else LogLine(L"FAILED: %s", text);
    // On disk before anything is undone: a run cut off later keeps it.
    FlushRunLog();
    ReportFailureEvent(text);
    ShowFailureBox(text);
}

void ShowFailureBox(const wchar_t* text) {
    if (sink) {
        sink(text, L"Fail", MB_ICONWARNING);
        return;
    }
    if (!failuresSilent) ::MessageBoxW(nullptr, text, L"Fail", MB_ICONWARNING);
}
