#include <gtest/gtest.h>

#include <windows.h>

#include <map>
#include <string>

#include "tests/support/Installation.h"
#include "tests/support/TestSupport.h"

namespace {

// The wizard's install and uninstall labels in the languages the tests run
// under: AV_EXPECT_LANGUAGE names the module the locale must choose.
struct Labels {
    const wchar_t* install;
    const wchar_t* remove;
    const wchar_t* cancel;
};
const std::map<std::wstring, Labels> kLabels = {
    {L"ENU", {L"Install", L"Remove", L"Cancel"}},
    {L"CHT", {L"安裝", L"移除", L"取消"}},
    {L"DEU", {L"Installieren", L"Entfernen", L"Abbrechen"}},
};

std::wstring ExpectedLanguage() {
    std::wstring language = test::Env(L"AV_EXPECT_LANGUAGE");
    return language.empty() ? L"ENU" : language;
}

std::wstring ItemText(HWND dialog, int item) {
    wchar_t text[256] = {};
    ::GetDlgItemTextW(dialog, item, text, 256);
    return text;
}

// Runs setup.exe from a private copy of the medium.
class LanguageTest : public ::testing::Test {
protected:
    void SetUp() override {
        medium_ = dir_ / L"medium";
        test::CopyTree(test::MediumDir(), medium_);
        ASSERT_TRUE(test::FileExists(medium_ + L"\\setupENU.dll"));
    }
    // Start-up marks the copy's path on NT 6.
    void TearDown() override { test::DeleteCompatMarksContaining(dir_.Path()); }
    std::wstring Setup(const std::wstring& args) const {
        return L"\"" + medium_ + L"\\setup.exe\"" + (args.empty() ? L"" : L" " + args);
    }
    void RemoveModule(const std::wstring& language) const {
        ASSERT_TRUE(::DeleteFileW((medium_ + L"\\setup" + language + L".dll").c_str())) << language.c_str();
    }
    // The labels of the action and Cancel buttons of the wizard that opens
    // with `title`; the wizard is cancelled afterwards.
    std::pair<std::wstring, std::wstring> WizardLabels(const std::wstring& args, const std::wstring& title) {
        test::Process setup(Setup(args));
        HWND wizard = nullptr;
        std::pair<std::wstring, std::wstring> labels;
        if (test::WaitFor([&] { return (wizard = test::FindProcessWindow(setup.Id(), title)) != nullptr; })) {
            labels = {ItemText(wizard, 1000), ItemText(wizard, IDCANCEL)};
            ::PostMessageW(wizard, WM_COMMAND, IDCANCEL, 0);
        }
        EXPECT_EQ(0, setup.Wait());
        return labels;
    }

    test::ScratchDir dir_;
    std::wstring medium_;
};

TEST_F(LanguageTest, WizardSpeaksTheLanguageOfTheLocale) {
    const Labels& expected = kLabels.at(ExpectedLanguage());
    auto install = WizardLabels(L"", L"Arrayvane - Installation Wizard");
    EXPECT_EQ(expected.install, install.first);
    EXPECT_EQ(expected.cancel, install.second);
    auto uninstall = WizardLabels(L"delpkg", L"Arrayvane - Uninstallation Wizard");
    EXPECT_EQ(expected.remove, uninstall.first);
    EXPECT_EQ(expected.cancel, uninstall.second);
}

TEST_F(LanguageTest, LanguageWithoutModuleSpeaksEnglish) {
    if (ExpectedLanguage() == L"ENU") GTEST_SKIP() << "runs under a locale other than English";
    RemoveModule(ExpectedLanguage());
    auto labels = WizardLabels(L"", L"Arrayvane - Installation Wizard");
    EXPECT_EQ(L"Install", labels.first);
    EXPECT_EQ(L"Cancel", labels.second);
}

TEST_F(LanguageTest, NoModuleBesideTheProgramShowsAFailMessageInsteadOfTheWizard) {
    for (const wchar_t* language : {L"ENU", L"CHT", L"CHS", L"JPN", L"DEU", L"KOR", L"FRA", L"ITA", L"RUS",
                                    L"ESN", L"SVE", L"NLD", L"PTB"})
        RemoveModule(language);
    test::Process setup(Setup(L""));
    ASSERT_TRUE(setup.Started());
    bool windowSeen = false, failBox = false;
    int exitCode = -1;
    // Watch for a window for as long as the program runs; answer its box.
    EXPECT_TRUE(test::WaitFor([&] {
        windowSeen = windowSeen || test::FindProcessWindow(setup.Id(), L"Arrayvane - Installation Wizard");
        if (HWND box = test::FindProcessWindow(setup.Id(), L"Fail")) {
            failBox = true;
            ::PostMessageW(box, WM_COMMAND, IDOK, 0);
        }
        exitCode = setup.Wait(0);
        return exitCode != -1;
    }));
    EXPECT_NE(0, exitCode);
    EXPECT_TRUE(failBox);
    EXPECT_FALSE(windowSeen);
}

// The white pixels of a label's area, as drawn by the wizard on the screen
// or by this program with a font of its choice.
class WhitePixels {
public:
    static WhitePixels FromScreen(HWND window, const RECT& area) {
        WhitePixels pixels(area.right - area.left, area.bottom - area.top);
        POINT origin = {area.left, area.top};
        ::ClientToScreen(window, &origin);
        HDC screen = ::GetDC(nullptr);
        ::BitBlt(pixels.dc_, 0, 0, pixels.width_, pixels.height_, screen, origin.x, origin.y, SRCCOPY);
        ::ReleaseDC(nullptr, screen);
        return pixels;
    }

    static WhitePixels Drawn(const std::wstring& text, const wchar_t* face, int width, int height) {
        WhitePixels pixels(width, height);
        HFONT font = ::CreateFontW(-13, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                   CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, face);
        HGDIOBJ before = ::SelectObject(pixels.dc_, font);
        ::SetBkMode(pixels.dc_, TRANSPARENT);
        ::SetTextColor(pixels.dc_, RGB(255, 255, 255));
        RECT box = {0, 0, width, height};
        ::DrawTextW(pixels.dc_, text.c_str(), -1, &box, DT_LEFT | DT_WORDBREAK);
        ::SelectObject(pixels.dc_, before);
        ::DeleteObject(font);
        return pixels;
    }

    int Count() const {
        int count = 0;
        for (int i = 0; i < width_ * height_; ++i) count += White(i);
        return count;
    }

    // Shared white pixels over all white pixels of either: 1 for the same drawing.
    double Overlap(const WhitePixels& other) const {
        int both = 0, either = 0;
        for (int i = 0; i < width_ * height_; ++i) {
            both += White(i) && other.White(i);
            either += White(i) || other.White(i);
        }
        return either ? static_cast<double>(both) / either : 0.0;
    }

    WhitePixels(WhitePixels&& other) noexcept
        : width_(other.width_), height_(other.height_), dc_(other.dc_), bitmap_(other.bitmap_),
          before_(other.before_), bits_(other.bits_) {
        other.dc_ = nullptr;
        other.bitmap_ = nullptr;
    }
    ~WhitePixels() {
        if (dc_) ::SelectObject(dc_, before_), ::DeleteDC(dc_);
        if (bitmap_) ::DeleteObject(bitmap_);
    }

private:
    WhitePixels(int width, int height) : width_(width), height_(height) {
        BITMAPINFO info = {};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        dc_ = ::CreateCompatibleDC(nullptr);
        void* bits = nullptr;
        bitmap_ = ::CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        bits_ = static_cast<DWORD*>(bits);
        before_ = ::SelectObject(dc_, bitmap_);
        ::PatBlt(dc_, 0, 0, width, height, BLACKNESS);
    }
    bool White(int i) const { return (bits_[i] & 0xFFFFFF) == 0xFFFFFF; }

    int width_, height_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ before_ = nullptr;
    DWORD* bits_ = nullptr;
};

RECT ItemArea(HWND dialog, int item) {
    RECT box = {};
    ::GetWindowRect(::GetDlgItem(dialog, item), &box);
    ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&box), 2);
    return box;
}

// The Chinese wizard shows the program's own texts, drawn with Chinese
// glyphs: the pixels of its upper text are those of the same text drawn
// here with the Chinese font, not the boxes of a font without the glyphs.
TEST_F(LanguageTest, ChineseWizardShowsItsTextsInChineseGlyphs) {
    if (ExpectedLanguage() != L"CHT") GTEST_SKIP() << "runs under the Traditional Chinese locale";
    test::Process setup(Setup(L""));
    HWND wizard = nullptr;
    ASSERT_TRUE(test::WaitFor([&] {
        return (wizard = test::FindProcessWindow(setup.Id(), L"Arrayvane - Installation Wizard")) != nullptr;
    }));
    const std::wstring upper = L"精靈已準備就緒，可以開始安裝了。";
    EXPECT_EQ(upper, ItemText(wizard, 1001));
    EXPECT_EQ(L"按一下「安裝」以開始安裝。按一下「取消」結束安裝精靈。", ItemText(wizard, 1002));
    EXPECT_EQ(L"完成", ItemText(wizard, IDOK));
    EXPECT_EQ(L"立即啟動應用程式", ItemText(wizard, 1008));

    const RECT area = ItemArea(wizard, 1001);
    const int width = area.right - area.left, height = area.bottom - area.top;
    // Painted once the label shows its text.
    bool painted = test::WaitFor([&] { return WhitePixels::FromScreen(wizard, area).Count() > 100; });
    EXPECT_TRUE(painted);
    const WhitePixels shown = WhitePixels::FromScreen(wizard, area);
    const double chinese = shown.Overlap(WhitePixels::Drawn(upper, L"WenQuanYi Micro Hei", width, height));
    const double boxes = shown.Overlap(WhitePixels::Drawn(upper, L"Liberation Mono", width, height));
    EXPECT_GT(chinese, 0.6) << "overlap with the Chinese font";
    EXPECT_LT(boxes, 0.3) << "overlap with a font without the glyphs";

    ::PostMessageW(wizard, WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(0, setup.Wait());
}

} // namespace
