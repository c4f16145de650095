#pragma once
// The small window toolkit every form of the program is built on: a window class whose
// state lives in a C++ object, modal forms with their own message loop, the fonts, and
// the one place through which every message box goes.

#include <windows.h>

#include <functional>
#include <string>

// ---- message boxes -------------------------------------------------------------------

// Every message box of the program goes through here. Production shows MessageBoxA;
// a test installs its own handler to read the text and give the answer.
using TMessageBoxHandler =
    std::function<int(HWND owner, const std::string& text, const std::string& caption, UINT flags)>;
int ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT flags);
// Replaces the handler; an empty handler restores MessageBoxA. Returns the previous one.
TMessageBoxHandler SetMessageBoxHandler(TMessageBoxHandler handler);

// The application's title: the executable's file name made into a caption.
const std::string& ApplicationTitle();

// A plain message: caption the application's title, no icon, one OK button.
void ShowMessage(const std::string& text);
// A confirmation centred on the screen: caption "Confirm", question icon, Yes and No.
// True only on Yes.
bool Confirm(const std::string& text);
// The general error box: caption the application's title, error icon, one OK button.
void ShowErrorBox(const std::string& message);

// Runs an event handler; an error escaping it reaches the general error box and the
// program goes on.
void RunGuarded(const std::function<void()>& handler);

// The text of a window or control.
std::string WindowText(HWND window);

// ---- fonts ----------------------------------------------------------------------------

// The application's font ("MS Sans Serif", 8 pt), shared by every form.
HFONT ApplicationFont();

// An owned GDI object (font, brush, bitmap ...).
class TGdiObject {
  public:
    TGdiObject() = default;
    explicit TGdiObject(HGDIOBJ object) : object_(object) {}
    ~TGdiObject() {
        if (object_)
            ::DeleteObject(object_);
    }
    TGdiObject(const TGdiObject&) = delete;
    TGdiObject& operator=(const TGdiObject&) = delete;
    TGdiObject(TGdiObject&& other) noexcept : object_(other.object_) { other.object_ = nullptr; }
    TGdiObject& operator=(TGdiObject&& other) noexcept {
        std::swap(object_, other.object_);
        return *this;
    }
    HGDIOBJ get() const { return object_; }
    HFONT font() const { return static_cast<HFONT>(object_); }

  private:
    HGDIOBJ object_ = nullptr;
};

// A window's device context for as long as it lives (the screen's for no window).
class TWindowDC {
  public:
    explicit TWindowDC(HWND window) : window_(window), dc_(::GetDC(window)) {}
    ~TWindowDC() { ::ReleaseDC(window_, dc_); }
    TWindowDC(const TWindowDC&) = delete;
    TWindowDC& operator=(const TWindowDC&) = delete;
    HDC get() const { return dc_; }

  private:
    HWND window_;
    HDC dc_;
};

// A memory device context compatible with another.
class TMemoryDC {
  public:
    explicit TMemoryDC(HDC compatibleWith) : dc_(::CreateCompatibleDC(compatibleWith)) {}
    ~TMemoryDC() { ::DeleteDC(dc_); }
    TMemoryDC(const TMemoryDC&) = delete;
    TMemoryDC& operator=(const TMemoryDC&) = delete;
    HDC get() const { return dc_; }

  private:
    HDC dc_;
};

// A copy of font with some of its attributes changed.
TGdiObject DeriveFont(HFONT font, const std::function<void(LOGFONTA&)>& change);

// ---- windows --------------------------------------------------------------------------

// Modal results.
constexpr int mrNone = 0;
constexpr int mrOk = IDOK;         // 1
constexpr int mrCancel = IDCANCEL; // 2

// A top-level window whose messages go to a member function. The object owns the window:
// destroying the object destroys the window and, with it, every child control.
class TForm {
  public:
    TForm() = default;
    virtual ~TForm();
    TForm(const TForm&) = delete;
    TForm& operator=(const TForm&) = delete;

    HWND Handle() const { return handle_; }

    // Shows the form modally over owner (disabled meanwhile) and returns its modal result
    // once something sets one: a button, Enter, Esc or closing the window.
    int ShowModal(HWND owner);
    int ModalResult() const { return modalResult_; }
    void SetModalResult(int result) { modalResult_ = result; }
    bool InModalLoop() const { return inModalLoop_; }

  protected:
    // Creates the window with an exact client size, centred on the screen.
    void CreateForm(const char* className, const std::string& caption, DWORD style, DWORD exStyle,
                    int clientWidth, int clientHeight, HWND owner);
    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT DefaultHandling(UINT message, WPARAM wParam, LPARAM lParam);

    // Child controls, positioned in client pixels, with the application's font.
    HWND AddControl(const char* className, const std::string& text, DWORD style, int left, int top,
                    int width, int height, int id, DWORD exStyle = 0);

    // A label that sizes itself to its text, like a caption on a form.
    HWND AddLabel(const std::string& text, int left, int top, HFONT font = nullptr,
                  DWORD extraStyle = 0, int id = -1);

    // The button Enter presses (0: none).
    void SetDefaultButton(int id) { defaultButton_ = id; }

    static void RegisterFormClass(const char* className, HICON icon = nullptr);

  private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void ShowDefaultButtonFor(HWND focus);

    HWND handle_ = nullptr;
    int modalResult_ = mrNone;
    bool inModalLoop_ = false;
    int defaultButton_ = 0;
    HWND lastFocus_ = nullptr;
};

// Registers a window class of this program once (a second call does nothing): the dialog
// face as background, the arrow cursor, double clicks reported.
void RegisterWindowClass(const char* className, WNDPROC procedure, HICON icon = nullptr);

// Puts a top-level window in the middle of the primary screen's work area.
void CenterOnScreen(HWND window);
