#include "engine/report/SetupLog.h"

#include <cstdarg>
#include <cwchar>

#include "engine/report/LogFormat.h"
#include "engine/config/Paths.h"
#include "framework/Handle.h"

namespace {

constexpr int kLineChars = 2048;
constexpr int kKeptLogs = 10;
constexpr int kNameAttempts = 50;
constexpr int kProblemChars = kPathChars + 512;

// The one log of the run, kept from start-up to exit. The worker and the
// thread that makes the shortcuts write to it too, hence the lock.
struct RunLog {
    HANDLE file;
    bool lockReady;
    CRITICAL_SECTION lock;
    char* buffer;
    int used, capacity;
    DWORD startTicks;
    wchar_t path[kPathChars];
    wchar_t problem[kProblemChars];
};
RunLog runLog;

class Locked {
public:
    Locked() { if (runLog.lockReady) ::EnterCriticalSection(&runLog.lock); }
    ~Locked() { if (runLog.lockReady) ::LeaveCriticalSection(&runLog.lock); }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;
};

bool Grow(int needed) {
    if (runLog.used + needed <= runLog.capacity) return true;
    int capacity = runLog.capacity ? runLog.capacity * 2 : 64 * 1024;
    while (capacity < runLog.used + needed) capacity *= 2;
    HANDLE heap = ::GetProcessHeap();
    void* grown = runLog.buffer ? ::HeapReAlloc(heap, 0, runLog.buffer, capacity) : ::HeapAlloc(heap, 0, capacity);
    if (!grown) return false;
    runLog.buffer = static_cast<char*>(grown);
    runLog.capacity = capacity;
    return true;
}

void Append(const char* bytes, int count) {
    if (count > 0 && Grow(count)) {
        ::CopyMemory(runLog.buffer + runLog.used, bytes, count);
        runLog.used += count;
    }
}

void AppendLine(const wchar_t* text) {
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    char line[kLineChars * 3 + 64];
    Append(line, FormatLogLine(line, sizeof line, now, text));
}

// No file before OpenRunLog (a test that calls the engine itself), nor
// where none could be opened.
bool HasFile() { return runLog.file && runLog.file != INVALID_HANDLE_VALUE; }

void WriteGathered() {
    if (!HasFile() || runLog.used == 0) {
        runLog.used = 0;
        return;
    }
    DWORD written = 0;
    ::WriteFile(runLog.file, runLog.buffer, static_cast<DWORD>(runLog.used), &written, nullptr);
    runLog.used = 0;
}

bool IsDisk(HANDLE file) { return ::GetFileType(file) == FILE_TYPE_DISK; }

void SetProblem(const wchar_t* path, const wchar_t* why) {
    FormatPath(runLog.problem, L"%s: %s", path, why);
}

// The administrator's own file: appended to, or made. Never a device.
bool OpenChosen(const wchar_t* path) {
    wchar_t why[512];
    if (::lstrlenW(path) >= static_cast<int>(kPathChars)) {
        WindowsErrorText(ERROR_FILENAME_EXCED_RANGE, why, 512);
        SetProblem(L"(a path too long)", why);
        return false;
    }
    // Opening some devices (a serial port) can wait for ever.
    if (NamesDevice(path)) {
        SetProblem(path, L"a device, not a file");
        return false;
    }
    // Windows refuses a read-only file to a writer; so does the log, even
    // where the account could write it anyway.
    const DWORD attributes = ::GetFileAttributesW(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
        WindowsErrorText(ERROR_ACCESS_DENIED, why, 512);
        SetProblem(path, why);
        return false;
    }
    fw::Handle file(::CreateFileW(path, FILE_APPEND_DATA | FILE_READ_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid()) {
        WindowsErrorText(::GetLastError(), why, 512);
        SetProblem(path, why);
        return false;
    }
    if (!IsDisk(file.Get())) {
        SetProblem(path, L"a device, not a file");
        return false;
    }
    LARGE_INTEGER size = {};
    ::GetFileSizeEx(file.Get(), &size);
    runLog.file = file.Release();
    // A blank line between runs; a new file starts with the byte-order mark.
    Append(size.QuadPart > 0 ? "\r\n" : "\xEF\xBB\xBF", size.QuadPart > 0 ? 2 : 3);
    CopyText(runLog.path, kPathChars, path);
    return true;
}

// A log of ours by its content too: where a link is not told apart from a
// plain file (Wine), what it names is never deleted unless it is one.
bool HoldsOurLog(const wchar_t* path) {
    fw::Handle file(::CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    char start[32];
    DWORD read = 0;
    return file.IsValid() && ::ReadFile(file.Get(), start, sizeof start, &read, nullptr) &&
           StartsLikeOurLog(start, static_cast<int>(read));
}

// Ours go beyond the ten newest: plain files only, never a link or a
// folder, nor anything of another program.
void RemoveOldLogs(const wchar_t* folder) {
    wchar_t pattern[kPathChars];
    if (!FormatPath(pattern, L"%sArrayvane *.log", folder)) return;
    struct Found {
        FILETIME written;
        wchar_t name[MAX_PATH];
    };
    HANDLE heap = ::GetProcessHeap();
    Found* found = static_cast<Found*>(::HeapAlloc(heap, 0, sizeof(Found) * 256));
    if (!found) return;
    int count = 0;
    WIN32_FIND_DATAW data;
    HANDLE search = ::FindFirstFileW(pattern, &data);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const DWORD notPlain = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE;
            wchar_t path[kPathChars];
            if ((data.dwFileAttributes & notPlain) || !IsOurLogName(data.cFileName) ||
                !FormatPath(path, L"%s%s", folder, data.cFileName) || ::lstrcmpiW(path, runLog.path) == 0 ||
                !HoldsOurLog(path))
                continue;
            found[count].written = data.ftLastWriteTime;
            CopyText(found[count].name, MAX_PATH, data.cFileName);
            ++count;
        } while (count < 256 && ::FindNextFileW(search, &data));
        ::FindClose(search);
    }
    // The oldest first out, until nine are left beside this run's.
    for (int left = count; left > kKeptLogs - 1; --left) {
        int oldest = -1;
        for (int i = 0; i < count; ++i) {
            if (found[i].name[0] &&
                (oldest < 0 || ::CompareFileTime(&found[i].written, &found[oldest].written) < 0))
                oldest = i;
        }
        wchar_t path[kPathChars];
        if (FormatPath(path, L"%s%s", folder, found[oldest].name)) ::DeleteFileW(path);
        found[oldest].name[0] = 0;
    }
    ::HeapFree(heap, 0, found);
}

// A new file in the temporary folder, never one that is there already (a
// file, or a link another user placed): then the next name.
bool OpenDefault(bool uninstall) {
    wchar_t folder[kPathChars];
    const DWORD length = ::GetTempPathW(kPathChars, folder);
    if (length == 0 || length >= kPathChars) return false;
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    for (int attempt = 1; attempt <= kNameAttempts; ++attempt) {
        wchar_t path[kPathChars];
        if (!ComposeLogName(path, folder, uninstall, now, attempt)) return false;
        HANDLE file = ::CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
        if (file == INVALID_HANDLE_VALUE) continue;
        runLog.file = file;
        Append("\xEF\xBB\xBF", 3);
        CopyText(runLog.path, kPathChars, path);
        RemoveOldLogs(folder);
        return true;
    }
    return false;
}

void LogV(DWORD error, bool withError, const wchar_t* format, va_list args) {
    wchar_t text[kLineChars + 600];
    int written = ::_vsnwprintf(text, kLineChars, format, args);
    if (written < 0 || written >= kLineChars) {
        text[kLineChars - 1] = 0;
        written = ::lstrlenW(text);
    }
    if (withError) {
        wchar_t words[512];
        WindowsErrorText(error, words, 512);
        FormatPathN(text + written, 600, L": Windows error %lu: %s", error, words);
    }
    Locked locked;
    AppendLine(text);
}

} // namespace

bool OpenRunLog(bool uninstall, const wchar_t* chosenPath) {
    if (!runLog.lockReady) {
        ::InitializeCriticalSection(&runLog.lock);
        runLog.lockReady = true;
    }
    runLog.file = INVALID_HANDLE_VALUE;
    runLog.startTicks = ::GetTickCount();
    if (chosenPath && chosenPath[0] && OpenChosen(chosenPath)) return true;
    if (chosenPath && !chosenPath[0]) SetProblem(L"(an empty path)", L"no file named");
    return OpenDefault(uninstall);
}

const wchar_t* RunLogPath() { return runLog.path; }
const wchar_t* RunLogProblem() { return runLog.problem; }

void LogLine(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    LogV(0, false, format, args);
    va_end(args);
}

void LogWindowsError(DWORD error, const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    LogV(error, true, format, args);
    va_end(args);
}

void FlushRunLog() {
    Locked locked;
    WriteGathered();
}

void CloseRunLog(const wchar_t* outcome, DWORD exitCode) {
    LogLine(L"Outcome: %s; exit code %lu; the run took %lu ms.", outcome, exitCode,
            ::GetTickCount() - runLog.startTicks);
    Locked locked;
    WriteGathered();
    if (HasFile()) ::CloseHandle(runLog.file);
    runLog.file = INVALID_HANDLE_VALUE;
}

void WindowsErrorText(DWORD error, wchar_t* out, DWORD chars) {
    DWORD length = ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
                                    0, out, chars, nullptr);
    while (length > 0 && (out[length - 1] == L'\r' || out[length - 1] == L'\n' || out[length - 1] == L' ' ||
                          out[length - 1] == L'.'))
        --length;
    if (length == 0) {
        CopyText(out, chars, L"unknown error");
        return;
    }
    out[length] = 0;
    for (DWORD i = 0; i < length; ++i) {
        if (out[i] == L'\r' || out[i] == L'\n') out[i] = L' ';
    }
}
