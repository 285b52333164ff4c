#include "tests/support/RunLogs.h"

#include <algorithm>
#include <fstream>
#include <iterator>

namespace test {

namespace {

struct Found {
    FILETIME written;
    std::wstring name;
};

std::vector<Found> OurLogs(const std::wstring& folder) {
    std::vector<Found> found;
    WIN32_FIND_DATAW data;
    HANDLE search = ::FindFirstFileW((folder + L"\\Arrayvane *.log").c_str(), &data);
    if (search == INVALID_HANDLE_VALUE) return found;
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) found.push_back({data.ftLastWriteTime, data.cFileName});
    } while (::FindNextFileW(search, &data));
    ::FindClose(search);
    std::sort(found.begin(), found.end(), [](const Found& a, const Found& b) {
        const LONG order = ::CompareFileTime(&a.written, &b.written);
        return order != 0 ? order < 0 : a.name < b.name;
    });
    return found;
}

} // namespace

LogFolder::LogFolder(const std::wstring& path) : path_(path), tmp_(L"TMP", path) {
    ::CreateDirectoryW(path.c_str(), nullptr);
}

std::vector<std::wstring> LogFolder::Logs() const {
    std::vector<std::wstring> names;
    for (const Found& f : OurLogs(path_)) names.push_back(f.name);
    return names;
}

std::wstring LogFolder::NewestPath() const {
    const std::vector<Found> found = OurLogs(path_);
    return found.empty() ? L"" : path_ + L"\\" + found.back().name;
}

std::wstring LogFolder::Newest() const {
    const std::wstring path = NewestPath();
    return path.empty() ? L"" : ReadRunLog(path);
}

std::wstring ReadRunLog(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) bytes.erase(0, 3);
    if (bytes.empty()) return L"";
    const int chars = ::MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(static_cast<size_t>(chars), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), &text[0], chars);
    return text;
}

std::wstring ErrorWords(DWORD error) {
    wchar_t words[512] = {};
    DWORD length = ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                                    words, 512, nullptr);
    std::wstring text(words, length);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ' ||
                             text.back() == L'.'))
        text.pop_back();
    return text;
}

namespace {

using UnixName = char*(CDECL*)(const wchar_t*);

// The file's path on the host, where Wine has one.
std::string HostPath(const std::wstring& path) {
    HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
    auto unixName = reinterpret_cast<UnixName>(reinterpret_cast<void*>(::GetProcAddress(kernel, "wine_get_unix_file_name")));
    char* name = unixName ? unixName(path.c_str()) : nullptr;
    if (!name) return "";
    std::string text = name;
    ::HeapFree(::GetProcessHeap(), 0, name);
    return text;
}

// Runs a host shell command and waits for the file it makes last: Wine
// starts a host program without a process to wait for.
bool OnHost(const std::string& command, const std::wstring& done) {
    const std::string marker = HostPath(done);
    if (marker.empty()) return false;
    const std::string line = command + " && touch '" + marker + "'";
    Process shell(L"Z:\\bin\\sh -c \"" + std::wstring(line.begin(), line.end()) + L"\"");
    const bool finished = WaitFor([&] { return FileExists(done); }, 20000);
    ::DeleteFileW(done.c_str());
    return finished;
}

std::string InFolder(const std::wstring& path) {
    const size_t slash = path.rfind(L'\\');
    return HostPath(path.substr(0, slash)) + "/" + Narrow(path.substr(slash + 1));
}

} // namespace

bool MakeSymbolicLink(const std::wstring& link, const std::wstring& target) {
    const std::string from = HostPath(target);
    return !from.empty() && OnHost("ln -s '" + from + "' '" + InFolder(link) + "'", target + L".linked") &&
           FileExists(link);
}

bool RemoveSymbolicLink(const std::wstring& link) {
    // Wine's DeleteFileW would delete the file the link names instead.
    return OnHost("rm -f '" + InFolder(link) + "'", link + L".removed");
}

int Occurrences(const std::wstring& text, const std::wstring& needle) {
    int count = 0;
    for (size_t at = text.find(needle); at != std::wstring::npos; at = text.find(needle, at + needle.size()))
        ++count;
    return count;
}

} // namespace test
