#include "support/AccessRules.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

const std::string User = "S-1-5-21-1-2-3-1001";
const std::string Owner = "S-1-5-21-1-2-3-1002";
const std::string Other = "S-1-5-21-1-2-3-1003";
const std::string Users = "S-1-5-32-545";
const std::string AuthenticatedUsers = "S-1-5-11";
const std::string Everyone = "S-1-1-0";

constexpr std::uint32_t ReadAndExecute = 0x001200A9;
constexpr std::uint32_t Modify = 0x001301BF;
constexpr std::uint32_t FullControl = 0x001F01FF;

TAccessEntry Allow(const std::string& sid, std::uint32_t mask, bool inheritOnly = false) {
    return {sid, mask, true, inheritOnly};
}
TAccessEntry Deny(const std::string& sid, std::uint32_t mask) {
    return {sid, mask, false, false};
}
TSecurityInfo Owned(std::vector<TAccessEntry> entries) {
    return {Owner, false, std::move(entries)};
}

} // namespace

TEST(OtherWriters, NamesEveryoneBeyondTheTrustedWhoMayChangeTheObject) {
    struct Case {
        const char* what;
        TSecurityInfo security;
        std::vector<std::string> writers;
    } cases[] = {
        {"Program Files",
         Owned({Allow(TrustedInstallerSid, FullControl), Allow(SystemSid, Modify),
                Allow(AdministratorsSid, Modify), Allow(Users, ReadAndExecute),
                Allow(CreatorOwnerSid, 0x10000000, true)}),
         {}},
        {"a folder at a drive's root",
         Owned({Allow(AdministratorsSid, FullControl), Allow(SystemSid, FullControl),
                Allow(Users, ReadAndExecute), Allow(Users, 0x00000004), Allow(Users, 0x00000002),
                Allow(AuthenticatedUsers, Modify), Allow(AuthenticatedUsers, 0xE0010000, true)}),
         {Users, AuthenticatedUsers}},
        {"the owner and the user themselves",
         Owned({Allow(Owner, FullControl), Allow(User, FullControl)}),
         {}},
        {"a NULL access list", {Owner, true, {}}, {Everyone}},
        {"an empty access list: nobody", Owned({}), {}},
        {"inherit-only entries give nothing now",
         Owned({Allow(Other, FullControl, true), Allow(Users, 0x40000000, true)}),
         {}},
        {"a deny entry takes away nothing that is reported",
         Owned({Deny(Other, Modify), Allow(Other, Modify)}),
         {Other}},
        {"a deny entry alone is no writer", Owned({Deny(Everyone, FullControl)}), {}},
        {"reading and the attributes are no write",
         Owned({Allow(Everyone, ReadAndExecute | 0x00000100 | 0x00000010)}),
         {}},
        {"each write right on its own, each account once",
         Owned({Allow(Other, 0x00000002), Allow(Other, 0x00000004), Allow(Users, 0x00000040),
                Allow(Everyone, 0x00010000), Allow(Other, 0x00040000), Allow(Other, 0x00080000),
                Allow(Other, 0x10000000), Allow(Other, 0x40000000)}),
         {Other, Users, Everyone}},
        {"SIDs in another letter case", Owned({Allow("s-1-5-32-544", FullControl)}), {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.writers, OtherWriters(c.security, User)) << c.what;
}

// Wine makes the access list up from the Unix mode bits: the owner (the user) and Everyone.
TEST(InstallationWarning, NamesTheFolderFirstThenTheProgramAndOnlyWhenOthersMayWrite) {
    const TSecurityInfo mode755{
        User, false, {Allow(User, FullControl), Allow(Everyone, ReadAndExecute)}};
    const TSecurityInfo mode700{User, false, {Allow(User, FullControl)}};
    const TSecurityInfo mode777{User, false, {Allow(User, FullControl), Allow(Everyone, Modify)}};
    struct Case {
        const char* what;
        std::optional<TSecurityInfo> folder, exe;
        const char* named; // nullptr: no warning
    } cases[] = {
        {"755", mode755, mode755, nullptr},
        {"700", mode700, mode700, nullptr},
        {"unreadable", std::nullopt, std::nullopt, nullptr},
        {"folder open", mode777, mode755, "the folder \"C:\\Tools\""},
        {"both open", mode777, mode777, "the folder \"C:\\Tools\""},
        {"program open", mode755, mode777, "the program \"C:\\Tools\\Netvane.exe\""},
        {"folder unreadable, program open", std::nullopt, mode777,
         "the program \"C:\\Tools\\Netvane.exe\""},
    };
    for (const Case& c : cases) {
        const auto warning =
            InstallationWarning({User, "C:\\Tools", c.folder, "C:\\Tools\\Netvane.exe", c.exe});
        if (!c.named) {
            EXPECT_FALSE(warning) << c.what << ": " << *warning;
            continue;
        }
        ASSERT_TRUE(warning) << c.what;
        EXPECT_EQ(0u, warning->find("Other users of this computer can change " +
                                    std::string(c.named) + ", and with it the settings"))
            << *warning;
    }
}

TEST(ProxyIsTheDesktopUsers, OnlyWhenTheProcessRunsAsTheDesktopsAccount) {
    struct Case {
        const char* what;
        TDesktopAccounts accounts;
        bool expected;
    } cases[] = {
        {"the same account", {User, User}, true},
        {"the same, in another letter case", {"S-1-5-21-1-2-3-1001", "s-1-5-21-1-2-3-1001"}, true},
        {"an administrator's credentials", {Other, User}, false},
        {"no shell: a task with nobody signed in", {User, std::nullopt}, true},
        {"a shell whose account will not be read", {User, ""}, false},
        {"our own account unknown", {"", User}, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, ProxyIsTheDesktopUsers(c.accounts)) << c.what;
}

// Not elevated, the proxy is the user's own and no account is read; elevated, they decide.
TEST(ProxyMayBeWritten, WithoutElevationAlwaysAndWithoutAskingElevatedAsTheAccountsSay) {
    for (const bool elevated : {false, true}) {
        int reads = 0;
        const auto read = [&] { return ++reads, TDesktopAccounts{Other, User}; };
        EXPECT_EQ(!elevated, ProxyMayBeWritten(elevated, read));
        EXPECT_EQ(elevated ? 1 : 0, reads);
    }
}

// C:\A\B\Netvane.exe, in folders set up as Windows and people do.
TEST(HelperPlaceRefusal, OnlyWhereOthersCouldChangeWhatWouldRunElevated) {
    using TSecurity = std::optional<TSecurityInfo>;
    const auto with = [](const std::string& owner, std::vector<TAccessEntry> more) {
        more.push_back(Allow(AdministratorsSid, FullControl));
        return TSecurity(TSecurityInfo{owner, false, more});
    };
    const TSecurity safe = with(AdministratorsSid, {Allow(Users, ReadAndExecute)});
    const TSecurity usersOwn = with(User, {Allow(User, FullControl)});
    // Authenticated Users may add folders at a drive's root, and change those made there.
    const TSecurity root =
        with(SystemSid, {Allow(AuthenticatedUsers, 0x4), Allow(AuthenticatedUsers, Modify, true)});
    const TSecurity madeAtRoot = with(User, {Allow(AuthenticatedUsers, Modify)});
    const TSecurity othersAdd = with(AdministratorsSid, {Allow(Users, 0x6)});
    const std::string change = "Other users of this computer can change the ",
                      exe = "program \"C:\\A\\B\\Netvane.exe\"", b = "folder \"C:\\A\\B\"",
                      a = "folder \"C:\\A\"";
    const std::tuple<TSecurity, TSecurity, TSecurity, std::string> cases[] = {
        // the exe, its folder, the folder above; the start of the refusal
        {safe, safe, othersAdd, ""},
        {usersOwn, usersOwn, usersOwn, ""},
        {safe, othersAdd, safe, change + b},
        {madeAtRoot, safe, safe, change + exe},
        {with(Other, {}), safe, safe, change + exe},
        {safe, safe, madeAtRoot, change + a},
        {safe, safe, std::nullopt, "Netvane cannot read who may change the " + a},
    };
    const std::vector<std::string> folders = FoldersHolding("C:\\A\\B\\Netvane.exe");
    ASSERT_EQ((std::vector<std::string>{"C:\\A\\B", "C:\\A", "C:\\"}), folders);
    for (const auto& [program, own, above, refused] : cases) {
        const auto refusal =
            HelperPlaceRefusal({User,
                                "C:\\A\\B\\Netvane.exe",
                                program,
                                {{folders[0], own}, {folders[1], above}, {folders[2], root}}});
        EXPECT_EQ(refused.empty(), !refusal) << refusal.value_or(refused);
        EXPECT_EQ(refused, refusal.value_or("").substr(0, refused.size()));
        EXPECT_TRUE(!refusal ||
                    refusal->find(". Move Netvane into a folder only administrators "
                                  "can change, such as Program Files.") == refusal->size() - 83);
    }
    EXPECT_EQ((std::vector<std::string>{"\\\\srv\\share\\A", "\\\\srv\\share\\"}),
              FoldersHolding("\\\\srv\\share\\A\\Netvane.exe"));
}

TEST(HelperPlaceRefusal, ForTheServiceTheUserCountsAmongTheOthers) {
    using TSecurity = std::optional<TSecurityInfo>;
    const auto with = [](const std::string& owner, std::vector<TAccessEntry> more) {
        more.push_back(Allow(SystemSid, FullControl));
        more.push_back(Allow(AdministratorsSid, FullControl));
        return TSecurity(TSecurityInfo{owner, false, more});
    };
    const TSecurity programFiles = with(TrustedInstallerSid, {Allow(Users, ReadAndExecute)});
    const TSecurity usersOwn = with(User, {});
    const TSecurity userWrites = with(AdministratorsSid, {Allow(User, Modify)});
    const std::string change = "Accounts other than the system's and administrators' can change ";
    const std::tuple<TSecurity, TSecurity, TSecurity, std::string> cases[] = {
        // the exe, its folder, the folder above; the start of the service's refusal
        {programFiles, programFiles, programFiles, ""},
        {usersOwn, programFiles, programFiles, change + "the program"},
        {programFiles, userWrites, programFiles, change + "the folder \"C:\\A\\B\""},
        {programFiles, programFiles, usersOwn, change + "the folder \"C:\\A\""},
    };
    for (const auto& [program, own, above, refused] : cases) {
        THelperPlace place{User,
                           "C:\\A\\B\\Netvane.exe",
                           program,
                           {{"C:\\A\\B", own}, {"C:\\A", above}, {"C:\\", programFiles}}};
        // What the helper takes, the service refuses: the user's own folder is no place for it.
        EXPECT_FALSE(HelperPlaceRefusal(place)) << refused;
        place.ForService = true;
        const auto refusal = HelperPlaceRefusal(place);
        EXPECT_EQ(refused, refusal.value_or("").substr(0, refused.size()));
        EXPECT_EQ(refused.empty(), !refusal);
    }
}

TEST(HelperPlaceRefusal, ForTheServiceWhoeverMayChangeTheSystemFolderIsTrustedBeside) {
    // Where one account owns every file (Wine), it owns the system folder too; on Windows
    // that folder names only the system's accounts, and nothing more is trusted.
    using TSecurity = std::optional<TSecurityInfo>;
    const auto mine = [](std::uint32_t everyone) {
        return TSecurity(TSecurityInfo{
            User,
            false,
            {Allow(SystemSid, FullControl), Allow(User, FullControl), Allow(Everyone, everyone)}});
    };
    const TSecurity windows(
        TSecurityInfo{TrustedInstallerSid,
                      false,
                      {Allow(TrustedInstallerSid, FullControl), Allow(AdministratorsSid, Modify),
                       Allow(Users, ReadAndExecute)}});
    const std::tuple<TSecurity, TSecurity, bool> cases[] = {
        // the system folder, the program's folder (mode 755 or 777 as Wine reads it); refused
        {mine(ReadAndExecute), mine(ReadAndExecute), false},
        {mine(ReadAndExecute), mine(Modify), true},
        {windows, mine(ReadAndExecute), true},
        {std::nullopt, mine(ReadAndExecute), true},
    };
    for (const auto& [system, folder, refused] : cases) {
        THelperPlace place{
            User, "C:\\A\\Netvane.exe", folder, {{"C:\\A", folder}, {"C:\\", folder}}};
        place.ForService = true;
        place.SystemFolderSecurity = system;
        EXPECT_EQ(refused, HelperPlaceRefusal(place).has_value());
    }
}

TEST(SameIdentity, OnlyTheSameUserAtTheSameIntegrityLevel) {
    const TTokenReading medium{true, "8192", 0}, high{true, "12288", 0};
    const TTokenReading noLevel{false, "", 87}, deniedLevel{false, "", 5};
    const TTokenReading user{true, User, 0}, other{true, Other, 0}, unread{false, "", 5};
    struct Case {
        const char* what;
        TProcessIdentity own, window;
        bool expected;
    } cases[] = {
        {"one user, one level", {user, medium}, {user, medium}, true},
        {"the window elevated", {user, medium}, {user, high}, false},
        {"this start elevated", {user, high}, {user, medium}, false},
        {"another account", {user, medium}, {other, medium}, false},
        {"the window's user unread", {user, medium}, {unread, medium}, false},
        {"no levels on either side, alike", {user, noLevel}, {user, noLevel}, true},
        {"levels unread for different reasons", {user, noLevel}, {user, deniedLevel}, false},
        {"a level on one side only", {user, medium}, {user, deniedLevel}, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, SameIdentity(c.own, c.window)) << c.what;
}
