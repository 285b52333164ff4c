#include "engine/Messages.h"

namespace {
MessageSink sink = nullptr;
}

void SetMessageSink(MessageSink newSink) { sink = newSink; }

void ShowFailure(const wchar_t* text) {
    if (sink) {
        sink(text, L"Fail", MB_ICONWARNING);
        return;
    }
    ::MessageBoxW(nullptr, text, L"Fail", MB_ICONWARNING);
}
