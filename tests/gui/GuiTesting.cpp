#include "GuiTesting.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <vector>
#include <map>

void FlushEvents() {
    // Other processes' windows and the X server answer asynchronously: wait for quiet.
    DWORD quietSince = ::GetTickCount();
    MSG message{};
    while (::GetTickCount() - quietSince < 50) {
        if (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageA(&message);
            quietSince = ::GetTickCount();
        } else {
            ::Sleep(5);
        }
    }
}

std::string TextOf(HWND window) {
    return WindowText(window);
}
RECT ChildBounds(HWND child) {
    RECT bounds{};
    ::GetWindowRect(child, &bounds);
    ::MapWindowPoints(HWND_DESKTOP, ::GetParent(child), reinterpret_cast<POINT*>(&bounds), 2);
    return bounds;
}

SIZE ClientSize(HWND window) {
    RECT client{};
    ::GetClientRect(window, &client);
    return {client.right - client.left, client.bottom - client.top};
}

int TestDpi() {
    return SystemDpi();
}

testing::AssertionResult IsScaled(int designed, int actual) {
    const int expected = ScaleToDpi(designed, TestDpi());
    const int slack = TestDpi() == DesignDpi ? 0 : 1;
    if (std::abs(actual - expected) <= slack)
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << actual << " is not " << designed << " at " << TestDpi()
                                       << " DPI (" << expected << ")";
}

testing::AssertionResult IsScaledRect(const RECT& designed, const RECT& actual) {
    const int pairs[][2] = {{designed.left, actual.left},
                            {designed.top, actual.top},
                            {designed.right, actual.right},
                            {designed.bottom, actual.bottom}};
    for (const auto& pair : pairs)
        if (testing::AssertionResult scaled = IsScaled(pair[0], pair[1]); !scaled)
            return scaled << " in {" << actual.left << ", " << actual.top << ", " << actual.right
                          << ", " << actual.bottom << "}";
    return testing::AssertionSuccess();
}

testing::AssertionResult ChildrenInsideClientAreas(HWND window) {
    RECT client{};
    ::GetClientRect(window, &client);
    for (HWND child = ::GetWindow(window, GW_CHILD); child;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (!(::GetWindowLongA(child, GWL_STYLE) & WS_VISIBLE))
            continue;
        const RECT bounds = ChildBounds(child);
        if (::IsRectEmpty(&bounds))
            continue; // shows nothing, wherever it is
        RECT inside{};
        ::IntersectRect(&inside, &bounds, &client);
        if (!::EqualRect(&inside, &bounds))
            return testing::AssertionFailure()
                   << "control " << ::GetDlgCtrlID(child) << " \"" << TextOf(child) << "\" at {"
                   << bounds.left << ", " << bounds.top << ", " << bounds.right << ", "
                   << bounds.bottom << "} leaves {0, 0, " << client.right << ", " << client.bottom
                   << "}";
        if (testing::AssertionResult nested = ChildrenInsideClientAreas(child); !nested)
            return nested;
    }
    return testing::AssertionSuccess();
}

void Click(HWND button) {
    ::SendMessageA(button, BM_CLICK, 0, 0);
}

namespace {
thread_local std::map<UINT_PTR, std::function<void()>> laterActions;

void CALLBACK RunLaterAction(HWND, UINT, UINT_PTR timer, DWORD) {
    ::KillTimer(nullptr, timer);
    const auto found = laterActions.find(timer);
    if (found == laterActions.end())
        return;
    const std::function<void()> action = std::move(found->second);
    laterActions.erase(found);
    action();
}
} // namespace

void RunLater(std::function<void()> action) {
    laterActions[::SetTimer(nullptr, 0, 1, RunLaterAction)] = std::move(action);
}

// ---- TMessageBoxRecorder --------------------------------------------------------------

TMessageBoxRecorder::TMessageBoxRecorder(std::deque<int> answers) : answers_(std::move(answers)) {
    previous_ = SetMessageBoxHandler(
        [this](HWND, const std::string& text, const std::string& caption, UINT flags) {
            boxes_.push_back({text, caption, flags});
            if (answers_.empty())
                return IDOK;
            const int answer = answers_.front();
            answers_.pop_front();
            return answer;
        });
}

TMessageBoxRecorder::~TMessageBoxRecorder() {
    SetMessageBoxHandler(std::move(previous_));
}

std::vector<std::string> TMessageBoxRecorder::Texts() const {
    std::vector<std::string> texts;
    for (const auto& box : boxes_)
        texts.push_back(box.Text);
    return texts;
}

// ---- TModalScript ---------------------------------------------------------------------

namespace {
thread_local TModalScript* activeScript = nullptr;

std::string ClassOf(HWND window) {
    char name[256] = {};
    ::GetClassNameA(window, name, sizeof name);
    return name;
}
} // namespace

TRealMessageBoxes::TRealMessageBoxes() : previous_(SetMessageBoxHandler({})) {}

TRealMessageBoxes::~TRealMessageBoxes() {
    SetMessageBoxHandler(previous_);
}

TModalScript::TModalScript(std::string windowClass, std::function<void(HWND)> script,
                           unsigned timeoutMs)
    : windowClass_(std::move(windowClass)), script_(std::move(script)) {
    outer_ = activeScript;
    activeScript = this;
    hook_ = ::SetWindowsHookExA(WH_CBT, &TModalScript::CbtHook, nullptr, ::GetCurrentThreadId());
    watchdogTimer_ = ::SetTimer(nullptr, 0, timeoutMs, &TModalScript::Watchdog);
}

TModalScript::~TModalScript() {
    ::UnhookWindowsHookEx(hook_);
    ::KillTimer(nullptr, watchdogTimer_);
    if (scriptTimer_)
        ::KillTimer(nullptr, scriptTimer_);
    activeScript = outer_;
}

LRESULT CALLBACK TModalScript::CbtHook(int code, WPARAM wParam, LPARAM lParam) {
    for (TModalScript* s = activeScript; s; s = s->outer_) {
        if (code == HCBT_ACTIVATE && !s->ran_ && !s->scriptTimer_) {
            HWND window = reinterpret_cast<HWND>(wParam);
            if (ClassOf(window) == s->windowClass_) {
                s->window_ = window;
                s->scriptTimer_ = ::SetTimer(nullptr, 0, 1, &TModalScript::RunScript);
                break;
            }
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

void CALLBACK TModalScript::RunScript(HWND, UINT, UINT_PTR timer, DWORD) {
    ::KillTimer(nullptr, timer);
    for (TModalScript* s = activeScript; s; s = s->outer_) {
        if (s->scriptTimer_ != timer)
            continue;
        s->scriptTimer_ = 0;
        s->ran_ = true;
        try {
            s->script_(s->window_);
        } catch (const std::exception& error) {
            ADD_FAILURE() << "modal script failed: " << error.what();
            ::PostMessageA(s->window_, WM_CLOSE, 0, 0);
        }
        return;
    }
}

void CALLBACK TModalScript::Watchdog(HWND, UINT, UINT_PTR timer, DWORD) {
    ::KillTimer(nullptr, timer);
    for (TModalScript* s = activeScript; s; s = s->outer_) {
        if (s->watchdogTimer_ != timer)
            continue;
        ADD_FAILURE() << "watchdog: the " << s->windowClass_ << " form did not "
                      << (s->ran_ ? "close" : "come up") << " in time";
        if (s->window_)
            ::PostMessageA(s->window_, WM_CLOSE, 0, 0);
        return;
    }
}

std::string ListViewText(HWND list, int row, int column) {
    char text[256] = {};
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    ::SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
    return text;
}

void SaveShot(HWND window, const std::string& name) {
    const char* folder = std::getenv("NETVANE_SHOT_DIR");
    if (!folder || !*folder)
        return;
    // The tests' main windows are made but not shown: show one for the moment of the shot.
    const bool hidden = !::IsWindowVisible(window);
    if (hidden)
        ::ShowWindow(window, SW_SHOWNOACTIVATE);
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    FlushEvents();
    RECT frame{};
    ::GetWindowRect(window, &frame);
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    BITMAPINFOHEADER header{sizeof header, width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    const int stride = (width * 3 + 3) & ~3;
    std::vector<char> pixels(static_cast<size_t>(stride) * height);
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, width, height, screen, frame.left, frame.top, SRCCOPY);
    ::SelectObject(memory, old);
    ::GetDIBits(memory, bitmap, 0, height, pixels.data(),
                reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS);
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    if (hidden)
        ::ShowWindow(window, SW_HIDE);
    BITMAPFILEHEADER file{0x4D42, 0, 0, 0, sizeof(BITMAPFILEHEADER) + sizeof header};
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
    const std::string path =
        std::string(folder) + "\\" + name + "-" + std::to_string(TestDpi()) + ".bmp";
    if (FILE* out = std::fopen(path.c_str(), "wb")) {
        std::fwrite(&file, sizeof file, 1, out);
        std::fwrite(&header, sizeof header, 1, out);
        std::fwrite(pixels.data(), 1, pixels.size(), out);
        std::fclose(out);
    }
}
