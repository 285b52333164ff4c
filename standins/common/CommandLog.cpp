#include "standins/common/CommandLog.h"

#include <windows.h>

#include <string>

#include "framework/Handle.h"

namespace {

std::string ToUtf8(const wchar_t* text) {
    int bytes = ::WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (bytes <= 1) return {};
    std::string utf8(static_cast<size_t>(bytes), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text, -1, &utf8[0], bytes, nullptr, nullptr);
    utf8.resize(static_cast<size_t>(bytes) - 1);
    return utf8;
}

} // namespace

void LogCommandLine(const char* tag) {
    wchar_t logPath[MAX_PATH];
    DWORD length = ::GetEnvironmentVariableW(L"AV_STANDIN_LOG", logPath, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    // Append-only access: lines of programs started one after another never
    // overwrite each other.
    fw::Handle log(::CreateFileW(logPath, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!log.IsValid()) return;
    std::string line = tag + ToUtf8(::GetCommandLineW()) + "\r\n";
    DWORD written = 0;
    ::WriteFile(log.Get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}
