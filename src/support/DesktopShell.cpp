#include "DesktopShell.h"

#include "SystemLibrary.h"
#include "WinHandles.h"

#include <windows.h>

#include <exdisp.h>
#include <servprov.h>
#include <shldisp.h>
#include <shlobj.h>

namespace {

// COM and automation are loaded at the first open, not with the program.
struct TComLibraries {
    UniqueLibrary Ole32 = LoadSystemLibrary("ole32.dll");
    UniqueLibrary OleAut32 = LoadSystemLibrary("oleaut32.dll");
    decltype(&::CoInitializeEx) Initialize =
        LibraryFunction<decltype(&::CoInitializeEx)>(Ole32, "CoInitializeEx");
    decltype(&::CoUninitialize) Uninitialize =
        LibraryFunction<decltype(&::CoUninitialize)>(Ole32, "CoUninitialize");
    decltype(&::CoCreateInstance) CreateInstance =
        LibraryFunction<decltype(&::CoCreateInstance)>(Ole32, "CoCreateInstance");
    decltype(&::SysAllocStringLen) AllocString =
        LibraryFunction<decltype(&::SysAllocStringLen)>(OleAut32, "SysAllocStringLen");
    decltype(&::VariantClear) ClearVariant =
        LibraryFunction<decltype(&::VariantClear)>(OleAut32, "VariantClear");

    bool Complete() const {
        return Initialize && Uninitialize && CreateInstance && AllocString && ClearVariant;
    }
};

const TComLibraries& Com() {
    static const TComLibraries libraries;
    return libraries;
}

// The thread in a single-threaded apartment while it lives; one the thread already had is
// left as it was.
class TApartment {
  public:
    TApartment()
        : entered_(SUCCEEDED(
              Com().Initialize(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) {}
    ~TApartment() {
        if (entered_)
            Com().Uninitialize();
    }
    TApartment(const TApartment&) = delete;
    TApartment& operator=(const TApartment&) = delete;

  private:
    bool entered_;
};

// A variant, cleared (its text freed) when it goes.
class TVariant {
  public:
    TVariant() { ::ZeroMemory(&value_, sizeof value_); }
    explicit TVariant(int number) : TVariant() {
        value_.vt = VT_I4;
        value_.lVal = number;
    }
    // The text in the ANSI code page; empty when it cannot be made.
    explicit TVariant(const std::string& text) : TVariant() {
        const int length = ::MultiByteToWideChar(CP_ACP, 0, text.data(),
                                                 static_cast<int>(text.size()), nullptr, 0);
        value_.bstrVal = Com().AllocString(nullptr, static_cast<UINT>(length));
        if (!value_.bstrVal)
            return;
        value_.vt = VT_BSTR;
        ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), value_.bstrVal,
                              length);
    }
    ~TVariant() { Com().ClearVariant(&value_); }
    TVariant(const TVariant&) = delete;
    TVariant& operator=(const TVariant&) = delete;

    VARIANT& get() { return value_; }
    bool IsText() const { return value_.vt == VT_BSTR; }

  private:
    VARIANT value_;
};

template <typename Interface> UniqueInterface<Interface> Query(IUnknown* object, REFIID iid) {
    void* found = nullptr;
    if (!object || FAILED(object->QueryInterface(iid, &found)))
        return {};
    return UniqueInterface<Interface>(static_cast<Interface*>(found));
}

// The automation object of the desktop's folder view: the shell window, its top-level
// browser, the browser's view, the view's background object, and that one's application.
UniqueInterface<IShellDispatch2> DesktopShellDispatch() {
    IShellWindows* windowsRaw = nullptr;
    if (FAILED(Com().CreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER,
                                    IID_IShellWindows, reinterpret_cast<void**>(&windowsRaw))))
        return {};
    const UniqueInterface<IShellWindows> windows(windowsRaw);

    TVariant desktop(CSIDL_DESKTOP), root;
    long window = 0;
    IDispatch* desktopRaw = nullptr;
    if (windows.get()->FindWindowSW(&desktop.get(), &root.get(), SWC_DESKTOP, &window,
                                    SWFO_NEEDDISPATCH, &desktopRaw) != S_OK)
        return {};
    const UniqueInterface<IDispatch> desktopWindow(desktopRaw);

    const auto services = Query<IServiceProvider>(desktopWindow.get(), IID_IServiceProvider);
    IShellBrowser* browserRaw = nullptr;
    if (!services || FAILED(services.get()->QueryService(SID_STopLevelBrowser, IID_IShellBrowser,
                                                         reinterpret_cast<void**>(&browserRaw))))
        return {};
    const UniqueInterface<IShellBrowser> browser(browserRaw);

    IShellView* viewRaw = nullptr;
    if (FAILED(browser.get()->QueryActiveShellView(&viewRaw)) || !viewRaw)
        return {};
    const UniqueInterface<IShellView> view(viewRaw);

    void* backgroundRaw = nullptr;
    if (FAILED(view.get()->GetItemObject(SVGIO_BACKGROUND, IID_IDispatch, &backgroundRaw)) ||
        !backgroundRaw)
        return {};
    const UniqueInterface<IDispatch> background(static_cast<IDispatch*>(backgroundRaw));

    const auto folderView = Query<IShellFolderViewDual>(background.get(), IID_IShellFolderViewDual);
    IDispatch* applicationRaw = nullptr;
    if (!folderView || FAILED(folderView.get()->get_Application(&applicationRaw)))
        return {};
    const UniqueInterface<IDispatch> application(applicationRaw);
    return Query<IShellDispatch2>(application.get(), IID_IShellDispatch2);
}

// What the shell starts should come to the front, which Windows grants only to a process
// the foreground one allows.
void LetTheShellTakeTheForeground(HWND shellWindow) {
    DWORD shellProcess = 0;
    ::GetWindowThreadProcessId(shellWindow, &shellProcess);
    if (shellProcess)
        ::AllowSetForegroundWindow(shellProcess);
}

} // namespace

bool OpenThroughDesktopShell(const std::string& file, const std::string& arguments) {
    // No shell draws the desktop (Wine's explorer does not say it does): asking COM for its
    // windows would only wait many seconds for a server that never comes.
    HWND shellWindow = ::GetShellWindow();
    if (!shellWindow || !Com().Complete())
        return false;
    const TApartment apartment;
    const auto shell = DesktopShellDispatch();
    if (!shell)
        return false;
    TVariant fileText(file), argumentText(arguments), folder, operation, show(SW_SHOWNORMAL);
    if (!fileText.IsText() || !argumentText.IsText())
        return false;
    LetTheShellTakeTheForeground(shellWindow);
    return SUCCEEDED(shell.get()->ShellExecute(fileText.get().bstrVal, argumentText.get(),
                                               folder.get(), operation.get(), show.get()));
}
