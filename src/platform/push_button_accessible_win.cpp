#include "push_button_accessible_win.h"

#include <oleacc.h>

#include <atomic>
#include <string>

#include "automation_strings_win.h"
#include "dll_search_win.h"

namespace lumvox::win {
namespace {

// Looked up at run time from System32, as every library the programs load late:
// no import of oleacc or ole32 for what only assistive technology asks for.
using ResultFromObject = LRESULT(WINAPI*)(REFIID, WPARAM, IUnknown*);
using ObjectFromWindow = HRESULT(WINAPI*)(HWND, DWORD, REFIID, void**);
using InitializeCom = HRESULT(WINAPI*)(void*, DWORD);

struct AccessibilityLibrary {
    ResultFromObject result_from_object = nullptr;
    ObjectFromWindow object_from_window = nullptr;
    InitializeCom initialize_com = nullptr;
    bool present() const { return result_from_object && initialize_com && AutomationStringFunctions().present(); }
};

const AccessibilityLibrary& Library() {
    static const AccessibilityLibrary library = [] {
        AccessibilityLibrary found;
        HMODULE oleacc = LoadSystemLibrary(L"oleacc.dll");
        found.result_from_object = SystemFunction<ResultFromObject>(oleacc, "LresultFromObject");
        found.object_from_window = SystemFunction<ObjectFromWindow>(oleacc, "AccessibleObjectFromWindow");
        found.initialize_com = SystemFunction<InitializeCom>(LoadSystemLibrary(L"ole32.dll"), "CoInitializeEx");
        return found;
    }();
    return library;
}

bool IsSelf(const VARIANT& child) { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }

void SetEmpty(VARIANT* v) { v->vt = VT_EMPTY; }

void SetInt(VARIANT* v, LONG value) {
    v->vt = VT_I4;
    v->lVal = value;
}

HRESULT ReturnString(const std::wstring& text, BSTR* out) {
    *out = AutomationStringFunctions().alloc(text.c_str(), static_cast<UINT>(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

}  // namespace

// One object per button, made at the first question; its clients may hold it after
// the button is gone, so it keeps the handle only and checks it at every call.
class PushButtonAccessible final : public IAccessible {
public:
    explicit PushButtonAccessible(HWND button) : button_(button) {}
    void Disconnect() { button_.store(nullptr); }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (iid == __uuidof(IUnknown) || iid == __uuidof(IDispatch) || iid == __uuidof(IAccessible)) {
            *out = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }

    // IDispatch: clients of IAccessible call its methods directly.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }

    // IAccessible
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
        if (!parent) return E_POINTER;
        *parent = nullptr;
        HWND hwnd = Button();
        if (!hwnd) return CO_E_OBJNOTCONNECTED;
        // The client area's parent is the button's window object, as for the system's own controls.
        const auto from_window = Library().object_from_window;
        if (!from_window || FAILED(from_window(hwnd, static_cast<DWORD>(OBJID_WINDOW), __uuidof(IDispatch),
                                               reinterpret_cast<void**>(parent))))
            return S_FALSE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        return Button() ? S_OK : CO_E_OBJNOTCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT, IDispatch** child) override {
        if (!child) return E_POINTER;
        *child = nullptr;
        return Button() ? E_INVALIDARG : CO_E_OBJNOTCONNECTED;  // it has none
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        if (!name) return E_POINTER;
        *name = nullptr;
        HWND hwnd = Button();
        if (const HRESULT hr = CheckSelf(hwnd, child); hr != S_OK) return hr;
        // The caption as shown: the button draws it without prefix characters.
        std::wstring text(static_cast<size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
        text.resize(static_cast<size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
        return ReturnString(text, name);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override { return NoString(child, value); }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override { return NoString(child, text); }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        if (!role) return E_POINTER;
        SetEmpty(role);
        if (const HRESULT hr = CheckSelf(Button(), child); hr != S_OK) return hr;
        SetInt(role, ROLE_SYSTEM_PUSHBUTTON);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        if (!state) return E_POINTER;
        SetEmpty(state);
        HWND hwnd = Button();
        if (const HRESULT hr = CheckSelf(hwnd, child); hr != S_OK) return hr;
        // Never focusable: a click leaves the focus where it was.
        LONG bits = 0;
        if (!IsWindowEnabled(hwnd)) bits |= STATE_SYSTEM_UNAVAILABLE;
        if (SendMessageW(hwnd, BM_GETSTATE, 0, 0) & BST_PUSHED) bits |= STATE_SYSTEM_PRESSED;
        if (!IsWindowVisible(hwnd)) bits |= STATE_SYSTEM_INVISIBLE;
        SetInt(state, bits);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* text) override { return NoString(child, text); }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override {
        if (!file || !topic) return E_POINTER;
        *topic = 0;
        return NoString(child, file);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* keys) override {
        if (!keys) return E_POINTER;
        *keys = nullptr;
        HWND hwnd = Button();
        if (const HRESULT hr = CheckSelf(hwnd, child); hr != S_OK) return hr;
        std::wstring text;
        if (!SendMessageW(hwnd, kGetKeyboardShortcutMessage, 0, reinterpret_cast<LPARAM>(&text)) || text.empty())
            return S_FALSE;
        return ReturnString(text, keys);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override {
        if (!focus) return E_POINTER;
        SetEmpty(focus);
        return Button() ? S_FALSE : CO_E_OBJNOTCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
        if (!selection) return E_POINTER;
        SetEmpty(selection);
        return Button() ? S_FALSE : CO_E_OBJNOTCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
        if (!action) return E_POINTER;
        *action = nullptr;
        if (const HRESULT hr = CheckSelf(Button(), child); hr != S_OK) return hr;
        return ReturnString(kPressActionName, action);
    }
    HRESULT STDMETHODCALLTYPE accSelect(long, VARIANT child) override {
        const HRESULT hr = CheckSelf(Button(), child);
        return hr != S_OK ? hr : DISP_E_MEMBERNOTFOUND;  // nothing to select, and it never takes the focus
    }
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height, VARIANT child) override {
        if (!left || !top || !width || !height) return E_POINTER;
        *left = *top = *width = *height = 0;
        HWND hwnd = Button();
        if (const HRESULT hr = CheckSelf(hwnd, child); hr != S_OK) return hr;
        RECT rc;
        if (!GetWindowRect(hwnd, &rc)) return E_FAIL;
        *left = rc.left;
        *top = rc.top;
        *width = rc.right - rc.left;
        *height = rc.bottom - rc.top;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override {
        if (!end) return E_POINTER;
        SetEmpty(end);
        if (const HRESULT hr = CheckSelf(Button(), start); hr != S_OK) return hr;
        // No children to go into; its siblings are its parent window's to tell.
        if (direction < NAVDIR_UP || direction > NAVDIR_LASTCHILD) return E_INVALIDARG;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* at) override {
        if (!at) return E_POINTER;
        SetEmpty(at);
        HWND hwnd = Button();
        if (!hwnd) return CO_E_OBJNOTCONNECTED;
        RECT rc;
        if (!GetWindowRect(hwnd, &rc)) return E_FAIL;
        if (!PtInRect(&rc, POINT{x, y})) return S_FALSE;
        SetInt(at, CHILDID_SELF);
        return S_OK;
    }
    // Posted, as the system's buttons do: the click runs when the client's call has
    // returned, so a box it opens does not hold the client up.
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        HWND hwnd = Button();
        if (const HRESULT hr = CheckSelf(hwnd, child); hr != S_OK) return hr;
        if (!IsWindowEnabled(hwnd)) return E_FAIL;  // a disabled button takes no click
        return PostMessageW(hwnd, BM_CLICK, 0, 0) ? S_OK : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

private:
    ~PushButtonAccessible() = default;

    HWND Button() const {
        HWND hwnd = button_.load();
        return hwnd && IsWindow(hwnd) ? hwnd : nullptr;
    }
    static HRESULT CheckSelf(HWND hwnd, const VARIANT& child) {
        if (!hwnd) return CO_E_OBJNOTCONNECTED;
        return IsSelf(child) ? S_OK : E_INVALIDARG;
    }
    HRESULT NoString(const VARIANT& child, BSTR* out) const {
        if (!out) return E_POINTER;
        *out = nullptr;
        const HRESULT hr = CheckSelf(Button(), child);
        return hr != S_OK ? hr : DISP_E_MEMBERNOTFOUND;
    }

    std::atomic<HWND> button_;
    std::atomic<ULONG> references_{1};
};

std::optional<LRESULT> PushButtonAccessibility::Answer(HWND button, WPARAM wp, LPARAM lp) {
    if (static_cast<LONG>(lp) != OBJID_CLIENT) return std::nullopt;
    const AccessibilityLibrary& library = Library();
    if (!library.present()) return std::nullopt;
    // The object is handed over through COM, which this thread needs once: a
    // single-threaded apartment, so that other processes' calls come in through
    // this thread's messages, like every other message to the button.
    static thread_local const bool com_ready = [&library] {
        const HRESULT hr = library.initialize_com(nullptr, COINIT_APARTMENTTHREADED);
        return SUCCEEDED(hr) || hr == RPC_E_CHANGED_MODE;  // already in another apartment: as good
    }();
    if (!com_ready) return std::nullopt;
    if (!object_) object_ = new PushButtonAccessible(button);
    // A reference to the object when positive; a failure's HRESULT otherwise.
    const LRESULT result = library.result_from_object(__uuidof(IAccessible), wp, object_);
    if (result < 0) return std::nullopt;
    return result;
}

void PushButtonAccessibility::Disconnect() {
    if (!object_) return;
    object_->Disconnect();
    object_->Release();
    object_ = nullptr;
}

}  // namespace lumvox::win
