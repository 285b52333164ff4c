#include "controls/LinkLabel.h"

#include "controls/ControlFacts.h"

LRESULT LinkLabel::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_TIMER: return OnTimer(wParam, lParam);
    case WM_LBUTTONDOWN: return OnLButtonDown(wParam, lParam);
    case WM_SETCURSOR: return OnSetCursor(wParam, lParam);
    case WM_SYSCOLORCHANGE: return OnSysColorChange();
    case WM_PAINT: return OnPaint();
    case WM_PRINTCLIENT: Paint(reinterpret_cast<HDC>(wParam)); return 0;
    case WM_ERASEBKGND: return 1; // painting draws everything
    // Tools and screen readers measure the text with the font it is drawn in.
    case WM_GETFONT: return font_ ? reinterpret_cast<LRESULT>(font_.Get()) : Default(msg, wParam, lParam);
    case WM_SETFONT: return OnSetFont(reinterpret_cast<HFONT>(wParam), LOWORD(lParam) != 0);
    }
    return Default(msg, wParam, lParam);
}

// As a static control does, but the label keeps its own copy: the sender
// still owns the font it passed.
LRESULT LinkLabel::OnSetFont(HFONT font, bool redraw) {
    HGDIOBJ source = font ? static_cast<HGDIOBJ>(font) : ::GetStockObject(SYSTEM_FONT);
    if (::GetObjectW(source, sizeof fontDescription_, &fontDescription_)) RebuildFont();
    if (redraw) Redraw();
    return 0;
}

LRESULT LinkLabel::OnTimer(WPARAM wParam, LPARAM lParam) {
    flashPhase_ = !flashPhase_;
    Redraw();
    return Default(WM_TIMER, wParam, lParam);
}

LRESULT LinkLabel::OnLButtonDown(WPARAM wParam, LPARAM lParam) {
    Open();
    return Default(WM_LBUTTONDOWN, wParam, lParam);
}

bool LinkLabel::Describe(fw::AccessibleFacts& facts) const {
    facts = DescribeLabel(linkKind_ != LinkKind::None, ::IsWindowVisible(Hwnd()) != FALSE, Caption());
    return true;
}

void LinkLabel::Open() {
    HWND hwnd = Hwnd();
    if (notifyParent_) {
        NMHDR header = {};
        header.hwndFrom = hwnd;
        header.idFrom = static_cast<UINT_PTR>(::GetDlgCtrlID(hwnd));
        header.code = kClickNotification;
        ::SendMessageW(::GetParent(hwnd), WM_NOTIFY, header.idFrom,
                       reinterpret_cast<LPARAM>(&header));
    } else if (linkKind_ == LinkKind::Url) {
        const std::wstring target = linkTarget_.empty() ? Caption() : linkTarget_;
        shellOpen_(nullptr, L"open", target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    } else if (linkKind_ == LinkKind::Mail) {
        const std::wstring target = L"mailto:" + Caption();
        shellOpen_(nullptr, nullptr, target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    }
}

LRESULT LinkLabel::OnSetCursor(WPARAM wParam, LPARAM lParam) {
    if (!hoverCursor_) return Default(WM_SETCURSOR, wParam, lParam);
    ::SetCursor(hoverCursor_);
    return TRUE;
}

LRESULT LinkLabel::OnSysColorChange() {
    defaultBrush_.Reset(::CreateSolidBrush(::GetSysColor(COLOR_BTNFACE)));
    Redraw();
    return 0;
}

LRESULT LinkLabel::OnPaint() {
    PAINTSTRUCT paint;
    HDC dc = ::BeginPaint(Hwnd(), &paint);
    if (dc) Paint(dc);
    ::EndPaint(Hwnd(), &paint);
    return 0;
}
