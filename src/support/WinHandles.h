#pragma once
// Owners for the Win32 handles the program opens: each closes its handle exactly once.

#include <windows.h>

#include <commctrl.h>

#include <utility>

template <typename Handle, auto Close, auto Invalid> class TUniqueWinHandle {
  public:
    TUniqueWinHandle() = default;
    explicit TUniqueWinHandle(Handle h) : handle_(h) {}
    ~TUniqueWinHandle() { reset(); }
    TUniqueWinHandle(TUniqueWinHandle&& other) noexcept : handle_(other.release()) {}
    TUniqueWinHandle& operator=(TUniqueWinHandle&& other) noexcept {
        if (this != &other)
            reset(other.release());
        return *this;
    }
    TUniqueWinHandle(const TUniqueWinHandle&) = delete;
    TUniqueWinHandle& operator=(const TUniqueWinHandle&) = delete;

    Handle get() const { return handle_; }
    explicit operator bool() const { return handle_ != Invalid() && handle_ != Handle{}; }
    Handle release() { return std::exchange(handle_, Invalid()); }
    void reset(Handle h = Invalid()) {
        if (*this)
            Close(handle_);
        handle_ = h;
    }

  private:
    Handle handle_ = Invalid();
};

namespace WinHandleDetail {
inline HANDLE NoHandle() {
    return INVALID_HANDLE_VALUE;
}
inline HANDLE NullHandle() {
    return nullptr;
}
inline void CloseKernelHandle(HANDLE h) {
    ::CloseHandle(h);
}
inline void CloseFind(HANDLE h) {
    ::FindClose(h);
}
inline HMENU NoMenu() {
    return nullptr;
}
inline void CloseMenu(HMENU h) {
    ::DestroyMenu(h);
}
inline HMODULE NoModule() {
    return nullptr;
}
inline void UnloadModule(HMODULE h) {
    ::FreeLibrary(h);
}
inline HKEY NoKey() {
    return nullptr;
}
inline void CloseKey(HKEY h) {
    ::RegCloseKey(h);
}
inline HICON NoIcon() {
    return nullptr;
}
inline void DestroyIconHandle(HICON h) {
    ::DestroyIcon(h);
}
inline HIMAGELIST NoImageList() {
    return nullptr;
}
inline void DestroyImageList(HIMAGELIST h) {
    ::ImageList_Destroy(h);
}
inline HGDIOBJ NoGdiObject() {
    return nullptr;
}
inline void DeleteGdiObject(HGDIOBJ h) {
    ::DeleteObject(h);
}
inline HLOCAL NoLocal() {
    return nullptr;
}
inline void FreeLocal(HLOCAL h) {
    ::LocalFree(h);
}
inline HGLOBAL NoGlobal() {
    return nullptr;
}
inline void FreeGlobal(HGLOBAL h) {
    ::GlobalFree(h);
}
inline HDC NoDC() {
    return nullptr;
}
inline void DeleteMemoryDC(HDC h) {
    ::DeleteDC(h);
}
inline SC_HANDLE NoServiceHandle() {
    return nullptr;
}
inline void CloseService(SC_HANDLE h) {
    ::CloseServiceHandle(h);
}
template <typename Interface> Interface* NoInterface() {
    return nullptr;
}
template <typename Interface> void ReleaseInterface(Interface* p) {
    p->Release();
}
} // namespace WinHandleDetail

// A kernel object handle (file, process, thread ...).
using UniqueHandle =
    TUniqueWinHandle<HANDLE, WinHandleDetail::CloseKernelHandle, WinHandleDetail::NoHandle>;
// A FindFirstFile search.
using UniqueFindHandle =
    TUniqueWinHandle<HANDLE, WinHandleDetail::CloseFind, WinHandleDetail::NoHandle>;
// A menu that is no window's menu bar (a popup menu), with all its items.
using UniqueMenu = TUniqueWinHandle<HMENU, WinHandleDetail::CloseMenu, WinHandleDetail::NoMenu>;
// A library loaded with LoadLibrary.
using UniqueLibrary =
    TUniqueWinHandle<HMODULE, WinHandleDetail::UnloadModule, WinHandleDetail::NoModule>;
// An open registry key.
using UniqueKey = TUniqueWinHandle<HKEY, WinHandleDetail::CloseKey, WinHandleDetail::NoKey>;
// An icon loaded at a size of our choosing (LoadImage without LR_SHARED).
using UniqueIcon =
    TUniqueWinHandle<HICON, WinHandleDetail::DestroyIconHandle, WinHandleDetail::NoIcon>;
// An image list made with ImageList_Create.
using UniqueImageList =
    TUniqueWinHandle<HIMAGELIST, WinHandleDetail::DestroyImageList, WinHandleDetail::NoImageList>;

// Memory the system allocated for us with LocalAlloc (a security descriptor, a SID's text).
using UniqueLocalMemory =
    TUniqueWinHandle<HLOCAL, WinHandleDetail::FreeLocal, WinHandleDetail::NoLocal>;

// Memory from GlobalAlloc (the clipboard's currency), until the clipboard takes it.
using UniqueGlobalMemory =
    TUniqueWinHandle<HGLOBAL, WinHandleDetail::FreeGlobal, WinHandleDetail::NoGlobal>;

// A GDI object we created (font, brush, pen, bitmap ...). It must not be selected into a
// device context when it goes: select it through TSelectedObject.
using UniqueGdiObject =
    TUniqueWinHandle<HGDIOBJ, WinHandleDetail::DeleteGdiObject, WinHandleDetail::NoGdiObject>;
// A memory device context made with CreateCompatibleDC.
using UniqueMemoryDC =
    TUniqueWinHandle<HDC, WinHandleDetail::DeleteMemoryDC, WinHandleDetail::NoDC>;

// The service manager or one of its services, as OpenSCManager and OpenService give them.
using UniqueServiceHandle =
    TUniqueWinHandle<SC_HANDLE, WinHandleDetail::CloseService, WinHandleDetail::NoServiceHandle>;

// A reference on a COM object, through one of its interfaces.
template <typename Interface>
using UniqueInterface = TUniqueWinHandle<Interface*, WinHandleDetail::ReleaseInterface<Interface>,
                                         WinHandleDetail::NoInterface<Interface>>;

// A window's device context for as long as it lives (the screen's for no window). Released
// rather than closed, and with the window it came from, so it has an owner of its own.
class TWindowDC {
  public:
    explicit TWindowDC(HWND window) : window_(window), dc_(::GetDC(window)) {}
    ~TWindowDC() {
        if (dc_)
            ::ReleaseDC(window_, dc_);
    }
    TWindowDC(const TWindowDC&) = delete;
    TWindowDC& operator=(const TWindowDC&) = delete;
    HDC get() const { return dc_; }

  private:
    HWND window_;
    HDC dc_;
};

// Selects an object into a device context for as long as it lives, then selects back what
// was there before, so that the object can be deleted and the context is left as found.
class TSelectedObject {
  public:
    TSelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(::SelectObject(dc, object)) {}
    ~TSelectedObject() {
        if (previous_ && previous_ != HGDI_ERROR)
            ::SelectObject(dc_, previous_);
    }
    TSelectedObject(const TSelectedObject&) = delete;
    TSelectedObject& operator=(const TSelectedObject&) = delete;

  private:
    HDC dc_;
    HGDIOBJ previous_;
};

// A function of a library loaded with LoadLibrary; nullptr when the library or the function
// is missing. Libraries that only a command needs are loaded at its first use this way, not
// with the program, so that they cost the start nothing.
template <typename Function>
Function LibraryFunction(const UniqueLibrary& library, const char* name) {
    if (!library)
        return nullptr;
    return reinterpret_cast<Function>(
        reinterpret_cast<void*>(::GetProcAddress(library.get(), name)));
}
