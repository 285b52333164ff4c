#include "controls/LinkLabel.h"

#include "controls/LabelDrawing.h"

namespace {
const UINT_PTR kFlashTimer = 1;
const UINT kFlashPeriodMs = 500;
} // namespace

LinkLabel::LinkLabel()
    : captionColor_(::GetSysColor(COLOR_WINDOWTEXT)),
      defaultBrush_(::CreateSolidBrush(::GetSysColor(COLOR_BTNFACE))) {}

void LinkLabel::OnAttach() {
    fw::Control::OnAttach();
    HGDIOBJ font = reinterpret_cast<HGDIOBJ>(::SendMessageW(Hwnd(), WM_GETFONT, 0, 0));
    if (!font) font = ::GetStockObject(SYSTEM_FONT);
    ::GetObjectW(font, sizeof fontDescription_, &fontDescription_);
    RebuildFont();
}

LinkLabel& LinkLabel::SetBackground(COLORREF color, COLORREF endColor, bool gradient) {
    backgroundColor_ = color;
    gradientEndColor_ = endColor;
    gradientOn_ = gradient;
    backgroundBrush_.Reset(gradient ? nullptr : ::CreateSolidBrush(color));
    Redraw();
    return *this;
}

LinkLabel& LinkLabel::SetCaptionColor(COLORREF color) {
    captionColor_ = color;
    Redraw();
    return *this;
}

LinkLabel& LinkLabel::SetCaption(const std::wstring& caption) {
    if (!::IsWindow(Hwnd())) return *this;
    const bool changed = Caption() != caption;
    ::SetWindowTextW(Hwnd(), caption.c_str());
    Redraw();
    // A screen reader reads the new text of a page.
    if (changed) ::NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, Hwnd(), OBJID_CLIENT, CHILDID_SELF);
    return *this;
}

LinkLabel& LinkLabel::SetBold(bool bold) {
    fontDescription_.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    RebuildFont();
    Redraw();
    return *this;
}

LinkLabel& LinkLabel::SetFaceName(const std::wstring& face, BYTE charset) {
    fontDescription_.lfCharSet = charset;
    // The field holds 31 characters and the terminator: longer names are cut.
    ::lstrcpynW(fontDescription_.lfFaceName, face.c_str(), LF_FACESIZE);
    RebuildFont();
    Redraw();
    return *this;
}

LinkLabel& LinkLabel::SetUnderline(bool underline) {
    fontDescription_.lfUnderline = underline ? 1 : 0;
    RebuildFont();
    Redraw();
    return *this;
}

LinkLabel& LinkLabel::SetItalic(bool italic) {
    fontDescription_.lfItalic = italic ? 1 : 0;
    RebuildFont();
    Redraw();
    return *this;
}

LinkLabel& LinkLabel::SetPointSize(int points) {
    LOGFONTW sized = {};
    sized.lfCharSet = DEFAULT_CHARSET;
    ::lstrcpynW(sized.lfFaceName, fontDescription_.lfFaceName, LF_FACESIZE);
    if (dpi_) {
        sized.lfHeight = PointSizeToHeight(points, dpi_);
    } else {
        fw::ScreenDC screen;
        sized.lfHeight = PointSizeToHeight(points, ::GetDeviceCaps(screen.Get(), LOGPIXELSY));
    }
    fw::ScopedFont temporary(::CreateFontIndirectW(&sized));
    LOGFONTW created = sized;
    if (temporary) ::GetObjectW(temporary.Get(), sizeof created, &created);
    fontDescription_.lfHeight = created.lfHeight;
    fontDescription_.lfWidth = created.lfWidth;
    RebuildFont();
    Redraw();
    return *this;
}

LinkLabel& LinkLabel::SetSunkenEdge(bool sunken) {
    SetStyleBit(GWL_EXSTYLE, WS_EX_STATICEDGE, sunken);
    return *this;
}

LinkLabel& LinkLabel::SetFrameBorder(bool border) {
    SetStyleBit(GWL_STYLE, WS_BORDER, border);
    return *this;
}

LinkLabel& LinkLabel::SetTransparentMode(bool transparent) {
    transparent_ = transparent;
    // Whichever way: the parent must paint first beneath the label.
    ::SetWindowLongW(Hwnd(), GWL_EXSTYLE,
                     ::GetWindowLongW(Hwnd(), GWL_EXSTYLE) | WS_EX_TRANSPARENT);
    Redraw();
    return *this;
}

LinkLabel& LinkLabel::SetCaptionFlash(bool on) {
    if (on) {
        StartFlash(FlashMode::Caption);
    } else {
        StopTimer();
        flashMode_ = FlashMode::None;
    }
    return *this;
}

LinkLabel& LinkLabel::SetBackgroundFlash(bool on) {
    if (on)
        StartFlash(FlashMode::Background);
    else
        StopTimer();
    return *this;
}

LinkLabel& LinkLabel::SetUrlLink(bool link, bool notify) {
    return SetLink(link ? LinkKind::Url : LinkKind::None, notify);
}

LinkLabel& LinkLabel::SetMailLink(bool link, bool notify) {
    return SetLink(link ? LinkKind::Mail : LinkKind::None, notify);
}

LinkLabel& LinkLabel::SetHoverCursor(HCURSOR cursor) {
    hoverCursor_ = cursor;
    return *this;
}

LinkLabel& LinkLabel::SetShade(bool on, bool downRight) {
    shadeOn_ = on;
    shadeDownRight_ = downRight;
    Redraw();
    return *this;
}

LinkLabel& LinkLabel::SetAngle(int degrees, bool centreAnchored) {
    fontDescription_.lfEscapement = degrees * 10;
    fontDescription_.lfOrientation = degrees * 10;
    centreAnchored_ = centreAnchored;
    RebuildFont();
    Redraw();
    return *this;
}

LinkLabel& LinkLabel::SetShadeColor(COLORREF color) {
    shadeColor_ = color;
    Redraw();
    return *this;
}

LinkLabel& LinkLabel::SetLogFont(LOGFONTW description) {
    description.lfFaceName[LF_FACESIZE - 1] = L'\0';
    fontDescription_ = description;
    RebuildFont();
    Redraw();
    return *this;
}

LinkLabel& LinkLabel::SetLinkTarget(const std::wstring& target) {
    linkTarget_ = target;
    return *this;
}

LinkLabel& LinkLabel::SetLink(LinkKind kind, bool notify) {
    linkKind_ = kind;
    notifyParent_ = notify;
    // A static control without SS_NOTIFY lets the mouse fall through.
    LONG style = ::GetWindowLongW(Hwnd(), GWL_STYLE);
    style = kind != LinkKind::None ? style | SS_NOTIFY : style & ~SS_NOTIFY;
    ::SetWindowLongW(Hwnd(), GWL_STYLE, style);
    return *this;
}

void LinkLabel::StartFlash(FlashMode mode) {
    StopTimer();
    flashPhase_ = false;
    timerStarted_ = true;
    timerRunning_ = ::SetTimer(Hwnd(), kFlashTimer, kFlashPeriodMs, nullptr) != 0;
    flashMode_ = mode;
}

void LinkLabel::StopTimer() {
    if (timerStarted_) ::KillTimer(Hwnd(), kFlashTimer);
    timerRunning_ = false;
}

void LinkLabel::SetStyleBit(int index, LONG bit, bool on) {
    const LONG style = ::GetWindowLongW(Hwnd(), index);
    ::SetWindowLongW(Hwnd(), index, on ? style | bit : style & ~bit);
    ::SetWindowPos(Hwnd(), nullptr, 0, 0, 0, 0,
                   SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Repaints the label and the part of the parent beneath it, so that a
// transparent label never keeps old text.
void LinkLabel::Redraw() {
    HWND hwnd = Hwnd();
    if (!hwnd) return;
    ::RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    HWND parent = ::GetParent(hwnd);
    if (!parent) return;
    RECT area = {};
    ::GetWindowRect(hwnd, &area);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&area), 2);
    ::InvalidateRect(parent, &area, TRUE);
    ::UpdateWindow(parent);
}

void LinkLabel::RebuildFont() {
    font_.Reset();
    font_.Reset(::CreateFontIndirectW(&fontDescription_));
}
