#include "app/DataFolder.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>
#include <vector>

namespace {

// A machine of folders and files, and what the decision asked of it.
class TFolders : public IDataFolderSystem {
  public:
    std::set<std::string> Writable, Folders, Files;
    std::string AppData;
    bool MakeFails = false;
    std::vector<std::pair<std::string, std::string>> Copied;
    int AppDataAsked = 0;

    bool CanWrite(const std::string& folder) override { return Writable.count(folder) > 0; }
    std::string AppDataFolder() override {
        ++AppDataAsked;
        return AppData;
    }
    bool MakeFolder(const std::string& folder) override {
        if (!MakeFails)
            Folders.insert(folder);
        return Folders.count(folder) > 0;
    }
    bool CopyIfMissing(const std::string& from, const std::string& to) override {
        if (!Files.count(from) || Files.count(to))
            return false;
        Files.insert(to);
        Copied.emplace_back(from, to);
        return true;
    }
};

const std::string Exe = "C:\\Program Files\\Netvane\\";
const std::string Roaming = "C:\\Users\\Ann\\AppData\\Roaming";
const std::string Own = Roaming + "\\Netvane\\";

} // namespace

TEST(DataFolder, BesideTheProgramWhenWritableElseInTheUsersApplicationData) {
    struct TCase {
        const char* Name;
        bool ExeWritable;
        std::string AppData;
        bool MakeFails;
        std::string Expected;
    };
    const TCase cases[] = {
        {"a copy in a folder of the user's", true, Roaming, false, Exe},
        {"installed for all users", false, Roaming, false, Own},
        {"application data given with its separator", false, Roaming + "\\", false, Own},
        {"no application data known", false, "", false, Exe},
        {"its folder cannot be made", false, Roaming, true, Exe},
    };
    for (const TCase& c : cases) {
        TFolders folders;
        if (c.ExeWritable)
            folders.Writable.insert(Exe);
        folders.AppData = c.AppData;
        folders.MakeFails = c.MakeFails;
        EXPECT_EQ(c.Expected, ChooseDataFolder(Exe, folders)) << c.Name;
        // The shell is asked only for a program whose folder the user cannot write.
        EXPECT_EQ(c.ExeWritable ? 0 : 1, folders.AppDataAsked) << c.Name;
    }
}

// Settings left beside the program by a start with administrator rights move along once;
// what the user already has in the application data is never overwritten.
TEST(DataFolder, CarriesOverSettingsLeftBesideTheProgramWithoutReplacingAny) {
    TFolders folders;
    folders.AppData = Roaming;
    folders.Files = {Exe + "db", Exe + "config.ini", Exe + "netvane.log", Own + "config.ini"};
    EXPECT_EQ(Own, ChooseDataFolder(Exe, folders));
    const std::vector<std::pair<std::string, std::string>> copied = {{Exe + "db", Own + "db"}};
    EXPECT_EQ(copied, folders.Copied);

    folders.Copied.clear();
    EXPECT_EQ(Own, ChooseDataFolder(Exe, folders));
    EXPECT_TRUE(folders.Copied.empty()) << "copied again over the user's own";
}
