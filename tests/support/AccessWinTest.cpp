// The access lists and accounts as Windows (here Wine, which makes file security up from the
// Unix mode bits) gives them to the rules.

#include "support/AccessWin.h"

#include "support/TempFolder.h"
#include "support/WinHandles.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <aclapi.h>

namespace {

std::string WithoutTrailingBackslash(std::string path) {
    path.pop_back();
    return path;
}

} // namespace

TEST(AccessWin, AFolderOfTheUsersOwnAndTheProgramLetNobodyElseWrite) {
    const std::string user = ProcessUserSid();
    ASSERT_EQ(0u, user.rfind("S-1-5-", 0)) << user;
    TTempFolder dir;
    for (const std::string& path :
         {WithoutTrailingBackslash(dir.Path()), std::string(NETVANE_DIST_EXE)}) {
        const auto security = ReadFileSecurity(path);
        ASSERT_TRUE(security) << path;
        EXPECT_FALSE(security->Entries.empty()) << path;
        EXPECT_EQ(std::vector<std::string>{}, OtherWriters(*security, user)) << path;
    }
    EXPECT_FALSE(ReadFileSecurity(dir / "missing"));
}

TEST(AccessWin, AFolderEveryoneMayChangeIsSeen) {
    TTempFolder dir;
    const std::string folder = WithoutTrailingBackslash(dir.Path());
    ASSERT_EQ(ERROR_SUCCESS, OpenToEveryone(folder));
    const auto security = ReadFileSecurity(folder);
    ASSERT_TRUE(security);
    EXPECT_EQ(std::vector<std::string>{"S-1-1-0"}, OtherWriters(*security, ProcessUserSid()));
}

// One account here: whatever the shell is, its account is ours, and the proxy is written.
TEST(AccessWin, TheDesktopsAccountIsTheProcesssOwn) {
    const TDesktopAccounts accounts = ReadDesktopAccounts();
    EXPECT_EQ(ProcessUserSid(), accounts.ProcessUser);
    if (accounts.ShellUser) {
        EXPECT_EQ(accounts.ProcessUser, *accounts.ShellUser);
    }
    EXPECT_TRUE(ProxyIsTheDesktopUsers(accounts));
}
