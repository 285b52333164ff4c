#include "framework/CommandLineInfo.h"

#include <windows.h>
#include <shellapi.h>

namespace fw {

void WalkArguments(CommandLineInfo& info, int argc, const wchar_t* const* argv) {
    for (int i = 1; i < argc; ++i) {
        const wchar_t* word = argv[i];
        bool isSwitch = word[0] == L'-' || word[0] == L'/';
        info.ParseParam(isSwitch ? word + 1 : word, isSwitch, i == argc - 1);
    }
}

void WalkCommandLine(CommandLineInfo& info) {
    int argc = 0;
    wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    if (!argv) return;
    WalkArguments(info, argc, argv);
    ::LocalFree(argv);
}

} // namespace fw
