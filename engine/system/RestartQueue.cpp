#include "engine/system/RestartQueue.h"

#include <memory>

#include "engine/config/Paths.h"
#include "engine/report/SetupLog.h"
#include "framework/RegKey.h"

namespace {

const wchar_t kSessionManagerKey[] = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager";
const wchar_t kPendingValue[] = L"PendingFileRenameOperations";

// The queue writes paths as the kernel names them ("\??\C:\...").
const wchar_t* Win32PathOf(const wchar_t* queued) {
    if (queued[0] == L'\\' && queued[1] == L'?' && queued[2] == L'?' && queued[3] == L'\\') return queued + 4;
    return queued;
}

} // namespace

bool IsHeldFileError(const wchar_t* path, DWORD error) {
    if (error == ERROR_SHARING_VIOLATION || error == ERROR_USER_MAPPED_FILE || error == ERROR_LOCK_VIOLATION)
        return true;
    const DWORD attributes = ::GetFileAttributesW(path);
    return error == ERROR_ACCESS_DENIED && attributes != INVALID_FILE_ATTRIBUTES &&
           !(attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY));
}

bool QueueReplacement(const wchar_t* newCopy, const wchar_t* target) {
    if (!::MoveFileExW(newCopy, target, MOVEFILE_DELAY_UNTIL_REBOOT | MOVEFILE_REPLACE_EXISTING)) return false;
    LogLine(L"Restart queue: %s replaces %s", newCopy, target);
    return true;
}

bool QueueDeletion(const wchar_t* path) {
    if (!::MoveFileExW(path, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) return false;
    LogLine(L"Restart queue: %s is deleted", path);
    return true;
}

DWORD DropOperationsIn(wchar_t* operations, DWORD chars, const wchar_t* folder) {
    DWORD read = 0, written = 0;
    while (read < chars && operations[read]) {
        const DWORD source = read;
        read += ::lstrlenW(operations + read) + 1;
        if (read >= chars) break;  // a source without its target: cut off
        read += ::lstrlenW(operations + read) + 1;
        if (PathInside(Win32PathOf(operations + source), folder)) continue;
        for (DWORD at = source; at < read; ++at) operations[written++] = operations[at];
    }
    operations[written++] = L'\0';
    return written;
}

void CancelQueuedIn(const wchar_t* folder) {
    fw::RegKey key;
    if (key.Open(HKEY_LOCAL_MACHINE, kSessionManagerKey, KEY_QUERY_VALUE | KEY_SET_VALUE) != ERROR_SUCCESS) return;
    DWORD type = 0, bytes = 0;
    if (::RegQueryValueExW(key.Get(), kPendingValue, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS ||
        bytes < sizeof(wchar_t))
        return;
    // Room for a final NUL that the value may lack.
    const DWORD chars = bytes / sizeof(wchar_t) + 1;
    std::unique_ptr<wchar_t[]> operations(new wchar_t[chars]);
    if (::RegQueryValueExW(key.Get(), kPendingValue, nullptr, &type, reinterpret_cast<BYTE*>(operations.get()),
                           &bytes) != ERROR_SUCCESS)
        return;
    const DWORD read = bytes / sizeof(wchar_t);
    operations[read < chars ? read : chars - 1] = L'\0';
    const DWORD left = DropOperationsIn(operations.get(), read + 1 < chars ? read + 1 : chars, folder);
    if (left >= read) return;  // nothing of ours
    LogLine(L"Restart queue: what was queued in %s is cancelled", folder);
    if (left <= 1) {
        ::RegDeleteValueW(key.Get(), kPendingValue);
        return;
    }
    // A list of strings ends with an empty one.
    operations[left] = L'\0';
    ::RegSetValueExW(key.Get(), kPendingValue, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(operations.get()),
                     (left + 1) * sizeof(wchar_t));
}

void AddWaitingFile(WaitingFiles& waiting, const wchar_t* path) {
    const int length = ::lstrlenW(waiting.text);
    const int room = static_cast<int>(sizeof waiting.text / sizeof waiting.text[0]) - length;
    ++waiting.count;
    if (!FormatPathN(waiting.text + length, room, length ? L"\r\n%s" : L"%s", path) && room > 4)
        CopyText(waiting.text + length, room, L"\r\n...");
}
