// The wizard's skin: its background, its shape cut from the background,
// its place on the screen, dragging by the body, and the icon while
// minimised. In High Contrast the same window is a plain rectangle in the
// theme's colours, without pictures.
#include "wizard/WizardDialog.h"

#include <commctrl.h>

#include "controls/ContrastColors.h"
#include "controls/SkinPicture.h"
#include "framework/Dpi.h"
#include "res/resource.h"
#include "wizard/WindowShape.h"

void WizardDialog::LoadSkinBitmaps() {
    backgroundBitmap.Reset(LoadSkinPicture(IDB_BACKGROUND, dpi_));
    if (!backgroundBitmap) {
        // The texts are not read yet: the box is titled with the program's name.
        ::MessageBoxW(Hwnd(), L"Error loading bitmap", L"Arrayvane", MB_OK);
    }
    for (CBmpBtnCtrl* button : {&closeButton_, &actionButton_, &finishButton_, &cancelButton_, &launchBox_})
        button->SetDpi(dpi_);
    closeButton_.LoadBitmaps(IDB_CLOSE_NORMAL, IDB_CLOSE_NORMAL, IDB_CLOSE_HOVER, 0, IDB_CLOSE_DISABLED, 0);
    actionButton_.LoadBitmaps(IDB_BUTTON_NORMAL, IDB_BUTTON_PRESSED, IDB_BUTTON_HOVER, 0, 0, 0);
    finishButton_.LoadBitmaps(IDB_BUTTON_NORMAL, IDB_BUTTON_PRESSED, IDB_BUTTON_HOVER, 0, 0, 0);
    cancelButton_.LoadBitmaps(IDB_BUTTON_NORMAL, IDB_BUTTON_PRESSED, IDB_BUTTON_HOVER, 0, 0, 0);
    launchBox_.LoadBitmaps(IDB_BOX_UNCHECKED, IDB_BOX_UNCHECKED, IDB_BOX_UNCHECKED, IDB_BOX_CHECKED, 0, 0);
}

namespace {

// A visual style draws the progress bar in colours of its own; in High
// Contrast the bar goes without it, in the system's colours. The style's
// library is there when one is in use; a class list of one space names no
// class of it (an empty one is no name at all).
void PlainProgressBar(HWND bar, bool plain) {
    using SetWindowThemeFunction = HRESULT(WINAPI*)(HWND, LPCWSTR, LPCWSTR);
    HMODULE styles = ::GetModuleHandleW(L"uxtheme.dll");
    auto set = reinterpret_cast<SetWindowThemeFunction>(
        reinterpret_cast<void*>(styles ? ::GetProcAddress(styles, "SetWindowTheme") : nullptr));
    if (set) set(bar, plain ? L" " : nullptr, plain ? L" " : nullptr);
    ::SendMessageW(bar, PBM_SETBARCOLOR, 0, plain ? ::GetSysColor(COLOR_HIGHLIGHT) : CLR_DEFAULT);
    ::SendMessageW(bar, PBM_SETBKCOLOR, 0, plain ? ::GetSysColor(COLOR_BTNFACE) : CLR_DEFAULT);
}

} // namespace

void WizardDialog::ReadContrast() {
    highContrast_ = HighContrastOn();
    PlainProgressBar(progressBar_, highContrast_);
    for (CBmpBtnCtrl* button : {&closeButton_, &actionButton_, &finishButton_, &cancelButton_, &launchBox_})
        button->SetHighContrast(highContrast_);
    closeButton_.SetCloseCross(true);
}

COLORREF WizardDialog::TextColor(COLORREF skinColor) const {
    return highContrast_ ? ::GetSysColor(COLOR_WINDOWTEXT) : skinColor;
}

void WizardDialog::OnContrastChanged() {
    ReadContrast();
    titleLabel_.SetCaptionColor(TextColor(kTitleColor));
    upperText_.SetCaptionColor(TextColor(kPageTextColor));
    lowerText_.SetCaptionColor(TextColor(kPageTextColor));
    RECT frame = {};
    ::GetWindowRect(Hwnd(), &frame);
    const POINT origin = {frame.left, frame.top};
    ApplyWindowShape(&origin);
    ::RedrawWindow(Hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void WizardDialog::ApplyWindowShape(const POINT* origin) {
    HWND hwnd = Hwnd();
    SIZE size = {};
    if (backgroundBitmap &&
        ::GetObjectW(backgroundBitmap.Get(), sizeof backgroundInfo, &backgroundInfo) == sizeof backgroundInfo) {
        size = SIZE{backgroundInfo.bmWidth, backgroundInfo.bmHeight};
        fw::ScreenDC screen;
        HRGN region = highContrast_ ? nullptr
                                    : RegionFromBitmap(screen.Get(), backgroundBitmap.Get(), size.cx, size.cy, kShapeKeyColor);
        // The window owns the region from here on; none is the plain rectangle.
        if (!::SetWindowRgn(hwnd, region, TRUE) && region) ::DeleteObject(region);
    } else {
        // Without a background the window keeps the template's size and
        // its plain rectangle.
        backgroundInfo = BITMAP{};
        RECT frame = {};
        ::GetWindowRect(hwnd, &frame);
        size = SIZE{frame.right - frame.left, frame.bottom - frame.top};
    }
    const SIZE screen = {::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    const POINT place = origin ? *origin : CentredOrigin(screen, size);
    ::SetWindowPos(hwnd, nullptr, place.x, place.y, size.cx, size.cy, 0);
}

INT_PTR WizardDialog::OnEraseBackground(HDC dc) {
    if (highContrast_) {
        RECT client = {};
        ::GetClientRect(Hwnd(), &client);
        FillSolid(dc, client, ::GetSysColor(COLOR_WINDOW));
        FrameSolid(dc, client, ::GetSysColor(COLOR_WINDOWTEXT), fw::ScaleToDpi(1, dpi_));
    } else if (!backgroundBitmap) {
        return FALSE;
    } else {
        fw::MemoryDC memory(dc);
        fw::ScopedSelect select(memory.Get(), backgroundBitmap.Get());
        ::BitBlt(dc, 0, 0, backgroundInfo.bmWidth, backgroundInfo.bmHeight, memory.Get(), 0, 0, SRCCOPY);
    }
    ::SetWindowLongPtrW(Hwnd(), DWLP_MSGRESULT, 1);
    return TRUE;
}

INT_PTR WizardDialog::OnPaint() {
    HWND hwnd = Hwnd();
    if (!::IsIconic(hwnd)) return FALSE;
    PAINTSTRUCT paint;
    HDC dc = ::BeginPaint(hwnd, &paint);
    ::SendMessageW(hwnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client = {};
    ::GetClientRect(hwnd, &client);
    const int x = (client.right - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
    ::DrawIcon(dc, x, y, icon_);
    ::EndPaint(hwnd, &paint);
    return TRUE;
}

INT_PTR WizardDialog::OnLButtonDown(LPARAM position) {
    // Posted, so the move starts from the loop once this handler is done.
    ::PostMessageW(Hwnd(), WM_NCLBUTTONDOWN, HTCAPTION, position);
    return FALSE;
}
