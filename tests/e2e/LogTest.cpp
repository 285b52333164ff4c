// The run log: where it lands, a place the administrator chose, one that
// cannot be used, and the folder it shares with other programs.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "tests/support/EventChannel.h"
#include "tests/support/Installation.h"
#include "tests/support/RunLogs.h"
#include "tests/support/TestSupport.h"

namespace {

constexpr DWORD kLogPathUnusable = 0x80000008;

class LogTest : public ::testing::Test {
protected:
    void SetUp() override {
        medium_ = dir_ / L"medium";
        test::CopyTree(test::MediumDir(), medium_);
    }
    void TearDown() override { test::DeleteCompatMarksContaining(dir_.Path()); }

    // A silent install of a product of its own with `words` after "s"; its
    // exit code. The product is gone again afterwards.
    int Install(const std::wstring& words) {
        test::Installation product(test::UniqueTag());
        product.WriteSetupIni(medium_, 0);
        test::Process setup(L"\"" + medium_ + L"\\setup.exe\" s " + words);
        const int code = setup.Wait(120000);
        installed_ = test::FileExists(product.installDir + L"\\KXRaidSetup.exe");
        product.RemoveAll();
        return code;
    }

    static std::wstring Text(const std::wstring& path) { return test::ReadRunLog(path); }

    test::ScratchDir dir_;
    std::wstring medium_;
    bool installed_ = false;
};

// The administrator's own file is appended to, a blank line and a new
// header between runs; one that cannot be used changes nothing of the run,
// which logs to the temporary folder and says so in one warning event.
TEST_F(LogTest, AChosenPathIsUsedWhenItCanBeAndNeverStopsTheRun) {
    const test::LogFolder logs(dir_ / L"temp");
    const std::wstring chosen = dir_ / L"chosen.log";
    ASSERT_EQ(0, Install(L"/log=\"" + chosen + L"\""));
    EXPECT_TRUE(installed_);
    ASSERT_EQ(0, Install(L"-LOG=\"" + chosen + L"\""));
    const std::wstring text = Text(chosen);
    EXPECT_EQ(2, test::Occurrences(text, L": silent install\r\n")) << test::Narrow(text);
    EXPECT_EQ(1, test::Occurrences(text, L"\r\n\r\n")) << "one blank line between the runs";
    EXPECT_TRUE(logs.Logs().empty()) << "nothing in the default place";

    const std::wstring readOnly = dir_ / L"read-only.log";
    test::WriteTextFile(readOnly, "keep");
    ::SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
    const struct {
        const char* name;
        std::wstring path;
    } bad[] = {
        {"a folder that does not exist", dir_ / L"no such folder\\x.log"},
        {"a folder's own name", dir_.Path()},
        {"a read-only file", readOnly},
        {"a device", L"CON"},
        {"a path too long", dir_ / (std::wstring(300, L'l') + L".log")},
    };
    for (const auto& c : bad) {
        SCOPED_TRACE(c.name);
        const size_t before = logs.Logs().size();
        const test::EventChannel events;
        EXPECT_EQ(0, Install(L"/log=\"" + c.path + L"\""));
        EXPECT_TRUE(installed_);
        ASSERT_EQ(before + 1, logs.Logs().size()) << "in the default place";
        int warnings = 0;
        for (const auto& event : events.Events()) {
            if (event.id != kLogPathUnusable) continue;
            ++warnings;
            ASSERT_EQ(2u, event.strings.size());
            EXPECT_NE(std::wstring::npos, event.strings[1].find(c.path.size() < 260 ? c.path : L"too long"))
                << test::Narrow(event.strings[1]);
            EXPECT_EQ(logs.NewestPath(), event.log);
        }
        EXPECT_EQ(1, warnings);
        EXPECT_EQ((std::vector<std::wstring>{L"0"}), std::vector<std::wstring>(1, events.Closing().at(3)));
    }
    EXPECT_EQ("keep", test::Narrow(Text(readOnly)).substr(0, 4));
    ::SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// The temporary folder is shared: our ten newest logs stay, older ones of
// ours go, another program's file stays.
TEST_F(LogTest, TheDefaultPlaceKeepsOurTenNewestAndNothingElseOfOthers) {
    const test::LogFolder logs(dir_ / L"temp");
    for (int i = 0; i < 10; ++i) {
        const std::wstring name = logs.Path() + L"\\Arrayvane Setup 2020-01-01 0000" + std::to_wstring(10 + i) + L".log";
        test::WriteTextFile(name, "\xEF\xBB\xBF" "2020-01-01 00:00:" + std::to_string(10 + i) + ".000 Arrayvane 1.00.00\r\n");
        // Older the lower its number.
        HANDLE file = ::CreateFileW(name.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        FILETIME written = {static_cast<DWORD>(i) * 10000000u, 0x01D5C000u};
        ::SetFileTime(file, nullptr, nullptr, &written);
        ::CloseHandle(file);
    }
    const std::vector<std::wstring> before = logs.Logs();
    const std::wstring other = logs.Path() + L"\\Another Setup 2020-01-01 000000.log";
    test::WriteTextFile(other, "theirs");
    // A link under our name, older than all, to someone else's file: the
    // clean-up takes it for the oldest log, and must not delete that file.
    const std::wstring precious = dir_ / L"precious.dll", link = logs.Path() + L"\\Arrayvane Setup 2019-01-01 000000.log";
    test::WriteTextFile(precious, "precious");
    {
        HANDLE file = ::CreateFileW(precious.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        FILETIME written = {0, 0x01D4C000u};
        ::SetFileTime(file, nullptr, nullptr, &written);
        ::CloseHandle(file);
    }
    ASSERT_TRUE(test::MakeSymbolicLink(link, precious));
    ASSERT_EQ(0, Install(L""));
    EXPECT_EQ("precious", test::Narrow(Text(precious)));
    EXPECT_TRUE(test::RemoveSymbolicLink(link));
    const std::vector<std::wstring> after = logs.Logs();
    ASSERT_EQ(10u, after.size());
    EXPECT_EQ(std::vector<std::wstring>(before.begin() + 1, before.end()),
              std::vector<std::wstring>(after.begin(), after.end() - 1));
    EXPECT_NE(std::wstring::npos, Text(logs.NewestPath()).find(L": silent install\r\n"));
    EXPECT_EQ("theirs", test::Narrow(Text(other)));
}

// The default log is only ever a new file: a file or a link another user
// placed under the name it would take is not written, the next name is.
TEST_F(LogTest, ANameTakenAlreadyIsNeverWrittenTheNextOneIs) {
    const test::LogFolder logs(dir_ / L"temp");
    // The names the run could take, this second and the next few, each
    // with " #2" too.
    std::vector<std::wstring> taken;
    FILETIME start;
    ::GetSystemTimeAsFileTime(&start);
    for (int second = 0; second < 4; ++second) {
        ULARGE_INTEGER at;
        at.LowPart = start.dwLowDateTime, at.HighPart = start.dwHighDateTime;
        at.QuadPart += second * 10000000ull;
        FILETIME utc = {at.LowPart, at.HighPart}, local;
        ::FileTimeToLocalFileTime(&utc, &local);
        SYSTEMTIME s;
        ::FileTimeToSystemTime(&local, &s);
        wchar_t stamp[32];
        wsprintfW(stamp, L"%04u-%02u-%02u %02u%02u%02u", s.wYear, s.wMonth, s.wDay, s.wHour, s.wMinute, s.wSecond);
        for (const wchar_t* number : {L"", L" #2"})
            taken.push_back(logs.Path() + L"\\Arrayvane Setup " + stamp + number + L".log");
    }
    const std::wstring target = dir_ / L"linked.txt";
    test::WriteTextFile(target, "target");
    for (size_t i = 0; i < taken.size(); ++i) {
        if (i % 2 == 0) test::WriteTextFile(taken[i], "planted");
        else ASSERT_TRUE(test::MakeSymbolicLink(taken[i], target)) << test::Narrow(taken[i]);
    }
    ASSERT_EQ(0, Install(L""));
    EXPECT_TRUE(installed_);
    for (size_t i = 0; i < taken.size(); ++i)
        EXPECT_EQ(i % 2 == 0 ? "planted" : "target", test::Narrow(Text(taken[i]))) << test::Narrow(taken[i]);
    EXPECT_EQ("target", test::Narrow(Text(target)));
    const std::wstring newest = logs.NewestPath();
    for (const std::wstring& t : taken) EXPECT_NE(t, newest);
    EXPECT_NE(std::wstring::npos, Text(newest).find(L": silent install\r\n")) << test::Narrow(newest);
    for (size_t i = 1; i < taken.size(); i += 2) EXPECT_TRUE(test::RemoveSymbolicLink(taken[i]));
}

} // namespace
