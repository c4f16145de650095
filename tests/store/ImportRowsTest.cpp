// Many rows stored at once, as an import stores them: all or none, identical rows skipped.

#include "store/ProfileStore.h"

#include "RawDatabase.h"
#include "support/Error.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace {

const std::string AdapterA = "{A1000000-0000-0000-0000-000000000000}";
const std::string AdapterB = "{B1000000-0000-0000-0000-000000000000}";

TProfileTable::TRowValues Row(const std::string& adapter, const std::string& title,
                              const std::string& address = "10.0.0.1") {
    return {adapter, title, address, "255.0.0.0", "", "", "", ""};
}

class ImportRows : public testing::Test {
  protected:
    ImportRows() : path_(dir_ / "db") {
        CreateProfileDatabase(path_);
        table_.Open(path_);
        table_.Insert();
        table_.SetFieldText("Adapter", AdapterA);
        table_.SetFieldText("Title", "Office");
        table_.SetFieldText("Address", "10.0.0.1");
        table_.SetFieldText("Submask", "255.0.0.0");
        table_.Post();
        table_.SetAdapterFilter(AdapterB);
    }

    std::vector<std::vector<std::string>> FileRows() {
        TRawDatabase raw(path_);
        return raw.Rows("SELECT Adapter, Title, Address FROM IPInfo ORDER BY ID");
    }

    TTempFolder dir_;
    std::string path_;
    TProfileTable table_;
};

} // namespace

TEST_F(ImportRows, StoresEveryNewRowOnceAndSkipsIdenticalOnes) {
    int changes = 0;
    table_.SetOnChange([&] { ++changes; });
    const int stored = table_.AppendDistinctRows({
        Row(AdapterB, "Office"), // same title, other adapter: new
        Row(AdapterA, "Office"), // identical to the stored row: skipped
        Row(AdapterB, "Lab", "10.0.0.2"),
        Row(AdapterB, "Lab", "10.0.0.2"), // twice in the list: once
        Row(AdapterB, "Lab", "10.0.0.3"), // differs in one field: new
    });
    EXPECT_EQ(3, stored);
    EXPECT_EQ(1, changes);
    EXPECT_EQ((std::vector<std::vector<std::string>>{{AdapterA, "Office", "10.0.0.1"},
                                                     {AdapterB, "Office", "10.0.0.1"},
                                                     {AdapterB, "Lab", "10.0.0.2"},
                                                     {AdapterB, "Lab", "10.0.0.3"}}),
              FileRows());
    ASSERT_EQ(3, table_.RowCount()); // the restricted view shows them at once
    EXPECT_EQ("Lab", table_.Text(2, 2));
    EXPECT_EQ(0, table_.CurrentRow());

    // The same list again stores nothing, also when reopened from the file.
    TProfileTable reopened;
    reopened.Open(path_);
    EXPECT_EQ(0, reopened.AppendDistinctRows({Row(AdapterB, "Lab", "10.0.0.3")}));
}

TEST_F(ImportRows, AFailingRowStoresNothingAndLeavesTheViewAlone) {
    const auto before = FileRows();
    try {
        table_.AppendDistinctRows(
            {Row(AdapterB, "First"), Row(AdapterB, std::string(21, 'T')), Row(AdapterB, "Third")});
        ADD_FAILURE() << "no error";
    } catch (const TError& error) {
        EXPECT_NE(std::string::npos,
                  std::string(error.what()).find("Title is limited to 20 characters"))
            << error.what();
    }
    EXPECT_EQ(before, FileRows());
    EXPECT_EQ(0, table_.RowCount());
    // The connection is usable afterwards: the transaction was rolled back.
    EXPECT_EQ(1, table_.AppendDistinctRows({Row(AdapterB, "First")}));
}

TEST_F(ImportRows, IsRefusedWhileARowIsPending) {
    table_.Insert();
    EXPECT_THROW(table_.AppendDistinctRows({Row(AdapterB, "Lab")}), TError);
    EXPECT_EQ(TViewState::Insert, table_.State());
    EXPECT_EQ(1u, FileRows().size());
}
