// The wizard's skin: its background, its shape cut from the background,
// its place on the screen, dragging by the body, and the icon while
// minimised.
#include "wizard/WizardDialog.h"

#include "controls/SkinPicture.h"
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

void WizardDialog::ApplyWindowShape(const POINT* origin) {
    HWND hwnd = Hwnd();
    SIZE size = {};
    if (backgroundBitmap &&
        ::GetObjectW(backgroundBitmap.Get(), sizeof backgroundInfo, &backgroundInfo) == sizeof backgroundInfo) {
        size = SIZE{backgroundInfo.bmWidth, backgroundInfo.bmHeight};
        fw::ScreenDC screen;
        HRGN region = RegionFromBitmap(screen.Get(), backgroundBitmap.Get(), size.cx, size.cy, kShapeKeyColor);
        // The window owns the region from here on.
        if (region && !::SetWindowRgn(hwnd, region, TRUE)) ::DeleteObject(region);
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
    if (!backgroundBitmap) return FALSE;
    fw::MemoryDC memory(dc);
    {
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
