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

std::string ApplicationFileName() {
    char path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::string(path, length) : std::string();
}

const std::string& ApplicationTitle() {
    static const std::string title = TitleFromFileName(ApplicationFileName());
    return title;
}

std::string WindowText(HWND window) {
    const int length = ::GetWindowTextLengthA(window);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    const int copied = ::GetWindowTextA(window, text.data(), length + 1);
    text.resize(static_cast<size_t>(copied));
    return text;
}

bool TextLeavesCodePage(HWND window) {
    const int length = ::GetWindowTextLengthW(window);
    if (length <= 0)
        return false;
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const int copied = ::GetWindowTextW(window, text.data(), length + 1);
    // UTF-8 as the ANSI code page holds every character, and takes neither flag below.
    if (::GetACP() == CP_UTF8)
        return false;
    BOOL defaultUsed = FALSE;
    const int bytes = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), copied,
                                            nullptr, 0, nullptr, &defaultUsed);
    return bytes == 0 || defaultUsed;
}

std::function<bool(char16_t)> CodePageFits() {
    // UTF-8 as the ANSI code page holds every character.
    if (::GetACP() == CP_UTF8)
        return nullptr;
    return [](char16_t unit) {
        const wchar_t text = static_cast<wchar_t>(unit);
        BOOL defaultUsed = FALSE;
        const int bytes = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, &text, 1, nullptr, 0,
                                                nullptr, &defaultUsed);
        return bytes > 0 && !defaultUsed;
    };
}

void ShowMessage(const std::string& text) {
    ShowMessageBox(::GetActiveWindow(), text, ApplicationTitle(), MB_OK);
}

bool Confirm(const std::string& text) {
    // No owner: the box is centred on the screen; task-modal keeps the windows disabled.
    HWND active = ::GetActiveWindow();
    const bool yes =
        ShowMessageBox(nullptr, text, "Confirm", MB_YESNO | MB_ICONQUESTION | MB_TASKMODAL) ==
        IDYES;
    // A box without an owner hands the activation back to nobody: the window the user was
    // in gets it back, with its keys and as the owner of the boxes that may follow.
    if (active && ::IsWindow(active) && ::IsWindowEnabled(active))
        ::SetActiveWindow(active);
    return yes;
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

// ---- display scale --------------------------------------------------------------------

namespace {

// The per-monitor functions of user32 (Windows 10 1607 and 1703), found at run time.
struct TDpiFunctions {
    UINT(WINAPI* GetDpiForWindow)(HWND) = nullptr;
    BOOL(WINAPI* AdjustWindowRectExForDpi)(RECT*, DWORD, BOOL, DWORD, UINT) = nullptr;
    bool PerMonitorV2 = false;
};

template <typename TFunction> void FindFunction(HMODULE module, const char* name, TFunction& into) {
    // Cast through a generic function pointer: GetProcAddress knows no signatures.
    into =
        reinterpret_cast<TFunction>(reinterpret_cast<void (*)()>(::GetProcAddress(module, name)));
}

const TDpiFunctions& DpiFunctions() {
    static const TDpiFunctions functions = [] {
        TDpiFunctions found;
        HMODULE user32 = ::GetModuleHandleA("user32.dll");
        BOOL(WINAPI * isValidContext)(HANDLE) = nullptr;
        FindFunction(user32, "GetDpiForWindow", found.GetDpiForWindow);
        FindFunction(user32, "AdjustWindowRectExForDpi", found.AdjustWindowRectExForDpi);
        FindFunction(user32, "IsValidDpiAwarenessContext", isValidContext);
        // Per-monitor awareness version 2 arrived with 1703; before it the layout keeps the
        // system's DPI.
        const auto perMonitorV2 = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4));
        found.PerMonitorV2 = found.GetDpiForWindow && found.AdjustWindowRectExForDpi &&
                             isValidContext && isValidContext(perMonitorV2);
        return found;
    }();
    return functions;
}

} // namespace

bool PerMonitorDpiAvailable() {
    return DpiFunctions().PerMonitorV2;
}

int SystemDpi() {
    const TWindowDC screen(nullptr);
    const int dpi = ::GetDeviceCaps(screen.get(), LOGPIXELSY);
    return dpi > 0 ? dpi : DesignDpi;
}

int WindowDpi(HWND window) {
    const TDpiFunctions& functions = DpiFunctions();
    if (window && functions.PerMonitorV2)
        if (const UINT dpi = functions.GetDpiForWindow(window))
            return static_cast<int>(dpi);
    return SystemDpi();
}

SIZE WindowSizeForClient(SIZE client, DWORD style, DWORD exStyle, int dpi) {
    RECT bounds{0, 0, client.cx, client.cy};
    // Without a DPI per monitor, every frame is drawn at the system's DPI.
    const TDpiFunctions& functions = DpiFunctions();
    if (functions.PerMonitorV2)
        functions.AdjustWindowRectExForDpi(&bounds, style, FALSE, exStyle, static_cast<UINT>(dpi));
    else
        ::AdjustWindowRectEx(&bounds, style, FALSE, exStyle);
    return {bounds.right - bounds.left, bounds.bottom - bounds.top};
}

SIZE DesignedFrameSize(DWORD style, DWORD exStyle) {
    RECT bounds{0, 0, 0, 0};
    // Measurable at 96 DPI from Windows 10 1607; before, the system's frame is the nearest.
    const TDpiFunctions& functions = DpiFunctions();
    if (functions.AdjustWindowRectExForDpi)
        functions.AdjustWindowRectExForDpi(&bounds, style, FALSE, exStyle, DesignDpi);
    else
        ::AdjustWindowRectEx(&bounds, style, FALSE, exStyle);
    return {bounds.right - bounds.left, bounds.bottom - bounds.top};
}

// ---- fonts ----------------------------------------------------------------------------

UniqueGdiObject CreateApplicationFont(int dpi, const TFontChange& change) {
    LOGFONTA attributes{};
    attributes.lfHeight = -11;
    attributes.lfWeight = FW_NORMAL;
    attributes.lfCharSet = DEFAULT_CHARSET;
    attributes.lfPitchAndFamily = DEFAULT_PITCH | FF_SWISS;
    lstrcpynA(attributes.lfFaceName, "MS Sans Serif", LF_FACESIZE);
    if (change)
        change(attributes);
    attributes.lfHeight = ScaleToDpi(attributes.lfHeight, dpi);
    return UniqueGdiObject(::CreateFontIndirectA(&attributes));
}

void CenterOnScreen(HWND window, HWND onMonitorOf) {
    RECT work{};
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (onMonitorOf &&
        ::GetMonitorInfoA(::MonitorFromWindow(onMonitorOf, MONITOR_DEFAULTTOPRIMARY), &monitor))
        work = monitor.rcWork;
    else
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
    designClient_ = {clientWidth, clientHeight};
    // A first guess at the DPI; the window's own, once it exists, decides.
    dpi_ = WindowDpi(owner);
    const SIZE guess = ScaledWindowSize();
    ::CreateWindowExA(exStyle, className, caption.c_str(), style, CW_USEDEFAULT, CW_USEDEFAULT,
                      guess.cx, guess.cy, owner, nullptr, ::GetModuleHandleA(nullptr), this);
    if (!handle_)
        throw TError("Cannot create the window \"" + caption + "\": " + LastSystemErrorText());
    ApplyDpi(owner ? WindowDpi(owner) : WindowDpi(handle_));
    CenterOnScreen(handle_, owner);
}

SIZE TForm::ScaledWindowSize() const {
    const SIZE client{Scale(designClient_.cx), Scale(designClient_.cy)};
    if (!handle_)
        return WindowSizeForClient(client, WS_OVERLAPPEDWINDOW, 0, dpi_);
    return WindowSizeForClient(client, static_cast<DWORD>(::GetWindowLongA(handle_, GWL_STYLE)),
                               static_cast<DWORD>(::GetWindowLongA(handle_, GWL_EXSTYLE)), dpi_);
}

int TForm::AddFont(TFontChange change) {
    fonts_.push_back(CreateApplicationFont(dpi_, change));
    fontChanges_.push_back(std::move(change));
    return static_cast<int>(fonts_.size()) - 1;
}

HFONT TForm::FontOf(int font) const {
    // The fonts are made with the window, for its DPI; there are none before.
    if (fonts_.empty())
        return nullptr;
    return static_cast<HFONT>(fonts_.at(static_cast<size_t>(font)).get());
}

void TForm::ApplyDpi(int dpi) {
    const int oldDpi = dpi_;
    dpi_ = dpi;
    std::vector<UniqueGdiObject> fonts;
    fonts.push_back(CreateApplicationFont(dpi_));
    for (const TFontChange& change : fontChanges_)
        fonts.push_back(CreateApplicationFont(dpi_, change));
    // The old fonts live on until every control has let go of them.
    std::swap(fonts, fonts_);
    const SIZE outer = ScaledWindowSize();
    ::SetWindowPos(handle_, nullptr, 0, 0, outer.cx, outer.cy,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    for (const TPlacedControl& placed : controls_)
        PutControl(placed);
    DpiChanged(oldDpi);
}

HWND TForm::AddControl(const char* className, const std::string& text, DWORD style, int left,
                       int top, int width, int height, int id, DWORD exStyle, HWND parent,
                       int font) {
    HWND control = ::CreateWindowExA(
        exStyle, className, text.c_str(), WS_CHILD | style, 0, 0, 0, 0, parent ? parent : handle_,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ::GetModuleHandleA(nullptr), nullptr);
    if (!control)
        throw TError(std::string("Cannot create a control of class ") + className);
    controls_.push_back({control, {left, top, width, height}, font, false});
    PutControl(controls_.back());
    return control;
}

HWND TForm::AddLabel(const std::string& text, int left, int top, int font, DWORD extraStyle,
                     int id) {
    HWND label = AddControl("STATIC", text, WS_VISIBLE | SS_LEFT | SS_NOPREFIX | extraStyle, left,
                            top, 0, 0, id, 0, nullptr, font);
    controls_.back().FitsText = true;
    PutControl(controls_.back());
    return label;
}

void TForm::PlaceControl(HWND control, int left, int top, int width, int height) {
    for (TPlacedControl& placed : controls_)
        if (placed.Control == control) {
            placed.Design = {left, top, width, height};
            PutControl(placed);
        }
}

// Scales a control's designed place into the window, with its font; a label is measured
// in that font, which is already made for the DPI.
void TForm::PutControl(const TPlacedControl& placed) const {
    HFONT font = FontOf(placed.Font);
    ::SendMessageA(placed.Control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    SIZE size{Scale(placed.Design.Width), Scale(placed.Design.Height)};
    if (placed.FitsText) {
        const std::string text = WindowText(placed.Control);
        const TWindowDC dc(placed.Control);
        const TSelectedObject selected(dc.get(), font);
        ::GetTextExtentPoint32A(dc.get(), text.c_str(), static_cast<int>(text.size()), &size);
    }
    ::SetWindowPos(placed.Control, nullptr, Scale(placed.Design.Left), Scale(placed.Design.Top),
                   size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
}

// A dialog made on one monitor and shown over an owner on another takes the owner's DPI
// and monitor.
void TForm::FollowOwnerDpi(HWND owner) {
    const int ownerDpi = WindowDpi(owner);
    const bool sameMonitor = ::MonitorFromWindow(owner, MONITOR_DEFAULTTOPRIMARY) ==
                             ::MonitorFromWindow(handle_, MONITOR_DEFAULTTOPRIMARY);
    if (ownerDpi == dpi_ && sameMonitor)
        return;
    ApplyDpi(ownerDpi);
    CenterOnScreen(handle_, owner);
}

// The window moved to a monitor of another DPI, or the monitor's scale changed: Windows
// suggests the new place, and the contents follow.
void TForm::HandleDpiChanged(int dpi, const RECT& suggested) {
    if (dpi != dpi_)
        ApplyDpi(dpi);
    ::SetWindowPos(handle_, nullptr, suggested.left, suggested.top,
                   suggested.right - suggested.left, suggested.bottom - suggested.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
}

int TForm::ShowModal(HWND owner) {
    modalResult_ = mrNone;
    if (owner && !::IsWindowVisible(handle_))
        FollowOwnerDpi(owner);
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
    TTypedCharacters typed(CodePageFits());
    MSG message{};
    while (modalResult_ == mrNone) {
        // In UTF-16: read as ANSI, a typed character the code page lacks is "?" already.
        const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
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
        if (!DropsTypedCharacter(message, typed) && !::IsDialogMessageW(handle_, &message)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
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

bool TForm::DropsTypedCharacter(const MSG& message, TTypedCharacters& typed) {
    if (message.message != WM_CHAR || !::IsChild(handle_, message.hwnd))
        return false;
    switch (typed.Judge(static_cast<char16_t>(message.wParam))) {
    case TTypedVerdict::Pass:
        return false;
    case TTypedVerdict::RefuseAndSay:
        refusingTyped_ = RefuseTypedCharacter(message.hwnd);
        return refusingTyped_;
    case TTypedVerdict::RefuseSilently:
        return refusingTyped_; // the rest of a run goes where its first character went
    }
    return false;
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
    case WM_DPICHANGED:
        // Below Windows 10 1703 the layout stays at the system's DPI.
        if (!PerMonitorDpiAvailable())
            break;
        HandleDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        return 0;
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
