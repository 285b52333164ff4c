// LinkLabel in a real dialog: painting, gradient, blinking, links, font.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "controls/LinkLabel.h"
#include "tests/gui/GuiSupport.h"

namespace {

const int kLabelId = 400;
const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kRed = RGB(255, 0, 0);
const COLORREF kBlue = RGB(0, 0, 160);
const COLORREF kYellow = RGB(255, 255, 0);

// What the label asked the shell to open.
struct ShellCall {
    int calls = 0;
    HWND owner = reinterpret_cast<HWND>(1);
    bool hasVerb = false;
    std::wstring verb, file;
    bool hasParameters = true, hasDirectory = true;
    INT show = -1;
};
ShellCall shell;

HINSTANCE WINAPI RecordShell(HWND owner, LPCWSTR verb, LPCWSTR file, LPCWSTR parameters,
                             LPCWSTR directory, INT show) {
    ++shell.calls;
    shell.owner = owner;
    shell.hasVerb = verb != nullptr;
    shell.verb = verb ? verb : L"";
    shell.file = file ? file : L"";
    shell.hasParameters = parameters != nullptr;
    shell.hasDirectory = directory != nullptr;
    shell.show = show;
    return reinterpret_cast<HINSTANCE>(33);
}

class Label : public gui::GuiTest {
protected:
    void SetUp() override { shell = ShellCall(); }

    LinkLabel& Make(const wchar_t* caption, DWORD style, int width, int height, int x = 20,
                    int y = 20) {
        hwnd = dialog().AddChild(L"STATIC", caption, style, kLabelId, x, y, width, height);
        label = std::make_unique<LinkLabel>();
        EXPECT_TRUE(label->Attach(dialog().Hwnd(), kLabelId));
        label->SetShellOpener(&RecordShell);
        return *label;
    }
    std::unique_ptr<gui::Canvas> Painted() {
        RECT client;
        ::GetClientRect(hwnd, &client);
        auto canvas = std::make_unique<gui::Canvas>(client.right, client.bottom);
        label->Paint(canvas->Dc());
        return canvas;
    }
    // Pixel runs of one colour along a row.
    static std::vector<int> Runs(const gui::Canvas& canvas, int y) {
        std::vector<int> runs;
        for (int x = 0; x < canvas.Width(); ++x) {
            if (x == 0 || canvas.At(x, y) != canvas.At(x - 1, y))
                runs.push_back(1);
            else
                ++runs.back();
        }
        return runs;
    }

    HWND hwnd = nullptr;
    std::unique_ptr<LinkLabel> label;
};

TEST_F(Label, TakesItsFontFromTheControlWhenAttached) {
    Make(L"text", SS_LEFT, 100, 20);
    LOGFONTW dialogFont = {};
    ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(dialog().Hwnd(), WM_GETFONT, 0, 0)),
                 sizeof dialogFont, &dialogFont);
    EXPECT_STREQ(dialogFont.lfFaceName, label->FontDescription().lfFaceName);
    EXPECT_EQ(dialogFont.lfHeight, label->FontDescription().lfHeight);
}

TEST_F(Label, ElevenPointsGiveTheScreensHeight) {
    Make(L"text", SS_LEFT, 100, 20).SetFaceName(L"Arial", ANSI_CHARSET).SetPointSize(11).SetBold(true);
    fw::ScreenDC screen;
    const int dpi = ::GetDeviceCaps(screen.Get(), LOGPIXELSY);
    EXPECT_EQ(-(dpi * 110 / 720), label->FontDescription().lfHeight);
    if (dpi == 96) {
        EXPECT_EQ(-14, label->FontDescription().lfHeight);
    }
    EXPECT_EQ(0, label->FontDescription().lfWidth);
    EXPECT_EQ(FW_BOLD, label->FontDescription().lfWeight);
    EXPECT_STREQ(L"Arial", label->FontDescription().lfFaceName);
}

// As a static control does: WM_GETFONT tells the font the label draws with
// (its own, once it has built one), WM_SETFONT gives it another; the font
// sent stays the sender's, the label draws with its own copy; the point
// size follows the dpi it is given.
TEST_F(Label, TellsAndTakesItsFontByMessage) {
    Make(L"text", SS_LEFT, 100, 20).SetFaceName(L"Arial", ANSI_CHARSET).SetDpi(192).SetPointSize(10);
    LOGFONTW told = {};
    HFONT own = reinterpret_cast<HFONT>(::SendMessageW(hwnd, WM_GETFONT, 0, 0));
    ASSERT_TRUE(own && ::GetObjectW(own, sizeof told, &told));
    EXPECT_EQ(-(192 * 100 / 720), told.lfHeight);
    EXPECT_STREQ(L"Arial", told.lfFaceName);

    LOGFONTW sent = {};
    sent.lfHeight = -31;
    sent.lfItalic = 1;
    ::lstrcpyW(sent.lfFaceName, L"Courier New");
    fw::ScopedFont font(::CreateFontIndirectW(&sent));
    ::SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), TRUE);
    HFONT now = reinterpret_cast<HFONT>(::SendMessageW(hwnd, WM_GETFONT, 0, 0));
    ASSERT_NE(nullptr, now);
    EXPECT_NE(font.Get(), now) << "the label draws with a copy of its own";
    ASSERT_TRUE(::GetObjectW(now, sizeof told, &told));
    EXPECT_EQ(-31, told.lfHeight);
    EXPECT_EQ(1, told.lfItalic);
    EXPECT_STREQ(L"Courier New", told.lfFaceName);
}

TEST_F(Label, LongFaceNameIsCutToThirtyOneCharacters) {
    const std::wstring longName = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnop"; // 42
    Make(L"text", SS_LEFT, 100, 20).SetFaceName(longName, DEFAULT_CHARSET).SetPointSize(9);
    EXPECT_EQ(longName.substr(0, 31), std::wstring(label->FontDescription().lfFaceName));
    // The label still paints with the font it built.
    EXPECT_EQ(0, label->FontDescription().lfWidth);
}

TEST_F(Label, BackgroundIsTheDefaultFaceThenTheChosenColour) {
    Make(L"", SS_LEFT, 30, 10);
    EXPECT_EQ(300, Painted()->Count(::GetSysColor(COLOR_BTNFACE)));
    label->SetBackground(kBlue, 0, false);
    EXPECT_EQ(300, Painted()->Count(kBlue));
    // WM_PRINTCLIENT paints the same face.
    gui::Canvas printed(30, 10);
    ::SendMessageW(hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(printed.Dc()), PRF_CLIENT);
    EXPECT_EQ(300, printed.Count(kBlue));
}

TEST_F(Label, GradientOfFortyPixelsHasFortyBandsReachingTheBottomRow) {
    Make(L"", SS_LEFT, 40, 12).SetBackground(RGB(0, 0, 0), RGB(255, 0, 0), true);
    auto face = Painted();
    EXPECT_EQ(std::vector<int>(40, 1), Runs(*face, 5));
    EXPECT_EQ(std::vector<int>(40, 1), Runs(*face, 11));
    EXPECT_EQ(RGB(0, 0, 0), face->At(0, 11));
}

TEST_F(Label, GradientOfFourHundredFiftyPixelsHasAHundredBandsTheLastFiftyFourWide) {
    Make(L"", SS_LEFT, 450, 12).SetBackground(RGB(0, 0, 0), RGB(255, 0, 0), true);
    auto face = Painted();
    std::vector<int> expected(99, 4);
    expected.push_back(54);
    EXPECT_EQ(expected, Runs(*face, 0));
    EXPECT_EQ(expected, Runs(*face, 11));
}

TEST_F(Label, TextIsPlacedByTheStyle) {
    Make(L"II", SS_RIGHT, 200, 40).SetCaptionColor(kRed).SetBackground(kBlue, 0, false);
    RECT text = Painted()->Bounds(kRed);
    EXPECT_GT(text.left, 150);
    EXPECT_LT(text.top, 15);
    ::SetWindowLongW(hwnd, GWL_STYLE, (::GetWindowLongW(hwnd, GWL_STYLE) & ~SS_TYPEMASK) | SS_LEFT);
    text = Painted()->Bounds(kRed);
    EXPECT_LT(text.left, 10);
    ::SetWindowLongW(hwnd, GWL_STYLE, ::GetWindowLongW(hwnd, GWL_STYLE) | SS_CENTERIMAGE);
    text = Painted()->Bounds(kRed);
    EXPECT_NEAR(100, (text.left + text.right) / 2, 3);
    EXPECT_NEAR(20, (text.top + text.bottom) / 2, 4);
}

TEST_F(Label, ShadeLiesOnePixelDownRightOverTheCaption) {
    Make(L"HH", SS_LEFT, 100, 30).SetCaptionColor(kRed).SetBackground(kBlue, 0, false);
    const RECT caption = Painted()->Bounds(kRed);
    label->SetShadeColor(kYellow).SetShade(true, true);
    RECT shade = Painted()->Bounds(kYellow);
    EXPECT_EQ(caption.left + 1, shade.left);
    EXPECT_EQ(caption.top + 1, shade.top);
    label->SetShade(true, false);
    shade = Painted()->Bounds(kYellow);
    EXPECT_EQ(caption.right - 1, shade.right);
    EXPECT_EQ(caption.bottom - 1, shade.bottom);
}

TEST_F(Label, CaptionBlinkStartsHiddenAndShowsAfterOneTick) {
    Make(L"WWWW", SS_LEFT, 100, 20).SetCaptionColor(kWhite).SetBackground(kBlue, 0, false);
    ASSERT_GT(Painted()->Count(kWhite), 0);
    label->SetCaptionFlash(true);
    const DWORD start = ::GetTickCount();
    EXPECT_EQ(0, Painted()->Count(kWhite));
    EXPECT_TRUE(gui::PumpUntil([&] { return Painted()->Count(kWhite) > 0; }, 3000));
    EXPECT_GE(::GetTickCount() - start, 400u);
    EXPECT_TRUE(gui::PumpUntil([&] { return Painted()->Count(kWhite) == 0; }, 3000));
    label->SetCaptionFlash(false);
    EXPECT_GT(Painted()->Count(kWhite), 0);
}

TEST_F(Label, CaptionBlinkWithoutASolidBackgroundHidesInBlack) {
    Make(L"WWWW", SS_LEFT, 100, 20).SetCaptionColor(kWhite).SetCaptionFlash(true);
    auto face = Painted();
    EXPECT_EQ(0, face->Count(kWhite));
    EXPECT_GT(face->Count(RGB(0, 0, 0)), 0);
}

TEST_F(Label, BackgroundBlinkAlternatesWithTheDefaultFace) {
    const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
    Make(L"", SS_LEFT, 20, 10).SetBackground(kBlue, 0, false).SetBackgroundFlash(true);
    EXPECT_EQ(face, Painted()->At(5, 5));
    EXPECT_TRUE(gui::PumpUntil([&] { return Painted()->At(5, 5) == kBlue; }, 3000));
    EXPECT_TRUE(gui::PumpUntil([&] { return Painted()->At(5, 5) == face; }, 3000));
    // Stopped, the label keeps its own colour.
    label->SetBackgroundFlash(false);
    EXPECT_EQ(kBlue, Painted()->At(5, 5));
}

TEST_F(Label, LinksTakeAndDropTheNotifyStyle) {
    Make(L"x", SS_LEFT, 100, 20).SetUrlLink(true, false);
    EXPECT_TRUE(::GetWindowLongW(hwnd, GWL_STYLE) & SS_NOTIFY);
    label->SetMailLink(false, false);
    EXPECT_FALSE(::GetWindowLongW(hwnd, GWL_STYLE) & SS_NOTIFY);
    label->SetTransparentMode(true).SetTransparentMode(false);
    EXPECT_TRUE(::GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_TRANSPARENT);
    label->SetSunkenEdge(true).SetFrameBorder(true);
    EXPECT_TRUE(::GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_STATICEDGE);
    EXPECT_TRUE(::GetWindowLongW(hwnd, GWL_STYLE) & WS_BORDER);
    label->SetSunkenEdge(false).SetFrameBorder(false);
    EXPECT_FALSE(::GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_STATICEDGE);
    EXPECT_FALSE(::GetWindowLongW(hwnd, GWL_STYLE) & WS_BORDER);
}

TEST_F(Label, UrlLinkWithoutTargetOpensTheCaption) {
    Make(L"http://example.invalid/", SS_LEFT, 200, 20).SetUrlLink(true, false);
    gui::ClickAt(hwnd, 10, 10);
    ASSERT_TRUE(gui::PumpUntil([] { return shell.calls == 1; }));
    EXPECT_EQ(nullptr, shell.owner);
    EXPECT_EQ(L"open", shell.verb);
    EXPECT_EQ(L"http://example.invalid/", shell.file);
    EXPECT_FALSE(shell.hasParameters);
    EXPECT_FALSE(shell.hasDirectory);
    EXPECT_EQ(SW_SHOWNORMAL, shell.show);
}

TEST_F(Label, UrlLinkWithTargetOpensTheTarget) {
    Make(L"Our site", SS_LEFT, 200, 20).SetUrlLink(true, false).SetLinkTarget(L"C:\\readme.txt");
    gui::ClickAt(hwnd, 10, 10);
    ASSERT_TRUE(gui::PumpUntil([] { return shell.calls == 1; }));
    EXPECT_EQ(L"C:\\readme.txt", shell.file);
}

TEST_F(Label, MailLinkOpensMailtoWithTheCaptionAndNoVerb) {
    Make(L"help@example.invalid", SS_LEFT, 200, 20).SetMailLink(true, false).SetLinkTarget(L"ignored");
    gui::ClickAt(hwnd, 10, 10);
    ASSERT_TRUE(gui::PumpUntil([] { return shell.calls == 1; }));
    EXPECT_FALSE(shell.hasVerb);
    EXPECT_EQ(L"mailto:help@example.invalid", shell.file);
    EXPECT_EQ(SW_SHOWNORMAL, shell.show);
}

TEST_F(Label, NotifyingLinkSendsTheParentItsNotificationAndOpensNothing) {
    Make(L"http://example.invalid/", SS_LEFT, 200, 20).SetUrlLink(true, true);
    gui::ClickAt(hwnd, 10, 10);
    ASSERT_TRUE(gui::PumpUntil([&] { return dialog().notifications.size() == 1; }));
    const NMHDR& header = dialog().notifications[0];
    EXPECT_EQ(hwnd, header.hwndFrom);
    EXPECT_EQ(UINT_PTR(kLabelId), header.idFrom);
    EXPECT_EQ(0x8200u, header.code);
    gui::PumpPending();
    EXPECT_EQ(0, shell.calls);
}

TEST_F(Label, LabelThatIsNoLinkTakesNoClicks) {
    Make(L"http://example.invalid/", SS_LEFT, 200, 20).SetUrlLink(false, true);
    gui::ClickAt(hwnd, 10, 10);
    gui::PumpPending();
    EXPECT_TRUE(dialog().notifications.empty());
    EXPECT_EQ(0, shell.calls);
}

TEST_F(Label, TransparentLabelLeavesNoOldTextBehind) {
    Make(L"WWWWWWWW", SS_LEFT, 200, 30, 40, 40).SetCaptionColor(kRed).SetTransparentMode(true);
    gui::Canvas screen(300, 120);
    ASSERT_TRUE(gui::PumpUntil([&] { screen.CaptureWindow(dialog().Hwnd()); return screen.Count(kRed) > 20; }));
    label->SetCaption(L"ii");
    gui::PumpPending();
    screen.CaptureWindow(dialog().Hwnd());
    const RECT red = screen.Bounds(kRed);
    EXPECT_GT(screen.Count(kRed), 0);
    EXPECT_LT(red.right, 40 + 30) << "old caption still shows";
    // The parent's own face is all there is around the new caption.
    EXPECT_EQ(::GetSysColor(COLOR_BTNFACE), screen.At(40 + 150, 40 + 10));
}

TEST_F(Label, TransparentLabelLeavesNoOldGlyphsWhenItsFontShrinks) {
    Make(L"WWWWWW", SS_LEFT, 240, 40, 40, 40).SetCaptionColor(kRed).SetPointSize(20).SetTransparentMode(true);
    gui::Canvas screen(300, 120);
    ASSERT_TRUE(gui::PumpUntil([&] { screen.CaptureWindow(dialog().Hwnd()); return screen.Bounds(kRed).right > 40 + 120; }));
    label->SetPointSize(8);
    gui::PumpPending();
    screen.CaptureWindow(dialog().Hwnd());
    EXPECT_GT(screen.Count(kRed), 0);
    EXPECT_LT(screen.Bounds(kRed).right, 40 + 100) << "old glyphs still show";
}

} // namespace
