#include "support/AccessRules.h"

#include <gtest/gtest.h>

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

// Not elevated, the proxy is the user's own and no account is read; elevated, the accounts
// decide.
TEST(ProxyMayBeWritten, WithoutElevationAlwaysAndWithoutAskingElevatedAsTheAccountsSay) {
    struct Case {
        bool elevated;
        TDesktopAccounts accounts;
        bool expected;
        int reads;
    } cases[] = {
        {false, {Other, User}, true, 0}, {false, {User, ""}, true, 0},
        {true, {User, User}, true, 1},   {true, {Other, User}, false, 1},
        {true, {User, ""}, false, 1},
    };
    for (const Case& c : cases) {
        int reads = 0;
        EXPECT_EQ(c.expected, ProxyMayBeWritten(c.elevated,
                                                [&] {
                                                    ++reads;
                                                    return c.accounts;
                                                }))
            << c.elevated << " " << c.accounts.ProcessUser;
        EXPECT_EQ(c.reads, reads) << c.elevated;
    }
}

TEST(FoldersHolding, EveryFolderUpToTheRootOfTheDriveOrShare) {
    struct Case {
        const char* path;
        std::vector<std::string> folders;
    } cases[] = {
        {"C:\\Program Files\\Netvane\\Netvane.exe",
         {"C:\\Program Files\\Netvane", "C:\\Program Files", "C:\\"}},
        {"C:\\Netvane.exe", {"C:\\"}},
        {"\\\\server\\share\\tools\\Netvane.exe",
         {"\\\\server\\share\\tools", "\\\\server\\share\\"}},
        {"\\\\server\\share\\Netvane.exe", {"\\\\server\\share\\"}},
        {"\\\\?\\C:\\Tools\\Netvane.exe", {"\\\\?\\C:\\Tools", "\\\\?\\C:\\"}},
        {"\\\\?\\UNC\\server\\share\\a\\Netvane.exe",
         {"\\\\?\\UNC\\server\\share\\a", "\\\\?\\UNC\\server\\share\\"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.folders, FoldersHolding(c.path)) << c.path;
}

// The folders as Windows sets them up, and as people make their own.
TEST(HelperPlaceRefusal, OnlyWhereOthersCouldChangeWhatWouldRunElevated) {
    const std::string Admins = AdministratorsSid;
    constexpr std::uint32_t AddFolder = 0x00000004;
    const TSecurityInfo driveRoot{
        TrustedInstallerSid,
        false,
        {Allow(Admins, FullControl), Allow(SystemSid, FullControl), Allow(Users, ReadAndExecute),
         Allow(AuthenticatedUsers, AddFolder), Allow(AuthenticatedUsers, Modify, true)}};
    const TSecurityInfo programFiles{
        TrustedInstallerSid,
        false,
        {Allow(TrustedInstallerSid, FullControl), Allow(SystemSid, Modify), Allow(Admins, Modify),
         Allow(Users, ReadAndExecute), Allow(CreatorOwnerSid, 0x10000000, true)}};
    const TSecurityInfo installed{Admins,
                                  false,
                                  {Allow(TrustedInstallerSid, FullControl),
                                   Allow(SystemSid, FullControl), Allow(Admins, FullControl),
                                   Allow(Users, ReadAndExecute)}};
    const TSecurityInfo usersOwn{
        User,
        false,
        {Allow(User, FullControl), Allow(SystemSid, FullControl), Allow(Admins, FullControl)}};
    // Made at the drive's root, it inherits Authenticated Users' right to change it.
    const TSecurityInfo atTheRoot{User,
                                  false,
                                  {Allow(Admins, FullControl), Allow(SystemSid, FullControl),
                                   Allow(Users, ReadAndExecute),
                                   Allow(AuthenticatedUsers, Modify)}};
    const TSecurityInfo othersOwn{Other, false, {Allow(Admins, FullControl)}};
    const TSecurityInfo othersAdd{Admins, false, {Allow(Admins, FullControl), Allow(Users, 0x6)}};
    const TSecurityInfo othersDeleteChild{
        Admins, false, {Allow(Admins, FullControl), Allow(Users, 0x40)}};

    using TFolders = std::vector<std::optional<TSecurityInfo>>;
    struct Case {
        const char* what;
        std::optional<TSecurityInfo> exe;
        TFolders folders;    // C:\A\B, C:\A, C:\ ; the exe is C:\A\B\Netvane.exe
        const char* refused; // nullptr: safe
    } cases[] = {
        {"Program Files", installed, {installed, programFiles, driveRoot}, nullptr},
        {"a folder of the user's own", usersOwn, {usersOwn, usersOwn, driveRoot}, nullptr},
        {"others may only add beside a folder above",
         installed,
         {installed, othersAdd, driveRoot},
         nullptr},
        {"the folder made at the root",
         installed,
         {atTheRoot, atTheRoot, driveRoot},
         "can change the folder \"C:\\A\\B\""},
        {"others may add files to its own folder",
         installed,
         {othersAdd, installed, driveRoot},
         "can change the folder \"C:\\A\\B\""},
        {"the program others may change",
         atTheRoot,
         {installed, installed, driveRoot},
         "can change the program \"C:\\A\\B\\Netvane.exe\""},
        {"the program owned by another",
         othersOwn,
         {installed, installed, driveRoot},
         "can change the program \"C:\\A\\B\\Netvane.exe\""},
        {"a folder above whose children others may remove",
         installed,
         {installed, othersDeleteChild, driveRoot},
         "can change the folder \"C:\\A\""},
        {"a folder above others may rename",
         installed,
         {installed, atTheRoot, driveRoot},
         "can change the folder \"C:\\A\""},
        {"a folder above owned by another",
         installed,
         {installed, othersOwn, driveRoot},
         "can change the folder \"C:\\A\""},
        {"a NULL access list on the root",
         installed,
         {installed, installed, TSecurityInfo{Admins, true, {}}},
         "can change the folder \"C:\\\""},
        {"its own folder unreadable",
         installed,
         {std::nullopt, installed, driveRoot},
         "cannot read who may change the folder \"C:\\A\\B\""},
        {"the program unreadable",
         std::nullopt,
         {installed, installed, driveRoot},
         "cannot read who may change the program \"C:\\A\\B\\Netvane.exe\""},
        {"a folder above unreadable",
         installed,
         {installed, installed, std::nullopt},
         "cannot read who may change the folder \"C:\\\""},
    };
    const std::vector<std::string> paths = FoldersHolding("C:\\A\\B\\Netvane.exe");
    for (const Case& c : cases) {
        THelperPlace place{User, "C:\\A\\B\\Netvane.exe", c.exe, {}};
        for (size_t i = 0; i < paths.size(); ++i)
            place.Folders.push_back({paths[i], c.folders[i]});
        const auto refusal = HelperPlaceRefusal(place);
        if (!c.refused) {
            EXPECT_FALSE(refusal) << c.what << ": " << *refusal;
            continue;
        }
        ASSERT_TRUE(refusal) << c.what;
        EXPECT_NE(std::string::npos, refusal->find(c.refused)) << c.what << ": " << *refusal;
        const std::string end =
            ". Move Netvane into a folder only administrators can change, such as Program Files.";
        EXPECT_EQ(refusal->size() - end.size(), refusal->rfind(end)) << *refusal;
    }
}
