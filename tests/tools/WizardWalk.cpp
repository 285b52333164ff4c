// wizard-walk OUTPUT_DIR NAME_PREFIX SETUP_EXE [ARGUMENTS...]
// Starts SETUP_EXE with the arguments and walks its wizard as a user would,
// saving a picture of each page as OUTPUT_DIR\NAME_PREFIX-PAGE.png. For
// running the program on a display nobody looks at (script/run without a
// display, script/screenshots). AV_WALK_HOLD names a file that the walk
// holds open meanwhile (reading, no write or delete sharing), as a virus
// scanner would: the pages of a run that leaves it to the restart.
#include <windows.h>
#include <shellapi.h>

#include <string>

#include "framework/Handle.h"
#include "tests/tools/Walker.h"

namespace {

constexpr int kUsage = 2;

// One argument as the program's own command-line parser reads it back.
std::wstring Quoted(const std::wstring& argument) {
    if (!argument.empty() && argument.find_first_of(L" \t\"") == std::wstring::npos) return argument;
    std::wstring quoted = L"\"";
    size_t backslashes = 0;
    for (wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, L'\\');
    return quoted + L"\"";
}

std::wstring WithBackslash(std::wstring folder) {
    if (!folder.empty() && folder.back() != L'\\' && folder.back() != L'/') folder += L'\\';
    return folder;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 4) {
        walk::Report(L"usage", L"wizard-walk OUTPUT_DIR NAME_PREFIX SETUP_EXE [ARGUMENTS...]");
        return kUsage;
    }
    walk::WalkSetup setup{WithBackslash(argv[1]), argv[2], argv[3]};
    ::CreateDirectoryW(setup.outputDir.c_str(), nullptr);

    wchar_t held[MAX_PATH] = {};
    fw::Handle holder;
    if (::GetEnvironmentVariableW(L"AV_WALK_HOLD", held, MAX_PATH)) {
        holder = fw::Handle(::CreateFileW(held, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        if (!holder.IsValid()) walk::Report(L"error", std::wstring(L"cannot hold ") + held);
    }

    std::wstring commandLine = Quoted(setup.program);
    for (int i = 4; i < argc; ++i) commandLine += L" " + Quoted(argv[i]);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    if (!::CreateProcessW(setup.program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                          nullptr, &startup, &started)) {
        walk::Report(L"error", L"cannot start " + setup.program + L" (error " +
                                   std::to_wstring(::GetLastError()) + L")");
        return 1;
    }
    fw::Handle process(started.hProcess);
    fw::Handle thread(started.hThread);
    return walk::Walker(setup, process.Get(), started.dwProcessId).Run();
}
