#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <memory>
#include <string>

#include "engine/layout/InstallFolder.h"
#include "engine/report/Messages.h"
#include "engine/config/Platform.h"
#include "engine/system/Registry.h"
#include "engine/system/RestartQueue.h"
#include "engine/Uninstall.h"
#include "tests/support/TestSupport.h"

namespace {

SetupConfig Config(const std::wstring& installDir, const std::wstring& file) {
    SetupConfig config;
    std::memset(&config, 0, sizeof config);
    std::wcscpy(config.InstallDir, installDir.c_str());
    std::wcscpy(config.APPFolderName, installDir.substr(installDir.rfind(L'\\') + 1).c_str());
    std::wcscpy(config.APPFileName, file.c_str());
    std::wcscpy(config.AppName, L"Arrayvane Unit");
    return config;
}

struct FitCase {
    const char* name;
    size_t folderChars;  // the length of InstallDir
    size_t fileChars;    // the length of APPFileName
    const wchar_t* problem;  // the key the message names, or null
};

class InstallFolderFitTest : public ::testing::TestWithParam<FitCase> {};

// The longest path under InstallDir is an image: "\Images\" and 20
// characters; the application is launched quoted.
TEST_P(InstallFolderFitTest, RefusesWhatCouldNotBeComposedWhole) {
    const FitCase& c = GetParam();
    std::wstring dir = L"C:\\" + std::wstring(c.folderChars - 3, L'f');
    std::wstring file = std::wstring(c.fileChars - 4, L'a') + L".exe";
    const wchar_t* problem = InstallFolderProblem(Config(dir, file));
    if (!c.problem) {
        EXPECT_EQ(nullptr, problem);
    } else {
        ASSERT_NE(nullptr, problem);
        EXPECT_NE(nullptr, std::wcsstr(problem, c.problem)) << problem;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Lengths, InstallFolderFitTest,
    ::testing::Values(FitCase{"Usual", 40, 15, nullptr},
                      // 259 in all with "\" and the longest image entry.
                      FitCase{"FolderAtItsLimit", 259 - 1 - 27, 15, nullptr},
                      FitCase{"FolderOneTooLong", 259 - 27, 15, L"APPFolderName"},
                      // 259 in all with "\" and the two quotes.
                      FitCase{"FileAtItsLimit", 40, 259 - 40 - 3, nullptr},
                      FitCase{"FileOneTooLong", 40, 259 - 40 - 2, L"APPFileName"}),
    [](const ::testing::TestParamInfo<FitCase>& info) { return info.param.name; });

// An uninstall that meets the application held by another program queues
// it, and its folder, for deletion at the next restart, and the entry goes.
class KeptEntryTest : public ::testing::Test {
protected:
    void SetUp() override {
        IsWow64 = 0;
        IsNt6 = 1;
        SetMessageSink([](const wchar_t*, const wchar_t*, UINT) {});
        config_ = Config(dir_.Path(), L"KXRaidSetup.exe");
        test::WriteTextFile(dir_ / L"KXRaidSetup.exe", "app");
        ASSERT_TRUE(WriteRegistryEntries(config_));
    }
    void TearDown() override {
        SetMessageSink(nullptr);
        IsWow64 = DetectWow64();
        IsNt6 = IsNt6Platform();
    }

    test::ScratchDir dir_;
    // Lifted for the restart queue, which the system keeps in the real
    // registry.
    std::unique_ptr<test::RegistryOverride> registry_{new test::RegistryOverride};
    SetupConfig config_;
};

TEST_F(KeptEntryTest, HeldApplicationGoesAtTheRestartAndTheEntryNow) {
    HANDLE held = ::CreateFileW((dir_ / L"KXRaidSetup.exe").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    WaitingFiles waiting;
    EXPECT_TRUE(DeleteInstalledFiles(config_, waiting));
    ::CloseHandle(held);
    EXPECT_EQ(1, waiting.count);
    EXPECT_EQ(dir_ / L"KXRaidSetup.exe", std::wstring(waiting.text));
    EXPECT_FALSE(UninstallEntryExists(config_));
    registry_.reset();
    const std::wstring queued = test::PendingFileRenames();
    EXPECT_NE(std::wstring::npos, queued.find(dir_ / L"KXRaidSetup.exe"));
    CancelQueuedIn(dir_.Path().c_str());
    EXPECT_EQ(std::wstring::npos, test::PendingFileRenames().find(dir_.Path()));
}

} // namespace
