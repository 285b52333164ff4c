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

bool MakeSymbolicLink(const std::wstring& link, const std::wstring& target) {
    using CreateLink = BOOLEAN(WINAPI*)(const wchar_t*, const wchar_t*, DWORD);
    using UnixName = char*(CDECL*)(const wchar_t*);
    HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
    auto create = reinterpret_cast<CreateLink>(reinterpret_cast<void*>(::GetProcAddress(kernel, "CreateSymbolicLinkW")));
    // Wine 8 answers success without making the link.
    if (create && create(link.c_str(), target.c_str(), 0) && FileExists(link)) return true;
    auto unixName = reinterpret_cast<UnixName>(reinterpret_cast<void*>(::GetProcAddress(kernel, "wine_get_unix_file_name")));
    if (!unixName) return false;
    char* from = unixName(target.c_str());
    // The link's folder exists; its own name does not yet.
    const std::wstring folder = link.substr(0, link.rfind(L'\\'));
    char* in = unixName(folder.c_str());
    if (!from || !in) return false;
    std::string command = std::string("/bin/ln -s '") + from + "' '" + in + "/" +
                          Narrow(link.substr(link.rfind(L'\\') + 1)) + "'";
    ::HeapFree(::GetProcessHeap(), 0, from);
    ::HeapFree(::GetProcessHeap(), 0, in);
    std::wstring wide(command.begin(), command.end());
    // Wine starts a host program without a process to wait for: its link
    // is awaited instead.
    Process ln(L"Z:\\bin\\sh -c \"" + wide + L"\"");
    return WaitFor([&] { return FileExists(link); }, 20000);
}

int Occurrences(const std::wstring& text, const std::wstring& needle) {
    int count = 0;
    for (size_t at = text.find(needle); at != std::wstring::npos; at = text.find(needle, at + needle.size()))
        ++count;
    return count;
}

} // namespace test
