#pragma once
// The small window toolkit every form of the program is built on: a window class whose
// state lives in a C++ object, modal forms with their own message loop, the fonts, and
// the one place through which every message box goes.

#include <windows.h>

#include "support/TypedCharacters.h"
#include "support/WinHandles.h"

#include <functional>
#include <string>
#include <vector>

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
// The running program's file, its full path.
std::string ApplicationFileName();

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
// True when the window's text holds a character the ANSI code page lacks: WindowText
// would give "?" or a look-alike ("O" for an Omega) in its place.
bool TextLeavesCodePage(HWND window);
// Whether the ANSI code page holds a character (nullptr where it is UTF-8 and holds all).
std::function<bool(char16_t)> CodePageFits();

// ---- display scale --------------------------------------------------------------------

// Every coordinate and size of the forms is designed at this DPI and scaled on its way into
// a window.
constexpr int DesignDpi = 96;

// A designed value at dpi.
inline int ScaleToDpi(int designed, int dpi) {
    return ::MulDiv(designed, dpi, DesignDpi);
}
// True where Windows keeps a DPI per monitor (10 1703 and later): the functions for it are
// looked up at run time, so that the program still starts where they are missing.
bool PerMonitorDpiAvailable();
// The DPI window is shown at: its monitor's where Windows keeps one per monitor, else the
// system's (the program then behaves as system-DPI aware).
int WindowDpi(HWND window);
// The system's DPI, the one every monitor has below Windows 10 1703.
int SystemDpi();
// The outer size of a window with this client size, style and DPI.
SIZE WindowSizeForClient(SIZE client, DWORD style, DWORD exStyle, int dpi);
// The frame (width and height it adds) of a window of this style at 96 DPI, for a form
// designed by its outer size.
SIZE DesignedFrameSize(DWORD style, DWORD exStyle);

// ---- fonts ----------------------------------------------------------------------------

// A change to the application's font; sizes in it are designed at 96 DPI.
using TFontChange = std::function<void(LOGFONTA&)>;

// The application's font ("MS Sans Serif", 8 pt), changed by change, made for dpi.
UniqueGdiObject CreateApplicationFont(int dpi, const TFontChange& change = {});

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
    // The DPI the form is laid out for, and a designed value at it.
    int Dpi() const { return dpi_; }
    int Scale(int designed) const { return ScaleToDpi(designed, dpi_); }
    // The application's font at the form's DPI.
    HFONT Font() const { return FontOf(0); }

    // Shows the form modally over owner (disabled meanwhile) and returns its modal result
    // once something sets one: a button, Enter, Esc or closing the window.
    int ShowModal(HWND owner);
    int ModalResult() const { return modalResult_; }
    void SetModalResult(int result) { modalResult_ = result; }
    bool InModalLoop() const { return inModalLoop_; }

  protected:
    // Creates the window with an exact client size (designed), centred on the owner's
    // monitor or, without an owner, the primary one.
    void CreateForm(const char* className, const std::string& caption, DWORD style, DWORD exStyle,
                    int clientWidth, int clientHeight, HWND owner);
    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT DefaultHandling(UINT message, WPARAM wParam, LPARAM lParam);

    // A font of the form: the application's with change applied (sizes designed), made
    // again whenever the DPI changes. Returns its number for FontOf and the controls.
    int AddFont(TFontChange change);
    HFONT FontOf(int font) const;

    // Child controls (of the form, or of parent), at a designed position and size, with
    // one of the form's fonts (0: the application's). Both follow a change of DPI.
    HWND AddControl(const char* className, const std::string& text, DWORD style, int left, int top,
                    int width, int height, int id, DWORD exStyle = 0, HWND parent = nullptr,
                    int font = 0);

    // A label that sizes itself to its text, like a caption on a form.
    HWND AddLabel(const std::string& text, int left, int top, int font = 0, DWORD extraStyle = 0,
                  int id = -1);
    // Moves a control made by AddControl or AddLabel to another designed place (a label
    // keeps fitting its text).
    void PlaceControl(HWND control, int left, int top, int width, int height);

    // Lays the form out again for dpi: its size, fonts and controls, then what the form
    // places itself (DpiChanged). The window's position is the caller's.
    void ApplyDpi(int dpi);
    // The form's own parts that did not come from AddControl, after a change from oldDpi.
    virtual void DpiChanged(int oldDpi) { (void)oldDpi; }

    // A character the code page lacks, typed into control while the form is modal: true
    // when the form refused it and said why (the character is then dropped). False lets it
    // through, where an ANSI control stores "?" in its place.
    virtual bool RefuseTypedCharacter(HWND control) {
        (void)control;
        return false;
    }

    // The button Enter presses (0: none).
    void SetDefaultButton(int id) { defaultButton_ = id; }

    static void RegisterFormClass(const char* className, HICON icon = nullptr);

  private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void ShowDefaultButtonFor(HWND focus);
    // True when message is a typed character the form drops.
    bool DropsTypedCharacter(const MSG& message, TTypedCharacters& typed);

    struct TDesignedPlace {
        int Left, Top, Width, Height;
    };
    struct TPlacedControl {
        HWND Control;
        TDesignedPlace Design;
        int Font;
        bool FitsText;
    };
    void PutControl(const TPlacedControl& placed) const;
    SIZE ScaledWindowSize() const;
    void FollowOwnerDpi(HWND owner);
    void HandleDpiChanged(int dpi, const RECT& suggested);

    HWND handle_ = nullptr;
    int dpi_ = DesignDpi;
    SIZE designClient_{};
    std::vector<TFontChange> fontChanges_;
    std::vector<UniqueGdiObject> fonts_;
    std::vector<TPlacedControl> controls_;
    int modalResult_ = mrNone;
    bool inModalLoop_ = false;
    int defaultButton_ = 0;
    HWND lastFocus_ = nullptr;
    bool refusingTyped_ = false; // the form refused the last character the code page lacks
};

// Registers a window class of this program once (a second call does nothing): the dialog
// face as background, the arrow cursor, double clicks reported.
void RegisterWindowClass(const char* className, WNDPROC procedure, HICON icon = nullptr);

// Puts a top-level window in the middle of the work area of the monitor of onMonitorOf (the
// primary monitor for none).
void CenterOnScreen(HWND window, HWND onMonitorOf = nullptr);
