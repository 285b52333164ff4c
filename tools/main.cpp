// check-medium DIR: checks an installation medium before it ships, with the
// installer's own rules. One line per finding; exit code 0 when there is
// none, 1 otherwise, 2 for a wrong call.
#include <windows.h>

#include <cstdio>

#include "tools/MediumCheck.h"

namespace {

// Output in UTF-8, so names in any language survive a pipe.
void PrintLine(const std::wstring& line) {
    const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<size_t>(bytes > 0 ? bytes - 1 : 0), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, &text[0], bytes, nullptr, nullptr);
    std::fputs(text.c_str(), stdout);
    std::fputc('\n', stdout);
}

std::wstring WithBackslash(std::wstring dir) {
    if (!dir.empty() && dir.back() != L'\\' && dir.back() != L'/') dir += L'\\';
    return dir;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fputs("usage: check-medium DIR\n", stderr);
        return 2;
    }
    const std::vector<Finding> findings = CheckMedium(WithBackslash(argv[1]));
    for (const Finding& finding : findings)
        PrintLine((finding.severity == Severity::Error ? L"error: " : L"warning: ") + finding.text);
    return findings.empty() ? 0 : 1;
}
