#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>
#include <wrl/client.h>

#include <string>

#include "engine/system/Shortcuts.h"
#include "framework/ComInit.h"
#include "tests/support/TestSupport.h"

namespace {

using Microsoft::WRL::ComPtr;

// Target and arguments of a link file, read back through the shell.
std::wstring ReadLink(const std::wstring& linkPath) {
    fw::ComInit com;
    ComPtr<IShellLinkW> link;
    ComPtr<IPersistFile> file;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&link))) ||
        FAILED(link.As(&file)) || FAILED(file->Load(linkPath.c_str(), STGM_READ))) {
        return L"<no link>";
    }
    // The target as the shell resolves it, from the link's item list: Wine
    // answers GetPath from the ANSI copy of the path, which loses characters
    // outside the code page.
    LPITEMIDLIST target = nullptr;
    wchar_t path[MAX_PATH] = {};
    if (SUCCEEDED(link->GetIDList(&target)) && target) {
        ::SHGetPathFromIDListW(target, path);
        ::CoTaskMemFree(target);
    }
    wchar_t arguments[MAX_PATH] = {};
    link->GetArguments(arguments, MAX_PATH);
    return std::wstring(path) + L" | " + arguments;
}

std::wstring SpecialFolder(int csidl) {
    wchar_t path[MAX_PATH] = {};
    ::SHGetSpecialFolderPathW(nullptr, path, csidl, FALSE);
    return path;
}

// A group and link name of this test only, never a real installation's.
std::wstring UniqueName() {
    static int count = 0;
    return L"AvLink" + std::to_wstring(::GetCurrentProcessId()) + L"_" + std::to_wstring(++count);
}

class ShortcutsTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Real targets in a folder whose name needs Unicode and has spaces.
        std::wstring dir = scratch_ / L"Caf\u00e9 \u9663\u5217 app";
        ::CreateDirectoryW(dir.c_str(), nullptr);
        ::CreateDirectoryW((dir + L"\\Uninstall").c_str(), nullptr);
        app_ = dir + L"\\App.exe";
        newApp_ = dir + L"\\New.exe";
        uninstaller_ = dir + L"\\Uninstall\\setup.exe";
        for (const std::wstring* file : {&app_, &newApp_, &uninstaller_}) test::WriteTextFile(*file, "MZ");
    }
    void TearDown() override {
        ::DeleteFileW(desktopLink_.c_str());
        test::RemoveTree(group_);
    }

    test::ScratchDir scratch_;
    const std::wstring name_ = UniqueName();
    const std::wstring desktopLink_ = SpecialFolder(CSIDL_DESKTOPDIRECTORY) + L"\\" + name_ + L".lnk";
    const std::wstring group_ = SpecialFolder(CSIDL_COMMON_PROGRAMS) + L"\\" + name_;
    const std::wstring appLink_ = group_ + L"\\" + name_ + L".lnk";
    const std::wstring uninstallLink_ = group_ + L"\\Uninstall.lnk";
    std::wstring app_, newApp_, uninstaller_;

    void CreateGroup(const std::wstring& app) {
        CreateGroupShortcut(name_.c_str(), app.c_str(), name_.c_str(), nullptr);
        CreateGroupShortcut(name_.c_str(), uninstaller_.c_str(), L"Uninstall", L"delpkg");
    }
};

TEST_F(ShortcutsTest, DesktopLinkIsReplacedAndDeleted) {
    CreateDesktopShortcut(app_.c_str(), name_.c_str());
    EXPECT_EQ(app_ + L" | ", ReadLink(desktopLink_));
    CreateDesktopShortcut(newApp_.c_str(), name_.c_str());
    EXPECT_EQ(newApp_ + L" | ", ReadLink(desktopLink_));
    EXPECT_EQ(0, DeleteDesktopShortcut(name_.c_str()));
    EXPECT_FALSE(test::FileExists(desktopLink_));
    EXPECT_EQ(-1, DeleteDesktopShortcut(name_.c_str()));
}

TEST_F(ShortcutsTest, GroupLinksAreReplacedAndGoWithTheirFolder) {
    CreateGroup(app_);
    EXPECT_EQ(app_ + L" | ", ReadLink(appLink_));
    EXPECT_EQ(uninstaller_ + L" | delpkg", ReadLink(uninstallLink_));
    CreateGroup(newApp_);
    EXPECT_EQ(newApp_ + L" | ", ReadLink(appLink_));
    EXPECT_EQ(uninstaller_ + L" | delpkg", ReadLink(uninstallLink_));

    DeleteGroupShortcut(name_.c_str(), name_.c_str(), false);
    EXPECT_FALSE(test::FileExists(appLink_));
    EXPECT_TRUE(test::FileExists(uninstallLink_));
    DeleteGroupShortcut(name_.c_str(), L"Uninstall", true);
    EXPECT_FALSE(test::FileExists(group_));
}

TEST_F(ShortcutsTest, ForeignFileKeepsTheGroupFolder) {
    CreateGroup(app_);
    test::WriteTextFile(group_ + L"\\notes.txt", "mine");
    DeleteGroupShortcut(name_.c_str(), name_.c_str(), false);
    DeleteGroupShortcut(name_.c_str(), L"Uninstall", true);
    EXPECT_FALSE(test::FileExists(appLink_));
    EXPECT_FALSE(test::FileExists(uninstallLink_));
    EXPECT_TRUE(test::FileExists(group_ + L"\\notes.txt"));
}

} // namespace
