// The floor of the start-up benchmark: a bare Win32 window of the main window's size,
// shown and idle, doing nothing else. Built a second time with WITH_COMMON_CONTROLS (and
// the program's manifest): the same window after loading common controls 6, which shows
// how much of a start the controls' library alone costs.

#include <windows.h>

#ifdef WITH_COMMON_CONTROLS
#include <commctrl.h>
#endif

namespace {
LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcA(window, message, wParam, lParam);
}
} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showState) {
#ifdef WITH_COMMON_CONTROLS
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_COOL_CLASSES |
                                                       ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&controls);
#endif
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = "BareWindow";
    ::RegisterClassA(&windowClass);
    HWND window = ::CreateWindowExA(
        0, "BareWindow", "Bare",
        WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_THICKFRAME, CW_USEDEFAULT,
        CW_USEDEFAULT, 676, 480, nullptr, nullptr, instance, nullptr);
    ::ShowWindow(window, showState);
    ::UpdateWindow(window);
    MSG message{};
    while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
    return 0;
}
