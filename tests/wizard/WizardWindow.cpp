#include "tests/wizard/WizardWindow.h"

#include <commctrl.h>
#include <oleacc.h>
#include <wrl/client.h>

#include <vector>

#include "framework/Handle.h"
#include "framework/RegKey.h"
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

namespace {

constexpr long kToldStates = STATE_SYSTEM_UNAVAILABLE | STATE_SYSTEM_FOCUSED | STATE_SYSTEM_FOCUSABLE |
                             STATE_SYSTEM_CHECKED | STATE_SYSTEM_HOTTRACKED | STATE_SYSTEM_INVISIBLE |
                             STATE_SYSTEM_LINKED | STATE_SYSTEM_READONLY;

Microsoft::WRL::ComPtr<IAccessible> AccessibleOf(HWND control) {
    Microsoft::WRL::ComPtr<IAccessible> object;
    if (FAILED(::AccessibleObjectFromWindow(control, OBJID_CLIENT, IID_IAccessible, &object))) object.Reset();
    return object;
}

VARIANT Self() {
    VARIANT self = {};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    return self;
}

std::string Utf8(const wchar_t* text) {
    char bytes[1024] = {};
    ::WideCharToMultiByte(CP_UTF8, 0, text, -1, bytes, sizeof bytes, nullptr, nullptr);
    return bytes;
}

std::string Read(HRESULT result, BSTR& text) {
    std::string read = SUCCEEDED(result) && text ? Utf8(text) : "";
    ::SysFreeString(text);
    return read;
}

long Number(HRESULT result, const VARIANT& value) { return SUCCEEDED(result) && value.vt == VT_I4 ? value.lVal : -1; }

} // namespace

std::string Utf8Text(const std::wstring& text) { return Utf8(text.c_str()); }

std::string WizardWindow::Accessible(int id) const {
    const auto object = AccessibleOf(Item(id));
    if (!object) return "no accessible object";
    VARIANT role = {}, state = {};
    BSTR name = nullptr, action = nullptr;
    const long roleNumber = Number(object->get_accRole(Self(), &role), role);
    const std::string nameText = Read(object->get_accName(Self(), &name), name);
    const long stateBits = Number(object->get_accState(Self(), &state), state) & kToldStates;
    const std::string actionText = Read(object->get_accDefaultAction(Self(), &action), action);
    char stateText[16];
    ::wsprintfA(stateText, "0x%lx", stateBits);
    return "role " + std::to_string(roleNumber) + ", name '" + nameText + "', state " + stateText + ", action '" +
           actionText + "'";
}

bool WizardWindow::DoDefaultAction(int id) const {
    const auto object = AccessibleOf(Item(id));
    return object && SUCCEEDED(object->accDoDefaultAction(Self()));
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
    std::string fault;
    const std::string control = "control " + std::to_string(::GetDlgCtrlID(focus));
    if (!focus) fault = "nowhere; ";
    else if (::GetParent(focus) != hwnd_) fault = "outside the wizard; ";
    else if (!::IsWindowVisible(focus)) fault = control + " hidden; ";
    else if (!::IsWindowEnabled(focus)) fault = control + " disabled; ";
    // The wizard may move the focus off a control and then disable it
    // between the two looks: only a focus that stays where it is wrong is
    // a fault.
    return Focus() == focus ? fault : "";
}

HWND WaitForWindow(DWORD processId, const std::wstring& title, DWORD timeoutMs) {
    HWND found = nullptr;
    test::WaitFor([&] { return (found = test::FindProcessWindow(processId, title)) != nullptr; }, timeoutMs);
    if (found && !test::Env(L"AV_HIGH_CONTRAST").empty()) {
        static SeenHighContrast on;
        if (!TellContrastChanged(found, true)) return nullptr;
    }
    return found;
}

// Night sky and Desert, two of Windows 11's contrast themes; the 3-D
// colours that the system's own controls draw with follow each theme's
// text (a dark theme's edges are light).
const Theme kNightSky = {"Night sky", {
    {COLOR_WINDOW, L"Window", RGB(0, 0, 0)},
    {COLOR_WINDOWTEXT, L"WindowText", RGB(255, 255, 255)},
    {COLOR_HIGHLIGHT, L"Hilight", RGB(210, 178, 255)},
    {COLOR_HIGHLIGHTTEXT, L"HilightText", RGB(0, 0, 0)},
    {COLOR_GRAYTEXT, L"GrayText", RGB(166, 166, 166)},
    {COLOR_BTNFACE, L"ButtonFace", RGB(0, 0, 0)},
    {COLOR_BTNTEXT, L"ButtonText", RGB(255, 238, 50)},
    {COLOR_HOTLIGHT, L"HotTrackingColor", RGB(128, 192, 255)},
    {COLOR_BTNSHADOW, L"ButtonShadow", RGB(255, 255, 255)},
    {COLOR_BTNHIGHLIGHT, L"ButtonHilight", RGB(255, 255, 255)},
    {COLOR_3DDKSHADOW, L"ButtonDkShadow", RGB(255, 255, 255)},
    {COLOR_3DLIGHT, L"ButtonLight", RGB(255, 255, 255)},
    {COLOR_WINDOWFRAME, L"WindowFrame", RGB(255, 255, 255)}}};
const Theme kDesert = {"Desert", {
    {COLOR_WINDOW, L"Window", RGB(255, 250, 239)},
    {COLOR_WINDOWTEXT, L"WindowText", RGB(61, 61, 61)},
    {COLOR_HIGHLIGHT, L"Hilight", RGB(144, 57, 73)},
    {COLOR_HIGHLIGHTTEXT, L"HilightText", RGB(255, 245, 227)},
    {COLOR_GRAYTEXT, L"GrayText", RGB(103, 103, 103)},
    {COLOR_BTNFACE, L"ButtonFace", RGB(255, 250, 239)},
    {COLOR_BTNTEXT, L"ButtonText", RGB(32, 32, 32)},
    {COLOR_HOTLIGHT, L"HotTrackingColor", RGB(24, 0, 156)},
    {COLOR_BTNSHADOW, L"ButtonShadow", RGB(61, 61, 61)},
    {COLOR_BTNHIGHLIGHT, L"ButtonHilight", RGB(61, 61, 61)},
    {COLOR_3DDKSHADOW, L"ButtonDkShadow", RGB(61, 61, 61)},
    {COLOR_3DLIGHT, L"ButtonLight", RGB(61, 61, 61)},
    {COLOR_WINDOWFRAME, L"WindowFrame", RGB(61, 61, 61)}}};

namespace {

const wchar_t kColorsKey[] = L"Control Panel\\Colors";

void SetText(HKEY key, const std::wstring& name, const std::wstring& value) {
    ::RegSetValueExW(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                     static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

} // namespace

ScopedTheme::ScopedTheme(const Theme& theme) {
    fw::RegKey key;
    key.Create(HKEY_CURRENT_USER, kColorsKey, KEY_READ | KEY_WRITE);
    for (size_t i = 0; i < 13; ++i) {
        const ThemeColor& color = theme.colors[i];
        wchar_t value[64] = {};
        DWORD bytes = sizeof value - sizeof(wchar_t);
        saved_[i] = {color.name, L"", false};
        if (!key.IsValid()) continue;
        if (::RegQueryValueExW(key.Get(), color.name, nullptr, nullptr, reinterpret_cast<BYTE*>(value), &bytes) ==
            ERROR_SUCCESS) {
            saved_[i].value = value;
            saved_[i].had = true;
        }
        ::wsprintfW(value, L"%u %u %u", GetRValue(color.color), GetGValue(color.color), GetBValue(color.color));
        SetText(key.Get(), color.name, value);
    }
}

ScopedTheme::~ScopedTheme() {
    fw::RegKey key;
    if (key.Open(HKEY_CURRENT_USER, kColorsKey, KEY_WRITE) != ERROR_SUCCESS) return;
    for (const Saved& saved : saved_) {
        if (saved.had)
            SetText(key.Get(), saved.name, saved.value);
        else
            ::RegDeleteValueW(key.Get(), saved.name.c_str());
    }
}

bool TellContrastChanged(HWND wizard, bool on) {
    return contrast::TellContrastChanged(wizard, on, test::TestBinDir() + L"\\font-probe.dll");
}

std::wstring ModuleText(const std::wstring& modulePath, UINT id) {
    fw::Module module(::LoadLibraryExW(modulePath.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    wchar_t text[1024] = {};
    if (module.Get()) ::LoadStringW(module.Get(), id, text, 1024);
    return text;
}

} // namespace wizard
