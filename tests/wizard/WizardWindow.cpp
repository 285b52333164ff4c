#include "tests/wizard/WizardWindow.h"

#include <commctrl.h>

#include <vector>

#include "framework/Handle.h"
#include "tests/support/Keyboard.h"
#include "tests/support/Mouse.h"
#include "tests/support/TestSupport.h"

namespace wizard {

bool WizardWindow::Checked(int id) const {
    return ::SendMessageW(Item(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

std::wstring WizardWindow::Text(int id) const {
    wchar_t text[1024] = {};
    ::GetWindowTextW(Item(id), text, 1024);
    return text;
}

std::wstring WizardWindow::Title() const {
    wchar_t text[1024] = {};
    ::GetWindowTextW(hwnd_, text, 1024);
    return text;
}

RECT WizardWindow::Place(int id) const {
    RECT box = {};
    ::GetWindowRect(Item(id), &box);
    ::MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&box), 2);
    return RECT{box.left, box.top, box.right - box.left, box.bottom - box.top};
}

RECT WizardWindow::Frame() const {
    RECT frame = {};
    ::GetWindowRect(hwnd_, &frame);
    return frame;
}

int WizardWindow::BarPosition() const {
    return static_cast<int>(::SendMessageW(Item(kProgressBar), PBM_GETPOS, 0, 0));
}

long WizardWindow::RegionArea() const {
    HRGN region = ::CreateRectRgn(0, 0, 0, 0);
    long area = -1;
    if (::GetWindowRgn(hwnd_, region) != ERROR) {
        DWORD size = ::GetRegionData(region, 0, nullptr);
        std::vector<char> data(size);
        auto* header = reinterpret_cast<RGNDATA*>(data.data());
        if (size && ::GetRegionData(region, size, header) == size) {
            area = 0;
            const RECT* rects = reinterpret_cast<const RECT*>(header->Buffer);
            for (DWORD i = 0; i < header->rdh.nCount; ++i)
                area += (rects[i].right - rects[i].left) * (rects[i].bottom - rects[i].top);
        }
    }
    ::DeleteObject(region);
    return area;
}

void WizardWindow::Click(int id) const {
    const RECT place = Place(id);
    const POINT centre = test::ScreenPoint(hwnd_, POINT{place.left + place.right / 2, place.top + place.bottom / 2});
    // The pointer first rests on the control, as a hand's would, so the
    // press reaches the control and not whatever stood there before.
    test::WaitFor([&] {
        test::MouseMove(centre);
        POINT cursor = {};
        return ::GetCursorPos(&cursor) && cursor.x == centre.x && cursor.y == centre.y &&
               ::WindowFromPoint(centre) == Item(id);
    }, 5000);
    test::MouseDown(centre);
    test::MouseUp(centre);
}

void WizardWindow::Press(WORD key, WORD modifier) const {
    test::WaitFor([&] {
        if (::GetForegroundWindow() == hwnd_) return true;
        ::SetForegroundWindow(hwnd_);
        return false;
    }, 5000);
    test::PressKey(key, modifier);
}

HWND WizardWindow::Focus() const {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    return ::GetGUIThreadInfo(::GetWindowThreadProcessId(hwnd_, nullptr), &info) ? info.hwndFocus : nullptr;
}

std::string WizardWindow::FocusFault() const {
    HWND focus = Focus();
    if (!Exists() || focus == hwnd_) return "";
    if (!focus) return "nowhere; ";
    const std::string control = "control " + std::to_string(::GetDlgCtrlID(focus));
    if (::GetParent(focus) != hwnd_) return "outside the wizard; ";
    if (!::IsWindowVisible(focus)) return control + " hidden; ";
    if (!::IsWindowEnabled(focus)) return control + " disabled; ";
    return "";
}

HWND WaitForWindow(DWORD processId, const std::wstring& title, DWORD timeoutMs) {
    HWND found = nullptr;
    test::WaitFor([&] { return (found = test::FindProcessWindow(processId, title)) != nullptr; }, timeoutMs);
    return found;
}

std::wstring ModuleText(const std::wstring& modulePath, UINT id) {
    fw::Module module(::LoadLibraryExW(modulePath.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    wchar_t text[1024] = {};
    if (module.Get()) ::LoadStringW(module.Get(), id, text, 1024);
    return text;
}

} // namespace wizard
