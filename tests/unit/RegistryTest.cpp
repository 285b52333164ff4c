#include <gtest/gtest.h>

#include <windows.h>
#include <shlwapi.h>

#include <cwchar>
#include <memory>
#include <string>
#include <vector>

#include "engine/report/Messages.h"
#include "engine/config/Platform.h"
#include "engine/system/Registry.h"
#include "tests/support/TestSupport.h"

namespace {

const wchar_t kNative[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\";
const wchar_t kWow64[] = L"SOFTWARE\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\";
const wchar_t* const kEntryValues[] = {L"UninstallString", L"DisplayName", L"DisplayIcon",
                                       L"Publisher", L"DisplayVersion"};

std::vector<std::wstring> shown;
void Record(const wchar_t* text, const wchar_t* caption, UINT flags) {
    EXPECT_STREQ(L"Fail", caption);
    EXPECT_EQ(static_cast<UINT>(MB_ICONWARNING), flags);
    shown.push_back(text);
}

const wchar_t* failingValue = nullptr;
LONG WINAPI FailOne(HKEY key, const wchar_t* name, DWORD reserved, DWORD type, const BYTE* data,
                    DWORD bytes) {
    if (name && failingValue && std::wcscmp(name, failingValue) == 0) return ERROR_ACCESS_DENIED;
    return ::RegSetValueExW(key, name, reserved, type, data, bytes);
}

// A REG_SZ value's text, checked for its type and its size with the NUL;
// "<none>" when it is missing.
std::wstring ReadString(const std::wstring& key, const wchar_t* name, REGSAM view = 0) {
    HKEY handle = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ | view, &handle)) return L"<none>";
    wchar_t data[1024] = {};
    DWORD type = 0, bytes = sizeof data - sizeof(wchar_t);
    LONG result = ::RegQueryValueExW(handle, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &bytes);
    ::RegCloseKey(handle);
    if (result != ERROR_SUCCESS) return L"<none>";
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type) << name;
    EXPECT_EQ((std::wcslen(data) + 1) * sizeof(wchar_t), bytes) << name;
    return data;
}

bool KeyExists(const std::wstring& key, REGSAM view = 0) {
    HKEY handle = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ | view, &handle)) return false;
    ::RegCloseKey(handle);
    return true;
}

void PutString(const std::wstring& key, const wchar_t* name, const wchar_t* data) {
    ::SHSetValueW(HKEY_LOCAL_MACHINE, key.c_str(), name, REG_SZ, data,
                  static_cast<DWORD>((std::wcslen(data) + 1) * sizeof(wchar_t)));
}

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        savedWow64_ = IsWow64;
        savedNt6_ = IsNt6;
        IsWow64 = test::ExpectedWow64();
        IsNt6 = test::ExpectedNt6();
        ReadSetupConfig((scratch_.Path() + L"\\").c_str(), config_);
        shown.clear();
        SetMessageSink(&Record);
        // What another program keeps beside ours, under both prefixes. The
        // Wow6432Node key comes first: Wine then redirects this program's
        // SOFTWARE paths in the scratch tree as in the real HKLM, where made
        // later it would send explicit Wow6432Node paths one level deeper.
        for (const wchar_t* prefix : {kWow64, kNative}) {
            PutString(std::wstring(prefix) + L"Run", L"Other", L"other.exe");
            PutString(std::wstring(prefix) + L"Uninstall\\Other", L"DisplayName", L"Other");
        }
    }
    void TearDown() override {
        SetMessageSink(nullptr);
        SetRegistryValueWriter(nullptr);
        failingValue = nullptr;
        IsWow64 = savedWow64_;
        IsNt6 = savedNt6_;
    }
    static std::wstring Prefix() { return IsWow64 ? kWow64 : kNative; }
    std::wstring Entry() const { return Prefix() + L"Uninstall\\" + config_.APPFolderName; }
    std::wstring RunValue() const { return ReadString(Prefix() + L"Run", config_.AppName); }
    void ExpectOthersKept() const {
        EXPECT_EQ(L"other.exe", ReadString(Prefix() + L"Run", L"Other"));
        EXPECT_EQ(L"Other", ReadString(Prefix() + L"Uninstall\\Other", L"DisplayName"));
    }

    std::unique_ptr<test::RegistryOverride> isolated_ = std::make_unique<test::RegistryOverride>();
    test::ScratchDir scratch_;
    SetupConfig config_;
    int savedWow64_ = 0;
    int savedNt6_ = 0;
};

TEST_F(RegistryTest, DefaultEntryHasItsFiveValues) {
    std::wstring dir = IsWow64 ? L"C:\\Program Files (x86)\\HBC71K" : L"C:\\Program Files\\HBC71K";
    ASSERT_TRUE(WriteRegistryEntries(config_));
    std::wstring key = (IsWow64 ? kWow64 : kNative) + std::wstring(L"Uninstall\\HBC71K");
    EXPECT_EQ(L"\"" + dir + L"\\Uninstall\\setup.exe\" delpkg", ReadString(key, L"UninstallString"));
    EXPECT_EQ(L"Arrayvane", ReadString(key, L"DisplayName"));
    EXPECT_EQ(dir + L"\\Uninstall\\setup.exe", ReadString(key, L"DisplayIcon"));
    EXPECT_EQ(L"Veltro Technology Corp.", ReadString(key, L"Publisher"));
    EXPECT_EQ(L"1.00.00", ReadString(key, L"DisplayVersion"));
    EXPECT_EQ(IsNt6 ? L"<none>" : L"\"" + dir + L"\\KXRaidSetup.exe\" min", RunValue());
    EXPECT_TRUE(shown.empty());
}

struct Flags {
    int wow64;
    int nt6;
};

class RegistryFlagsTest : public RegistryTest, public ::testing::WithParamInterface<Flags> {};

TEST_P(RegistryFlagsTest, PrefixAndRunValueFollowTheFlagsAndGoAgain) {
    IsWow64 = GetParam().wow64;
    IsNt6 = GetParam().nt6;
    const std::wstring dir = L"D:\\My Apps\\Caf\u00e9 \u9663\u5217";
    std::wcscpy(config_.InstallDir, dir.c_str());
    ASSERT_TRUE(WriteRegistryEntries(config_));
    EXPECT_EQ(L"\"" + dir + L"\\Uninstall\\setup.exe\" delpkg", ReadString(Entry(), L"UninstallString"));
    EXPECT_EQ(dir + L"\\Uninstall\\setup.exe", ReadString(Entry(), L"DisplayIcon"));
    EXPECT_EQ(IsNt6 ? L"<none>" : L"\"" + dir + L"\\KXRaidSetup.exe\" min", RunValue());
    // Under WOW64 both prefixes name the same key for this program.
    if (!test::ExpectedWow64()) {
        std::wstring otherPrefix = IsWow64 ? kNative : kWow64;
        EXPECT_FALSE(KeyExists(otherPrefix + L"Uninstall\\HBC71K"));
        EXPECT_EQ(L"<none>", ReadString(otherPrefix + L"Run", L"Arrayvane"));
    }

    // On NT 6 the Run value is not ours to remove.
    if (IsNt6) PutString(Prefix() + L"Run", config_.AppName, L"kept");
    RemoveRegistryEntries(config_);
    EXPECT_FALSE(UninstallEntryExists(config_));
    EXPECT_EQ(IsNt6 ? L"kept" : L"<none>", RunValue());
    ExpectOthersKept();
    RemoveRegistryEntries(config_);
    EXPECT_TRUE(shown.empty());
}

INSTANTIATE_TEST_SUITE_P(Registry, RegistryFlagsTest,
                         ::testing::Values(Flags{0, 0}, Flags{0, 1}, Flags{1, 0}, Flags{1, 1}));

TEST_F(RegistryTest, FailingValueStopsTheEntryButPublisherIsUnchecked) {
    IsNt6 = 0;
    SetRegistryValueWriter(&FailOne);
    for (size_t failing = 0; failing < 5; ++failing) {
        RemoveRegistryEntries(config_);
        shown.clear();
        failingValue = kEntryValues[failing];
        bool publisher = failing == 3;
        EXPECT_EQ(publisher, WriteRegistryEntries(config_)) << failingValue;
        std::vector<std::wstring> expected;
        if (!publisher) expected.push_back(std::wstring(L"Fail to write the ") + failingValue + L" registry key!");
        EXPECT_EQ(expected, shown);
        for (size_t i = 0; i < 5; ++i) {
            bool written = i < failing || (publisher && i > failing);
            EXPECT_EQ(written, ReadString(Entry(), kEntryValues[i]) != L"<none>")
                << failingValue << " then " << kEntryValues[i];
        }
        EXPECT_NE(L"<none>", RunValue());
    }
}

TEST_F(RegistryTest, FailingRunValueIsShownAndTheEntryStillWritten) {
    IsNt6 = 0;
    SetRegistryValueWriter(&FailOne);
    failingValue = config_.AppName;
    EXPECT_TRUE(WriteRegistryEntries(config_));
    EXPECT_EQ(std::vector<std::wstring>{L"Fail to write the Run registry key!"}, shown);
    EXPECT_EQ(L"<none>", RunValue());
    EXPECT_EQ(L"1.00.00", ReadString(Entry(), L"DisplayVersion"));
}

TEST_F(RegistryTest, PathsThatDoNotFitAreRefusedNotCut) {
    IsNt6 = 0;
    // 3 + 240 characters leave room for the program (259) but not for the
    // uninstaller; 250 leave room for neither.
    for (size_t length : {240u, 250u}) {
        RemoveRegistryEntries(config_);
        shown.clear();
        std::wcscpy(config_.InstallDir, (L"C:\\" + std::wstring(length, L'x')).c_str());
        EXPECT_FALSE(WriteRegistryEntries(config_));
        std::vector<std::wstring> expected{L"Fail to write the UninstallString registry key!"};
        if (length == 250) expected.insert(expected.begin(), L"Fail to write the Run registry key!");
        EXPECT_EQ(expected, shown);
        EXPECT_FALSE(UninstallEntryExists(config_));
        EXPECT_EQ(length == 240 ? L"\"" + std::wstring(config_.InstallDir) + L"\\KXRaidSetup.exe\" min"
                                : L"<none>",
                  RunValue());
    }
}

TEST_F(RegistryTest, EmptyNamesWriteAndRemoveNothing) {
    IsNt6 = 0;
    SetupConfig noDir = config_, noFolder = config_;
    noDir.InstallDir[0] = L'\0';
    noFolder.APPFolderName[0] = L'\0';
    EXPECT_FALSE(WriteRegistryEntries(noDir));
    EXPECT_FALSE(WriteRegistryEntries(noFolder));
    EXPECT_FALSE(UninstallEntryExists(config_));
    EXPECT_EQ(L"<none>", ReadString(Prefix() + L"Uninstall", L"UninstallString"));
    EXPECT_EQ(L"<none>", RunValue());
    RemoveRegistryEntries(noFolder);
    ExpectOthersKept();
    EXPECT_TRUE(shown.empty());
}

TEST_F(RegistryTest, NoUninstallKeyAndNoRunKeyIsSilent) {
    IsNt6 = 0;
    ::SHDeleteKeyW(HKEY_LOCAL_MACHINE, (Prefix() + L"Run").c_str());
    // A volatile parent refuses the lasting entry key.
    ::SHDeleteKeyW(HKEY_LOCAL_MACHINE, (Prefix() + L"Uninstall").c_str());
    HKEY uninstall = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, (Prefix() + L"Uninstall").c_str(), 0,
                                               nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr,
                                               &uninstall, nullptr));
    ::RegCloseKey(uninstall);
    EXPECT_FALSE(WriteRegistryEntries(config_));
    EXPECT_FALSE(UninstallEntryExists(config_));
    EXPECT_FALSE(KeyExists(Prefix() + L"Run"));
    EXPECT_TRUE(shown.empty());
}

// The real registry of the prefix: a 32-bit program's entry must land in
// the 32-bit view, which 64-bit Windows keeps under Wow6432Node.
class RegistryViewTest : public RegistryTest {
protected:
    void SetUp() override {
        RegistryTest::SetUp();
        isolated_.reset();
    }
};

TEST_F(RegistryViewTest, EntryLiesInTheViewOfThisProgram) {
    std::wstring name = L"AvRegTest" + std::to_wstring(::GetCurrentProcessId());
    std::wcscpy(config_.APPFolderName, name.c_str());
    std::wcscpy(config_.AppName, name.c_str());
    std::wstring seen = kNative + (L"Uninstall\\" + name);
    ASSERT_TRUE(WriteRegistryEntries(config_));
    std::wstring seenName = ReadString(seen, L"DisplayName");
    bool inWow64 = KeyExists(kWow64 + (L"Uninstall\\" + name), KEY_WOW64_64KEY);
    bool inNative64 = KeyExists(seen, KEY_WOW64_64KEY);
    std::wstring runKey = std::wstring(kNative) + L"Run";
    std::wstring run = ReadString(runKey, name.c_str());
    RemoveRegistryEntries(config_);
    bool left = KeyExists(seen) || ReadString(runKey, name.c_str()) != L"<none>";
    ::SHDeleteKeyW(HKEY_LOCAL_MACHINE, seen.c_str());
    ::SHDeleteValueW(HKEY_LOCAL_MACHINE, runKey.c_str(), name.c_str());

    EXPECT_EQ(name, seenName);
    EXPECT_EQ(test::ExpectedWow64() == 1, inWow64);
    EXPECT_EQ(test::ExpectedWow64() == 0, inNative64);
    EXPECT_EQ(IsNt6 ? L"<none>" : L"\"" + std::wstring(config_.InstallDir) + L"\\KXRaidSetup.exe\" min", run);
    EXPECT_FALSE(left);
}

} // namespace
