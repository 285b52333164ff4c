#include "engine/Messages.h"

#include "engine/EventLog.h"

namespace {
MessageSink sink = nullptr;
bool failuresSilent = false;
}

void SetMessageSink(MessageSink newSink) { sink = newSink; }

void SetFailuresSilent(bool silent) { failuresSilent = silent; }

void ShowFailure(const wchar_t* text) {
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
