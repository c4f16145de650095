// The header declares comctl32's functions as imports; here they are defined.
#define _COMCTL32_

#include "CommonControls.h"

#include "SystemLibrary.h"

#include <commctrl.h>

namespace {

// The function of that name in comctl32; null when there is none.
template <typename TFunction> TFunction Bind(const char* name) {
    HMODULE library = CommonControlsLibrary();
    FARPROC address = library ? ::GetProcAddress(library, name) : nullptr;
    return reinterpret_cast<TFunction>(reinterpret_cast<void*>(address));
}

template <typename TResult> TResult Unbound(TResult failure) {
    ::SetLastError(ERROR_PROC_NOT_FOUND);
    return failure;
}

} // namespace

HMODULE CommonControlsLibrary() {
    // Kept for the run: the window classes and image lists it makes live in it.
    static const HMODULE library = LoadSystemLibrary("comctl32.dll").release();
    return library;
}

// Each is bound once, at its first call; a static's initialisation is safe between threads.

BOOL WINAPI InitCommonControlsEx(const INITCOMMONCONTROLSEX* controls) {
    static const auto bound = Bind<decltype(&InitCommonControlsEx)>("InitCommonControlsEx");
    return bound ? bound(controls) : Unbound(FALSE);
}

HIMAGELIST WINAPI ImageList_Create(int cx, int cy, UINT flags, int initial, int grow) {
    static const auto bound = Bind<decltype(&ImageList_Create)>("ImageList_Create");
    return bound ? bound(cx, cy, flags, initial, grow) : Unbound<HIMAGELIST>(nullptr);
}

int WINAPI ImageList_AddMasked(HIMAGELIST images, HBITMAP bitmap, COLORREF mask) {
    static const auto bound = Bind<decltype(&ImageList_AddMasked)>("ImageList_AddMasked");
    return bound ? bound(images, bitmap, mask) : Unbound(-1);
}

BOOL WINAPI ImageList_Destroy(HIMAGELIST images) {
    static const auto bound = Bind<decltype(&ImageList_Destroy)>("ImageList_Destroy");
    return bound ? bound(images) : Unbound(FALSE);
}

BOOL WINAPI SetWindowSubclass(HWND window, SUBCLASSPROC procedure, UINT_PTR id, DWORD_PTR data) {
    static const auto bound = Bind<decltype(&SetWindowSubclass)>("SetWindowSubclass");
    return bound ? bound(window, procedure, id, data) : Unbound(FALSE);
}

BOOL WINAPI RemoveWindowSubclass(HWND window, SUBCLASSPROC procedure, UINT_PTR id) {
    static const auto bound = Bind<decltype(&RemoveWindowSubclass)>("RemoveWindowSubclass");
    return bound ? bound(window, procedure, id) : Unbound(FALSE);
}

LRESULT WINAPI DefSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    static const auto bound = Bind<decltype(&DefSubclassProc)>("DefSubclassProc");
    // Only a subclass calls it, and there is none without comctl32.
    return bound ? bound(window, message, wParam, lParam)
                 : ::DefWindowProcA(window, message, wParam, lParam);
}

// Callers compiled against the usual header reach the first four through the address an
// import library would give them (__imp_…, with the stdcall argument size in the 32-bit
// build): the same names here hold these definitions.
#ifdef _WIN64
#define IMPORT_ADDRESS_NAME(function, argumentBytes) "__imp_" #function
#else
#define IMPORT_ADDRESS_NAME(function, argumentBytes) "__imp__" #function "@" #argumentBytes
#endif
#define IMPORT_ADDRESS(function, argumentBytes)                                                    \
    extern "C" decltype(&function)                                                                 \
        const function##Address __asm__(IMPORT_ADDRESS_NAME(function, argumentBytes));             \
    decltype(&function) const function##Address = &function

IMPORT_ADDRESS(InitCommonControlsEx, 4);
IMPORT_ADDRESS(ImageList_Create, 20);
IMPORT_ADDRESS(ImageList_AddMasked, 12);
IMPORT_ADDRESS(ImageList_Destroy, 4);
