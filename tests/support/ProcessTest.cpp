#include "support/Process.h"

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
