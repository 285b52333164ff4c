#include <gtest/gtest.h>

#include <string>

#include "engine/config/Platform.h"
#include "engine/config/SetupConfig.h"
#include "tests/support/TestSupport.h"

namespace {

class ConfigTest : public ::testing::Test {
protected:
    void SetUp() override {
        IsWow64 = DetectWow64();
        sourceDir_ = dir_.Path() + L"\\";
    }
    void WriteIni(const std::string& text) { test::WriteTextFile(dir_ / L"setup.ini", text); }
    SetupConfig Read() {
        SetupConfig config;
        ReadSetupConfig(sourceDir_.c_str(), config);
        return config;
    }
    // What this prefix's English Windows on C: must give.
    static std::wstring DefaultInstallDir() {
        return test::ExpectedWow64() ? L"C:\\Program Files (x86)\\HBC71K"
                                     : L"C:\\Program Files\\HBC71K";
    }

    test::ScratchDir dir_;
    std::wstring sourceDir_;
};

TEST_F(ConfigTest, MissingFileGivesTheDefaults) {
    SetupConfig config = Read();
    EXPECT_EQ(DefaultInstallDir(), config.InstallDir);
    EXPECT_STREQ(L"HBC71K", config.APPFolderName);
    EXPECT_STREQ(L"KXRaidSetup.exe", config.APPFileName);
    EXPECT_STREQ(L"Arrayvane", config.AppName);
    EXPECT_STREQ(L"Veltro Technology Corp.", config.CompanyName);
    EXPECT_STREQ(L"1.00.00", config.Version);
    EXPECT_EQ(0, config.LaunchAPInSilentMode);
}

TEST_F(ConfigTest, ReadsEveryKeyFromItsSection) {
    WriteIni("[Customized_Setting]\r\nAPPFolderName=RaidTool\r\nAPPFileName=Tool.exe\r\n"
             "LaunchAPInSilentMode=1\r\n[Startup]\r\nAppName=Raid Tool\r\n"
             "CompanyName=Acme\r\nVersion=2.5\r\n");
    SetupConfig config = Read();
    std::wstring expected = DefaultInstallDir();
    expected.replace(expected.rfind(L'\\') + 1, std::wstring::npos, L"RaidTool");
    EXPECT_EQ(expected, config.InstallDir);
    EXPECT_STREQ(L"RaidTool", config.APPFolderName);
    EXPECT_STREQ(L"Tool.exe", config.APPFileName);
    EXPECT_STREQ(L"Raid Tool", config.AppName);
    EXPECT_STREQ(L"Acme", config.CompanyName);
    EXPECT_STREQ(L"2.5", config.Version);
    EXPECT_EQ(1, config.LaunchAPInSilentMode);
}

TEST_F(ConfigTest, KeyInTheWrongSectionIsNotRead) {
    WriteIni("[Startup]\r\nAPPFolderName=Elsewhere\r\n[Customized_Setting]\r\nAppName=Nope\r\n");
    SetupConfig config = Read();
    EXPECT_STREQ(L"HBC71K", config.APPFolderName);
    EXPECT_STREQ(L"Arrayvane", config.AppName);
}

TEST_F(ConfigTest, EmptyFolderNameLeavesInstallDirEmpty) {
    WriteIni("[Customized_Setting]\r\nAPPFolderName=\r\n[Startup]\r\nAppName=Named\r\n");
    SetupConfig config = Read();
    EXPECT_STREQ(L"", config.InstallDir);
    EXPECT_STREQ(L"", config.APPFolderName);
    EXPECT_STREQ(L"Named", config.AppName);
    EXPECT_STREQ(L"KXRaidSetup.exe", config.APPFileName);
}

TEST_F(ConfigTest, LaunchFlagIsZeroOrOne) {
    WriteIni("[Customized_Setting]\r\nLaunchAPInSilentMode=5\r\n");
    EXPECT_EQ(1, Read().LaunchAPInSilentMode);
    WriteIni("[Customized_Setting]\r\nLaunchAPInSilentMode=-1\r\n");
    EXPECT_EQ(1, Read().LaunchAPInSilentMode);
    WriteIni("[Customized_Setting]\r\nLaunchAPInSilentMode=0\r\n");
    EXPECT_EQ(0, Read().LaunchAPInSilentMode);
}

TEST_F(ConfigTest, TimeoutsAreOneToSixHundredSeconds) {
    const struct {
        const char* written;
        int seconds;
    } cases[] = {
        {nullptr, 30}, {"", 30}, {"0", 30}, {"-5", 30}, {"soon", 30},
        {"1", 1}, {"2", 2}, {"120", 120}, {"600", 600}, {"601", 600}, {"86400", 600},
    };
    for (const char* key : {"ServiceToolTimeout", "StopTimeout"}) {
        for (const auto& c : cases) {
            WriteIni(c.written ? std::string("[Customized_Setting]\r\n") + key + "=" + c.written + "\r\n"
                               : std::string("[Startup]\r\nAppName=Arrayvane\r\n"));
            SetupConfig config = Read();
            const bool tool = std::string(key) == "ServiceToolTimeout";
            EXPECT_EQ(c.seconds, tool ? config.ServiceToolTimeout : config.StopTimeout)
                << key << "=" << (c.written ? c.written : "(missing)");
            EXPECT_EQ(static_cast<DWORD>(c.seconds) * 1000, tool ? ServiceToolBoundMs(config) : StopBoundMs(config));
            EXPECT_EQ(30, tool ? config.StopTimeout : config.ServiceToolTimeout) << "the other one stays";
        }
    }
}

TEST_F(ConfigTest, UnsafeNamesAreTakenAsEmpty) {
    // A quoted value keeps its trailing space; an unquoted one loses it.
    for (const char* name : {"..", ".", "..\\..\\Windows", "C:\\Windows", "a/b", "x:y", "App.",
                             "\"App \"", "CON", "nul.exe", "COM1", "PROGRA~1"}) {
        WriteIni(std::string("[Customized_Setting]\r\nAPPFolderName=") + name +
                 "\r\nAPPFileName=" + name + "\r\n");
        SetupConfig config = Read();
        EXPECT_STREQ(L"", config.InstallDir) << name;
        EXPECT_STREQ(L"", config.APPFolderName) << name;
        EXPECT_STREQ(L"", config.APPFileName) << name;
    }
}

TEST_F(ConfigTest, LongValuesAreCutTo259AndBreakNothing) {
    std::string longValue(300, 'v');
    WriteIni("[Customized_Setting]\r\nAPPFolderName=" + longValue + "\r\nAPPFileName=" +
             longValue + "\r\n[Startup]\r\nAppName=" + longValue + "\r\nCompanyName=" +
             longValue + "\r\nVersion=" + longValue + "\r\n");
    SetupConfig config = Read();
    EXPECT_EQ(259u, std::wstring(config.AppName).size());
    EXPECT_EQ(259u, std::wstring(config.CompanyName).size());
    EXPECT_EQ(259u, std::wstring(config.Version).size());
    EXPECT_EQ(259u, std::wstring(config.APPFileName).size());
    // A folder name this long cannot form an installation path: refused,
    // not cut into another folder's name.
    EXPECT_STREQ(L"", config.InstallDir);
    EXPECT_STREQ(L"", config.APPFolderName);
}

TEST_F(ConfigTest, NonAsciiNamesSurvive) {
    // UTF-16 file with a BOM: the profile functions read it as Unicode.
    std::wstring text = L"\uFEFF[Customized_Setting]\r\nAPPFolderName=Caf\u00e9 \u9663\u5217\r\n";
    test::WriteTextFile(dir_ / L"setup.ini",
                        std::string(reinterpret_cast<const char*>(text.data()),
                                    text.size() * sizeof(wchar_t)));
    SetupConfig config = Read();
    EXPECT_STREQ(L"Caf\u00e9 \u9663\u5217", config.APPFolderName);
    EXPECT_EQ(L"Caf\u00e9 \u9663\u5217", std::wstring(config.InstallDir).substr(
                                             std::wstring(config.InstallDir).rfind(L'\\') + 1));
}

struct DirCase {
    const wchar_t* root;
    int wow64;
    unsigned short lang;
    const wchar_t* expected;
};

class InstallDirTest : public ::testing::TestWithParam<DirCase> {};

TEST_P(InstallDirTest, FollowsDriveWow64AndLanguage) {
    const DirCase& c = GetParam();
    wchar_t out[kPathChars];
    ASSERT_TRUE(ComposeInstallDir(c.root, c.wow64, c.lang, L"HBC71K", out));
    EXPECT_STREQ(c.expected, out);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, InstallDirTest,
    ::testing::Values(DirCase{L"C:\\", 0, 0x0409, L"C:\\Program Files\\HBC71K"},
                      DirCase{L"C:\\", 1, 0x0409, L"C:\\Program Files (x86)\\HBC71K"},
                      DirCase{L"C:\\", 0, 0x0407, L"C:\\Programme\\HBC71K"},
                      DirCase{L"C:\\", 0, 0x0807, L"C:\\Programme\\HBC71K"},
                      DirCase{L"C:\\", 0, 0x0C07, L"C:\\Programme\\HBC71K"},
                      DirCase{L"C:\\", 1, 0x0407, L"C:\\Program Files (x86)\\HBC71K"},
                      DirCase{L"C:\\", 0, 0x0404, L"C:\\Program Files\\HBC71K"},
                      DirCase{L"D:\\", 0, 0x0409, L"D:\\Program Files\\HBC71K"},
                      DirCase{L"D:\\", 1, 0x0407, L"D:\\Program Files (x86)\\HBC71K"}));

TEST(InstallDirLimitTest, TooLongIsRefused) {
    wchar_t out[kPathChars];
    std::wstring name(259, L'n');
    EXPECT_FALSE(ComposeInstallDir(L"C:\\", 0, 0x0409, name.c_str(), out));
    EXPECT_STREQ(L"", out);
}

} // namespace
