/* A DLL planted beside setup.exe under the name of a system DLL. If any
   process ever loads it, it appends a line "PID|PROGRAM|ITS OWN PATH" to the
   file that AV_PLANT_LOG names, then refuses to load, so the test sees the
   load even where the program would crash on its missing exports. It uses
   kernel32 only, which every process has loaded before it. */
#include <windows.h>

static void Append(wchar_t* line, const wchar_t* text) {
    if (lstrlenW(line) + lstrlenW(text) < 3 * MAX_PATH) lstrcatW(line, text);
}

static void Decimal(unsigned long value, wchar_t* out) {
    wchar_t digits[16];
    int count = 0;
    do digits[count++] = (wchar_t)(L'0' + value % 10); while ((value /= 10) != 0);
    while (count > 0) *out++ = digits[--count];
    *out = 0;
}

static void LogLoad(HINSTANCE self) {
    wchar_t log[MAX_PATH], program[MAX_PATH], path[MAX_PATH], pid[16], line[3 * MAX_PATH + 8];
    DWORD written;
    if (!GetEnvironmentVariableW(L"AV_PLANT_LOG", log, MAX_PATH)) return;
    DWORD length = GetModuleFileNameW(self, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    length = GetModuleFileNameW(NULL, program, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    Decimal(GetCurrentProcessId(), pid);
    line[0] = 0;
    Append(line, pid);
    Append(line, L"|");
    Append(line, program);
    Append(line, L"|");
    Append(line, path);
    Append(line, L"\r\n");
    HANDLE file = CreateFileW(log, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) return;
    WriteFile(file, line, lstrlenW(line) * sizeof(wchar_t), &written, NULL);
    CloseHandle(file);
}

BOOL WINAPI PlantedEntry(HINSTANCE self, DWORD reason, LPVOID reserved) {
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH) {
        LogLoad(self);
        return FALSE;
    }
    return TRUE;
}
