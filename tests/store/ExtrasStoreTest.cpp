// A setting's further addresses and gateways in the file: the table of their own, its
// arrival in an older file, its rows going with their setting, and a file that cannot get it.

#include "store/ProfileStore.h"

#include "RawDatabase.h"
#include "WithoutWriteRights.h"
#include "support/Error.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace {

const std::string Adapter = "{A1000000-0000-0000-0000-000000000000}";
const TSettingExtras Lab = {
    20, {{"192.168.0.10", "255.255.255.0"}, {"172.16.1.2", "255.255.0.0"}}, {{"192.168.0.254", 7}}};

std::vector<std::string> Tables(const std::string& path) {
    TRawDatabase raw(path);
    return raw.Column("SELECT name FROM sqlite_master WHERE type = 'table' AND name LIKE 'IP%' "
                      "ORDER BY name");
}

void AddSetting(TProfileTable& table, const std::string& title, const TSettingExtras& extras) {
    table.Insert();
    table.SetFieldText("Adapter", Adapter);
    table.SetFieldText("Title", title);
    table.SetFieldText("Address", "10.0.0.5");
    table.SetFieldText("Submask", "255.255.255.0");
    table.SetFieldText("Gateway", "10.0.0.1");
    table.SetFieldExtras(extras);
    table.Post();
}

} // namespace

TEST(ExtrasStore, AnOlderFileGetsTheTableAndTheExtrasComeBackInOrderWithTheirSetting) {
    TTempFolder dir;
    const std::string path = dir / "db";
    CreateProfileDatabase(path); // IPInfo alone, as an older program's file
    EXPECT_EQ(std::vector<std::string>{"IPInfo"}, Tables(path));
    {
        TProfileTable table;
        table.Open(path);
        EXPECT_EQ((std::vector<std::string>{"IPExtras", "IPInfo", "IPNetOptions", "IPUseWhen"}),
                  Tables(path));
        AddSetting(table, "Lab", Lab);
        AddSetting(table, "Plain", {});
        table.MoveTo(0);
        table.Edit();
        TSettingExtras changed = Lab;
        changed.MoreAddresses.pop_back();
        table.SetFieldExtras(changed);
        table.Post();
    }
    TProfileTable reopened;
    reopened.Open(path);
    TSettingExtras expected = Lab;
    expected.MoreAddresses.pop_back();
    EXPECT_EQ(expected, reopened.Extras(0));
    EXPECT_TRUE(reopened.Extras(1).Empty());
    // IPInfo holds the first address and gateway as before: what an older program reads.
    EXPECT_EQ((std::vector<std::vector<std::string>>{{Adapter, "Lab", "10.0.0.5", "255.255.255.0", "10.0.0.1", "", "", ""},
                                                     {Adapter, "Plain", "10.0.0.5", "255.255.255.0", "10.0.0.1", "", "", ""}}),
              StoredSettings(path));
}

TEST(ExtrasStore, DeletingASettingRemovesItsExtrasWhicheverProgramDeletesIt) {
    TTempFolder dir;
    const std::string path = dir / "db";
    CreateProfileDatabase(path);
    TProfileTable table;
    table.Open(path);
    AddSetting(table, "First", Lab);
    AddSetting(table, "Second", Lab);
    table.MoveTo(0);
    table.DeleteCurrent();
    TRawDatabase raw(path);
    EXPECT_EQ((std::vector<std::string>{"2", "2", "2", "2"}),
              raw.Column("SELECT SettingID FROM IPExtras"));
    raw.Exec("DELETE FROM IPInfo WHERE ID = 2"); // as an older program deletes
    EXPECT_TRUE(raw.Column("SELECT SettingID FROM IPExtras").empty());
}

TEST(ExtrasStore, AFailingExtraStoresNeitherTheRowNorItsExtras) {
    TTempFolder dir;
    const std::string path = dir / "db";
    CreateProfileDatabase(path);
    TProfileTable table;
    table.Open(path);
    TSettingExtras tooLong = Lab;
    tooLong.MoreAddresses[0].Submask = std::string(16, '9');
    EXPECT_THROW(AddSetting(table, "Lab", tooLong), TError);
    EXPECT_TRUE(StoredSettings(path).empty());
    TRawDatabase raw(path);
    EXPECT_TRUE(raw.Column("SELECT SettingID FROM IPExtras").empty());
}

TEST(ExtrasStore, AReadOnlyOlderFileOpensWithoutExtrasAndStaysAsItWas) {
    TTempFolder dir;
    const std::string path = dir / "db";
    CreateProfileDatabase(path);
    SetReadOnly(path, true);
    const auto outcome = RunWithoutWriteRights([&] { return !CanWriteFile(path); }, [&] {
        TProfileTable table;
        table.Open(path);
        return std::to_string(table.ReadOnly()) + " " + std::to_string(table.FieldExtras().Empty());
    });
    SetReadOnly(path, false);
    if (!outcome)
        GTEST_SKIP() << "permission bits do not stop this user's writes";
    EXPECT_EQ("1 1", *outcome);
    EXPECT_EQ(std::vector<std::string>{"IPInfo"}, Tables(path));
}

// Conditions in a table of their own: an older file gets it, a change of the conditions alone
// is stored, and they go with their setting whichever program deletes it.
TEST(ExtrasStore, ConditionsComeBackWithTheirSettingAndGoWithIt) {
    TTempFolder dir;
    const std::string path = dir / "db";
    CreateProfileDatabase(path);
    TSettingExtras office;
    office.UseWhen = "gateway=10.1.0.1";
    TSettingExtras both = Lab;
    both.UseWhen = "ssid=Lab";
    {
        TProfileTable table;
        table.Open(path);
        AddSetting(table, "Office", office);
        AddSetting(table, "Lab", both);
        AddSetting(table, "Plain", {});
        table.MoveTo(0);
        table.Edit();
        office.UseWhen = "gateway=10.1.0.1;dnssuffix=corp.example";
        table.SetFieldExtras(office);
        table.Post();
    }
    TProfileTable reopened;
    reopened.Open(path);
    EXPECT_EQ(office, reopened.Extras(0));
    EXPECT_EQ(both, reopened.Extras(1));
    EXPECT_TRUE(reopened.Extras(2).Empty());
    TRawDatabase raw(path);
    raw.Exec("DELETE FROM IPInfo WHERE Title = 'Office'"); // as an older program deletes
    EXPECT_EQ((std::vector<std::vector<std::string>>{{"2", "ssid=Lab"}}),
              raw.Rows("SELECT SettingID, Conditions FROM IPUseWhen"));
}
