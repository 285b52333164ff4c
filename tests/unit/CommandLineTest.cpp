#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/RunMode.h"
#include "app/SetupCommandLine.h"

namespace {

// Walks the given arguments as the program would see them after its name.
struct Parsed {
    SetupCommandLine line;
    explicit Parsed(std::vector<std::wstring> args) {
        args.insert(args.begin(), L"setup.exe");
        std::vector<const wchar_t*> argv;
        for (auto& a : args) argv.push_back(a.c_str());
        fw::WalkArguments(line, static_cast<int>(argv.size()), argv.data());
    }
};

RunMode ModeOf(std::vector<std::wstring> args) { return ChooseRunMode(Parsed(std::move(args)).line); }

struct ModeCase {
    std::vector<std::wstring> args;
    RunMode mode;
};

class RunModeTest : public ::testing::TestWithParam<ModeCase> {};

TEST_P(RunModeTest, ChoosesTheRun) { EXPECT_EQ(GetParam().mode, ModeOf(GetParam().args)); }

INSTANTIATE_TEST_SUITE_P(
    Words, RunModeTest,
    ::testing::Values(
        ModeCase{{L"s"}, RunMode::SilentInstall}, ModeCase{{L"-s"}, RunMode::SilentInstall},
        ModeCase{{L"/s"}, RunMode::SilentInstall}, ModeCase{{L"/S"}, RunMode::SilentInstall},
        ModeCase{{L"foo", L"s"}, RunMode::SilentInstall},
        ModeCase{{L"delpkg"}, RunMode::UninstallWizard},
        ModeCase{{L"/delpkg"}, RunMode::UninstallWizard},
        ModeCase{{L"-delpkg"}, RunMode::UninstallWizard},
        ModeCase{{L"DELPKG"}, RunMode::UninstallWizard},
        ModeCase{{L"delpkg", L"s"}, RunMode::UninstallWizard},
        ModeCase{{L"s", L"delpkg"}, RunMode::UninstallWizard},
        ModeCase{{L"delpkg", L"SilentDel"}, RunMode::SilentUninstall},
        ModeCase{{L"/SilentDel", L"-DELPKG"}, RunMode::SilentUninstall},
        ModeCase{{L"delpkg", L"s", L"silentdel"}, RunMode::SilentUninstall},
        ModeCase{{L"SilentDel"}, RunMode::InstallWizard},
        ModeCase{{L"SilentDel", L"foo"}, RunMode::InstallWizard},
        ModeCase{{L"--delpkg"}, RunMode::InstallWizard},
        ModeCase{{L"delpkgx"}, RunMode::InstallWizard},
        ModeCase{{L"-"}, RunMode::InstallWizard}, ModeCase{{L""}, RunMode::InstallWizard},
        ModeCase{{L"ss"}, RunMode::InstallWizard}, ModeCase{{}, RunMode::InstallWizard},
        ModeCase{{L"s", L"/log=C:\\x.log"}, RunMode::SilentInstall},
        ModeCase{{L"/log=C:\\x.log"}, RunMode::InstallWizard},
        ModeCase{{L"delpkg", L"SilentDel", L"-LOG=x"}, RunMode::SilentUninstall}));

// The word log= names the log's file, written /log=, -log= or log=, in any
// case; only the first four letters are the word.
TEST(SetupCommandLineTest, TheLogWordNamesTheLogsFile) {
    const struct {
        std::vector<std::wstring> args;
        bool given;
        std::wstring path;
    } cases[] = {
        {{L"s", L"/log=C:\\Logs\\av.log"}, true, L"C:\\Logs\\av.log"},
        {{L"-LOG=C:\\a b\\c.log", L"s"}, true, L"C:\\a b\\c.log"},
        {{L"Log=rel.log"}, true, L"rel.log"},
        {{L"/log="}, true, L""},
        {{L"/logfile=x"}, false, L""},
        {{L"/log"}, false, L""},
        {{L"s"}, false, L""},
    };
    for (const auto& c : cases) {
        Parsed p(c.args);
        EXPECT_EQ(c.given, p.line.logGiven) << c.args[0].size();
        EXPECT_EQ(c.path, p.line.logPath);
    }
    // Longer than any path: kept long, so that it is refused as too long.
    Parsed longOne({L"/log=C:\\" + std::wstring(2000, L'a')});
    EXPECT_GE(std::wstring(longOne.line.logPath).size(), 260u);
}

TEST(SetupCommandLineTest, StoresSwitchesWithOneDash) {
    Parsed p({L"/s", L"-delpkg", L"plain", L"-"});
    EXPECT_STREQ(L"-s", p.line.Param(0));
    EXPECT_STREQ(L"-delpkg", p.line.Param(1));
    EXPECT_STREQ(L"plain", p.line.Param(2));
    EXPECT_STREQ(L"-", p.line.Param(3));
    EXPECT_EQ(4, p.line.count);
}

TEST(SetupCommandLineTest, SetsOneFlagPerParameter) {
    Parsed p({L"silentdel", L"x"});
    EXPECT_EQ(1, p.line.SilentDel);
    EXPECT_EQ(0, p.line.delpkg);
    EXPECT_EQ(0, p.line.s);
    EXPECT_EQ(2, p.line.count);
}

TEST(SetupCommandLineTest, EmptyArgumentIsCounted) {
    Parsed p({L""});
    EXPECT_EQ(1, p.line.count);
    EXPECT_STREQ(L"", p.line.Param(0));
}

TEST(SetupCommandLineTest, ParametersBeyondFourStillSetFlagsAndCount) {
    Parsed p({L"a", L"b", L"c", L"d", L"delpkg", L"s", L"SilentDel"});
    EXPECT_EQ(7, p.line.count);
    EXPECT_EQ(1, p.line.delpkg);
    EXPECT_EQ(1, p.line.s);
    EXPECT_EQ(1, p.line.SilentDel);
    EXPECT_STREQ(L"d", p.line.Param(3));
    EXPECT_STREQ(L"", p.line.Param(4));
}

TEST(SetupCommandLineTest, OverlongParameterIsCountedNotStored) {
    std::wstring longWord(300, L'x');
    std::wstring exact(259, L'y');
    Parsed p({longWord, exact, L"s"});
    EXPECT_EQ(3, p.line.count);
    EXPECT_STREQ(L"", p.line.Param(0));
    EXPECT_EQ(exact, p.line.Param(1));
    EXPECT_STREQ(L"s", p.line.Param(2));
    EXPECT_EQ(RunMode::SilentInstall, ChooseRunMode(p.line));
}

TEST(SetupCommandLineTest, CaseFoldingCoversOnlyAsciiLetters) {
    EXPECT_TRUE(EqualsIgnoringAsciiCase(L"DelPkg", L"delpkg"));
    EXPECT_FALSE(EqualsIgnoringAsciiCase(L"delpk", L"delpkg"));
    EXPECT_FALSE(EqualsIgnoringAsciiCase(L"delpkg ", L"delpkg"));
    // U+017F (long s) folds to "s" under some locale rules; not here.
    EXPECT_FALSE(EqualsIgnoringAsciiCase(L"\u017F", L"s"));
}

} // namespace
