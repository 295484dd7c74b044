#pragma once
// One line of RAII per Win32 handle type, and a scope object for every paired call
// (paint, device context, selected object, open clipboard, locked memory, held redraw).
#include <windows.h>

#include <memory>
#include <type_traits>

namespace lumvox::win {

template <auto Close>
struct CloseWith {
    template <class T>
    void operator()(T* h) const noexcept {
        Close(h);
    }
};
template <class H, auto Close>
using Unique = std::unique_ptr<std::remove_pointer_t<H>, CloseWith<Close>>;

using UniqueHandle = Unique<HANDLE, &CloseHandle>;
using UniqueHglobal = Unique<HGLOBAL, &GlobalFree>;
using UniqueHfont = Unique<HFONT, &DeleteObject>;
using UniqueHmenu = Unique<HMENU, &DestroyMenu>;
using UniqueHwnd = Unique<HWND, &DestroyWindow>;

// CreateFileW reports failure as INVALID_HANDLE_VALUE, not null.
inline UniqueHandle AdoptFileHandle(HANDLE h) {
    return UniqueHandle(h == INVALID_HANDLE_VALUE ? nullptr : h);
}

// Scope objects are neither copied nor moved: each undoes exactly one call.
class NonCopyable {
protected:
    NonCopyable() = default;
    ~NonCopyable() = default;

public:
    NonCopyable(const NonCopyable&) = delete;
    NonCopyable& operator=(const NonCopyable&) = delete;
};

class PaintScope : NonCopyable {
public:
    explicit PaintScope(HWND hwnd) : hwnd_(hwnd), dc_(BeginPaint(hwnd, &paint_)) {}
    ~PaintScope() { EndPaint(hwnd_, &paint_); }
    HDC dc() const { return dc_; }

private:
    HWND hwnd_;
    PAINTSTRUCT paint_{};
    HDC dc_;
};

// A window's (or, for null, the screen's) device context, borrowed and given back.
class WindowDc : NonCopyable {
public:
    explicit WindowDc(HWND hwnd) : hwnd_(hwnd), dc_(GetDC(hwnd)) {}
    ~WindowDc() {
        if (dc_) ReleaseDC(hwnd_, dc_);
    }
    HDC dc() const { return dc_; }

private:
    HWND hwnd_;
    HDC dc_;
};

// Puts an object into a DC for one drawing and takes it out again.
class SelectedObject : NonCopyable {
public:
    SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
    ~SelectedObject() { SelectObject(dc_, old_); }

private:
    HDC dc_;
    HGDIOBJ old_;
};

class OpenedClipboard : NonCopyable {
public:
    explicit OpenedClipboard(HWND owner) : open_(OpenClipboard(owner) != FALSE) {}
    ~OpenedClipboard() {
        if (open_) CloseClipboard();
    }
    explicit operator bool() const { return open_; }

private:
    bool open_;
};

class LockedGlobal : NonCopyable {
public:
    explicit LockedGlobal(HGLOBAL block) : block_(block), data_(block ? GlobalLock(block) : nullptr) {}
    ~LockedGlobal() {
        if (data_) GlobalUnlock(block_);
    }
    void* data() const { return data_; }
    size_t size() const { return data_ ? GlobalSize(block_) : 0; }

private:
    HGLOBAL block_;
    void* data_;
};

// Redrawing is held while a control changes a lot: one repaint at the end.
class RedrawHeld : NonCopyable {
public:
    explicit RedrawHeld(HWND hwnd) : hwnd_(hwnd) { SendMessageW(hwnd_, WM_SETREDRAW, FALSE, 0); }
    ~RedrawHeld() {
        SendMessageW(hwnd_, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(hwnd_, nullptr, TRUE);
    }

private:
    HWND hwnd_;
};

}  // namespace lumvox::win
