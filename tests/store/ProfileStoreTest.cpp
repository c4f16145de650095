#include "store/ProfileStore.h"

#include "RawDatabase.h"
#include "WithoutWriteRights.h"
#include "support/Error.h"
#include "support/FileSystem.h"
#include "support/TempFolder.h"

#include <gmock/gmock.h>

#include <chrono>
#include <filesystem>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#endif

using testing::ElementsAre;
using testing::HasSubstr;
using testing::StartsWith;
using testing::UnorderedElementsAre;
using namespace std::string_literals;

namespace {

const char* const AdapterA = "{A0000000-0000-0000-0000-000000000000}";
const char* const AdapterB = "{B0000000-0000-0000-0000-000000000000}";

// A fresh database "db" in a temporary folder.
class ProfileStore : public testing::Test {
  protected:
    ProfileStore() : path_(dir_ / "db") { CreateProfileDatabase(path_); }

    // Rows written by another program: Adapter, Title, DNS1 (the other columns empty).
    void Seed(const std::vector<std::vector<std::string>>& rows) {
        TRawDatabase raw(path_);
        for (const auto& row : rows)
            raw.ExecWith("INSERT INTO IPInfo(Adapter, Title, DNS1) VALUES(?, ?, ?)", row);
    }

    // What the file holds, read on a connection of its own.
    std::vector<std::vector<std::string>>
    FileRows(const std::string& columns = "ID, Adapter, Title") {
        TRawDatabase raw(path_);
        return raw.Rows("SELECT " + columns + " FROM IPInfo ORDER BY ID");
    }

    std::vector<std::string> VisibleTitles(const TProfileTable& table) {
        std::vector<std::string> titles;
        for (int row = 0; row < table.RowCount(); ++row)
            titles.push_back(table.Text(row, 2));
        return titles;
    }

    void AddRow(TProfileTable& table, const std::string& adapter, const std::string& title) {
        table.Insert();
        table.SetFieldText("Adapter", adapter);
        table.SetFieldText("Title", title);
        table.Post();
    }

    TTempFolder dir_;
    std::string path_;
};

std::string ErrorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "no error";
}

} // namespace

TEST_F(ProfileStore, CreationMakesOnlyTheFileWithTheEmptyTable) {
    EXPECT_THAT(FolderEntries(dir_.Path()), ElementsAre("db"));
    TRawDatabase raw(path_);
    EXPECT_THAT(raw.Column("SELECT name FROM pragma_table_info('IPInfo')"),
                ElementsAre("ID", "Adapter", "Title", "Address", "Submask", "Gateway", "DNS1",
                            "DNS2", "Proxy", "Field1", "Field2", "Field3"));
    EXPECT_THAT(raw.Column("SELECT count(*) FROM IPInfo"), ElementsAre("0"));
    EXPECT_THAT(raw.Column("PRAGMA journal_mode"), ElementsAre("delete"));
}

TEST_F(ProfileStore, CreationNeverReplacesAFile) {
    const std::string before = GetFile(path_);
    EXPECT_THAT(ErrorOf([&] { CreateProfileDatabase(path_); }), HasSubstr("exists already"));
    EXPECT_EQ(before, GetFile(path_));
    EXPECT_THAT(FolderEntries(dir_.Path()), ElementsAre("db"));
}

TEST_F(ProfileStore, CreationReplacesALeftoverOfAnInterruptedStart) {
    TTempFolder other;
    PutFile(other / "db.netvane-new", "half-built database of a start that was cut off");
    CreateProfileDatabase(other / "db");
    EXPECT_THAT(FolderEntries(other.Path()), ElementsAre("db"));
    TProfileTable table;
    table.Open(other / "db");
    EXPECT_EQ(0, table.RowCount());
}

TEST_F(ProfileStore, TheViewHasNineFieldsWithTheEditorsSizes) {
    std::vector<std::string> names;
    std::vector<int> sizes;
    for (const TFieldDef& f : TProfileTable::Fields()) {
        names.push_back(f.Name);
        sizes.push_back(f.Size);
    }
    EXPECT_THAT(names, ElementsAre("ID", "Adapter", "Title", "Address", "Submask", "Gateway",
                                   "DNS1", "DNS2", "Proxy"));
    EXPECT_THAT(sizes, ElementsAre(0, 128, 20, 15, 15, 15, 15, 15, 100));
}

TEST_F(ProfileStore, TheStoreNumbersRowsFromOne) {
    TProfileTable table;
    table.Open(path_);
    AddRow(table, AdapterA, "home");
    AddRow(table, AdapterA, "office");
    EXPECT_EQ("1", table.Text(0, 0));
    EXPECT_EQ("2", table.FieldText("id"));
    EXPECT_THAT(FileRows(), ElementsAre(ElementsAre("1", AdapterA, "home"),
                                        ElementsAre("2", AdapterA, "office")));
}

TEST_F(ProfileStore, TheRestrictionShowsOneAdaptersRowsAndMovesToTheFirst) {
    Seed({{AdapterA, "a1", ""}, {AdapterB, "b1", ""}, {AdapterA, "a2", ""}, {AdapterB, "b2", ""}});
    TProfileTable table;
    table.Open(path_);
    EXPECT_THAT(VisibleTitles(table), ElementsAre("a1", "b1", "a2", "b2"));

    table.MoveTo(3);
    table.SetAdapterFilter(AdapterB);
    EXPECT_THAT(VisibleTitles(table), ElementsAre("b1", "b2"));
    EXPECT_EQ(0, table.CurrentRow());
    EXPECT_EQ("b1", table.FieldText("Title"));

    table.MoveTo(1);
    table.SetAdapterFilter(AdapterA);
    EXPECT_EQ(0, table.CurrentRow());
    EXPECT_EQ("a1", table.FieldText("TITLE"));

    table.SetAdapterFilter("{no such adapter}");
    EXPECT_EQ(0, table.RowCount());
    EXPECT_EQ(-1, table.CurrentRow());
    EXPECT_EQ("", table.FieldText("Title"));

    table.ClearFilter();
    EXPECT_EQ(4, table.RowCount());
    EXPECT_EQ(0, table.CurrentRow());
}

TEST_F(ProfileStore, TheRestrictionIgnoresTheCaseOfAsciiLettersAndMatchesAllElseExactly) {
    Seed({{"it's", "quote", ""},
          {"it''s", "doubled", ""},
          {"IT'S", "upper", ""},
          {"it's ", "blank", ""},
          {"' OR ''='", "injection", ""},
          {"[x]", "bracket", ""},
          {"{x}", "brace", ""},
          {"{a0000000-0000-0000-0000-00000000000f}", "guid", ""}});
    TProfileTable table;
    table.Open(path_);
    struct Case {
        std::string adapter;
        std::vector<std::string> titles;
    } cases[] = {
        {"it's", {"quote", "upper"}},
        {"IT'S", {"quote", "upper"}},
        {"iT'S", {"quote", "upper"}},
        {"it''s", {"doubled"}},
        {"' OR ''='", {"injection"}},
        {"'", {}},
        // "[" and "{" differ by the same bit as "X" and "x", but are no letters.
        {"[X]", {"bracket"}},
        {"{X}", {"brace"}},
        {"{A0000000-0000-0000-0000-00000000000F}", {"guid"}},
    };
    for (const auto& c : cases) {
        table.SetAdapterFilter(c.adapter);
        EXPECT_EQ(c.titles, VisibleTitles(table)) << c.adapter;
    }
}

TEST_F(ProfileStore, ANewRowWhoseAdapterDiffersOnlyInCaseStaysInTheView) {
    TProfileTable table;
    table.Open(path_);
    table.SetAdapterFilter("{abc}");
    AddRow(table, "{ABC}", "upper");
    EXPECT_THAT(VisibleTitles(table), ElementsAre("upper"));
    EXPECT_EQ(0, table.CurrentRow());
}

TEST_F(ProfileStore, TheRestrictionIsKeptWhileClosedAndAppliedAtOpen) {
    Seed({{AdapterA, "a", ""}, {AdapterB, "b", ""}});
    TProfileTable table;
    table.SetAdapterFilter(AdapterB);
    table.Open(path_);
    EXPECT_THAT(VisibleTitles(table), ElementsAre("b"));
}

TEST_F(ProfileStore, ANewRowReachesTheFileAtOnceAndBecomesCurrent) {
    Seed({{AdapterA, "first", ""}, {AdapterB, "other", ""}});
    TProfileTable table;
    table.Open(path_);
    table.SetAdapterFilter(AdapterA);
    table.Insert();
    EXPECT_EQ(TViewState::Insert, table.State());
    EXPECT_EQ("", table.FieldText("Title"));
    EXPECT_EQ("", table.FieldText("ID"));
    table.SetFieldText("Adapter", AdapterA);
    table.SetFieldText("title", "second");
    table.SetFieldText("Address", "10.0.0.2");
    EXPECT_EQ("second", table.FieldText("Title")) << "the pending value";
    EXPECT_THAT(FileRows(), testing::SizeIs(2)) << "nothing stored before Post";
    table.Post();

    EXPECT_EQ(TViewState::Browse, table.State());
    EXPECT_THAT(VisibleTitles(table), ElementsAre("first", "second"));
    EXPECT_EQ(1, table.CurrentRow());
    EXPECT_EQ("3", table.FieldText("ID"));
    EXPECT_THAT(FileRows("ID, Title, Address, Gateway"),
                ElementsAre(ElementsAre("1", "first", "<null>", "<null>"),
                            ElementsAre("2", "other", "<null>", "<null>"),
                            ElementsAre("3", "second", "10.0.0.2", "<null>")));
}

TEST_F(ProfileStore, ANewRowOfAnotherAdapterIsStoredButNotShown) {
    Seed({{AdapterA, "a1", ""}, {AdapterA, "a2", ""}});
    TProfileTable table;
    table.Open(path_);
    table.SetAdapterFilter(AdapterA);
    table.MoveTo(1);
    AddRow(table, AdapterB, "b");
    EXPECT_THAT(VisibleTitles(table), ElementsAre("a1", "a2"));
    EXPECT_EQ(1, table.CurrentRow());
    EXPECT_THAT(FileRows(), testing::SizeIs(3));
    table.ClearFilter();
    EXPECT_THAT(VisibleTitles(table), ElementsAre("a1", "a2", "b"));
}

TEST_F(ProfileStore, CancelDiscardsThePendingRowOrChange) {
    Seed({{AdapterA, "a1", ""}, {AdapterA, "a2", ""}});
    TProfileTable table;
    table.Open(path_);
    table.MoveTo(1);
    table.Insert();
    table.SetFieldText("Title", "never");
    table.Cancel();
    EXPECT_EQ(TViewState::Browse, table.State());
    EXPECT_EQ(1, table.CurrentRow());
    EXPECT_EQ("a2", table.FieldText("Title"));

    table.Edit();
    table.SetFieldText("Title", "changed");
    EXPECT_EQ("changed", table.FieldText("Title"));
    EXPECT_EQ("a2", table.Text(1, 2)) << "the grid shows the stored value meanwhile";
    table.Cancel();
    EXPECT_EQ("a2", table.FieldText("Title"));
    EXPECT_THAT(FileRows(),
                ElementsAre(ElementsAre("1", AdapterA, "a1"), ElementsAre("2", AdapterA, "a2")));
}

TEST_F(ProfileStore, AnEditReachesTheFileAtOnce) {
    Seed({{AdapterA, "a1", "1.1.1.1"}, {AdapterA, "a2", "2.2.2.2"}});
    TProfileTable table;
    table.Open(path_);
    table.MoveTo(1);
    table.Edit();
    EXPECT_EQ("2", table.FieldText("ID"));
    table.SetFieldText("Title", "renamed");
    table.SetFieldText("Gateway", "10.0.0.1");
    table.Post();
    EXPECT_EQ("renamed", table.Text(1, 2));
    EXPECT_EQ(1, table.CurrentRow());
    EXPECT_THAT(FileRows("ID, Title, DNS1, Gateway, Proxy"),
                ElementsAre(ElementsAre("1", "a1", "1.1.1.1", "<null>", "<null>"),
                            ElementsAre("2", "renamed", "2.2.2.2", "10.0.0.1", "<null>")))
        << "untouched fields keep their values, empty ones stay empty";
}

TEST_F(ProfileStore, DeleteRemovesTheRowFromTheFileAtOnce) {
    Seed({{AdapterA, "a1", ""}, {AdapterB, "b1", ""}, {AdapterA, "a2", ""}, {AdapterA, "a3", ""}});
    TProfileTable table;
    table.Open(path_);
    table.SetAdapterFilter(AdapterA);
    table.MoveTo(1);
    table.DeleteCurrent();
    EXPECT_THAT(VisibleTitles(table), ElementsAre("a1", "a3"));
    EXPECT_EQ(1, table.CurrentRow()) << "the next row";
    EXPECT_THAT(TRawDatabase(path_).Column("SELECT Title FROM IPInfo ORDER BY ID"),
                ElementsAre("a1", "b1", "a3"));

    table.DeleteCurrent();
    EXPECT_EQ(0, table.CurrentRow()) << "the new last row";
    table.DeleteCurrent();
    EXPECT_EQ(-1, table.CurrentRow());
    EXPECT_THAT(ErrorOf([&] { table.DeleteCurrent(); }), HasSubstr("empty dataset"));
    EXPECT_THAT(ErrorOf([&] { table.Edit(); }), HasSubstr("empty dataset"));
    table.ClearFilter();
    EXPECT_THAT(VisibleTitles(table), ElementsAre("b1"));
    EXPECT_THAT(TRawDatabase(path_).Column("SELECT Title FROM IPInfo"), ElementsAre("b1"));
}

TEST_F(ProfileStore, AnEditedRowThatLeavesTheRestrictionLeavesTheView) {
    Seed({{AdapterA, "a1", ""}, {AdapterA, "a2", ""}});
    TProfileTable table;
    table.Open(path_);
    table.SetAdapterFilter(AdapterA);
    table.MoveTo(1);
    table.Edit();
    table.SetFieldText("Adapter", AdapterB);
    table.Post();
    EXPECT_THAT(VisibleTitles(table), ElementsAre("a1"));
    EXPECT_EQ(0, table.CurrentRow());
    table.SetAdapterFilter(AdapterB);
    EXPECT_THAT(VisibleTitles(table), ElementsAre("a2"));
}

TEST_F(ProfileStore, SwitchingTheRestrictionStoresAPendingRowFirst) {
    TProfileTable table;
    table.Open(path_);
    table.Insert();
    table.SetFieldText("Adapter", AdapterA);
    table.SetFieldText("Title", "pending");
    table.SetAdapterFilter(AdapterA);
    EXPECT_EQ(TViewState::Browse, table.State());
    EXPECT_THAT(FileRows(), ElementsAre(ElementsAre("1", AdapterA, "pending")));

    table.Insert();
    table.SetFieldText("Title", std::string(21, 'x'));
    EXPECT_THROW(table.SetAdapterFilter(AdapterB), TError);
    EXPECT_EQ(TViewState::Insert, table.State()) << "nothing lost when it cannot be stored";
    EXPECT_THAT(VisibleTitles(table), ElementsAre("pending")) << "restriction unchanged";
}

TEST_F(ProfileStore, ATooLongValueIsRefusedWithItsColumnAndWidthAndKeptPending) {
    struct Case {
        const char* field;
        size_t width;
    } cases[] = {{"Adapter", 80}, {"Title", 20}, {"Address", 15}, {"Submask", 15},
                 {"Gateway", 15}, {"DNS1", 15},  {"DNS2", 15},    {"Proxy", 100}};
    TProfileTable table;
    table.Open(path_);
    for (const auto& c : cases) {
        table.Insert();
        table.SetFieldText(c.field, std::string(c.width + 1, 'x'));
        EXPECT_EQ("Cannot store the network setting: " + std::string(c.field) + " is limited to " +
                      std::to_string(c.width) + " characters",
                  ErrorOf([&] { table.Post(); }));
        EXPECT_EQ(TViewState::Insert, table.State()) << c.field;
        EXPECT_EQ(std::string(c.width + 1, 'x'), table.FieldText(c.field)) << "never cut";
        table.SetFieldText(c.field, std::string(c.width, 'x'));
        table.Post();
        EXPECT_EQ(std::string(c.width, 'x'), table.FieldText(c.field));
    }
    TRawDatabase raw(path_);
    EXPECT_THAT(raw.Column("SELECT count(*) FROM IPInfo"), ElementsAre("8"));
    EXPECT_THAT(ErrorOf([&] {
                    raw.Exec("INSERT INTO IPInfo(Field2) VALUES('" + std::string(51, 'x') + "')");
                }),
                HasSubstr("Field2 is limited to 50 characters"))
        << "the file itself keeps the widths";
}

TEST_F(ProfileStore, AnEditThatFailsIsKeptForTheCallerToCancel) {
    Seed({{AdapterA, "a1", ""}});
    TProfileTable table;
    table.Open(path_);
    table.Edit();
    table.SetFieldText("Title", std::string(21, 't'));
    EXPECT_THROW(table.Post(), TError);
    EXPECT_EQ(TViewState::Edit, table.State());
    table.Cancel();
    EXPECT_EQ("a1", table.FieldText("Title"));
    EXPECT_THAT(FileRows(), ElementsAre(ElementsAre("1", AdapterA, "a1")));
}

TEST_F(ProfileStore, FieldsAreSetOnlyWhilePendingAndNeverTheId) {
    Seed({{AdapterA, "a1", ""}});
    TProfileTable table;
    table.Open(path_);
    EXPECT_THAT(ErrorOf([&] { table.SetFieldText("Title", "x"); }), HasSubstr("not in edit"));
    table.Edit();
    EXPECT_THAT(ErrorOf([&] { table.SetFieldText("ID", "7"); }), HasSubstr("cannot be modified"));
    EXPECT_EQ("Field 'Field1' not found", ErrorOf([&] { table.SetFieldText("Field1", "x"); }));
    EXPECT_EQ("Field 'Nope' not found", ErrorOf([&] { table.FieldText("Nope"); }));
    table.MoveTo(5);
    EXPECT_EQ(TViewState::Edit, table.State()) << "no move while a change is pending";
}

TEST_F(ProfileStore, AClosedViewRefusesWorkButTheGridReadsNothing) {
    TProfileTable table;
    EXPECT_FALSE(table.Active());
    for (const auto& action : std::vector<std::function<void()>>{
             [&] { table.RowCount(); }, [&] { table.Insert(); }, [&] { table.Edit(); },
             [&] { table.Post(); }, [&] { table.DeleteCurrent(); },
             [&] { table.FieldText("Title"); }})
        EXPECT_EQ("Cannot perform this operation on a closed dataset", ErrorOf(action));
    EXPECT_EQ("", table.Text(0, 0));
    EXPECT_EQ(-1, table.CurrentRow());
    table.Open(path_);
    EXPECT_TRUE(table.Active());
    EXPECT_EQ(path_, table.DatabasePath());
    EXPECT_EQ("", table.Text(0, 9));
    EXPECT_EQ("", table.Text(-1, 1));
}

TEST_F(ProfileStore, TheViewIsASnapshotOfTheFileAtOpen) {
    TProfileTable table;
    table.Open(path_);
    Seed({{AdapterA, "written elsewhere", ""}});
    EXPECT_EQ(0, table.RowCount());
    table.Open(path_);
    EXPECT_THAT(VisibleTitles(table), ElementsAre("written elsewhere"));
}

TEST_F(ProfileStore, AStoreElsewhereIsFollowedKeepingTheCurrentRowAndAPendingChange) {
    struct Case {
        const char* what;
        std::function<void(TProfileTable&)> elsewhere; // another copy of the program
        std::vector<std::string> titles;
        std::string current;
        bool pending = false; // the view holds a change typed meanwhile
    } cases[] = {
        {"nothing", nullptr, {"a1", "a2", "a3"}, "a2"},
        {"a row added, the first deleted",
         [&](TProfileTable& t) { AddRow(t, AdapterA, "a4"), t.MoveTo(0), t.DeleteCurrent(); },
         {"a2", "a3", "a4"},
         "a2"},
        {"the current row deleted",
         [](TProfileTable& t) { t.MoveTo(1), t.DeleteCurrent(); },
         {"a1", "a3"},
         "a3"},
        {"the current row changed, its extras too",
         [](TProfileTable& t) {
             t.MoveTo(1), t.Edit(), t.SetFieldText("Title", "a2 renamed");
             t.SetFieldText("Gateway", "10.0.0.1"), t.SetFieldExtras({7, {}, {}}), t.Post();
         },
         {"a1", "a2 renamed", "a3"},
         "a2 renamed"},
        {"while a change is pending",
         [&](TProfileTable& t) { AddRow(t, AdapterA, "a4"); },
         {"a1", "a2", "a3"},
         "typed",
         true},
    };
    for (const Case& c : cases) {
        std::filesystem::remove(path_);
        CreateProfileDatabase(path_);
        Seed({{AdapterA, "a1", ""}, {AdapterA, "a2", ""}, {AdapterA, "a3", ""}});
        TProfileTable table;
        table.Open(path_);
        table.SetAdapterFilter(AdapterA);
        AddRow(table, AdapterB, "ours"); // the view's own stores are no change from elsewhere
        table.MoveTo(1);
        if (c.pending)
            table.Edit(), table.SetFieldText("Title", "typed");
        TProfileTable other;
        if (c.elsewhere)
            other.Open(path_), other.SetAdapterFilter(AdapterA), c.elsewhere(other);
        EXPECT_EQ(c.elsewhere && !c.pending, table.ReloadWhenChangedElsewhere()) << c.what;
        EXPECT_EQ(c.titles, VisibleTitles(table)) << c.what;
        EXPECT_EQ(c.current, table.FieldText("Title")) << c.what;
        if (c.pending) { // stored, then the rows as they are now
            table.Post();
            EXPECT_TRUE(table.ReloadWhenChangedElsewhere()) << c.what;
            EXPECT_THAT(VisibleTitles(table), ElementsAre("a1", "typed", "a3", "a4"));
        }
        EXPECT_FALSE(table.ReloadWhenChangedElsewhere()) << c.what << ": read once";
        EXPECT_EQ(c.current == "a2 renamed" ? 7u : 0u, table.Extras(1).GatewayMetric) << c.what;
    }
}

TEST_F(ProfileStore, EveryVisibleChangeIsAnnounced) {
    Seed({{AdapterA, "a1", ""}, {AdapterA, "a2", ""}});
    TProfileTable table;
    int changes = 0;
    table.SetOnChange([&] { ++changes; });
    const auto announces = [&](const char* what, const std::function<void()>& action) {
        const int before = changes;
        action();
        EXPECT_GT(changes, before) << what;
    };
    announces("open", [&] { table.Open(path_); });
    announces("move", [&] { table.MoveTo(1); });
    announces("filter", [&] { table.SetAdapterFilter(AdapterA); });
    announces("insert", [&] { table.Insert(); });
    announces("set field", [&] { table.SetFieldText("Title", "x"); });
    announces("post", [&] { table.Post(); });
    announces("edit", [&] { table.Edit(); });
    announces("cancel", [&] { table.Cancel(); });
    announces("delete", [&] { table.DeleteCurrent(); });
    announces("no filter", [&] { table.ClearFilter(); });
    const int before = changes;
    table.MoveTo(table.CurrentRow());
    EXPECT_EQ(before, changes) << "no move, no news";
}

TEST_F(ProfileStore, DistinctValuesCoverEveryAdapterOnceAndSkipEmptyOnes) {
    Seed({{AdapterA, "a1", "8.8.8.8"},
          {AdapterB, "b1", "8.8.8.8"},
          {AdapterA, "a2", "1.1.1.1"},
          {AdapterB, "b2", ""}});
    TRawDatabase(path_).Exec("INSERT INTO IPInfo(Adapter) VALUES('x')"); // DNS1 NULL
    TProfileTable table;
    table.Open(path_);
    table.SetAdapterFilter(AdapterB);
    TProfileQuery query;
    query.SetDatabasePath(table.DatabasePath());
    EXPECT_THAT(query.DistinctValues("DNS1"), UnorderedElementsAre("8.8.8.8", "1.1.1.1"));
    EXPECT_THAT(query.DistinctValues("dns2"), testing::IsEmpty());
    EXPECT_THAT(query.DistinctValues("Adapter"), UnorderedElementsAre(AdapterA, AdapterB, "x"));
    AddRow(table, AdapterB, "b3");
    EXPECT_THAT(query.DistinctValues("Title"), UnorderedElementsAre("a1", "b1", "a2", "b2", "b3"))
        << "the view's new row is in the file for the query's own connection";
}

TEST_F(ProfileStore, DistinctValuesCountSpellingsThatDifferInCaseOnce) {
    TRawDatabase raw(path_);
    for (const char* proxy : {"Proxy:80", "proxy:80", "[x]:8", "PROXY:80", "{x}:8", "other:1"})
        raw.ExecWith("INSERT INTO IPInfo(Adapter, Proxy) VALUES('a', ?)", {proxy});
    TProfileQuery query;
    query.SetDatabasePath(path_);
    EXPECT_THAT(query.DistinctValues("Proxy"), ElementsAre("[x]:8", "other:1", "proxy:80", "{x}:8"))
        << "the spelling that sorts last, sorted without regard to case";
}

TEST_F(ProfileStore, DistinctValuesAcceptOnlyTheTablesColumns) {
    TProfileQuery query;
    query.SetDatabasePath(path_);
    for (const char* column : {"DNS1 from IPInfo; DROP TABLE IPInfo; --", "*", "", "Nope"})
        EXPECT_THAT(ErrorOf([&] { query.DistinctValues(column); }), HasSubstr("no column"))
            << column;
    TProfileQuery missing;
    missing.SetDatabasePath(dir_ / "missing-db");
    EXPECT_THAT(ErrorOf([&] { missing.DistinctValues("DNS1"); }), HasSubstr("missing-db"));
    EXPECT_FALSE(std::filesystem::exists(dir_ / "missing-db")) << "a query never creates a file";
}

TEST_F(ProfileStore, NonAsciiTextRoundTripsByteForByteAndIsUtf8InTheFile) {
    // "Café ★": é exists in every Western code page; the star does not, so it only
    // round-trips where the ANSI code page is UTF-8 itself (natively).
    const std::string utf8 = "Caf\xC3\xA9";
#ifdef _WIN32
    char ansi[16] = {};
    BOOL lossy = FALSE;
    const int n = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, L"Caf\u00e9", 4, ansi,
                                        sizeof ansi, nullptr, &lossy);
    if (n <= 0 || lossy)
        GTEST_SKIP() << "the ANSI code page " << ::GetACP() << " has no e acute";
    const std::string title(ansi, static_cast<size_t>(n));
#else
    const std::string title = utf8;
#endif
    {
        TProfileTable table;
        table.Open(path_);
        AddRow(table, AdapterA, title);
        table.Insert();
        table.SetFieldText("Title", std::string(20, 'x').replace(0, title.size(), title));
        table.Post();
    }
    EXPECT_THAT(TRawDatabase(path_).Column("SELECT Title FROM IPInfo WHERE ID = 1"),
                ElementsAre(utf8));
    TProfileTable table;
    table.Open(path_);
    EXPECT_EQ(title, table.Text(0, 2));
    EXPECT_EQ(20u, table.Text(1, 2).size()) << "the width counts characters, not bytes";
    TProfileQuery query;
    query.SetDatabasePath(path_);
    EXPECT_THAT(query.DistinctValues("Title"), testing::Contains(title));
}

TEST(ProfileStoreBadInput, AFileThatIsNotOurDatabaseIsRefusedAndLeftAsItWas) {
    const auto sqliteFile = [](const std::string& sql) {
        TTempFolder scratch;
        {
            TRawDatabase raw(scratch / "f", true);
            raw.Exec(sql);
        }
        return GetFile(scratch / "f");
    };
    struct Case {
        const char* name;
        std::string bytes;
        const char* error;
    } cases[] = {
        {"garbage", std::string(4096, '\x5a') + "not a database", "file is not a database"},
        {"text", "Adapter=Title\r\n", "file is not a database"},
        {"zero bytes", "", "the file is empty (0 bytes)"},
        {"no IPInfo", sqliteFile("CREATE TABLE Other(x)"), "holds no table IPInfo"},
        {"IPInfo a view", sqliteFile("CREATE VIEW IPInfo AS SELECT 1 AS ID"),
         "holds no table IPInfo"},
        {"other columns", sqliteFile("CREATE TABLE IPInfo(ID INTEGER PRIMARY KEY, Name TEXT)"),
         "the table IPInfo has the columns ID, Name instead of ID, Adapter, Title"},
        {"a column missing",
         sqliteFile("CREATE TABLE IPInfo(ID, Adapter, Title, Address, Submask, Gateway, DNS1, "
                    "DNS2, Proxy, Field1, Field2)"),
         "has the columns ID, Adapter"},
    };
    for (const auto& c : cases) {
        TTempFolder dir;
        PutFile(dir / "db", c.bytes);
        TProfileTable table;
        const std::string error = ErrorOf([&] { table.Open(dir / "db"); });
        EXPECT_THAT(error, HasSubstr("Cannot open the profile database \"" + dir / "db" + "\": "))
            << c.name;
        EXPECT_THAT(error, HasSubstr(c.error)) << c.name;
        EXPECT_EQ(error.find("Cannot open"), error.rfind("Cannot open")) << "said once: " << error;
        EXPECT_FALSE(table.Active()) << c.name;
        // Opened ahead, on its own, the file gives the same error.
        EXPECT_EQ(ErrorOf([&] { TOpenedProfileFile::Open(dir / "db"); }), error) << c.name;
        EXPECT_EQ(ErrorOf([&] { TOpenedProfileFile::OpenWithRowsOf(dir / "db", "{A}"); }), error)
            << c.name;
        EXPECT_EQ(c.bytes, GetFile(dir / "db")) << c.name;
        EXPECT_THAT(FolderEntries(dir.Path()), ElementsAre("db")) << c.name;
    }
}

TEST(ProfileStoreBadInput, AMissingFileIsNotCreatedByOpen) {
    TTempFolder dir;
    TProfileTable table;
    EXPECT_THAT(ErrorOf([&] { table.Open(dir / "db"); }), HasSubstr("does not exist"));
    EXPECT_TRUE(FolderEntries(dir.Path()).empty());
}

// What a view does on a file it cannot write, told as text: the unprivileged child of
// RunWithoutWriteRights can hand back nothing else.
std::string UseWithoutWriteRights(const std::string& path) {
    TProfileTable table;
    const std::string openError = ErrorOf([&] { table.Open(path); });
    if (openError != "no error")
        return "open: " + openError;
    const auto titles = [&] {
        std::string list;
        for (int row = 0; row < table.RowCount(); ++row)
            list += table.Text(row, 2) + ";";
        return list;
    };
    TProfileQuery query;
    query.SetDatabasePath(path);
    std::string outcome = "read-only: " + std::to_string(table.ReadOnly()) + "\n";
    outcome += "notice: " + table.ReadOnlyNotice() + "\n";
    outcome += "titles: " + titles() + "\n";
    outcome += "pick list: " + query.DistinctValues("DNS1").at(0) + "\n";
    table.Insert();
    table.SetFieldText("Title", "new");
    outcome += "store: " + ErrorOf([&] { table.Post(); }) + "\n";
    outcome += "kept: " + table.FieldText("Title") + "\n";
    table.Cancel();
    table.Edit();
    table.SetFieldText("Title", "changed");
    outcome += "change: " + ErrorOf([&] { table.Post(); }) + "\n";
    table.Cancel();
    outcome += "delete: " + ErrorOf([&] { table.DeleteCurrent(); }) + "\n";
    outcome += "titles after: " + titles() + "\n";
    return outcome;
}

TEST_F(ProfileStore, AFileThatCannotBeWrittenIsViewedReadOnlyAndRefusesChanges) {
    Seed({{AdapterA, "a1", "8.8.8.8"}, {AdapterA, "a2", ""}});
    const std::string before = GetFile(path_);
    // The file itself stays writable for anyone in the folder case: only the folder is closed.
    std::filesystem::permissions(
        path_, std::filesystem::perms::all & ~std::filesystem::perms::owner_exec &
                   ~std::filesystem::perms::group_exec & ~std::filesystem::perms::others_exec);
    struct Case {
        const char* name;
        std::string protect;
        std::function<bool()> writesStopped;
        std::string reason;
    } cases[] = {
        {"read-only file", path_, [&] { return !CanWriteFile(path_); }, "the file is read-only"},
        {"folder that cannot be written", dir_.Path(),
         [&] { return !CanCreateFileIn(dir_.Path()); }, "its folder cannot be written ("},
    };
    for (const auto& c : cases) {
        SetReadOnly(c.protect, true);
        const auto outcome =
            RunWithoutWriteRights(c.writesStopped, [&] { return UseWithoutWriteRights(path_); });
        SetReadOnly(c.protect, false);
        if (!outcome)
            GTEST_SKIP() << "permission bits do not stop this user's writes";
        const std::string cannot = "the profile database \"" + path_ + "\" cannot be written: ";
        for (const std::string& line : {
                 "read-only: 1\n"s,
                 "notice: The stored settings can be applied but not changed: " + cannot +
                     c.reason,
                 "titles: a1;a2;\n"s,
                 "pick list: 8.8.8.8\n"s,
                 "store: Cannot store the network setting: " + cannot + c.reason,
                 "kept: new\n"s,
                 "change: Cannot store the network setting: " + cannot + c.reason,
                 "delete: Cannot delete the network setting: " + cannot + c.reason,
                 "titles after: a1;a2;\n"s,
             })
            EXPECT_THAT(*outcome, HasSubstr(line)) << c.name;
        EXPECT_EQ(before, GetFile(path_)) << c.name;
        EXPECT_THAT(FolderEntries(dir_.Path()), ElementsAre("db")) << c.name;
    }
}

TEST_F(ProfileStore, AChangeWritesOnlyTheFieldsItChanged) {
    Seed({{AdapterA, "a1", "1.1.1.1"}});
    // Two windows on one file, both opened before either stores.
    TProfileTable first, second;
    first.Open(path_);
    second.Open(path_);
    first.Edit();
    first.SetFieldText("Address", "10.0.0.1");
    first.SetFieldText("Title", "a1"); // the same value again
    first.Post();
    second.Edit();
    second.SetFieldText("Gateway", "10.0.0.254");
    second.SetFieldText("Address", ""); // an empty editor over a field it saw empty
    second.Post();
    EXPECT_THAT(FileRows("Title, Address, Gateway, DNS1"),
                ElementsAre(ElementsAre("a1", "10.0.0.1", "10.0.0.254", "1.1.1.1")));

    second.Edit();
    second.SetFieldText("Address", "10.0.0.2");
    second.Post();
    EXPECT_THAT(FileRows("Address"), ElementsAre(ElementsAre("10.0.0.2")))
        << "a field changed in both: the later store wins";
}

TEST_F(ProfileStore, AValueHoldingANulIsRefusedAndKeptPending) {
    Seed({{AdapterA, "a1", ""}});
    struct Case {
        const char* field;
        std::string value;
    } cases[] = {
        {"Title", "ab\0"s + std::string(5000, 'x')},
        {"Proxy", "proxy\0:80"s},
        {"Adapter", "\0"s},
    };
    TProfileTable table;
    table.Open(path_);
    for (const auto& c : cases) {
        for (const bool insert : {true, false}) {
            insert ? table.Insert() : table.Edit();
            table.SetFieldText(c.field, c.value);
            EXPECT_EQ("Cannot store the network setting: " + std::string(c.field) +
                          " must not contain a NUL character (byte 0)",
                      ErrorOf([&] { table.Post(); }))
                << c.field;
            EXPECT_EQ(c.value, table.FieldText(c.field)) << c.field;
            table.Cancel();
        }
    }
    EXPECT_THAT(FileRows(), ElementsAre(ElementsAre("1", AdapterA, "a1")));
}

TEST_F(ProfileStore, OpenWaitsForAnotherProgramsWriteLock) {
    Seed({{AdapterA, "a1", ""}});
    TRawDatabase other(path_);
    other.Exec("BEGIN EXCLUSIVE");
    std::thread release([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        other.Exec("COMMIT");
    });
    TProfileTable table;
    const std::string error = ErrorOf([&] { table.Open(path_); });
    release.join();
    EXPECT_EQ("no error", error);
    EXPECT_THAT(VisibleTitles(table), ElementsAre("a1"));
}

TEST_F(ProfileStore, OpenOnAFileLockedForLongSaysSoOnce) {
    TRawDatabase other(path_);
    other.Exec("BEGIN EXCLUSIVE");
    TProfileTable table;
    const std::string error = ErrorOf([&] { table.Open(path_); });
    other.Exec("COMMIT");
    EXPECT_EQ("Cannot open the profile database \"" + path_ + "\": database is locked", error);
    EXPECT_FALSE(table.Active());
}

namespace {

// Leaves at path, and path + "-journal" or "-wal" beside it, the files of a program that
// stopped in the middle of a transaction: a journal SQLite would roll back, or a WAL file
// it would merge, at the next read.
void PutInterruptedFile(const std::string& path, bool ours, bool wal) {
    TTempFolder scratch;
    const std::string file = scratch / "f";
    if (ours)
        CreateProfileDatabase(file);
    TRawDatabase raw(file, !ours);
    raw.Exec(ours ? "INSERT INTO IPInfo(Title) VALUES('before')"
                  : "CREATE TABLE Other(x); INSERT INTO Other VALUES('before')");
    const std::string table = ours ? "IPInfo(Title)" : "Other(x)";
    const std::string rows = "INSERT INTO " + table +
                             " WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                             "WHERE i < 400) SELECT substr(hex(randomblob(10)), 1, 20) FROM n";
    const std::string side = wal ? "-wal" : "-journal";
    if (wal)
        raw.Exec("PRAGMA journal_mode = WAL; " + rows);
    else // a cache too small for the transaction makes SQLite write the file before COMMIT
        raw.Exec("PRAGMA cache_size = 2; BEGIN; " + rows);
    PutFile(path, GetFile(file));
    PutFile(path + side, GetFile(file + side));
    if (!wal)
        raw.Exec("ROLLBACK");
}

} // namespace

TEST(ProfileStoreBadInput, AForeignFileWithAJournalBesideItIsRefusedUntouched) {
    for (const bool wal : {false, true}) {
        TTempFolder dir;
        PutInterruptedFile(dir / "db", false, wal);
        const auto entries = FolderEntries(dir.Path());
        const std::string side = dir / (wal ? "db-wal" : "db-journal");
        const std::string bytes = GetFile(dir / "db"), sideBytes = GetFile(side);
        TProfileTable table;
        EXPECT_THAT(ErrorOf([&] { table.Open(dir / "db"); }), HasSubstr("holds no table IPInfo"))
            << wal;
        EXPECT_EQ(bytes, GetFile(dir / "db")) << wal;
        EXPECT_EQ(sideBytes, GetFile(side)) << wal;
        EXPECT_EQ(entries, FolderEntries(dir.Path())) << wal;
    }
}

TEST(ProfileStoreBadInput, OurOwnInterruptedFileIsRecoveredAtOpen) {
    for (const bool wal : {false, true}) {
        TTempFolder dir;
        PutInterruptedFile(dir / "db", true, wal);
        TProfileTable table;
        table.Open(dir / "db");
        // A rolled-back journal leaves the row before the transaction; a WAL file holds
        // committed rows.
        EXPECT_EQ(wal ? 401 : 1, table.RowCount()) << wal;
        EXPECT_EQ("before", table.Text(0, 2)) << wal;
    }
}

TEST(ProfileStoreBadInput, CreationInAFolderThatCannotBeWrittenLeavesNothing) {
    TTempFolder dir;
    SetReadOnly(dir.Path(), true);
    const auto outcome =
        RunWithoutWriteRights([&] { return !CanCreateFileIn(dir.Path()); },
                              [&] { return ErrorOf([&] { CreateProfileDatabase(dir / "db"); }); });
    SetReadOnly(dir.Path(), false);
    if (!outcome)
        GTEST_SKIP() << "permission bits do not stop this user's writes";
    // The true cause, the folder on a line of its own; not SQLite's "unable to open".
    EXPECT_THAT(*outcome, StartsWith("Cannot create the profile database: the folder\n\n" +
                                     ExtractFilePath(dir / "db") + "\n\ncannot be written ("));
    EXPECT_TRUE(FolderEntries(dir.Path()).empty());
}
