#include "app/DataFolder.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>
#include <vector>

namespace {

const std::string Exe = "C:\\Program Files\\Netvane\\";
const std::string Roaming = "C:\\Users\\Ann\\AppData\\Roaming";
const std::string Own = Roaming + "\\Netvane\\";

// A machine of folders and files, and what the decision asked of it.
struct TFolders : IDataFolderSystem {
    bool ExeWritable = false, MakeFails = false;
    std::string AppData = Roaming;
    std::set<std::string> Files;
    std::vector<std::pair<std::string, std::string>> Copied;
    int AppDataAsked = 0;

    bool CanWrite(const std::string& folder) override { return ExeWritable && folder == Exe; }
    std::string AppDataFolder() override { return ++AppDataAsked, AppData; }
    bool MakeFolder(const std::string&) override { return !MakeFails; }
    bool CopyIfMissing(const std::string& from, const std::string& to) override {
        if (!Files.count(from) || !Files.insert(to).second)
            return false;
        Copied.emplace_back(from, to);
        return true;
    }
};

} // namespace

TEST(DataFolder, BesideTheProgramWhenWritableElseInTheUsersApplicationData) {
    struct TCase {
        const char* Name;
        bool ExeWritable;
        std::string AppData;
        bool MakeFails;
        std::string Expected;
    } cases[] = {
        {"a copy in a folder of the user's", true, Roaming, false, Exe},
        {"installed for all users", false, Roaming, false, Own},
        {"application data given with its separator", false, Roaming + "\\", false, Own},
        {"no application data known", false, "", false, Exe},
        {"its folder cannot be made", false, Roaming, true, Exe},
    };
    for (const TCase& c : cases) {
        TFolders folders;
        folders.ExeWritable = c.ExeWritable;
        folders.AppData = c.AppData;
        folders.MakeFails = c.MakeFails;
        EXPECT_EQ(c.Expected, ChooseDataFolder(Exe, folders)) << c.Name;
        EXPECT_EQ(c.ExeWritable ? 0 : 1, folders.AppDataAsked) << c.Name << ": the shell asked";
    }
}

// Settings left beside the program by a start with administrator rights move along once;
// what the user already has in the application data is never overwritten.
TEST(DataFolder, CarriesOverSettingsLeftBesideTheProgramWithoutReplacingAny) {
    TFolders folders;
    folders.Files = {Exe + "db", Exe + "config.ini", Exe + "netvane.log", Own + "config.ini"};
    EXPECT_EQ(Own, ChooseDataFolder(Exe, folders));
    EXPECT_EQ(decltype(folders.Copied)({{Exe + "db", Own + "db"}}), folders.Copied);
    EXPECT_EQ(Own, ChooseDataFolder(Exe, folders));
    EXPECT_EQ(1u, folders.Copied.size()) << "copied again over the user's own";
}
