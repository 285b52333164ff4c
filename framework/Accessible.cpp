#include "framework/Accessible.h"

#include <oleacc.h>
#include <wrl/client.h>

#include "framework/Control.h"

namespace fw {

namespace {

using Microsoft::WRL::ComPtr;
using SysAllocStringFn = BSTR(WINAPI*)(const OLECHAR*);

// oleacc.dll is not one of the DLLs Windows always takes from System32, and
// a copy planted beside the program must never load: it is loaded by its
// full path, once it is needed, and stays for the life of the process.
void* SystemFunction(const wchar_t* dll, const char* name) {
    wchar_t path[MAX_PATH];
    const UINT length = ::GetSystemDirectoryW(path, MAX_PATH - 16);
    if (length == 0 || length >= MAX_PATH - 16) return nullptr;
    ::lstrcpyW(path + length, dll);
    HMODULE module = ::LoadLibraryW(path);
    return module ? reinterpret_cast<void*>(::GetProcAddress(module, name)) : nullptr;
}

bool IsSelf(const VARIANT& child) { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }

// The system's object for the window, with what the control says in front.
class ControlAccessible : public IAccessible {
public:
    ControlAccessible(HWND hwnd, ComPtr<IAccessible> standard, SysAllocStringFn allocString)
        : hwnd_(hwnd), standard_(std::move(standard)), allocString_(allocString) {}
    virtual ~ControlAccessible() = default;

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == __uuidof(IAccessible)) {
            *out = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        return standard_->QueryInterface(iid, out);
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ::InterlockedIncrement(&references_); }
    STDMETHODIMP_(ULONG) Release() override {
        const LONG left = ::InterlockedDecrement(&references_);
        if (left == 0) delete this;
        return left;
    }

    STDMETHODIMP GetTypeInfoCount(UINT* count) override { return standard_->GetTypeInfoCount(count); }
    STDMETHODIMP GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override {
        return standard_->GetTypeInfo(index, lcid, info);
    }
    STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override {
        return standard_->GetIDsOfNames(iid, names, count, lcid, ids);
    }
    STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* exception, UINT* argument) override {
        return standard_->Invoke(id, iid, lcid, flags, params, result, exception, argument);
    }

    STDMETHODIMP get_accParent(IDispatch** parent) override { return standard_->get_accParent(parent); }
    STDMETHODIMP get_accChildCount(long* count) override { return standard_->get_accChildCount(count); }
    STDMETHODIMP get_accChild(VARIANT child, IDispatch** out) override { return standard_->get_accChild(child, out); }
    STDMETHODIMP get_accName(VARIANT child, BSTR* name) override {
        AccessibleFacts facts;
        if (!Describe(child, facts)) return standard_->get_accName(child, name);
        return Text(facts.name, name);
    }
    STDMETHODIMP get_accValue(VARIANT child, BSTR* value) override { return standard_->get_accValue(child, value); }
    STDMETHODIMP get_accDescription(VARIANT child, BSTR* text) override {
        return standard_->get_accDescription(child, text);
    }
    STDMETHODIMP get_accRole(VARIANT child, VARIANT* role) override {
        AccessibleFacts facts;
        if (!Describe(child, facts)) return standard_->get_accRole(child, role);
        return Number(facts.role, role);
    }
    STDMETHODIMP get_accState(VARIANT child, VARIANT* state) override {
        AccessibleFacts facts;
        if (!Describe(child, facts)) return standard_->get_accState(child, state);
        return Number(facts.state, state);
    }
    STDMETHODIMP get_accHelp(VARIANT child, BSTR* help) override { return standard_->get_accHelp(child, help); }
    STDMETHODIMP get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override {
        return standard_->get_accHelpTopic(file, child, topic);
    }
    STDMETHODIMP get_accKeyboardShortcut(VARIANT child, BSTR* keys) override {
        return standard_->get_accKeyboardShortcut(child, keys);
    }
    STDMETHODIMP get_accFocus(VARIANT* focus) override { return standard_->get_accFocus(focus); }
    STDMETHODIMP get_accSelection(VARIANT* selection) override { return standard_->get_accSelection(selection); }
    STDMETHODIMP get_accDefaultAction(VARIANT child, BSTR* action) override {
        AccessibleFacts facts;
        if (!Describe(child, facts)) return standard_->get_accDefaultAction(child, action);
        if (facts.defaultAction.empty()) return *action = nullptr, S_FALSE;
        return Text(facts.defaultAction, action);
    }
    STDMETHODIMP accSelect(long flags, VARIANT child) override { return standard_->accSelect(flags, child); }
    STDMETHODIMP accLocation(long* left, long* top, long* width, long* height, VARIANT child) override {
        return standard_->accLocation(left, top, width, height, child);
    }
    STDMETHODIMP accNavigate(long direction, VARIANT start, VARIANT* end) override {
        return standard_->accNavigate(direction, start, end);
    }
    STDMETHODIMP accHitTest(long x, long y, VARIANT* child) override { return standard_->accHitTest(x, y, child); }
    STDMETHODIMP accDoDefaultAction(VARIANT child) override {
        AccessibleFacts facts;
        if (!Describe(child, facts)) return standard_->accDoDefaultAction(child);
        if (facts.defaultAction.empty()) return DISP_E_MEMBERNOTFOUND;
        Control::FromHandle(hwnd_)->DoDefaultAction();
        return S_OK;
    }
    STDMETHODIMP put_accName(VARIANT child, BSTR name) override { return standard_->put_accName(child, name); }
    STDMETHODIMP put_accValue(VARIANT child, BSTR value) override { return standard_->put_accValue(child, value); }

private:
    // The control may have gone while a screen reader still holds the
    // object: then the system's object answers, as for any dead window.
    bool Describe(const VARIANT& child, AccessibleFacts& facts) const {
        Control* control = Control::FromHandle(hwnd_);
        return IsSelf(child) && control && control->Describe(facts);
    }
    HRESULT Text(const std::wstring& text, BSTR* out) const {
        *out = allocString_(text.c_str());
        return *out ? S_OK : E_OUTOFMEMORY;
    }
    static HRESULT Number(long number, VARIANT* out) {
        out->vt = VT_I4;
        out->lVal = number;
        return S_OK;
    }

    LONG references_ = 1;
    HWND hwnd_;
    ComPtr<IAccessible> standard_;
    SysAllocStringFn allocString_;
};

} // namespace

LRESULT AnswerGetObject(HWND hwnd, WPARAM wParam) {
    auto createStandard = reinterpret_cast<LPFNCREATESTDACCESSIBLEOBJECT>(
        SystemFunction(L"\\oleacc.dll", "CreateStdAccessibleObject"));
    auto toResult = reinterpret_cast<LPFNLRESULTFROMOBJECT>(SystemFunction(L"\\oleacc.dll", "LresultFromObject"));
    auto allocString = reinterpret_cast<SysAllocStringFn>(SystemFunction(L"\\oleaut32.dll", "SysAllocString"));
    ComPtr<IAccessible> standard;
    if (!createStandard || !toResult || !allocString ||
        FAILED(createStandard(hwnd, OBJID_CLIENT, __uuidof(IAccessible), &standard)))
        return 0;
    ComPtr<IAccessible> object;
    object.Attach(new ControlAccessible(hwnd, std::move(standard), allocString));
    const LRESULT result = toResult(__uuidof(IAccessible), wParam, object.Get());
    return result > 0 ? result : 0;
}

} // namespace fw
