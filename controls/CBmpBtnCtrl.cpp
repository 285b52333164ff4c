#include "controls/CBmpBtnCtrl.h"

#include <commctrl.h>

#include "controls/ControlFacts.h"
#include "controls/SkinPicture.h"
#include "framework/Dpi.h"

BOOL CBmpBtnCtrl::LoadBitmaps(UINT normal, UINT pressed, UINT hover, UINT checked,
                              UINT disabled, UINT disabledChecked) {
    HWND hwnd = Hwnd();
    const LONG style = ::GetWindowLongW(hwnd, GWL_STYLE);
    if (buttonType_ == -1) buttonType_ = style & 0xFF;
    ::SetWindowLongW(hwnd, GWL_STYLE, style | BS_OWNERDRAW);
    for (SkinBitmap& picture : pictures_) picture.Unload();
    keyColor_ = -1;
    keepRect_ = RECT{0, 0, 0, 0};

    if (!LoadPicture(kNormalPicture, normal)) return FALSE;
    const struct { ButtonPicture slot; UINT id; } optional[] = {
        {kPressedPicture, pressed},   {kHoverPicture, hover},
        {kCheckedPicture, checked},   {kDisabledPicture, disabled},
        {kDisabledCheckedPicture, disabledChecked},
    };
    BOOL all = TRUE;
    for (const auto& entry : optional)
        if (entry.id != 0 && !LoadPicture(entry.slot, entry.id)) all = FALSE;
    return all;
}

BOOL CBmpBtnCtrl::LoadPicture(ButtonPicture slot, UINT id) {
    return pictures_[slot].Adopt(loader_ ? loader_(id) : LoadSkinPicture(id, dpi_));
}

int CBmpBtnCtrl::Scaled(int pixels) const { return fw::ScaleToDpi(pixels, dpi_); }

void CBmpBtnCtrl::FitToBitmap(int x, int y) {
    HWND hwnd = Hwnd();
    const ButtonKind kind = KindOfButtonType(buttonType_);
    RECT client = {};
    ::GetClientRect(hwnd, &client);
    const SIZE size = FitButtonSize(kind, pictures_[kNormalPicture].GetSize(), client.right,
                                    fw::SystemMetricForDpi(SM_CXMENUCHECK, dpi_), dpi_);
    if (buttonType_ == BS_PUSHBUTTON && keyColor_ >= 0 && keyColor_ <= 0xFFFFFF) {
        // The window owns the region it is given, so it gets a copy: the
        // cached one stays ours to replace or delete.
        fw::ScopedRegion shape(
            CopyRegion(pictures_[kNormalPicture].GetKeyRegion(keyColor_, keepRect_)));
        if (shape && ::SetWindowRgn(hwnd, shape.Get(), TRUE)) shape.Release();
    }
    const UINT flags = SWP_NOZORDER | SWP_NOREDRAW | SWP_NOACTIVATE;
    if (x == 0 && y == 0)
        ::SetWindowPos(hwnd, nullptr, 0, 0, size.cx, size.cy, flags | SWP_NOMOVE);
    else
        ::SetWindowPos(hwnd, nullptr, x, y, size.cx, size.cy, flags);
}

void CBmpBtnCtrl::SetCheckState(int state) {
    if (!::IsWindowEnabled(Hwnd()) || state == checkState_) return;
    checkState_ = state;
    ::InvalidateRect(Hwnd(), nullptr, FALSE);
}

LRESULT CBmpBtnCtrl::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_MOUSEMOVE: return OnMouseMove(wParam, lParam);
    case WM_SETCURSOR: return OnSetCursor(wParam, lParam);
    case WM_ERASEBKGND: return TRUE;
    case WM_MOUSELEAVE: return OnMouseLeave();
    case WM_MOUSEHOVER: return OnMouseHover();
    // An owner-drawn button keeps no check of its own: answer with ours,
    // so other programs (and accessibility tools) can read it.
    case BM_GETCHECK: return checkState_ ? BST_CHECKED : BST_UNCHECKED;
    }
    return Default(msg, wParam, lParam);
}

bool CBmpBtnCtrl::OnReflectedDrawItem(const DRAWITEMSTRUCT& item) {
    Paint(item.hDC, item.itemState);
    return true;
}

void CBmpBtnCtrl::OnReflectedCommand(WORD notifyCode) {
    if (notifyCode != BN_CLICKED) return;
    switch (KindOfButtonType(buttonType_)) {
    case ButtonKind::CheckBox: SetCheckState(GetCheckState() == 0 ? 1 : 0); break;
    case ButtonKind::Radio: SetCheckState(1); break;
    default: break;
    }
}

LRESULT CBmpBtnCtrl::OnMouseMove(WPARAM wParam, LPARAM lParam) {
    if (!tracking_) {
        TRACKMOUSEEVENT track = {};
        track.cbSize = sizeof track;
        track.dwFlags = TME_HOVER | TME_LEAVE;
        track.hwndTrack = Hwnd();
        track.dwHoverTime = 1;
        tracking_ = ::TrackMouseEvent(&track) != FALSE;
    }
    return Default(WM_MOUSEMOVE, wParam, lParam);
}

LRESULT CBmpBtnCtrl::OnSetCursor(WPARAM wParam, LPARAM lParam) {
    if (reinterpret_cast<HWND>(wParam) == Hwnd() && buttonCursor_) {
        savedCursor_ = ::SetCursor(buttonCursor_);
        return TRUE;
    }
    savedCursor_ = nullptr;
    return Default(WM_SETCURSOR, wParam, lParam);
}

LRESULT CBmpBtnCtrl::OnMouseHover() {
    hovering_ = true;
    if (::IsWindowEnabled(Hwnd())) ::InvalidateRect(Hwnd(), nullptr, FALSE);
    return 0;
}

LRESULT CBmpBtnCtrl::OnMouseLeave() {
    hovering_ = false;
    tracking_ = false;
    if (savedCursor_) ::SetCursor(savedCursor_);
    if (::IsWindowEnabled(Hwnd())) ::InvalidateRect(Hwnd(), nullptr, FALSE);
    return 0;
}

bool CBmpBtnCtrl::Describe(fw::AccessibleFacts& facts) const {
    HWND hwnd = Hwnd();
    const WindowShows shows = {::IsWindowVisible(hwnd) != FALSE, ::IsWindowEnabled(hwnd) != FALSE,
                               ::GetFocus() == hwnd};
    facts = DescribeButton(KindOfButtonType(buttonType_), shows, checkState_, hovering_,
                           accessibleName_.empty() ? Caption() : accessibleName_);
    return true;
}

// Posted, as a click would come: the screen reader's call returns first.
void CBmpBtnCtrl::DoDefaultAction() {
    HWND hwnd = Hwnd();
    if (!::IsWindowVisible(hwnd) || !::IsWindowEnabled(hwnd)) return;
    ::PostMessageW(::GetParent(hwnd), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(hwnd), BN_CLICKED),
                   reinterpret_cast<LPARAM>(hwnd));
}
