#include "Forms.h"

#include "AppText.h"
#include "Error.h"
#include "FileSystem.h"

#include <utility>

namespace {

TMessageBoxHandler& MessageBoxHandler() {
    static TMessageBoxHandler handler;
    return handler;
}

int SystemMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT flags) {
    return ::MessageBoxA(owner, text.c_str(), caption.c_str(), flags);
}

} // namespace

int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT flags) {
    const TMessageBoxHandler& handler = MessageBoxHandler();
    return handler ? handler(owner, text, caption, flags)
                   : SystemMessageBox(owner, text, caption, flags);
}

TMessageBoxHandler SetMessageBoxHandler(TMessageBoxHandler handler) {
    return std::exchange(MessageBoxHandler(), std::move(handler));
}

const std::string& ApplicationTitle() {
    static const std::string title = [] {
        char path[MAX_PATH] = {};
        ::GetModuleFileNameA(nullptr, path, MAX_PATH);
        return TitleFromFileName(path);
    }();
    return title;
}

std::string WindowText(HWND window) {
    const int length = ::GetWindowTextLengthA(window);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    const int copied = ::GetWindowTextA(window, text.data(), length + 1);
    text.resize(static_cast<size_t>(copied));
    return text;
}

void ShowMessage(const std::string& text) {
    ShowMessageBox(::GetActiveWindow(), text, ApplicationTitle(), MB_OK);
}

bool Confirm(const std::string& text) {
    // No owner: the box is centred on the screen; task-modal keeps the windows disabled.
    return ShowMessageBox(nullptr, text, "Confirm", MB_YESNO | MB_ICONQUESTION | MB_TASKMODAL) ==
           IDYES;
}

void ShowErrorBox(const std::string& message) {
    ShowMessageBox(::GetActiveWindow(), ErrorBoxText(message), ApplicationTitle(),
                   MB_OK | MB_ICONERROR);
}

void RunGuarded(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const std::exception& error) {
        ShowErrorBox(error.what());
    }
}

HFONT ApplicationFont() {
    static const TGdiObject font(::CreateFontA(
        -11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
        CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, "MS Sans Serif"));
    return font.font();
}

TGdiObject DeriveFont(HFONT font, const std::function<void(LOGFONTA&)>& change) {
    LOGFONTA attributes{};
    ::GetObjectA(font, sizeof attributes, &attributes);
    change(attributes);
    return TGdiObject(::CreateFontIndirectA(&attributes));
}

void CenterOnScreen(HWND window) {
    RECT work{};
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    RECT bounds{};
    ::GetWindowRect(window, &bounds);
    const int width = bounds.right - bounds.left;
    const int height = bounds.bottom - bounds.top;
    ::SetWindowPos(window, nullptr, work.left + (work.right - work.left - width) / 2,
                   work.top + (work.bottom - work.top - height) / 2, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// ---- TForm ----------------------------------------------------------------------------

TForm::~TForm() {
    if (handle_) {
        ::SetWindowLongPtrA(handle_, GWLP_USERDATA, 0);
        ::DestroyWindow(handle_);
    }
}

void RegisterWindowClass(const char* className, WNDPROC procedure, HICON icon) {
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    if (::GetClassInfoExA(::GetModuleHandleA(nullptr), className, &windowClass))
        return;
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = ::GetModuleHandleA(nullptr);
    windowClass.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = className;
    windowClass.hIcon = icon;
    if (!::RegisterClassExA(&windowClass))
        throw TError(std::string("Cannot register the window class ") + className);
}

void TForm::RegisterFormClass(const char* className, HICON icon) {
    RegisterWindowClass(className, &TForm::WindowProc, icon);
}

void TForm::CreateForm(const char* className, const std::string& caption, DWORD style,
                       DWORD exStyle, int clientWidth, int clientHeight, HWND owner) {
    RECT bounds{0, 0, clientWidth, clientHeight};
    ::AdjustWindowRectEx(&bounds, style, FALSE, exStyle);
    ::CreateWindowExA(exStyle, className, caption.c_str(), style, CW_USEDEFAULT, CW_USEDEFAULT,
                      bounds.right - bounds.left, bounds.bottom - bounds.top, owner, nullptr,
                      ::GetModuleHandleA(nullptr), this);
    if (!handle_)
        throw TError("Cannot create the window \"" + caption + "\": " + LastSystemErrorText());
    CenterOnScreen(handle_);
}

HWND TForm::AddControl(const char* className, const std::string& text, DWORD style, int left,
                       int top, int width, int height, int id, DWORD exStyle) {
    HWND control = ::CreateWindowExA(
        exStyle, className, text.c_str(), WS_CHILD | style, left, top, width, height, handle_,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleA(nullptr), nullptr);
    if (!control)
        throw TError(std::string("Cannot create a control of class ") + className);
    ::SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(ApplicationFont()), FALSE);
    return control;
}

HWND TForm::AddLabel(const std::string& text, int left, int top, HFONT font, DWORD extraStyle,
                     int id) {
    if (!font)
        font = ApplicationFont();
    SIZE extent{};
    const TWindowDC dc(handle_);
    HGDIOBJ previous = ::SelectObject(dc.get(), font);
    ::GetTextExtentPoint32A(dc.get(), text.c_str(), static_cast<int>(text.size()), &extent);
    ::SelectObject(dc.get(), previous);
    HWND label = AddControl("STATIC", text, WS_VISIBLE | SS_LEFT | SS_NOPREFIX | extraStyle, left,
                            top, extent.cx, extent.cy, id);
    ::SendMessageA(label, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return label;
}

int TForm::ShowModal(HWND owner) {
    modalResult_ = mrNone;
    const bool disableOwner = owner && ::IsWindowEnabled(owner);
    if (disableOwner)
        ::EnableWindow(owner, FALSE);
    ::ShowWindow(handle_, SW_SHOW);
    ::SetActiveWindow(handle_);
    // An activation handler may have put the focus on a control of its choice; keep it.
    if (!::IsChild(handle_, ::GetFocus()))
        if (HWND first = ::GetNextDlgTabItem(handle_, nullptr, FALSE))
            ::SetFocus(first);
    lastFocus_ = nullptr;
    ShowDefaultButtonFor(::GetFocus());
    inModalLoop_ = true;
    MSG message{};
    while (modalResult_ == mrNone) {
        const BOOL got = ::GetMessageA(&message, nullptr, 0, 0);
        if (got == 0) {
            // The program is ending: hand the quit on to the outer loop.
            ::PostQuitMessage(static_cast<int>(message.wParam));
            modalResult_ = mrCancel;
            break;
        }
        if (got == -1) {
            modalResult_ = mrCancel;
            break;
        }
        if (!::IsDialogMessageA(handle_, &message)) {
            ::TranslateMessage(&message);
            ::DispatchMessageA(&message);
        }
        ShowDefaultButtonFor(::GetFocus());
    }
    inModalLoop_ = false;
    // Enable the owner before hiding, so that activation returns to it.
    if (disableOwner)
        ::EnableWindow(owner, TRUE);
    ::ShowWindow(handle_, SW_HIDE);
    if (owner)
        ::SetActiveWindow(owner);
    return modalResult_;
}

// As a dialog shows it: a push button with the focus is the one Enter presses and wears
// the default frame; with the focus anywhere else, the form's default button wears it.
void TForm::ShowDefaultButtonFor(HWND focus) {
    if (focus == lastFocus_ || !defaultButton_)
        return;
    lastFocus_ = focus;
    const auto isPushButton = [](HWND control) {
        return (::SendMessageA(control, WM_GETDLGCODE, 0, 0) &
                (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) != 0;
    };
    HWND wearer = (::IsChild(handle_, focus) && isPushButton(focus))
                      ? focus
                      : ::GetDlgItem(handle_, defaultButton_);
    for (HWND child = ::GetWindow(handle_, GW_CHILD); child;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (!isPushButton(child))
            continue;
        const bool wearsIt = (::SendMessageA(child, WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON) != 0;
        if (wearsIt != (child == wearer))
            ::SendMessageA(child, BM_SETSTYLE, child == wearer ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON,
                           TRUE);
    }
}

LRESULT TForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case DM_GETDEFID:
        return defaultButton_ ? MAKELRESULT(defaultButton_, DC_HASDEFID) : 0;
    case WM_CLOSE:
        if (inModalLoop_) {
            modalResult_ = mrCancel;
            return 0;
        }
        break;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDCANCEL && inModalLoop_) {
            modalResult_ = mrCancel;
            return 0;
        }
        break;
    default:
        break;
    }
    return DefaultHandling(message, wParam, lParam);
}

LRESULT TForm::DefaultHandling(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::DefWindowProcA(handle_, message, wParam, lParam);
}

LRESULT CALLBACK TForm::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* form = static_cast<TForm*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        form->handle_ = window;
        ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    }
    auto* form = reinterpret_cast<TForm*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!form)
        return ::DefWindowProcA(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        form->handle_ = nullptr;
        return ::DefWindowProcA(window, message, wParam, lParam);
    }
    // No exception may cross into the system's code: each event ends here at the latest.
    LRESULT result = 0;
    RunGuarded([&] { result = form->HandleMessage(message, wParam, lParam); });
    return result;
}
