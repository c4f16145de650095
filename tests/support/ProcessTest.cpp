#include "support/Process.h"

#include "netcfg/SetIP.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

TEST(RunAndWait, ReturnsTheChildsExitCode) {
    EXPECT_EQ(7, RunAndWait("cmd.exe /c exit 7", SW_HIDE));
    EXPECT_EQ(0, RunAndWait("cmd.exe /c exit 0", SW_HIDE));
}

TEST(RunAndWait, AProgramThatDoesNotExistGivesMinusOne) {
    EXPECT_EQ(-1, RunAndWait("no-such-program-netvane.exe /x", SW_HIDE));
}

TEST(RunAndWait, RefusesACommandLineLongerThanItsBuffer) {
    const std::string atLimit = "cmd.exe /c exit 3 " + std::string(MaxCommandLineLength - 18, ' ');
    ASSERT_EQ(MaxCommandLineLength, atLimit.size());
    EXPECT_EQ(3, RunAndWait(atLimit, SW_HIDE));
    EXPECT_EQ(-1, RunAndWait(atLimit + " ", SW_HIDE));
}

TEST(RunAndWait, ReturnsOnlyAfterTheChildHasEnded) {
    TTempFolder dir;
    const std::string marker = dir / "done.txt";
    // The child's last act is to write the marker: it is there when the call returns.
    EXPECT_EQ(0, RunAndWait("cmd.exe /c ping -n 1 127.0.0.1 >nul & echo done> \"" + marker + "\"",
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
        std::string line = QuoteArgument(TestBinaryFolder() + "argv_echo.exe");
        line += ' ';
        line += QuoteArgument(out);
        line += ' ';
        line += QuoteArgument(name);
        EXPECT_EQ(3, RunAndWait(line, SW_HIDE)) << name;
        EXPECT_EQ(name, GetFile(out)) << name;
    }
}

TEST(RunAndWait, TheAddressToolRunsToItsEndForAQuotedConnectionName) {
    for (const char* command : {ReleaseCommand, RenewCommand}) {
        const std::string line = AddressToolCommand(command, std::string(R"(Lab "B" LAN 2)"));
        ASSERT_EQ(std::string(command) + R"("Lab \"B\" LAN 2")", line);
        EXPECT_NE(-1, RunAndWait(line, SW_HIDE)) << line;
    }
}
