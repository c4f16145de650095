// The view that reads each adapter's rows when it is first shown against the view that reads
// every row at Open: two copies of one file, the same steps on both, the same outcome.

#include "store/ProfileStore.h"

#include "RawDatabase.h"
#include "store/StorePlatform.h"
#include "support/Error.h"
#include "support/TempFolder.h"

#include <gmock/gmock.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <thread>

using testing::ElementsAreArray;
using testing::HasSubstr;

namespace {

const std::string A = "{A0000000-0000-0000-0000-000000000000}";
const std::string B = "{B0000000-0000-0000-0000-000000000000}";
const std::string C = "{C0000000-0000-0000-0000-000000000000}";
const std::string D = "{D0000000-0000-0000-0000-000000000000}";
const std::string LowerA = "{a0000000-0000-0000-0000-000000000000}";
// The same letters outside ASCII: a different adapter, in any case.
const std::string WideUpper = "{\xC3\x84-0000}"; // A with diaeresis, UTF-8
const std::string WideLower = "{\xC3\xA4-0000}";
// A byte that is no UTF-8 at all, as another program may have stored it.
const std::string Stray = "{\xC4-0000}";

TProfileTable::TRowValues Row(const std::string& adapter, const std::string& title) {
    return {adapter, title, "10.0.0.1", "255.0.0.0", "", "8.8.8.8", "", ""};
}

// Everything the view lets a caller see at one moment, as text.
std::vector<std::string> Observe(const TProfileTable& table) {
    std::vector<std::string> seen{"rows " + std::to_string(table.RowCount()),
                                  "current " + std::to_string(table.CurrentRow()),
                                  "filtered " + std::to_string(table.Filtered())};
    for (int row = 0; row < table.RowCount(); ++row) {
        std::string line;
        for (int field = 0; field < 9; ++field)
            line += table.Text(row, field) + "|";
        seen.push_back(line);
    }
    seen.push_back("current title " + table.FieldText("Title"));
    return seen;
}

class LazyRows : public testing::Test {
  protected:
    LazyRows()
        : fullPath_(dir_ / "full.db"), lazyPath_(dir_ / "lazy.db"), shownPath_(dir_ / "shown.db"),
          aheadPath_(dir_ / "ahead.db") {
        CreateProfileDatabase(fullPath_);
        {
            TRawDatabase raw(fullPath_);
            // Interleaved, so that every adapter's rows lie apart in ID order, and the adapters
            // outside ASCII stored in an order other than their spelling's.
            const std::vector<std::vector<std::string>> seed = {
                {A, "a1"},         {B, "b1"},          {C, "c1"},   {A, "a2"},
                {"{a0000000-0000-0000-0000-000000000000}", "a3 lower"},
                {B, "b2"},         {Stray, "stray"},   {WideUpper, "wide upper"}, {D, "d1"},
                {WideLower, "wide lower"}, {C, "c2"},
                {"{A0000000-0000-0000-0000-000000000000} ", "a with a space"}};
            for (const auto& row : seed)
                raw.ExecWith("INSERT INTO IPInfo(Adapter, Title, Address, DNS1) "
                             "VALUES(?, ?, '10.0.0.1', '8.8.8.8')",
                             row);
            raw.Exec("INSERT INTO IPInfo(Title) VALUES('no adapter')");
            // As an earlier version left the file: the index on Adapter alone.
            raw.Exec("CREATE INDEX IPInfoAdapter ON IPInfo(Adapter COLLATE NOCASE)");
        }
        std::filesystem::copy_file(fullPath_, lazyPath_);
        std::filesystem::copy_file(fullPath_, shownPath_);
        std::filesystem::copy_file(fullPath_, aheadPath_);
        full_.Open(fullPath_);
        lazy_.Open(lazyPath_, TRowLoad::AtRestriction);
        // As the start opens it: on another thread, then shown by the view.
        std::optional<TOpenedProfileFile> opened;
        std::thread([&] { opened = TOpenedProfileFile::Open(shownPath_); }).join();
        shown_.Show(std::move(*opened));
        // And with the first adapter's rows read along, spelled as another case would.
        std::thread([&] { opened = TOpenedProfileFile::OpenWithRowsOf(aheadPath_, LowerA); })
            .join();
        ahead_.Show(std::move(*opened));
    }

    std::vector<std::vector<std::string>> FileRows(const std::string& path) {
        TRawDatabase raw(path);
        return raw.Rows("SELECT * FROM IPInfo ORDER BY ID");
    }

    TTempFolder dir_;
    std::string fullPath_, lazyPath_, shownPath_, aheadPath_;
    TProfileTable full_, lazy_, shown_, ahead_;
};

std::string FileBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

struct TStep {
    const char* Name;
    // Returns what the step itself gives back ("" when nothing).
    std::function<std::string(TProfileTable&)> Run;
};

std::string Filter(TProfileTable& t, const std::string& adapter) {
    t.SetAdapterFilter(adapter);
    return {};
}

} // namespace

TEST_F(LazyRows, EveryStepShowsWhatTheViewOfAllRowsShows) {
    const std::vector<TStep> steps = {
        {"the saved adapter at start", [](TProfileTable& t) { return Filter(t, A); }},
        {"a row further down", [](TProfileTable& t) { t.MoveTo(2); return std::string(); }},
        {"another adapter", [](TProfileTable& t) { return Filter(t, B); }},
        {"a new row for an adapter not shown yet",
         [](TProfileTable& t) {
             t.Insert();
             t.SetFieldText("Adapter", C);
             t.SetFieldText("Title", "c3 new");
             t.Post();
             return std::string();
         }},
        {"that adapter, with its stored and its new rows", [](TProfileTable& t) { return Filter(t, C); }},
        {"a row moved to the first adapter",
         [](TProfileTable& t) {
             t.MoveTo(1);
             t.Edit();
             t.SetFieldText("Adapter", A);
             t.Post();
             return std::string();
         }},
        {"the first adapter spelled in lower case",
         [](TProfileTable& t) { return Filter(t, "{a0000000-0000-0000-0000-000000000000}"); }},
        {"a row deleted", [](TProfileTable& t) { t.DeleteCurrent(); return std::string(); }},
        {"an import into an adapter not shown yet",
         [](TProfileTable& t) {
             return std::to_string(t.AppendDistinctRows(
                 {Row(D, "d1"), Row(D, "d2 new"), Row(B, "b1"), Row(WideLower, "wide lower")}));
         }},
        {"the imported adapter", [](TProfileTable& t) { return Filter(t, D); }},
        {"letters outside ASCII, upper case", [](TProfileTable& t) { return Filter(t, WideUpper); }},
        {"letters outside ASCII, lower case", [](TProfileTable& t) { return Filter(t, WideLower); }},
        {"a byte that is no UTF-8", [](TProfileTable& t) { return Filter(t, Stray); }},
        {"an adapter no row has", [](TProfileTable& t) { return Filter(t, "{none}"); }},
        {"no restriction", [](TProfileTable& t) { t.ClearFilter(); t.MoveTo(5); return std::string(); }},
        {"the first adapter again", [](TProfileTable& t) { return Filter(t, A); }},
    };
    for (const TStep& step : steps) {
        SCOPED_TRACE(step.Name);
        const std::string full = step.Run(full_);
        EXPECT_EQ(step.Run(lazy_), full);
        EXPECT_EQ(step.Run(shown_), full);
        EXPECT_EQ(step.Run(ahead_), full);
        EXPECT_THAT(Observe(lazy_), ElementsAreArray(Observe(full_)));
        EXPECT_THAT(Observe(shown_), ElementsAreArray(Observe(full_)));
        EXPECT_THAT(Observe(ahead_), ElementsAreArray(Observe(full_)));
    }
    TProfileQuery fullQuery, lazyQuery;
    fullQuery.SetDatabasePath(fullPath_);
    lazyQuery.SetDatabasePath(lazyPath_);
    for (const char* column : {"Adapter", "Title", "DNS1"})
        EXPECT_EQ(lazyQuery.DistinctValues(column), fullQuery.DistinctValues(column)) << column;
    EXPECT_EQ(FileRows(lazyPath_), FileRows(fullPath_));
    EXPECT_EQ(FileRows(shownPath_), FileRows(fullPath_));
    EXPECT_EQ(FileRows(aheadPath_), FileRows(fullPath_));
}

// Rows read with the open are the file as it was then, and serve the first restriction
// only, and only when it names their adapter (letter case aside).
TEST_F(LazyRows, RowsReadWithTheOpenServeOnlyAFirstRestrictionToTheirAdapter) {
    const struct {
        const char* Name;
        std::string ReadAlong, First;
        std::vector<std::string> Titles;
    } cases[] = {
        {"the same adapter", A, A, {"a1", "a2", "a3 lower"}},
        {"the same adapter in another case", A, LowerA, {"a1", "a2", "a3 lower"}},
        {"another adapter: the file as it is now", B, A, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TTempFolder dir;
        const std::string path = dir / "db";
        std::filesystem::copy_file(fullPath_, path);
        TOpenedProfileFile opened = TOpenedProfileFile::OpenWithRowsOf(path, c.ReadAlong);
        TRawDatabase(path).ExecWith("DELETE FROM IPInfo WHERE Adapter = ? COLLATE NOCASE", {A});
        TProfileTable table;
        table.Show(std::move(opened));
        table.SetAdapterFilter(c.First);
        std::vector<std::string> titles;
        for (int row = 0; row < table.RowCount(); ++row)
            titles.push_back(table.Text(row, 2));
        EXPECT_EQ(titles, c.Titles);
    }
}

// The restriction's own rule, which the rows read through the index must keep: ASCII
// letters in either case alike, every other byte exactly. The view speaks the ANSI code
// page: the file's spellings are given to it converted, as the selector would give them.
TEST_F(LazyRows, TheRestrictionFoldsOnlyAsciiLetters) {
    const struct {
        std::string Adapter;
        std::vector<std::string> Titles;
    } cases[] = {
        {A, {"a1", "a2", "a3 lower"}},
        {"{a0000000-0000-0000-0000-000000000000}", {"a1", "a2", "a3 lower"}},
        {Utf8ToAnsi(WideUpper), {"wide upper"}},
        {Utf8ToAnsi(WideLower), {"wide lower"}},
        {Utf8ToAnsi(Stray), {"stray"}},
        {"{A0000000-0000-0000-0000-000000000000} ", {"a with a space"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Adapter);
        lazy_.SetAdapterFilter(c.Adapter);
        std::vector<std::string> titles;
        for (int row = 0; row < lazy_.RowCount(); ++row)
            titles.push_back(lazy_.Text(row, 2));
        EXPECT_EQ(titles, c.Titles);
    }
}

TEST_F(LazyRows, AWritableFileGetsTheAdapterIndexesAndShowsNoRowsBeforeItsRestriction) {
    EXPECT_EQ(lazy_.RowCount(), 0);
    EXPECT_EQ(lazy_.CurrentRow(), -1);
    TRawDatabase raw(lazyPath_);
    EXPECT_EQ(raw.Column("SELECT name FROM sqlite_master WHERE type = 'index' AND "
                         "name LIKE 'IPInfo%' ORDER BY name"),
              (std::vector<std::string>{"IPInfoAdapterRows", "IPInfoWideAdapter"}));
    // One adapter's rows come through the indexes alone, not a pass over the whole table.
    const auto details = raw.Rows("EXPLAIN QUERY PLAN " + AdapterRowsStatement());
    std::string all;
    for (const auto& row : details)
        all += row.back() + "\n";
    EXPECT_THAT(all, HasSubstr("USING COVERING INDEX IPInfoAdapterRows"));
    EXPECT_THAT(all, HasSubstr("USING INDEX IPInfoWideAdapter"));
    EXPECT_THAT(all, Not(HasSubstr("SCAN IPInfo\n")));
    lazy_.LoadRows();
    EXPECT_EQ(lazy_.RowCount(), 13);
}

// The file turns bad after the start: the switch to an adapter not read yet fails with a
// clear error, the view keeps what it showed, and the failed read changes nothing.
TEST_F(LazyRows, AFileGoneBadBeforeASwitchGivesAnErrorAndLosesNothing) {
    const struct {
        const char* Name;
        std::function<void(const std::string&)> Spoil;
        const char* Says;
    } cases[] = {
        {"the table renamed by another program",
         [](const std::string& path) {
             TRawDatabase(path).Exec("ALTER TABLE IPInfo RENAME TO Other");
         },
         "no such table: IPInfo"},
        {"the file overwritten with text",
         [](const std::string& path) {
             // In place: the view's connection keeps the file open.
             std::ofstream(path, std::ios::binary | std::ios::trunc) << std::string(8192, 'x');
         },
         "file is not a database"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        TTempFolder dir;
        const std::string path = dir / "db";
        std::filesystem::copy_file(lazyPath_, path);
        TProfileTable table;
        table.Open(path, TRowLoad::AtRestriction);
        table.SetAdapterFilter(A);
        table.MoveTo(1);
        const auto before = Observe(table);
        c.Spoil(path);
        const std::string bytes = FileBytes(path);
        std::string error = "no error";
        try {
            table.SetAdapterFilter(B);
        } catch (const TError& e) {
            error = e.what();
        }
        EXPECT_THAT(error, HasSubstr("Cannot read the profile database \"" + path + "\""));
        EXPECT_THAT(error, HasSubstr(c.Says));
        EXPECT_THAT(Observe(table), ElementsAreArray(before));
        EXPECT_EQ(FileBytes(path), bytes);
    }
}
