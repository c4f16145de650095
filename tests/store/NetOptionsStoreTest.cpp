// A setting's DNS suffix and proxy parts in the file and in a CSV file: stored in a table of
// their own that goes with its setting, read back as written, and refused by the rules.

#include "store/CsvExchange.h"
#include "store/ProfileStore.h"

#include "RawDatabase.h"
#include "support/Error.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace {

const TNetOptions Office = {"corp.example", "*.corp.example;<local>", "http://wpad/p.pac", true};

void AddSetting(TProfileTable& table, const std::string& title, const TNetOptions& options) {
    table.Insert();
    table.SetFieldText("Adapter", "{A1}");
    table.SetFieldText("Title", title);
    table.SetFieldText("Address", "10.0.0.5");
    table.SetFieldText("Submask", "255.255.255.0");
    TSettingExtras extras;
    extras.Options = options;
    table.SetFieldExtras(extras);
    table.Post();
}

} // namespace

TEST(NetOptionsStore, ValuesComeBackWithTheirSettingAndGoWithIt) {
    TTempFolder dir;
    const std::string path = dir / "db";
    CreateProfileDatabase(path);
    {
        TProfileTable table;
        table.Open(path);
        AddSetting(table, "Office", Office);
        AddSetting(table, "Detect only", {"", "", "", true});
        AddSetting(table, "Plain", {});
    }
    TProfileTable reopened;
    reopened.Open(path);
    EXPECT_EQ(Office, reopened.Extras(0).Options);
    EXPECT_EQ((TNetOptions{"", "", "", true}), reopened.Extras(1).Options);
    EXPECT_TRUE(reopened.Extras(2).Empty());
    TRawDatabase raw(path);
    EXPECT_EQ(5u, raw.Column("SELECT Name FROM IPNetOptions").size()); // only values set
    raw.Exec("DELETE FROM IPInfo WHERE ID = 1"); // as an older program deletes
    EXPECT_EQ(std::vector<std::string>{"2"}, raw.Column("SELECT SettingID FROM IPNetOptions"));
}

TEST(NetOptionsStore, ACsvFileCarriesTheValuesBothWaysAndTheRulesJudgeThem) {
    TCsvSetting office{"Office", "10.0.0.5", "255.0.0.0"};
    TSettingExtras extras;
    extras.Options = Office;
    SetCsvExtras(office, extras);
    const TCsvSetting plain{"Plain", "10.0.0.6", "255.0.0.0"};
    const std::string bytes = WriteSettingsCsv({office, plain});
    EXPECT_EQ(0u, bytes.find("Title,Address,Submask,Gateway,DNS1,DNS2,Proxy,MoreAddresses,"
                             "MoreGateways,DnsSuffix,ProxyExceptions,ProxyScript,"
                             "ProxyAutoDetect\r\n"));
    EXPECT_NE(std::string::npos, bytes.find("Plain,10.0.0.6,255.0.0.0,,,,,,,,,,0\r\n"));
    const std::vector<TCsvSetting> read = ReadSettingsCsv(bytes);
    ASSERT_EQ(2u, read.size());
    EXPECT_EQ(Office, CsvExtras(read[0]).Options);
    EXPECT_TRUE(CsvExtras(read[1]).Empty());
    // A rule's refusal names the column.
    const std::string header = "Title,Address,Submask,DnsSuffix,ProxyAutoDetect\r\n";
    for (const auto& [line, error] :
         {std::pair{"A,10.0.0.5,255.0.0.0,corp..x,", "Line 2: DnsSuffix \"corp..x\" has an empty part"},
          std::pair{"A,10.0.0.5,255.0.0.0,,yes", "Line 2: ProxyAutoDetect must be 1, 0 or blank"}}) {
        try {
            ReadSettingsCsv(header + line + "\r\n");
            ADD_FAILURE() << line;
        } catch (const TError& e) {
            EXPECT_EQ(0u, std::string(e.what()).find(error)) << e.what();
        }
    }
    // Without any of them the file is written as it always was.
    EXPECT_EQ(0u, WriteSettingsCsv({plain}).find("Title,Address,Submask,Gateway,DNS1,DNS2,Proxy,"
                                                 "MoreAddresses,MoreGateways\r\n"));
}
