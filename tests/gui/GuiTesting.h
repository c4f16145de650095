#pragma once
// Driving real windows from a test: pumping the queue, answering message boxes, and
// scripting modal forms when they become active.

#include "support/Forms.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

// Pumps messages until the queue has stayed empty for a little while.
void FlushEvents();

// Text of a window or control.
std::string TextOf(HWND window);
// Bounds of a child in its parent's client coordinates.
RECT ChildBounds(HWND child);
// Client size of a window.
SIZE ClientSize(HWND window);
// The DPI the tests' windows are laid out at: the prefix's display scale. Where the
// environment names one (NETVANE_TEST_DPI), a test that measures checks it is this.
int TestDpi();
// Whether actual is the 96-DPI design at the tests' DPI: exact at 96, within a pixel of
// rounding anywhere else.
testing::AssertionResult IsScaled(int designed, int actual);
// The same for a rectangle, designed as left, top, right, bottom.
testing::AssertionResult IsScaledRect(const RECT& designed, const RECT& actual);
// Every visible child of window, at any depth, lies inside the client area of the window
// it sits on; the first that does not is named.
testing::AssertionResult ChildrenInsideClientAreas(HWND window);

// The text of a report list's cell.
std::string ListViewText(HWND list, int row, int column);

// Saves what the screen shows of window as NETVANE_SHOT_DIR/<name>-<dpi>.bmp, for a person
// to look at; does nothing when that variable is not set.
void SaveShot(HWND window, const std::string& name);

// Clicks a button as a user would.
void Click(HWND button);

// Runs action from the message loop that is running then (a modal form's, say), once.
void RunLater(std::function<void()> action);

// Real message boxes (MessageBoxA) while it lives, for a test about what a real box does to
// the focus; a script answers them. Restores the previous handler when it ends.
class TRealMessageBoxes {
  public:
    TRealMessageBoxes();
    ~TRealMessageBoxes();
    TRealMessageBoxes(const TRealMessageBoxes&) = delete;
    TRealMessageBoxes& operator=(const TRealMessageBoxes&) = delete;

  private:
    TMessageBoxHandler previous_;
};

// Records every message box and answers it; restores the previous handler when it ends.
class TMessageBoxRecorder {
  public:
    struct TBox {
        std::string Text;
        std::string Caption;
        UINT Flags;
    };
    // Answers given in order; IDOK once they run out.
    explicit TMessageBoxRecorder(std::deque<int> answers = {});
    ~TMessageBoxRecorder();
    TMessageBoxRecorder(const TMessageBoxRecorder&) = delete;
    TMessageBoxRecorder& operator=(const TMessageBoxRecorder&) = delete;

    const std::vector<TBox>& Boxes() const { return boxes_; }
    std::vector<std::string> Texts() const;

  private:
    std::deque<int> answers_;
    std::vector<TBox> boxes_;
    TMessageBoxHandler previous_;
};

// Runs script once a window of the given class becomes active (a modal form coming up),
// from inside that form's own message loop. A watchdog cancels the form and fails the
// test if the script has not closed it in time, so that a test never hangs.
class TModalScript {
  public:
    TModalScript(std::string windowClass, std::function<void(HWND)> script,
                 unsigned timeoutMs = 15000);
    ~TModalScript();
    TModalScript(const TModalScript&) = delete;
    TModalScript& operator=(const TModalScript&) = delete;

    bool Ran() const { return ran_; }

  private:
    static LRESULT CALLBACK CbtHook(int code, WPARAM wParam, LPARAM lParam);
    static void CALLBACK RunScript(HWND, UINT, UINT_PTR timer, DWORD);
    static void CALLBACK Watchdog(HWND, UINT, UINT_PTR timer, DWORD);

    std::string windowClass_;
    std::function<void(HWND)> script_;
    HHOOK hook_ = nullptr;
    UINT_PTR scriptTimer_ = 0;
    UINT_PTR watchdogTimer_ = 0;
    HWND window_ = nullptr;
    bool ran_ = false;
    TModalScript* outer_ = nullptr;
};
