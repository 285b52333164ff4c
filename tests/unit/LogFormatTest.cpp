#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "engine/report/LogFormat.h"

namespace {

SYSTEMTIME At(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second, WORD ms) {
    SYSTEMTIME t = {};
    t.wYear = year, t.wMonth = month, t.wDay = day, t.wHour = hour, t.wMinute = minute, t.wSecond = second;
    t.wMilliseconds = ms;
    return t;
}

TEST(LogFormatTest, NamesTellTheRunAndTheTimeAndNeverRepeat) {
    const SYSTEMTIME t = At(2026, 12, 10, 9, 5, 7, 42);
    const struct {
        bool uninstall;
        int attempt;
        const wchar_t* name;
    } cases[] = {
        {false, 1, L"C:\\Temp\\Arrayvane Setup 2026-12-10 090507.log"},
        {false, 2, L"C:\\Temp\\Arrayvane Setup 2026-12-10 090507 #2.log"},
        {true, 1, L"C:\\Temp\\Arrayvane Uninstall 2026-12-10 090507.log"},
        {true, 13, L"C:\\Temp\\Arrayvane Uninstall 2026-12-10 090507 #13.log"},
    };
    for (const auto& c : cases) {
        wchar_t out[kPathChars];
        ASSERT_TRUE(ComposeLogName(out, L"C:\\Temp\\", c.uninstall, t, c.attempt));
        EXPECT_STREQ(c.name, out);
        EXPECT_TRUE(IsOurLogName(out + 8));
    }
    wchar_t out[kPathChars];
    EXPECT_FALSE(ComposeLogName(out, (std::wstring(250, L'x') + L"\\").c_str(), false, t, 1)) << "does not fit";
}

TEST(LogFormatTest, OnlyOurNamesAreOurs) {
    for (const wchar_t* name : {L"Arrayvane Setup 2026-01-01 000000.log", L"arrayvane uninstall x.LOG"})
        EXPECT_TRUE(IsOurLogName(name)) << name;
    for (const wchar_t* name : {L"Arrayvane Setup 2026-01-01 000000.txt", L"Arrayvane Setupx.log",
                                L"Other Setup 2026.log", L"Arrayvane.log", L"MSI1234.LOG"})
        EXPECT_FALSE(IsOurLogName(name)) << name;
}

// A line: local time with milliseconds, the text in UTF-8, CR LF.
TEST(LogFormatTest, ALineIsItsTimeThenItsTextInUtf8) {
    const SYSTEMTIME t = At(2026, 3, 4, 17, 8, 9, 5);
    char out[256];
    int n = FormatLogLine(out, sizeof out, t, L"File C:\\\x5b89\x88dd.dll, 12 bytes");
    EXPECT_EQ(std::string("2026-03-04 17:08:09.005 File C:\\\xE5\xAE\x89\xE8\xA3\x9D.dll, 12 bytes\r\n"),
              std::string(out, n));
    // A text beyond the room is cut, the line still ends.
    const std::wstring longText(1000, L'a');
    n = FormatLogLine(out, sizeof out, t, longText.c_str());
    ASSERT_GT(n, 30);
    ASSERT_LE(n, static_cast<int>(sizeof out));
    EXPECT_EQ("\r\n", std::string(out + n - 2, 2));
}

// What the clean-up takes for a log of ours: what FormatLogLine writes
// after the byte-order mark, and nothing else.
TEST(LogFormatTest, OnlyOurLinesStartOurLogs) {
    char line[128] = "\xEF\xBB\xBF";
    const int n = FormatLogLine(line + 3, sizeof line - 3, At(2026, 1, 2, 3, 4, 5, 6), L"x") + 3;
    EXPECT_TRUE(StartsLikeOurLog(line, n));
    EXPECT_FALSE(StartsLikeOurLog(line + 3, n - 3)) << "no byte-order mark";
    EXPECT_FALSE(StartsLikeOurLog(line, 20)) << "cut short";
    EXPECT_FALSE(StartsLikeOurLog("MZ\x90\x00\x03\x00\x00\x00\x04\x00\x00\x00\xFF\xFF\x00\x00\xB8\x00\x00\x00\x00\x00\x00\x00"
                                  "\x40\x00\x00\x00\x00\x00\x00\x00", 32)) << "a program";
    line[9] = 'x';
    EXPECT_FALSE(StartsLikeOurLog(line, n)) << "not a date";
}

} // namespace
