// CBmpBtnCtrl in a real dialog: pictures, captions, focus, sizes, shape,
// check state, and hover and clicks through real mouse input.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "controls/CBmpBtnCtrl.h"
#include "tests/gui/ButtonPictures.h"
#include "tests/gui/GuiSupport.h"

using namespace pictures;

namespace {

const int kButtonId = 300;
const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kBoxFace = RGB(71, 93, 173);

// Which optional pictures a case loads.
enum : unsigned { kWithPressed = 1, kWithHover = 2, kWithChecked = 4, kWithDisabled = 8,
                  kWithDisabledChecked = 16, kWithAll = 31 };

class BmpButton : public gui::GuiTest {
protected:
    CBmpBtnCtrl& Make(DWORD style, const wchar_t* caption, int width, int height,
                      unsigned with = kWithAll) {
        hwnd = dialog().AddChild(L"BUTTON", caption, style, kButtonId, 20, 20, width, height);
        button = std::make_unique<CBmpBtnCtrl>();
        EXPECT_TRUE(button->Attach(dialog().Hwnd(), kButtonId));
        button->SetBitmapLoader(&pictures::Load);
        const bool box = (style & 0xF) != BS_PUSHBUTTON && (style & 0xF) != BS_DEFPUSHBUTTON;
        const UINT base = box ? UINT(kBoxNormal) : UINT(kPushNormal);
        auto id = [&](unsigned flag, UINT offset) { return with & flag ? base + offset : 0; };
        button->LoadBitmaps(base, id(kWithPressed, 1), id(kWithHover, 2), id(kWithChecked, 3),
                            id(kWithDisabled, 4), id(kWithDisabledChecked, 5));
        return *button;
    }
    // The face as the button paints it for that item state.
    std::unique_ptr<gui::Canvas> Painted(UINT itemState) {
        RECT client;
        ::GetClientRect(hwnd, &client);
        auto canvas = std::make_unique<gui::Canvas>(client.right, client.bottom);
        button->Paint(canvas->Dc(), itemState);
        return canvas;
    }
    void Hover() { ::SendMessageW(hwnd, WM_MOUSEHOVER, 0, 0); }

    HWND hwnd = nullptr;
    std::unique_ptr<CBmpBtnCtrl> button;
};

struct PictureCase {
    const char* name;
    DWORD style;
    unsigned with;
    UINT itemState;
    bool hovering;
    int checkState;
    COLORREF expected;
    int contrastFace;  // the face's system colour in High Contrast
};

class BmpButtonPicture : public BmpButton, public ::testing::WithParamInterface<PictureCase> {};

TEST_P(BmpButtonPicture, PaintsThePictureOfItsState) {
    const PictureCase& c = GetParam();
    const bool push = (c.style & 0xF) == BS_PUSHBUTTON;
    Make(c.style | WS_TABSTOP, L"", push ? kPushSize.cx : 150, 30, c.with);
    button->FitToBitmap(0, 0);
    button->SetCheckState(c.checkState);
    if (c.hovering) Hover();
    if (c.itemState & ODS_DISABLED) ::EnableWindow(hwnd, FALSE);
    auto face = Painted(c.itemState);
    // Inside the picture and clear of any focus rectangle.
    EXPECT_EQ(c.expected, face->At(4, 6));
    // In High Contrast: the middle of the face, clear of its frame and the box.
    ASSERT_NE(::GetSysColor(COLOR_BTNFACE), ::GetSysColor(COLOR_HIGHLIGHT)) << "no lit face to tell apart";
    button->SetHighContrast(true);
    face = Painted(c.itemState);
    EXPECT_EQ(::GetSysColor(c.contrastFace), face->At(face->Width() / 2, face->Height() / 2));
}

const DWORD kPush = BS_PUSHBUTTON, kBox = BS_AUTOCHECKBOX, kRadio = BS_AUTORADIOBUTTON;

INSTANTIATE_TEST_SUITE_P(
    Table, BmpButtonPicture,
    ::testing::Values(
        PictureCase{"PushNormal", kPush, kWithAll, 0, false, 0, kNormal, COLOR_BTNFACE},
        PictureCase{"PushDisabled", kPush, kWithAll, ODS_DISABLED, false, 0, kDisabled, COLOR_BTNFACE},
        PictureCase{"PushDisabledBeatsPressedAndHover", kPush, kWithAll, ODS_DISABLED | ODS_SELECTED, true, 0, kDisabled, COLOR_BTNFACE},
        PictureCase{"PushDisabledWithoutPictureIsNormal", kPush, kWithAll & ~kWithDisabled, ODS_DISABLED, false, 0, kNormal, COLOR_BTNFACE},
        PictureCase{"PushPressed", kPush, kWithAll, ODS_SELECTED, false, 0, kPressed, COLOR_HIGHLIGHT},
        PictureCase{"PushPressedBeatsHover", kPush, kWithAll, ODS_SELECTED, true, 0, kPressed, COLOR_HIGHLIGHT},
        PictureCase{"PushPressedWithoutPictureIsNormal", kPush, kWithAll & ~kWithPressed, ODS_SELECTED, false, 0, kNormal, COLOR_HIGHLIGHT},
        PictureCase{"PushHover", kPush, kWithAll, 0, true, 0, kHover, COLOR_HIGHLIGHT},
        PictureCase{"PushHoverWithoutPictureIsNormal", kPush, kWithAll & ~kWithHover, 0, true, 0, kNormal, COLOR_HIGHLIGHT},
        PictureCase{"PushFocused", kPush, kWithAll, ODS_FOCUS, false, 0, kNormal, COLOR_HIGHLIGHT},
        PictureCase{"PushIgnoresCheckState", kPush, kWithAll, 0, false, 1, kNormal, COLOR_BTNFACE},
        PictureCase{"BoxNormal", kBox, kWithAll, 0, false, 0, kNormal, COLOR_WINDOW},
        PictureCase{"BoxDisabledChecked", kBox, kWithAll, ODS_DISABLED, false, 1, kDisabledChecked, COLOR_WINDOW},
        PictureCase{"BoxDisabledCheckedWithoutPictureIsNormal", kBox, kWithAll & ~kWithDisabledChecked, ODS_DISABLED, false, 1, kNormal, COLOR_WINDOW},
        PictureCase{"BoxDisabled", kBox, kWithAll, ODS_DISABLED, true, 0, kDisabled, COLOR_WINDOW},
        PictureCase{"BoxCheckedBeatsHoverAndPressed", kBox, kWithAll, ODS_SELECTED, true, 1, kChecked, COLOR_WINDOW},
        PictureCase{"BoxCheckedWithoutPictureIsNormal", kBox, kWithAll & ~kWithChecked, 0, false, 1, kNormal, COLOR_WINDOW},
        PictureCase{"BoxHoverBeatsPressed", kBox, kWithAll, ODS_SELECTED, true, 0, kHover, COLOR_WINDOW},
        PictureCase{"BoxPressed", kBox, kWithAll, ODS_SELECTED, false, 0, kPressed, COLOR_WINDOW},
        PictureCase{"BoxOtherCheckStatesAreUnchecked", kBox, kWithAll, 0, false, 2, kNormal, COLOR_WINDOW},
        PictureCase{"RadioChecked", kRadio, kWithAll, 0, false, 1, kChecked, COLOR_WINDOW},
        PictureCase{"RadioDisabledChecked", kRadio, kWithAll, ODS_DISABLED, false, 1, kDisabledChecked, COLOR_WINDOW}),
    [](const ::testing::TestParamInfo<PictureCase>& info) { return std::string(info.param.name); });

TEST_F(BmpButton, CaptionIsWhiteGreyWhenDisabledAndMovesDownRightWhenPressed) {
    Make(BS_PUSHBUTTON, L"HH", kPushSize.cx, kPushSize.cy);
    auto normal = Painted(0);
    ASSERT_GT(normal->Count(kWhite), 10);
    const RECT up = normal->Bounds(kWhite);

    auto pressed = Painted(ODS_SELECTED);
    const RECT down = pressed->Bounds(kWhite);
    EXPECT_EQ(up.left + 1, down.left);
    EXPECT_EQ(up.top + 1, down.top);
    EXPECT_EQ(up.right + 1, down.right);
    EXPECT_EQ(up.bottom + 1, down.bottom);

    ::EnableWindow(hwnd, FALSE);
    auto disabled = Painted(ODS_DISABLED);
    EXPECT_EQ(0, disabled->Count(kWhite));
    EXPECT_GT(disabled->Count(::GetSysColor(COLOR_GRAYTEXT)), 10);
}

TEST_F(BmpButton, BoxCaptionStandsRightOfThePictureOnTheBoxFace) {
    Make(BS_AUTOCHECKBOX, L"Launch", 150, 20);
    button->FitToBitmap(0, 0);
    auto face = Painted(0);
    EXPECT_EQ(kBoxFace, face->At(face->Width() - 1, 0));
    const RECT text = face->Bounds(kWhite);
    EXPECT_GE(text.left, kBoxSize.cx + 4);
    EXPECT_EQ(kNormal, face->At(0, 2)); // picture at the left, centred: rows 2-25 of 28
    EXPECT_EQ(kBoxFace, face->At(0, 1));
}

// Whether any pixel of the one-pixel inset frame differs from `color`.
bool HasFocusFrame(const gui::Canvas& face, COLORREF color) {
    for (int x = 1; x < face.Width() - 1; ++x)
        if (face.At(x, 1) != color || face.At(x, face.Height() - 2) != color) return true;
    return false;
}

TEST_F(BmpButton, NoFocusRectangleWhileHoveringWithoutAHoverPicture) {
    Make(BS_PUSHBUTTON | WS_TABSTOP, L"", kPushSize.cx, kPushSize.cy, kWithAll & ~kWithHover);
    EXPECT_TRUE(HasFocusFrame(*Painted(ODS_FOCUS), kNormal));
    Hover();
    EXPECT_FALSE(HasFocusFrame(*Painted(ODS_FOCUS), kNormal));
    // Pressed, the focus shows again.
    EXPECT_TRUE(HasFocusFrame(*Painted(ODS_FOCUS | ODS_SELECTED), kPressed));
}

TEST_F(BmpButton, FocusRectangleNeedsTabStopAndShowsWithAHoverPicture) {
    Make(BS_PUSHBUTTON, L"", kPushSize.cx, kPushSize.cy);
    EXPECT_FALSE(HasFocusFrame(*Painted(ODS_FOCUS), kNormal));
    ::SetWindowLongW(hwnd, GWL_STYLE, ::GetWindowLongW(hwnd, GWL_STYLE) | WS_TABSTOP);
    Hover();
    EXPECT_TRUE(HasFocusFrame(*Painted(ODS_FOCUS), kHover));
}

TEST_F(BmpButton, LargerFaceIsStretchedAndAFaceTooSmallForTheBorderIsNotDrawn) {
    Make(BS_PUSHBUTTON, L"", 120, 30);
    auto large = Painted(0);
    EXPECT_EQ(120 * 30, large->Count(kNormal));
    ::SetWindowPos(hwnd, nullptr, 0, 0, 120, 10, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(0, Painted(0)->Count(kNormal));
}

TEST_F(BmpButton, UnknownButtonTypeDrawsNothing) {
    CBmpBtnCtrl& b = Make(BS_CHECKBOX | BS_LEFTTEXT, L"Left", 150, 30);
    EXPECT_EQ(BS_CHECKBOX | BS_LEFTTEXT, b.GetButtonType());
    auto face = Painted(0);
    EXPECT_EQ(0, face->Count(kNormal));
    EXPECT_EQ(0, face->Count(kBoxFace));
    EXPECT_EQ(0, face->Count(kWhite));
}

TEST_F(BmpButton, LoadBitmapsRecordsTheTypeOnceAndMakesTheButtonOwnerDrawn) {
    hwnd = dialog().AddChild(L"BUTTON", L"", BS_AUTOCHECKBOX, kButtonId, 20, 20, 100, 20);
    CBmpBtnCtrl b;
    ASSERT_TRUE(b.Attach(dialog().Hwnd(), kButtonId));
    b.SetBitmapLoader(&pictures::Load);
    EXPECT_EQ(-1, b.GetButtonType());
    EXPECT_TRUE(b.LoadBitmaps(kBoxNormal, kBoxPressed, 0, kBoxChecked, 0, 0));
    EXPECT_EQ(BS_AUTOCHECKBOX, b.GetButtonType());
    EXPECT_EQ(BS_OWNERDRAW, ::GetWindowLongW(hwnd, GWL_STYLE) & 0xF);
    // A missing optional picture fails the call but the others still load.
    EXPECT_FALSE(b.LoadBitmaps(kBoxNormal, kMissing, 0, kBoxChecked, 0, 0));
    EXPECT_EQ(BS_AUTOCHECKBOX, b.GetButtonType());
    EXPECT_TRUE(b.Picture(kPressedPicture).IsEmpty());
    EXPECT_FALSE(b.Picture(kCheckedPicture).IsEmpty());
    // Without the normal picture nothing is loaded.
    EXPECT_FALSE(b.LoadBitmaps(kMissing, kBoxPressed, 0, kBoxChecked, 0, 0));
    EXPECT_TRUE(b.Picture(kCheckedPicture).IsEmpty());
    EXPECT_TRUE(b.Picture(kPressedPicture).IsEmpty());
}

RECT WindowInParent(HWND hwnd) {
    RECT r;
    ::GetWindowRect(hwnd, &r);
    ::MapWindowPoints(nullptr, ::GetParent(hwnd), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

TEST_F(BmpButton, PushButtonFitsItsPictureAndMovesUnlessGivenZero) {
    Make(BS_PUSHBUTTON, L"", 200, 50);
    button->FitToBitmap(0, 0);
    RECT r = WindowInParent(hwnd);
    EXPECT_EQ(20, r.left);
    EXPECT_EQ(20, r.top);
    EXPECT_EQ(kPushSize.cx, r.right - r.left);
    EXPECT_EQ(kPushSize.cy, r.bottom - r.top);
    button->FitToBitmap(30, 40);
    r = WindowInParent(hwnd);
    EXPECT_EQ(30, r.left);
    EXPECT_EQ(40, r.top);
    EXPECT_EQ(kPushSize.cx, r.right - r.left);
    // No key colour: the window keeps its plain rectangle.
    fw::ScopedRegion probe(::CreateRectRgn(0, 0, 0, 0));
    EXPECT_EQ(ERROR, ::GetWindowRgn(hwnd, probe.Get()));
}

class BmpButtonBoxFit : public BmpButton, public ::testing::WithParamInterface<DWORD> {};

TEST_P(BmpButtonBoxFit, ExchangesTheCheckSquareForThePictureAndIsFourTaller) {
    Make(GetParam(), L"Box", 150, 20);
    button->FitToBitmap(0, 0);
    const RECT r = WindowInParent(hwnd);
    EXPECT_EQ(kBoxSize.cx + 150 - ::GetSystemMetrics(SM_CXMENUCHECK) + 2, r.right - r.left);
    EXPECT_EQ(kBoxSize.cy + 4, r.bottom - r.top);
    EXPECT_EQ(20, r.left);
}

// A bitmap button tells the font its caption is drawn with and takes
// another by WM_SETFONT: the caption drawn then is that font's.
TEST_F(BmpButton, DrawsItsCaptionInTheFontItTellsAndTakes) {
    Make(BS_PUSHBUTTON, L"HH", kPushSize.cx, kPushSize.cy);
    const RECT small = Painted(0)->Bounds(kWhite);
    LOGFONTW tall = {};
    tall.lfHeight = -20;
    ::lstrcpyW(tall.lfFaceName, L"Arial");
    fw::ScopedFont font(::CreateFontIndirectW(&tall));
    ::SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), FALSE);
    EXPECT_EQ(font.Get(), reinterpret_cast<HFONT>(::SendMessageW(hwnd, WM_GETFONT, 0, 0)));
    const RECT large = Painted(0)->Bounds(kWhite);
    EXPECT_GT(large.bottom - large.top, small.bottom - small.top + 3)
        << "the caption is drawn in the font the button was given";
}

// At twice the dpi the gaps are twice as wide (the check square is the
// system's at that dpi).
TEST(BmpButtonBoxSize, GapsScaleWithTheDpi) {
    const SIZE picture = {42, 48};
    const SIZE at96 = FitButtonSize(ButtonKind::CheckBox, picture, 300, 13, 96);
    EXPECT_EQ(42 + 300 - 13 + 2, at96.cx);
    EXPECT_EQ(48 + 4, at96.cy);
    const SIZE at192 = FitButtonSize(ButtonKind::Radio, picture, 300, 26, 192);
    EXPECT_EQ(42 + 300 - 26 + 4, at192.cx);
    EXPECT_EQ(48 + 8, at192.cy);
    const SIZE push = FitButtonSize(ButtonKind::Push, picture, 300, 26, 192);
    EXPECT_EQ(picture.cx, push.cx);
    EXPECT_EQ(picture.cy, push.cy);
}

INSTANTIATE_TEST_SUITE_P(Kinds, BmpButtonBoxFit,
                         ::testing::Values(DWORD(BS_CHECKBOX), DWORD(BS_AUTOCHECKBOX),
                                           DWORD(BS_AUTORADIOBUTTON)),
                         [](const ::testing::TestParamInfo<DWORD>& info) {
                             return info.param == BS_CHECKBOX       ? std::string("CheckBox")
                                    : info.param == BS_AUTOCHECKBOX ? std::string("AutoCheckBox")
                                                                    : std::string("AutoRadio");
                         });

bool RegionIsKeyedFace(HRGN region) {
    for (int y = 0; y < kPushSize.cy; ++y)
        for (int x = 0; x < kPushSize.cx; ++x) {
            const bool corner = (x < 3 || x >= kPushSize.cx - 3) && (y < 3 || y >= kPushSize.cy - 3);
            if ((::PtInRegion(region, x, y) != FALSE) == corner) return false;
        }
    return true;
}

TEST_F(BmpButton, KeyColourShapesAPushButtonWithARegionOfItsOwn) {
    hwnd = dialog().AddChild(L"BUTTON", L"", BS_PUSHBUTTON, kButtonId, 20, 20, 100, 30);
    CBmpBtnCtrl b;
    ASSERT_TRUE(b.Attach(dialog().Hwnd(), kButtonId));
    b.SetBitmapLoader(&pictures::Load);
    b.LoadBitmaps(kPushKeyed, 0, 0, 0, 0, 0);
    b.SetKeyColor(LONG(kKey), RECT{0, 0, 0, 0});
    b.FitToBitmap(0, 0);
    fw::ScopedRegion shape(::CreateRectRgn(0, 0, 0, 0));
    ASSERT_NE(ERROR, ::GetWindowRgn(hwnd, shape.Get()));
    EXPECT_TRUE(RegionIsKeyedFace(shape.Get()));
    // The window was given a copy: the picture's own region is still alive.
    HRGN cached = b.Picture(kNormalPicture).GetKeyRegion(-1, RECT{0, 0, 0, 0});
    EXPECT_EQ(OBJ_REGION, ::GetObjectType(cached));
    EXPECT_TRUE(RegionIsKeyedFace(cached));
    // Building again replaces the cached region; the window keeps its shape.
    b.FitToBitmap(0, 0);
    b.Picture(kNormalPicture).GetKeyRegion(LONG(kKey), RECT{0, 0, 0, 0});
    ASSERT_NE(ERROR, ::GetWindowRgn(hwnd, shape.Get()));
    EXPECT_TRUE(RegionIsKeyedFace(shape.Get()));
}

TEST_F(BmpButton, DefaultPushButtonIsNeverShaped) {
    hwnd = dialog().AddChild(L"BUTTON", L"", BS_DEFPUSHBUTTON, kButtonId, 20, 20, 100, 30);
    CBmpBtnCtrl b;
    ASSERT_TRUE(b.Attach(dialog().Hwnd(), kButtonId));
    b.SetBitmapLoader(&pictures::Load);
    b.LoadBitmaps(kPushKeyed, 0, 0, 0, 0, 0);
    b.SetKeyColor(LONG(kKey), RECT{0, 0, 0, 0});
    b.FitToBitmap(0, 0);
    fw::ScopedRegion shape(::CreateRectRgn(0, 0, 0, 0));
    EXPECT_EQ(ERROR, ::GetWindowRgn(hwnd, shape.Get()));
}

TEST_F(BmpButton, SetCheckStateIsIgnoredWhileDisabled) {
    Make(BS_AUTOCHECKBOX, L"Box", 150, 20);
    ::EnableWindow(hwnd, FALSE);
    button->SetCheckState(1);
    EXPECT_EQ(0, button->GetCheckState());
    ::EnableWindow(hwnd, TRUE);
    button->SetCheckState(1);
    EXPECT_EQ(1, button->GetCheckState());
}

TEST_F(BmpButton, CheckBoxTogglesOnRealClicksAndTheDialogStillHearsThem) {
    Make(BS_AUTOCHECKBOX, L"Box", 150, 20);
    button->FitToBitmap(0, 0);
    gui::ClickAt(hwnd, 8, 12);
    EXPECT_TRUE(gui::PumpUntil([&] { return button->GetCheckState() == 1; }));
    EXPECT_TRUE(gui::PumpUntil([&] { return dialog().commands.size() == 1; }));
    ASSERT_EQ(1u, dialog().commands.size());
    EXPECT_EQ(kButtonId, dialog().commands[0].id);
    EXPECT_EQ(BN_CLICKED, dialog().commands[0].code);
    // Far enough from the first click not to make a double click.
    gui::ClickAt(hwnd, 60, 12);
    EXPECT_TRUE(gui::PumpUntil([&] { return button->GetCheckState() == 0; }));
    // The repaint after the change shows the unchecked picture on screen:
    // its plain face, or its hover face once the pointer resting on the
    // button has been noticed (soon, on a busy machine).
    gui::Canvas screen(10, 10);
    EXPECT_TRUE(gui::PumpUntil([&] {
        screen.CaptureWindow(hwnd);
        return screen.At(4, 6) == kNormal || screen.At(4, 6) == kHover;
    }));
}

TEST_F(BmpButton, RadioButtonStaysCheckedOnASecondClick) {
    Make(BS_AUTORADIOBUTTON, L"Radio", 150, 20);
    button->FitToBitmap(0, 0);
    gui::ClickAt(hwnd, 8, 12);
    EXPECT_TRUE(gui::PumpUntil([&] { return dialog().commands.size() == 1; }));
    EXPECT_EQ(1, button->GetCheckState());
    gui::ClickAt(hwnd, 60, 12);
    EXPECT_TRUE(gui::PumpUntil([&] { return dialog().commands.size() == 2; }));
    EXPECT_EQ(BN_CLICKED, dialog().commands.back().code);
    EXPECT_EQ(1, button->GetCheckState());
}

TEST_F(BmpButton, HoverAndLeaveFollowTheRealPointer) {
    gui::MoveMouseAway();
    gui::PumpPending();
    Make(BS_PUSHBUTTON, L"", kPushSize.cx, kPushSize.cy);
    gui::Canvas screen(kPushSize.cx, kPushSize.cy);
    auto shows = [&](COLORREF color) {
        return gui::PumpUntil([&] { screen.CaptureWindow(hwnd); return screen.At(4, 6) == color; });
    };
    EXPECT_TRUE(shows(kNormal));
    gui::MoveMouseTo(hwnd, 30, 10);
    EXPECT_TRUE(gui::PumpUntil([&] { return button->IsHovering(); }));
    EXPECT_TRUE(shows(kHover));
    gui::MoveMouseAway();
    EXPECT_TRUE(gui::PumpUntil([&] { return !button->IsHovering(); }));
    EXPECT_TRUE(shows(kNormal));
    // Tracking starts again on the next visit.
    gui::MoveMouseTo(hwnd, 40, 12);
    EXPECT_TRUE(gui::PumpUntil([&] { return button->IsHovering(); }));
    gui::MoveMouseAway();
    EXPECT_TRUE(gui::PumpUntil([&] { return !button->IsHovering(); }));
}

} // namespace
