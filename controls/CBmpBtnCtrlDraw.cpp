#include "controls/CBmpBtnCtrl.h"

#include "controls/ContrastColors.h"

namespace {

const COLORREF kCaptionColor = RGB(255, 255, 255);
const COLORREF kCheckBoxFace = RGB(71, 93, 173);
const SIZE kFaceBorder = {5, 5};

// "Arial" at 9 points for the radio button's caption.
HFONT CreateRadioFont(int dpi) {
    LOGFONTW description = {};
    description.lfHeight = -(dpi * 90 / 720);
    description.lfCharSet = DEFAULT_CHARSET;
    ::lstrcpynW(description.lfFaceName, L"Arial", LF_FACESIZE);
    return ::CreateFontIndirectW(&description);
}

// A focus rectangle `thickness` dotted lines deep, inwards from `frame`.
void DrawFocusFrame(HDC dc, RECT frame, int thickness) {
    for (int i = 0; i < thickness; ++i) {
        ::DrawFocusRect(dc, &frame);
        ::InflateRect(&frame, -1, -1);
    }
}

class ScopedBkMode {
public:
    ScopedBkMode(HDC dc, int mode) : dc_(dc), previous_(::SetBkMode(dc, mode)) {}
    ~ScopedBkMode() { ::SetBkMode(dc_, previous_); }
    ScopedBkMode(const ScopedBkMode&) = delete;
    ScopedBkMode& operator=(const ScopedBkMode&) = delete;

private:
    HDC dc_;
    int previous_;
};

class ScopedTextColor {
public:
    ScopedTextColor(HDC dc, COLORREF color) : dc_(dc), previous_(::SetTextColor(dc, color)) {}
    ~ScopedTextColor() { ::SetTextColor(dc_, previous_); }
    ScopedTextColor(const ScopedTextColor&) = delete;
    ScopedTextColor& operator=(const ScopedTextColor&) = delete;

private:
    HDC dc_;
    COLORREF previous_;
};

} // namespace

void CBmpBtnCtrl::Paint(HDC dc, UINT itemState) {
    HWND hwnd = Hwnd();
    RECT face = {};
    ::GetClientRect(hwnd, &face);
    fw::MemoryDC buffer(dc);
    if (!buffer) return;
    fw::ScopedBitmap canvas(::CreateCompatibleBitmap(dc, face.right, face.bottom));
    if (!canvas) return;
    {
        fw::ScopedSaveDC saved(buffer.Get());
        ::SelectObject(buffer.Get(), canvas.Get());
        if (HFONT font = CaptionFont()) ::SelectObject(buffer.Get(), font);
        switch (KindOfButtonType(buttonType_)) {
        case ButtonKind::Push: DrawPushButton(buffer.Get(), face, itemState); break;
        case ButtonKind::CheckBox: DrawCheckBox(buffer.Get(), face, itemState, false); break;
        case ButtonKind::Radio: DrawCheckBox(buffer.Get(), face, itemState, true); break;
        case ButtonKind::None: break; // an unknown type draws nothing
        }
        ::BitBlt(dc, 0, 0, face.right, face.bottom, buffer.Get(), 0, 0, SRCCOPY);
    }
}

// In High Contrast the face is the theme's button, lit in its highlight
// colours when pointed at, pressed or focused, and its dotted focus frame
// is in the caption's colour (DrawFocusRect would invert the theme's
// colours into others).
void CBmpBtnCtrl::DrawPushButton(HDC dc, RECT face, UINT itemState) {
    const bool enabled = ::IsWindowEnabled(Hwnd());
    const bool focus = HasStyle(WS_TABSTOP) && enabled && (itemState & ODS_FOCUS);
    const ContrastFace contrast =
        ContrastFaceOf(true, enabled, enabled && (hovering_ || focus || (itemState & ODS_SELECTED)));
    COLORREF captionColor = enabled ? kCaptionColor : ::GetSysColor(COLOR_GRAYTEXT);
    if (highContrast_) {
        captionColor = ::GetSysColor(contrast.text);
        FillSolid(dc, face, ::GetSysColor(contrast.ground));
        FrameSolid(dc, face, ::GetSysColor(contrast.frame), Scaled(1));
        if (closeCross_) DrawCross(dc, face, captionColor, Scaled(4), Scaled(2));
    } else {
        const SkinBitmap& picture = PictureFor(itemState);
        const SIZE size = picture.GetSize();
        if (size.cx == face.right - face.left && size.cy == face.bottom - face.top)
            picture.Draw(dc, 0, 0);
        else
            picture.DrawBordered(dc, face, kFaceBorder);
    }

    // A bare hover (no hover picture to show it) draws no focus either.
    const bool bareHover = hovering_ && !(itemState & (ODS_SELECTED | ODS_DISABLED)) &&
                           pictures_[kHoverPicture].IsEmpty() && !highContrast_;
    if (!bareHover && focus) {
        ::InflateRect(&face, -Scaled(1), -Scaled(1));
        if (highContrast_)
            DottedFrame(dc, face, captionColor, Scaled(1));
        else
            DrawFocusFrame(dc, face, Scaled(1));
    }
    ScopedBkMode mode(dc, TRANSPARENT);
    const std::wstring caption = Caption();
    if (caption.empty()) return;
    if (itemState & ODS_SELECTED) ::OffsetRect(&face, Scaled(1), Scaled(1));
    ::SetTextColor(dc, captionColor);
    ::DrawTextW(dc, caption.c_str(), -1, &face,
                DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
}

// The check box, and with `radio` the radio button: its own Arial font, no
// 1-pixel lift of the caption, and a focus rectangle without WS_TABSTOP. In
// High Contrast it stands on the window's colours, its box drawn as the
// system draws one.
void CBmpBtnCtrl::DrawCheckBox(HDC dc, RECT face, UINT itemState, bool radio) {
    const bool enabled = ::IsWindowEnabled(Hwnd());
    const ContrastFace contrast = ContrastFaceOf(false, enabled, false);
    FillSolid(dc, face, highContrast_ ? ::GetSysColor(contrast.ground) : kCheckBoxFace);

    const SkinBitmap& picture = PictureFor(itemState);
    const SIZE size = picture.GetSize();
    RECT box = {0, 0, size.cx, size.cy};
    ::OffsetRect(&box, 0, (face.top + face.bottom) / 2 - size.cy / 2);
    if (highContrast_) {
        RECT mark = box;
        ::InflateRect(&mark, -(size.cx - Scaled(13)) / 2, -(size.cy - Scaled(13)) / 2);
        ::DrawFrameControl(dc, &mark, DFC_BUTTON,
                           (radio ? DFCS_BUTTONRADIO : DFCS_BUTTONCHECK) | DFCS_FLAT |
                               (checkState_ ? DFCS_CHECKED : 0) | (enabled ? 0 : DFCS_INACTIVE));
    } else {
        picture.DrawStretched(dc, box);
    }

    const COLORREF captionColor = highContrast_ ? ::GetSysColor(contrast.text)
                                  : enabled     ? kCaptionColor
                                                : ::GetSysColor(COLOR_GRAYTEXT);
    const bool focus = enabled && (itemState & ODS_FOCUS) && (radio || HasStyle(WS_TABSTOP));
    const std::wstring caption = Caption();
    if (caption.empty()) {
        if (radio && focus) DrawFocusFrame(dc, box, Scaled(1));
        return;
    }
    fw::ScopedFont radioFont(radio ? CreateRadioFont(dpi_) : nullptr);
    fw::ScopedSelect font(dc, radioFont.Get());
    ScopedTextColor color(dc, captionColor);
    RECT text = face;
    text.left = size.cx + Scaled(4);
    text.top = box.top;
    const int height = ::DrawTextW(dc, caption.c_str(), -1, &text,
                                   DT_CALCRECT | DT_SINGLELINE | DT_VCENTER);
    text.bottom = text.top + height + 1;
    if (!radio) ::OffsetRect(&text, 0, -Scaled(1));
    {
        ScopedBkMode mode(dc, TRANSPARENT);
        ::DrawTextW(dc, caption.c_str(), -1, &text, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS);
    }
    if (focus) {
        ::InflateRect(&text, Scaled(2), Scaled(1));
        if (highContrast_)
            DottedFrame(dc, text, captionColor, Scaled(1));
        else
            DrawFocusFrame(dc, text, Scaled(1));
    }
}

const SkinBitmap& CBmpBtnCtrl::PictureFor(UINT itemState) const {
    const ButtonPicture choice =
        ChooseButtonPicture(KindOfButtonType(buttonType_), itemState, hovering_, checkState_);
    return pictures_[choice].IsEmpty() ? pictures_[kNormalPicture] : pictures_[choice];
}

// The font the button reports (WM_SETFONT sets it; the dialog gives every
// control its own), else the parent's.
HFONT CBmpBtnCtrl::CaptionFont() const {
    HWND hwnd = Hwnd();
    if (HFONT own = reinterpret_cast<HFONT>(::SendMessageW(hwnd, WM_GETFONT, 0, 0))) return own;
    HWND parent = ::GetParent(hwnd);
    return parent ? reinterpret_cast<HFONT>(::SendMessageW(parent, WM_GETFONT, 0, 0)) : nullptr;
}

std::wstring CBmpBtnCtrl::Caption() const {
    const int length = ::GetWindowTextLengthW(Hwnd());
    std::wstring text(length + 1, L'\0');
    text.resize(::GetWindowTextW(Hwnd(), &text[0], length + 1));
    return text;
}

bool CBmpBtnCtrl::HasStyle(LONG bits) const {
    return (::GetWindowLongW(Hwnd(), GWL_STYLE) & bits) == bits;
}
