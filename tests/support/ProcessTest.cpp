#include "support/Process.h"

#include "netcfg/SetIP.h"

#include "support/TempFolder.h"
#include "support/WinHandles.h"

#include <cstdint>

#include <gtest/gtest.h>

TEST(RunAndWait, ReturnsTheChildsExitCode) {
    EXPECT_EQ(7, RunSystemProgram("cmd.exe /c exit 7", SW_HIDE));
    EXPECT_EQ(0, RunSystemProgram("cmd.exe /c exit 0", SW_HIDE));
}

TEST(RunAndWait, AProgramThatDoesNotExistGivesMinusOne) {
    EXPECT_EQ(-1, RunSystemProgram("no-such-program-netvane.exe /x", SW_HIDE));
}

TEST(RunAndWait, RefusesACommandLineLongerThanItsBuffer) {
    const std::string atLimit = "cmd.exe /c exit 3 " + std::string(MaxCommandLineLength - 18, ' ');
    ASSERT_EQ(MaxCommandLineLength, atLimit.size());
    EXPECT_EQ(3, RunSystemProgram(atLimit, SW_HIDE));
    EXPECT_EQ(-1, RunSystemProgram(atLimit + " ", SW_HIDE));
}

TEST(RunAndWait, ReturnsOnlyAfterTheChildHasEnded) {
    TTempFolder dir;
    const std::string marker = dir / "done.txt";
    // The child's last act is to write the marker: it is there when the call returns.
    EXPECT_EQ(0, RunSystemProgram("cmd.exe /c ping -n 1 127.0.0.1 >nul & echo done> \"" + marker + "\"",
                            SW_HIDE));
    EXPECT_EQ("done\r\n", GetFile(marker));
}

namespace {
// The folder of the running test binary, where argv_echo.exe is built.
std::string TestBinaryFolder() {
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder = path;
    return folder.substr(0, folder.find_last_of('\\') + 1);
}
} // namespace

TEST(RunAndWait, AQuotedArgumentReachesTheChildExactlyAsMeant) {
    TTempFolder dir;
    const std::string out = dir / "argument.txt";
    const std::string names[] = {
        "Ethernet",       "Local Area Connection 2", R"(Lab "B" LAN)", R"("quoted")",
        R"(ends in \)",   R"(two \\ then "q")",      "tab\tinside",    "a & b | c ^ d",
        R"(\\server\x\)",
    };
    for (const std::string& name : names) {
        // Appended piece by piece: GCC 12 misreads "x" + std::string&& as an overlapping copy.
        const std::string echo = TestBinaryFolder() + "argv_echo.exe";
        std::string line = QuoteArgument(echo);
        line += ' ';
        line += QuoteArgument(out);
        line += ' ';
        line += QuoteArgument(name);
        EXPECT_EQ(3, RunAndWait(echo, line, SW_HIDE)) << name;
        EXPECT_EQ(name, GetFile(out)) << name;
    }
}

// The captured output shows the pipe's end was handed over, and nothing else was.
TEST(RunAndWait, AChildInheritsOnlyTheHandlesItNeeds) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    const UniqueHandle stray(::CreateEventA(&inherit, TRUE, FALSE, nullptr));
    const std::string echo = TestBinaryFolder() + "argv_echo.exe";
    const std::string line = QuoteArgument(echo) + " /handle " +
                             std::to_string(reinterpret_cast<std::uintptr_t>(stray.get()));
    std::string output;
    EXPECT_EQ(0, RunCapturing(echo, line, "", output)) << "the stray handle was inherited";
    EXPECT_EQ("looked", output.substr(0, 6));
    EXPECT_EQ(0, RunAndWait(echo, line, SW_HIDE));
}

TEST(RunAndWait, TheAddressToolRunsToItsEndForAQuotedConnectionName) {
    for (const char* command : {ReleaseCommand, RenewCommand}) {
        const std::string line = *AddressToolCommand(command, std::string(R"(Lab "B" LAN 2)"));
        ASSERT_EQ(std::string(command) + R"("Lab \"B\" LAN 2")", line);
        EXPECT_NE(-1, RunSystemProgram(line, SW_HIDE)) << line;
    }
}

namespace {

// A window that counts its paints and the input it is given.
struct TCountingWindow {
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<TCountingWindow*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
        if (self && message == WM_PAINT) {
            PAINTSTRUCT paint;
            ::BeginPaint(window, &paint);
            ::EndPaint(window, &paint);
            ++self->Paints;
            return 0;
        }
        if (self && message == WM_KEYDOWN)
            ++self->Keys;
        return ::DefWindowProcA(window, message, wParam, lParam);
    }
    TCountingWindow() {
        WNDCLASSA type{};
        type.lpfnWndProc = Procedure;
        type.hInstance = ::GetModuleHandleA(nullptr);
        type.lpszClassName = "NetvaneCountingWindow";
        ::RegisterClassA(&type);
        Handle = ::CreateWindowA("NetvaneCountingWindow", "", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0,
                                 0, 200, 100, nullptr, nullptr, type.hInstance, nullptr);
        ::SetWindowLongPtrA(Handle, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        ::UpdateWindow(Handle);
    }
    ~TCountingWindow() { ::DestroyWindow(Handle); }
    TCountingWindow(const TCountingWindow&) = delete;
    TCountingWindow& operator=(const TCountingWindow&) = delete;

    HWND Handle = nullptr;
    int Paints = 0;
    int Keys = 0;
};

} // namespace

// While the child runs, the window is painted when it needs it, but its input waits until
// the call has returned: no command can begin in the middle of another.
TEST(RunAndWait, PaintsTheWindowsWhileWaitingButLeavesTheirInputQueued) {
    TCountingWindow window;
    window.Paints = 0;
    ::InvalidateRect(window.Handle, nullptr, TRUE);
    ::PostMessageA(window.Handle, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(0, RunSystemProgram("cmd.exe /c ping -n 2 127.0.0.1 >nul", SW_HIDE));
    EXPECT_EQ(1, window.Paints);
    EXPECT_EQ(0, window.Keys);
    MSG message;
    EXPECT_TRUE(::PeekMessageA(&message, window.Handle, WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE));
}
