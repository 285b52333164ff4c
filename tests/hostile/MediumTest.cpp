// Media that lack what the install needs, or whose paths do not fit:
// refused before anything is written. Without its language modules the
// wizard cannot speak, and says so.
#include "tests/hostile/HostileTest.h"

#include <algorithm>

namespace hostile {
namespace {

class MediumTest : public HostileTest {
protected:
    void RemoveLanguageModules() const {
        WIN32_FIND_DATAW data;
        HANDLE find = ::FindFirstFileW((medium_ + L"\\setup*.dll").c_str(), &data);
        ASSERT_NE(INVALID_HANDLE_VALUE, find);
        do {
            ASSERT_TRUE(::DeleteFileW((medium_ + L"\\" + data.cFileName).c_str()));
        } while (::FindNextFileW(find, &data));
        ::FindClose(find);
    }
};

TEST_F(MediumTest, NoLanguageModulesRefusesTheSilentInstall) {
    // The uninstaller would have no texts: the installation could not be
    // removed again.
    RemoveLanguageModules();
    ExpectRefused(Run(L"s"), L"installation files");
}

TEST_F(MediumTest, NoLanguageModulesShowsAFailMessageInsteadOfTheWizard) {
    RemoveLanguageModules();
    RunOutcome outcome = Run(L"");
    ExpectReported(outcome, L"language");
    EXPECT_FALSE(outcome.otherWindow);
}

TEST_F(MediumTest, NoApplicationFolderIsRefused) {
    test::RemoveTree(medium_ + L"\\Application");
    ASSERT_FALSE(test::FileExists(medium_ + L"\\Application"));
    ExpectRefused(Run(L"s"), L"installation files");
    // The wizard says it in its Fail box too.
    WizardClicker wizard(product_->appName + L" - Installation Wizard");
    RunOutcome outcome = Run(L"", 120000, &wizard);
    EXPECT_TRUE(wizard.Seen());
    ExpectReported(outcome, L"installation files");
}

// The medium lies so deep that its image paths pass 260 characters,
// while setup.exe and the application still have room.
class DeepMediumTest : public HostileTest {
protected:
    void TearDown() override {
        HostileTest::TearDown();
        if (!deep_.empty()) test::RemoveTree(L"\\\\?\\" + deep_);
    }
    std::wstring deep_;
};

TEST_F(DeepMediumTest, ApplicationPathsBeyond260CharactersAreRefused) {
    std::wstring folder = dir_.Path();
    // The source folder (with its backslash) is 228 characters long.
    while (folder.size() < 220) {
        folder += L"\\" + std::wstring(std::min<size_t>(40, 220 - folder.size()), L'd');
        ASSERT_TRUE(::CreateDirectoryW(folder.c_str(), nullptr));
        if (deep_.empty()) deep_ = folder;
    }
    // Long paths need the \\?\ form to be made at all.
    test::CopyTree(medium_, L"\\\\?\\" + folder + L"\\medium");
    test::RemoveTree(medium_);
    medium_ = folder + L"\\medium";
    ASSERT_TRUE(test::FileExists(medium_ + L"\\setup.exe"));
    const std::wstring longest = medium_ + L"\\Application\\Images\\ArrayDegradedDis.bmp";
    ASSERT_GT(longest.size(), 259u);
    ASSERT_TRUE(test::FileExists(L"\\\\?\\" + longest));
    ExpectRefused(Run(L"s"), L"installation files");
}

} // namespace
} // namespace hostile
