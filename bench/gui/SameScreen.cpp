// The same screen, drawn by the least program: the band with the toolbar of nine captioned
// 32 x 32 buttons, the label and the drop-down with the 20 adapters, the report list of the
// seven shown columns (ID and Adapter are hidden, as in Netvane) holding the first adapter's
// 500 settings from memory, and the status bar; at Netvane's sizes and captions, scaled to
// the display as Netvane scales. Built on its own (same_screen.exe) for the start-up
// benchmark, and into the switch benchmark as the floor of a switch.

#include "SameScreen.h"

#include "BenchRows.h"

#include <commctrl.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

namespace {

struct TScreen {
    int Dpi = 96;
    HFONT Font = nullptr;
    HIMAGELIST Images = nullptr;
    HWND Band = nullptr, Tools = nullptr, Label = nullptr, Adapters = nullptr, List = nullptr,
         Status = nullptr;
    std::vector<std::array<std::string, 7>> Rows;
    int Scale(int pixels) const { return ::MulDiv(pixels, Dpi, 96); }
};

constexpr int BandHeight = 58, PanelHeight = 41, ButtonWidth = 71, ButtonHeight = 52;

TScreen* ScreenOf(HWND window) {
    return reinterpret_cast<TScreen*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
}

void LayOut(HWND window, const TScreen& s) {
    RECT client{};
    ::GetClientRect(window, &client);
    ::MoveWindow(s.Band, 0, 0, client.right, s.Scale(BandHeight), TRUE);
    ::SendMessageA(s.Status, WM_SIZE, 0, 0);
    RECT status{};
    ::GetWindowRect(s.Status, &status);
    const int top = s.Scale(BandHeight) + s.Scale(PanelHeight);
    ::MoveWindow(s.List, 0, top, client.right, client.bottom - top - (status.bottom - status.top),
                 TRUE);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    TScreen* s = ScreenOf(window);
    switch (message) {
    case WM_NOTIFY: {
        auto* info = reinterpret_cast<NMLVDISPINFOA*>(lParam);
        if (s && info->hdr.hwndFrom == s->List && info->hdr.code == LVN_GETDISPINFOA &&
            (info->item.mask & LVIF_TEXT) && info->item.iSubItem >= 1 &&
            static_cast<size_t>(info->item.iItem) < s->Rows.size())
            lstrcpynA(info->item.pszText,
                      s->Rows[static_cast<size_t>(info->item.iItem)]
                             [static_cast<size_t>(info->item.iSubItem - 1)]
                                 .c_str(),
                      info->item.cchTextMax);
        return 0;
    }
    case WM_SIZE:
        if (s)
            LayOut(window, *s);
        return 0;
    case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
    case WM_NCDESTROY:
        if (s) {
            ::DeleteObject(s->Font);
            ImageList_Destroy(s->Images);
            delete s; // the window owned it from its creation
        }
        return ::DefWindowProcA(window, message, wParam, lParam);
    default:
        return ::DefWindowProcA(window, message, wParam, lParam);
    }
}

HWND Child(const char* className, const char* text, DWORD style, HWND parent, int id,
           DWORD exStyle = 0) {
    return ::CreateWindowExA(exStyle, className, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0,
                             parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                             ::GetModuleHandleA(nullptr), nullptr);
}

void MakeToolBar(HWND window, TScreen& s) {
    s.Band = Child(REBARCLASSNAMEA, "",
                   WS_CLIPCHILDREN | CCS_NODIVIDER | CCS_NORESIZE | CCS_NOPARENTALIGN |
                       RBS_BANDBORDERS,
                   window, 1);
    s.Tools = Child(TOOLBARCLASSNAMEA, "",
                    TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_NODIVIDER | CCS_NORESIZE |
                        CCS_NOPARENTALIGN,
                    s.Band, 2);
    ::SendMessageA(s.Tools, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    const int icon = s.Scale(32);
    s.Images = ImageList_Create(icon, icon, ILC_COLOR32 | ILC_MASK, 9, 0);
    HICON picture = static_cast<HICON>(
        ::LoadImageA(nullptr, MAKEINTRESOURCEA(32512), IMAGE_ICON, icon, icon, LR_SHARED));
    for (int i = 0; i < 9; ++i)
        ImageList_AddIcon(s.Images, picture);
    ::SendMessageA(s.Tools, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(s.Images));
    ::SendMessageA(s.Tools, WM_SETFONT, reinterpret_cast<WPARAM>(s.Font), FALSE);
    const char* const captions[] = {"&ADD",  "&EDIT", "&DELETE", nullptr,   "&HELP",
                                    "&ABOUT", nullptr, "DHCP",   "&NETVANE"};
    int image = 0;
    for (const char* caption : captions) {
        TBBUTTON button{};
        if (caption) {
            button.iBitmap = image++;
            button.idCommand = 100 + image;
            button.fsState = TBSTATE_ENABLED;
            button.fsStyle = BTNS_BUTTON;
            button.iString = reinterpret_cast<INT_PTR>(caption);
        } else {
            button.iBitmap = s.Scale(8);
            button.fsStyle = BTNS_SEP;
        }
        ::SendMessageA(s.Tools, TB_ADDBUTTONSA, 1, reinterpret_cast<LPARAM>(&button));
    }
    const int width = s.Scale(ButtonWidth), height = s.Scale(ButtonHeight);
    ::SendMessageA(s.Tools, TB_SETBUTTONWIDTH, 0, MAKELPARAM(width, width));
    ::SendMessageA(s.Tools, TB_SETBUTTONSIZE, 0, MAKELPARAM(width, height));
    REBARBANDINFOA band{};
    band.cbSize = sizeof band;
    band.fMask = RBBIM_CHILD | RBBIM_STYLE | RBBIM_CHILDSIZE | RBBIM_SIZE;
    band.fStyle = RBBS_NOGRIPPER | RBBS_CHILDEDGE;
    band.hwndChild = s.Tools;
    band.cyMinChild = static_cast<UINT>(height);
    band.cx = static_cast<UINT>(s.Scale(676));
    ::SendMessageA(s.Band, RB_INSERTBANDA, static_cast<WPARAM>(-1),
                   reinterpret_cast<LPARAM>(&band));
}

void MakeSelector(HWND window, TScreen& s) {
    s.Label = Child("STATIC", "Adapter", SS_LEFT | SS_NOPREFIX, window, 3);
    ::MoveWindow(s.Label, s.Scale(16), s.Scale(BandHeight + 12), s.Scale(50), s.Scale(14), FALSE);
    s.Adapters =
        Child("COMBOBOX", "", CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP, window, 4);
    ::MoveWindow(s.Adapters, s.Scale(72), s.Scale(BandHeight + 12), s.Scale(385), s.Scale(200),
                 FALSE);
    for (HWND control : {s.Label, s.Adapters})
        ::SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(s.Font), FALSE);
    for (int i = 0; i < BenchAdapters; ++i) {
        const std::string name = "Bench Ethernet " + std::to_string(i);
        ::SendMessageA(s.Adapters, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    }
    ::SendMessageA(s.Adapters, CB_SETCURSEL, 0, 0);
}

void MakeList(HWND window, TScreen& s) {
    s.List = Child(WC_LISTVIEWA, "",
                   WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_SINGLESEL | LVS_SHOWSELALWAYS,
                   window, 5, WS_EX_CLIENTEDGE);
    ::SendMessageA(s.List, WM_SETFONT, reinterpret_cast<WPARAM>(s.Font), FALSE);
    ::SendMessageA(s.List, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                   LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES | LVS_EX_DOUBLEBUFFER);
    const struct {
        const char* Caption;
        int Width;
    } columns[] = {{"", 14},        {"Title", 96}, {"Address", 88}, {"Submask", 88},
                   {"Gateway", 88}, {"DNS1", 88},  {"DNS2", 88},    {"Proxy", 100}};
    for (int c = 0; c < 8; ++c) {
        LVCOLUMNA column{};
        column.mask = LVCF_WIDTH | LVCF_TEXT;
        column.cx = s.Scale(columns[c].Width);
        column.pszText = const_cast<char*>(columns[c].Caption);
        ::SendMessageA(s.List, LVM_INSERTCOLUMNA, static_cast<WPARAM>(c),
                       reinterpret_cast<LPARAM>(&column));
    }
}

void FillRows(TScreen& s, int adapter) {
    s.Rows.clear();
    for (int i = adapter; i < BenchSettings; i += BenchAdapters)
        s.Rows.push_back(BenchRowTexts(i));
    ::SendMessageA(s.List, LVM_SETITEMCOUNT, s.Rows.size(), LVSICF_NOSCROLL);
    LVITEMA state{};
    state.stateMask = state.state = LVIS_SELECTED | LVIS_FOCUSED;
    ::SendMessageA(s.List, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&state));
    ::InvalidateRect(s.List, nullptr, TRUE);
}

} // namespace

HWND CreateSameScreen(HINSTANCE instance, int showState) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_COOL_CLASSES |
                                                       ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&controls);
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hIcon = ::LoadIconA(nullptr, IDI_APPLICATION);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = "SameScreen";
    ::RegisterClassA(&windowClass);
    auto screen = std::make_unique<TScreen>();
    HDC display = ::GetDC(nullptr);
    screen->Dpi = ::GetDeviceCaps(display, LOGPIXELSY);
    ::ReleaseDC(nullptr, display);
    screen->Font = ::CreateFontA(-screen->Scale(11), 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET,
                                 0, 0, 0, 0, "MS Sans Serif");
    HWND window = ::CreateWindowExA(
        0, "SameScreen", "Netvane",
        WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_THICKFRAME | WS_CLIPCHILDREN,
        CW_USEDEFAULT, CW_USEDEFAULT, screen->Scale(676), screen->Scale(480), nullptr, nullptr,
        instance, nullptr);
    TScreen& s = *screen;
    ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(screen.release()));
    MakeToolBar(window, s);
    MakeSelector(window, s);
    MakeList(window, s);
    s.Status = Child(STATUSCLASSNAMEA, "Current IP is 127.0.0.1", SBARS_SIZEGRIP, window, 6);
    ::SendMessageA(s.Status, WM_SETFONT, reinterpret_cast<WPARAM>(s.Font), FALSE);
    FillRows(s, 0);
    LayOut(window, s);
    ::ShowWindow(window, showState);
    ::UpdateWindow(window);
    return window;
}

void ShowSameScreenAdapter(HWND window, int adapter) {
    TScreen& s = *ScreenOf(window);
    ::SendMessageA(s.Adapters, CB_SETCURSEL, adapter, 0);
    FillRows(s, adapter);
    ::UpdateWindow(s.List);
}

#ifndef SAME_SCREEN_INSIDE
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showState) {
    CreateSameScreen(instance, showState);
    MSG message{};
    while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
    return 0;
}
#endif
