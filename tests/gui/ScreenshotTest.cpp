// A picture of every control in each of its states, for people to review:
// build/screenshots/<prefix>/controls.png.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "controls/CBmpBtnCtrl.h"
#include "controls/LinkLabel.h"
#include "tests/gui/ButtonPictures.h"
#include "tests/gui/GuiSupport.h"
#include "tests/support/TestSupport.h"

namespace {

using namespace pictures;

class Screenshot : public gui::GuiTest {
protected:
    CBmpBtnCtrl& Button(const wchar_t* caption, DWORD style, int x, int y) {
        const int id = nextId++;
        dialog().AddChild(L"BUTTON", caption, style | WS_TABSTOP, id, x, y, 150, 20);
        buttons.push_back(std::make_unique<CBmpBtnCtrl>());
        CBmpBtnCtrl& b = *buttons.back();
        b.Attach(dialog().Hwnd(), id);
        b.SetBitmapLoader(&pictures::Load);
        if ((style & 0xF) == BS_PUSHBUTTON)
            b.LoadBitmaps(kPushNormal, kPushPressed, kPushHover, 0, kPushDisabled, 0);
        else
            b.LoadBitmaps(kBoxNormal, kBoxPressed, kBoxHover, kBoxChecked, kBoxDisabled,
                          kBoxDisabledChecked);
        b.FitToBitmap(x, y);
        return b;
    }
    LinkLabel& Label(const wchar_t* caption, DWORD style, int x, int y, int w, int h) {
        const int id = nextId++;
        dialog().AddChild(L"STATIC", caption, style, id, x, y, w, h);
        labels.push_back(std::make_unique<LinkLabel>());
        labels.back()->Attach(dialog().Hwnd(), id);
        return *labels.back();
    }

    int nextId = 500;
    std::vector<std::unique_ptr<CBmpBtnCtrl>> buttons;
    std::vector<std::unique_ptr<LinkLabel>> labels;
};

TEST_F(Screenshot, EveryControlInEveryState) {
    HWND d = dialog().Hwnd();
    ::SetWindowPos(d, nullptr, 0, 0, 660, 400, SWP_NOMOVE | SWP_NOZORDER);
    Button(L"Normal", BS_PUSHBUTTON, 10, 10);
    HWND hover = Button(L"Hover", BS_PUSHBUTTON, 100, 10).Hwnd();
    HWND pressed = Button(L"Pressed", BS_PUSHBUTTON, 190, 10).Hwnd();
    HWND disabled = Button(L"Disabled", BS_PUSHBUTTON, 280, 10).Hwnd();
    HWND focused = Button(L"Focus", BS_PUSHBUTTON, 370, 10).Hwnd();
    Button(L"A long caption cut short", BS_PUSHBUTTON, 460, 10);
    ::SendMessageW(hover, WM_MOUSEHOVER, 0, 0);
    ::SendMessageW(pressed, BM_SETSTATE, TRUE, 0);
    ::EnableWindow(disabled, FALSE);
    ::SetFocus(focused);

    Button(L"Unchecked", BS_AUTOCHECKBOX, 10, 50);
    Button(L"Checked", BS_AUTOCHECKBOX, 130, 50).SetCheckState(1);
    CBmpBtnCtrl& off = Button(L"Disabled", BS_AUTOCHECKBOX, 250, 50);
    ::EnableWindow(off.Hwnd(), FALSE);
    CBmpBtnCtrl& offChecked = Button(L"Disabled, checked", BS_AUTOCHECKBOX, 370, 50);
    offChecked.SetCheckState(1);
    ::EnableWindow(offChecked.Hwnd(), FALSE);
    ::SendMessageW(Button(L"Hover", BS_AUTOCHECKBOX, 10, 85).Hwnd(), WM_MOUSEHOVER, 0, 0);
    Button(L"Radio, checked", BS_AUTORADIOBUTTON, 130, 85).SetCheckState(1);
    Button(L"Radio", BS_AUTORADIOBUTTON, 250, 85);

    const COLORREF white = RGB(255, 255, 255);
    Label(L"Solid background", SS_LEFT, 10, 125, 200, 20)
        .SetBackground(RGB(0, 0, 120), 0, false).SetCaptionColor(white);
    Label(L"Gradient background", SS_CENTER, 220, 125, 200, 20)
        .SetBackground(RGB(0, 0, 120), RGB(120, 200, 255), true).SetCaptionColor(white);
    Label(L"Transparent, Arial 11 bold", SS_LEFT, 430, 125, 210, 20)
        .SetCaptionColor(RGB(0, 0, 85)).SetFaceName(L"Arial", 0).SetPointSize(11).SetBold(true)
        .SetTransparentMode(true);
    Label(L"Shaded caption", SS_LEFT, 10, 155, 200, 24)
        .SetBackground(RGB(60, 60, 60), 0, false).SetCaptionColor(white).SetPointSize(12)
        .SetShadeColor(RGB(255, 128, 0)).SetShade(true, true);
    Label(L"Blink, hidden phase", SS_LEFT, 220, 155, 200, 24)
        .SetBackground(RGB(0, 0, 120), 0, false).SetCaptionColor(white).SetCaptionFlash(true);
    Label(L"Background blink, off phase", SS_LEFT, 430, 155, 210, 24)
        .SetBackground(RGB(0, 0, 120), 0, false).SetCaptionColor(white).SetBackgroundFlash(true);
    Label(L"http://example.invalid/ (link)", SS_LEFT, 10, 190, 200, 20)
        .SetCaptionColor(RGB(0, 0, 255)).SetUnderline(true).SetUrlLink(true, false);
    Label(L"Right aligned", SS_RIGHT, 220, 190, 200, 20).SetItalic(true);
    Label(L"Centred both ways", SS_CENTERIMAGE, 430, 185, 210, 30)
        .SetBackground(RGB(200, 220, 200), 0, false).SetSunkenEdge(true);
    Label(L"Rotated 20\u00b0", SS_LEFT, 10, 225, 200, 60)
        .SetFaceName(L"Arial", 0).SetPointSize(12).SetAngle(20, true)
        .SetBackground(RGB(255, 255, 210), 0, false);
    Label(L"Chinese: \u7acb\u5373\u555f\u52d5\u61c9\u7528\u7a0b\u5f0f", SS_LEFT, 220, 225, 200, 20)
        .SetCaptionColor(RGB(120, 0, 0));

    ::RedrawWindow(d, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    gui::PumpPending();
    RECT client;
    ::GetClientRect(d, &client);
    gui::Canvas shot(client.right, client.bottom);
    // The pictures must be on screen before the shot is kept.
    auto at = [&](HWND control, int x, int y) {
        POINT p = {x, y};
        ::MapWindowPoints(control, d, &p, 1);
        return shot.At(p.x, p.y);
    };
    EXPECT_TRUE(gui::PumpUntil([&] {
        shot.CaptureWindow(d);
        return at(hover, 4, 6) == kHover && at(pressed, 4, 6) == kPressed &&
               at(disabled, 4, 6) == kDisabled && at(offChecked.Hwnd(), 4, 6) == kDisabledChecked;
    }));
    const std::wstring path = gui::ScreenshotDir() + L"\\controls.png";
    ASSERT_TRUE(shot.SavePng(path));
    EXPECT_TRUE(test::FileExists(path));
}

} // namespace
