// Scoped ownership of Win32 resources: handles, global memory and its locks, device contexts,
// GDI objects and their selection. Exported functions still hand raw handles over as their
// callers expect; these wrappers only make every failure path release what it took.
#pragma once

#include <windows.h>

#include <utility>

namespace kel {

// A kernel handle closed with CloseHandle; null and INVALID_HANDLE_VALUE both mean empty.
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(HANDLE h) : h_(h) {}
    UniqueHandle(UniqueHandle&& o) noexcept : h_(o.release()) {}
    UniqueHandle& operator=(UniqueHandle&& o) noexcept
    {
        reset(o.release());
        return *this;
    }
    ~UniqueHandle() { reset(); }
    HANDLE get() const { return h_; }
    explicit operator bool() const { return h_ && h_ != INVALID_HANDLE_VALUE; }
    HANDLE release() { return std::exchange(h_, nullptr); }
    void reset(HANDLE h = nullptr)
    {
        if (*this)
            CloseHandle(h_);
        h_ = h;
    }

private:
    HANDLE h_ = nullptr;
};

// A global memory block freed on destruction unless released to a caller.
class GlobalMem {
public:
    GlobalMem() = default;
    explicit GlobalMem(HGLOBAL h) : h_(h) {}
    GlobalMem(GlobalMem&& o) noexcept : h_(o.release()) {}
    GlobalMem& operator=(GlobalMem&& o) noexcept
    {
        reset(o.release());
        return *this;
    }
    ~GlobalMem() { reset(); }
    // Movable and zero-initialised (flags 0x0042), as every block the system passes around.
    static GlobalMem alloc(SIZE_T size) { return GlobalMem(GlobalAlloc(GHND, size)); }
    HGLOBAL get() const { return h_; }
    explicit operator bool() const { return h_ != nullptr; }
    HGLOBAL release() { return std::exchange(h_, nullptr); }
    void reset(HGLOBAL h = nullptr)
    {
        if (h_)
            GlobalFree(h_);
        h_ = h;
    }
    // Grows or shrinks the block (zero-filling new bytes); on failure the old block stays.
    bool realloc(SIZE_T size)
    {
        HGLOBAL n = GlobalReAlloc(h_, size, GHND);
        if (!n)
            return false;
        h_ = n;
        return true;
    }

private:
    HGLOBAL h_ = nullptr;
};

// Locks a global block for the lifetime of the object.
template <typename T = unsigned char> class GlobalLocked {
public:
    explicit GlobalLocked(HGLOBAL h) : h_(h), p_(h ? static_cast<T*>(GlobalLock(h)) : nullptr) {}
    GlobalLocked(const GlobalLocked&) = delete;
    GlobalLocked& operator=(const GlobalLocked&) = delete;
    ~GlobalLocked()
    {
        if (p_)
            GlobalUnlock(h_);
    }
    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }

private:
    HGLOBAL h_;
    T* p_;
};

// A GDI object deleted on destruction unless released.
template <typename T> class GdiObject {
public:
    GdiObject() = default;
    explicit GdiObject(T h) : h_(h) {}
    GdiObject(GdiObject&& o) noexcept : h_(o.release()) {}
    GdiObject& operator=(GdiObject&& o) noexcept
    {
        reset(o.release());
        return *this;
    }
    ~GdiObject() { reset(); }
    T get() const { return h_; }
    explicit operator bool() const { return h_ != nullptr; }
    T release() { return std::exchange(h_, nullptr); }
    void reset(T h = nullptr)
    {
        if (h_)
            DeleteObject(h_);
        h_ = h;
    }

private:
    T h_ = nullptr;
};

// The screen (or a window's) device context, released on destruction.
class WindowDC {
public:
    explicit WindowDC(HWND wnd = nullptr) : wnd_(wnd), dc_(GetDC(wnd)) {}
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    ~WindowDC()
    {
        if (dc_)
            ReleaseDC(wnd_, dc_);
    }
    HDC get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

private:
    HWND wnd_;
    HDC dc_;
};

// A memory device context, deleted on destruction.
class MemoryDC {
public:
    explicit MemoryDC(HDC compatible) : dc_(CreateCompatibleDC(compatible)) {}
    MemoryDC(const MemoryDC&) = delete;
    MemoryDC& operator=(const MemoryDC&) = delete;
    ~MemoryDC()
    {
        if (dc_)
            DeleteDC(dc_);
    }
    HDC get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

private:
    HDC dc_;
};

// Selects a GDI object into a DC and puts the previous one back.
class Selected {
public:
    Selected(HDC dc, HGDIOBJ obj) : dc_(dc), old_(obj ? SelectObject(dc, obj) : nullptr) {}
    Selected(const Selected&) = delete;
    Selected& operator=(const Selected&) = delete;
    ~Selected()
    {
        if (old_)
            SelectObject(dc_, old_);
    }

private:
    HDC dc_;
    HGDIOBJ old_;
};

// Selects and realises a palette (nothing for a null palette) and restores the previous one.
class RealizedPalette {
public:
    RealizedPalette(HDC dc, HPALETTE pal, BOOL background = FALSE) : dc_(dc)
    {
        if (pal) {
            old_ = SelectPalette(dc, pal, background);
            RealizePalette(dc);
        }
    }
    RealizedPalette(const RealizedPalette&) = delete;
    RealizedPalette& operator=(const RealizedPalette&) = delete;
    ~RealizedPalette()
    {
        if (old_)
            SelectPalette(dc_, old_, TRUE);
    }

private:
    HDC dc_;
    HPALETTE old_ = nullptr;
};

// Holds a critical section for the lifetime of the object.
class CriticalLock {
public:
    explicit CriticalLock(CRITICAL_SECTION& cs) : cs_(cs) { EnterCriticalSection(&cs_); }
    CriticalLock(const CriticalLock&) = delete;
    CriticalLock& operator=(const CriticalLock&) = delete;
    ~CriticalLock() { LeaveCriticalSection(&cs_); }

private:
    CRITICAL_SECTION& cs_;
};

} // namespace kel
