// Broken setup.ini files: the profile functions read what they can, and
// the install either does its job under the names it got or refuses.
#include "tests/hostile/HostileTest.h"

namespace hostile {
namespace {

class SetupIniTest : public HostileTest {};

TEST_F(SetupIniTest, MissingFileInstallsTheBuiltInProduct) {
    UseDefaultProduct();
    ASSERT_TRUE(::DeleteFileW((medium_ + L"\\setup.ini").c_str()));
    ExpectInstalled(Run(L"s"));
    EXPECT_EQ(L"Arrayvane", ReadString(product_->uninstallKey, L"DisplayName"));
}

TEST_F(SetupIniTest, EmptyFileInstallsTheBuiltInProduct) {
    UseDefaultProduct();
    WriteIni("");
    ExpectInstalled(Run(L"s"));
    EXPECT_EQ(L"1.00.00", ReadString(product_->uninstallKey, L"DisplayVersion"));
}

TEST_F(SetupIniTest, BinaryFileInstallsTheBuiltInProduct) {
    UseDefaultProduct();
    // Every byte value, NULs and line ends among them, but no brackets that
    // could open a section.
    std::string bytes;
    for (int round = 0; round < 64; ++round) {
        for (int b = 0; b < 256; ++b) bytes += static_cast<char>((b * 37 + round * 11) & 0xFF);
    }
    for (char& c : bytes) {
        if (c == '[' || c == ']') c = '#';
    }
    WriteIni(bytes);
    ExpectInstalled(Run(L"s"));
}

TEST_F(SetupIniTest, OneMegabyteFileIsReadToItsSettings) {
    // A megabyte of comment lines before the product's own sections.
    std::string filler;
    while (filler.size() < 1024 * 1024) filler += "; " + std::string(60, 'x') + "\r\n";
    WriteIni(filler + "[Customized_Setting]\r\nAPPFolderName=" + Narrow(product_->folder) +
             "\r\n[Startup]\r\nAppName=" + Narrow(product_->appName) + "\r\n");
    ExpectInstalled(Run(L"s"));
    EXPECT_EQ(product_->appName, ReadString(product_->uninstallKey, L"DisplayName"));
}

TEST_F(SetupIniTest, OneMegabyteValueIsRefusedNotCut) {
    WriteIni("[Customized_Setting]\r\nAPPFolderName=" + std::string(1024 * 1024, 'f') + "\r\n[Startup]\r\nAppName=" +
             Narrow(product_->appName) + "\r\n");
    ExpectRefused(Run(L"s"), L"APPFolderName");
}

TEST_F(SetupIniTest, DuplicateSectionsTakeTheFirst) {
    const std::wstring other = product_->installDir + L" second";
    WriteIni("[Customized_Setting]\r\nAPPFolderName=" + Narrow(product_->folder) +
             "\r\n[Startup]\r\nAppName=" + Narrow(product_->appName) +
             "\r\n[Customized_Setting]\r\nAPPFolderName=" + Narrow(other.substr(other.rfind(L'\\') + 1)) +
             "\r\n[Startup]\r\nAppName=Second " + Narrow(product_->appName) + "\r\n");
    ExpectInstalled(Run(L"s"));
    EXPECT_EQ(product_->appName, ReadString(product_->uninstallKey, L"DisplayName"));
    // The sentinels would report the second folder too; say it plainly.
    EXPECT_FALSE(test::FileExists(other));
}

} // namespace
} // namespace hostile
