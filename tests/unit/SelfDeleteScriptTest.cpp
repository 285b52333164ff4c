#include <gtest/gtest.h>

#include <string>

#include "engine/SelfDeleteScript.h"

namespace {

const UINT kUsOem = 437;
const UINT kWestern = 1252;

TEST(SelfDeleteScriptTest, LoopsUntilTheUninstallerIsGoneThenRemovesFolderAndItself) {
    ScriptText text;
    ASSERT_TRUE(ComposeSelfDeleteScript(L"C:\\Program Files\\HBC71K", kUsOem, text));
    EXPECT_EQ("set KX_TRIES=0\r\n"
              ":DEL_DIR\r\n"
              "set /a KX_TRIES+=1\r\n"
              "IF %KX_TRIES% GTR 60 GOTO :EOF\r\n"
              "ping -n 2 127.0.0.1 >nul\r\n"
              "del /f /q \"C:\\Program Files\\HBC71K\\Uninstall\\*\"\r\n"
              "rd /s /q \"C:\\Program Files\\HBC71K\\Uninstall\"\r\n"
              "IF EXIST \"C:\\Program Files\\HBC71K\\Uninstall\\setup.exe\" GOTO DEL_DIR\r\n"
              "IF EXIST \"C:\\Program Files\\HBC71K\\Uninstall\\setup.ini\" GOTO DEL_DIR\r\n"
              "del /f /q \"C:\\Program Files\\HBC71K\\*.avsetup-del\"\r\n"
              "cd /d \"%SystemRoot%\"\r\n"
              "start \"\" /min cmd /c ping -n 3 127.0.0.1 ^>nul ^& rd \"C:\\Program Files\\HBC71K\"\r\n"
              "del \"C:\\Program Files\\HBC71K\\KxUninst.bat\"\r\n",
              text.View());
}

TEST(SelfDeleteScriptTest, WritesCharactersInTheConsoleCodePage) {
    ScriptText text;
    ASSERT_TRUE(ComposeSelfDeleteScript(L"C:\\Program Files\\Caf\u00e9", kUsOem, text));
    // cp437 holds "é" as 0x82, not as its UTF-16 low byte 0xE9.
    EXPECT_NE(std::string_view::npos, text.View().find("& rd \"C:\\Program Files\\Caf\x82\"\r\n"));
    ASSERT_TRUE(ComposeSelfDeleteScript(L"C:\\Program Files\\Caf\u00e9", kWestern, text));
    EXPECT_NE(std::string_view::npos, text.View().find("& rd \"C:\\Program Files\\Caf\xe9\"\r\n"));
}

TEST(SelfDeleteScriptTest, RefusesPathsTheCodePageCannotHoldExactly) {
    ScriptText text;
    // CJK is not in cp437; "ā" would best-fit to "a" in 1252 and name
    // another folder; U+0163 cast to a byte would be "c".
    EXPECT_FALSE(ComposeSelfDeleteScript(L"C:\\Program Files\\Arrayvane \u9663\u5217", kUsOem, text));
    EXPECT_FALSE(ComposeSelfDeleteScript(L"C:\\Program Files\\R\u0101id", kWestern, text));
    EXPECT_FALSE(ComposeSelfDeleteScript(L"C:\\Program Files\\\u0163", kWestern, text));
    EXPECT_FALSE(ComposeSelfDeleteScript(L"", kUsOem, text));
}

TEST(SelfDeleteScriptTest, RefusesFolderTooLongForItsScriptPath) {
    std::wstring dir = L"C:\\" + std::wstring(250, L'd');
    ScriptText text;
    EXPECT_FALSE(ComposeSelfDeleteScript(dir.c_str(), kUsOem, text));
}

} // namespace
