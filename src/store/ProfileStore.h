#pragma once
// The profile store on SQLite: the database file "db" with the table IPInfo,
// the table view the main window works on (adoT) and the distinct-value query (adoQ).
//
// Texts cross this boundary in the ANSI code page and are kept in the file as UTF-8.
// Every failure raises TError with a text for the user.

#include "store/RowTexts.h"
#include "support/AddressLists.h"
#include "support/Error.h"

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

class TSqliteConnection;
class TSqliteStatement;

// A field of the view: its name and the size the editor allows (0 for ID).
struct TFieldDef {
    std::string Name;
    int Size;
};

// A column of the table IPInfo: its name and its width in characters (0 for ID).
struct TColumnDef {
    const char* Name;
    int Width;
};

// The twelve columns in table order.
const std::array<TColumnDef, 12>& ProfileColumns();

enum class TViewState { Browse, Insert, Edit };

// The statement that reads the rows one adapter may have (?1 its id), as the view runs it:
// whether SQLite reads it through the adapter indexes decides whether a start grows with
// the file, and only the plan of this very text tells.
const std::string& AdapterRowsStatement();

// The database cannot be made because its folder takes no new file.
class TFolderNotWritable : public TError {
  public:
    using TError::TError;
};

// Gives TFolderNotWritable, naming the folder and the system's reason, unless a new file
// can be made in folder.
void RequireWritableFolder(const std::string& folder);

// Builds the database atomically: a temporary file in the same folder gets the table, is
// closed, and only then takes the name dbPath (never replacing a file of that name).
// TError on failure, and no file is left behind.
void CreateProfileDatabase(const std::string& dbPath);

// When Open reads the rows: at once, or at the first restriction set after it (or at
// LoadRows), so that a caller about to restrict the view reads only that adapter's rows.
enum class TRowLoad { Now, AtRestriction };

class TSqliteConnection;
struct TProfileConnection;

// A database file opened and checked as TProfileTable::Open opens it, its rows not read yet:
// made on any thread (the start opens it while the window is made), then shown by one view
// with TProfileTable::Show. The same files give the same TError as Open.
class TOpenedProfileFile {
  public:
    static TOpenedProfileFile Open(const std::string& dbPath);
    // As Open, and the rows the restriction to adapterId reads, read now as well: the view
    // that shows the file takes them at its first restriction, when that is to adapterId,
    // instead of reading them then. A failed read fails the open, with the same TError.
    static TOpenedProfileFile OpenWithRowsOf(const std::string& dbPath,
                                             const std::string& adapterId);
    TOpenedProfileFile(TOpenedProfileFile&&) noexcept;
    TOpenedProfileFile& operator=(TOpenedProfileFile&&) noexcept;
    ~TOpenedProfileFile();
    const std::string& Path() const { return path_; }

  private:
    friend class TProfileTable;
    using TReadFirst = std::function<void(const TSqliteConnection&, const std::string& context)>;
    TOpenedProfileFile();
    // readFirst reads from the file before anything is written to it.
    static TOpenedProfileFile Open(const std::string& dbPath, const TReadFirst& readFirst);

    struct TRowsRead; // one adapter's rows, read with the open
    std::unique_ptr<TProfileConnection> connection_;
    std::string path_;
    std::string readOnlyReason_; // why changes cannot be stored; "" when they can
    std::map<std::int64_t, TSettingExtras> extras_;
    std::unique_ptr<TRowsRead> rowsRead_;
    std::int64_t dataVersion_ = 0; // SQLite's data_version before anything was read
};

// The table view ("adoT"): the rows in ID order, with an optional restriction to one
// adapter, a current row and at most one pending new row or change. Stores and deletions
// reach the file at once. Rows are read from the file per adapter, the first time the
// restriction names it (all of them the first time there is none), and then kept: what the
// view shows is what a snapshot of every row taken at Open would show.
class TProfileTable {
  public:
    TProfileTable();
    ~TProfileTable();
    TProfileTable(const TProfileTable&) = delete;
    TProfileTable& operator=(const TProfileTable&) = delete;

    // Opens the database file and reads the rows under the restriction (all of them when
    // there is none), or, with TRowLoad::AtRestriction, leaves them for the next
    // SetAdapterFilter, ClearFilter or LoadRows and shows no rows until then; the current
    // row is the first row under the restriction. On a file that can be written, the
    // indexes that let one adapter's rows be read alone are made when missing. A file that is missing, not a database, empty, without IPInfo or
    // with other columns gives TError with a clear text, and the file is not touched, nor
    // any journal beside it. A read-only file, or one in a folder that cannot be written,
    // is opened read-only: it can be viewed, and Post and DeleteCurrent fail with a text
    // that names the file. Opening again closes first.
    void Open(const std::string& dbPath, TRowLoad load = TRowLoad::Now);
    // Shows a file opened beforehand, as Open with TRowLoad::AtRestriction would; rows the
    // file was opened with serve the first restriction when it is to their adapter.
    void Show(TOpenedProfileFile file);
    // Reads the rows under the restriction when Open left them for later; nothing otherwise.
    // TError when the file cannot be read, and the view stays as it was.
    void LoadRows();
    void Close();
    bool Active() const;
    // Open on a file that cannot take changes.
    bool ReadOnly() const { return !readOnlyReason_.empty(); }
    // What the user is told once, when the file opened read-only: settings can be applied
    // but not changed, and why. Empty when the file takes changes.
    std::string ReadOnlyNotice() const;
    const std::string& DatabasePath() const { return path_; }

    // The nine fields of the view, positions 0..8.
    static const std::vector<TFieldDef>& Fields();

    // Restriction to the rows whose Adapter equals adapterId, ASCII letters in either case
    // alike and every other byte exactly (quotes and all), or off. Kept while closed and applied at
    // Open. While open: a pending row or change is stored first (as a scroll would), the
    // rows not read yet are read, and the current row becomes the first. When they cannot
    // be read: TError, and the restriction, rows and current row stay as they were.
    void SetAdapterFilter(const std::string& adapterId);
    void ClearFilter();
    bool Filtered() const { return filtered_; }

    // Rows under the current restriction. TError when closed.
    int RowCount() const;
    // 0-based index into the visible rows; -1 when there is none (or the view is closed).
    int CurrentRow() const;
    // Makes row current, clamped to the rows there are; ignored unless open and browsing.
    void MoveTo(int row);
    // A visible row's field as text ("" for no value, or for a row or field out of range):
    // the grid reads this and must never fail.
    std::string Text(int row, int field) const;
    // The current row's value, or the pending one during Insert and Edit; "" when there is
    // no current row. Names compare without regard to case. TError for an unknown name
    // or a closed view.
    std::string FieldText(const std::string& name) const;

    TViewState State() const { return state_; }
    // A pending new row with every field empty; a pending row or change is stored first.
    void Insert();
    // A pending change of the current row (nothing when already pending). TError when
    // there is no current row.
    void Edit();
    // A visible row's further addresses and gateways (none for a row out of range).
    TSettingExtras Extras(int row) const;
    // The current row's extras, or the pending ones during Insert and Edit.
    TSettingExtras FieldExtras() const;
    // Only during Insert and Edit: the extras Post stores with the row, in the same
    // transaction. TError while browsing.
    void SetFieldExtras(const TSettingExtras& extras);

    // Only during Insert and Edit; ID cannot be set. The text is kept as it is: a value
    // too long for its column is refused by Post, never cut.
    void SetFieldText(const std::string& name, const std::string& text);
    // Stores the pending row or change in the file at once; a change writes only the fields
    // whose values differ from the row's, so it never undoes what another program stored in
    // the others. A value holding a NUL is refused. The stored new row becomes
    // current when it matches the restriction. On failure TError, and the pending row or
    // change is kept for the caller to decide.
    void Post();
    // Discards the pending row or change; after a new row, the row current before it is
    // current again.
    void Cancel();
    // Deletes the current row from the file at once; the next row (or the new last one)
    // becomes current. During Insert it discards the pending row instead; during Edit the
    // pending change is dropped and the row deleted. TError when there is no current row.
    void DeleteCurrent();

    // Called after anything visible changes: rows, current row, state, a field value.
    void SetOnChange(std::function<void()> handler);

    // The fields Adapter .. Proxy (positions 1..8) of one row, as texts.
    using TRowValues = std::array<std::string, 8>;
    // Stores the rows in one transaction, all or none, while browsing, each with its extras
    // (extras: none, or one entry per row). A row equal in every field and its extras to one
    // stored already (or to one earlier in the list) is skipped. Returns how
    // many rows were stored; on failure TError, and neither the file nor the view changed.
    int AppendDistinctRows(const std::vector<TRowValues>& rows,
                           const std::vector<TSettingExtras>& extras = {});

    // The stored rows of one adapter (letter case aside) in ID order, whatever the
    // restriction, the current row or a pending change: what the file holds.
    struct TStoredRow {
        std::int64_t Id = 0;
        TRowValues Values;
        TSettingExtras Extras;
    };
    std::vector<TStoredRow> StoredRowsOf(const std::string& adapterId);
    // The visible row of the stored row id; -1 when it is not visible.
    int RowOfId(std::int64_t id) const;

    // Follows what another program (another copy, /import) stored in the file since the
    // view read it, told cheaply by SQLite's count of other connections' commits: the rows
    // of the restriction and every extra are read again (the others when next shown), the
    // current row stays current where it is still visible, and true is returned. Nothing
    // while a new row or change is pending, which is never lost: a later call reads. TError
    // when the file cannot be read, and the view stays as it was.
    bool ReloadWhenChangedElsewhere();

  private:
    friend class TOpenedProfileFile;
    struct TRecord {
        std::int64_t Id = 0;
        TRowTexts Values; // fields 1..8
        // A deleted row stays in place, so that no index into rows_ ever shifts and a
        // delete costs no more than its statement.
        bool Deleted = false;
    };

    // The rows of the file in ID order: those whose Adapter may match adapterId (a few more
    // may come: Matches decides), or all of them.
    static std::vector<TRecord> ReadRows(const TSqliteConnection& db,
                                         const std::optional<std::string>& adapterId,
                                         const std::string& context);
    void Adopt(TOpenedProfileFile file, std::vector<TRecord> rows, bool rowsRead);
    void TakeRows(std::vector<TRecord> rows, bool rowsRead);
    void ReadRowsFor(bool filtered, const std::string& adapterId);
    void MergeRows(std::vector<TRecord> read);
    static void InIdOrder(std::vector<TRecord>& rows);
    void ReadRowsOfAdapters(const std::vector<TRowValues>& rows);
    void RequireActive() const;
    void CheckBrowseMode();
    bool Matches(const TRecord& record) const;
    void Rebuild();
    void Changed();
    const TRecord* Current() const;
    void RequireWritable(const std::string& context) const;
    void BindPending(TSqliteStatement& statement, const std::vector<int>& fields) const;
    std::vector<int> ChangedFields(const TRecord& stored) const;
    void PostInsert();
    void PostEdit();
    const TSettingExtras& StoredExtras(std::int64_t id) const;
    void KeepExtras(std::int64_t id, const TSettingExtras& extras);
    static TRowValues ValuesOf(const TRecord& record);

    std::unique_ptr<TProfileConnection> connection_;
    std::string path_;
    std::string readOnlyReason_;  // why changes cannot be stored; "" when they can
    std::vector<TRecord> rows_;   // the rows read so far, plus our own changes, in ID order
    std::vector<size_t> visible_; // indexes into rows_ under the restriction
    bool filtered_ = false;
    std::string filterAdapter_;
    bool allRead_ = false;
    std::set<std::string> adaptersRead_; // restrictions whose rows are read, ASCII lower case
    bool readPending_ = false;           // Open left the rows for the first restriction
    // Rows the file was opened with, until the first read takes or drops them.
    std::unique_ptr<TOpenedProfileFile::TRowsRead> rowsAhead_;
    int current_ = -1;
    TViewState state_ = TViewState::Browse;
    TRecord pending_;
    TSettingExtras pendingExtras_;
    // Only the rows that have extras: most settings have none.
    std::map<std::int64_t, TSettingExtras> extras_;
    int currentBeforeInsert_ = -1;
    std::int64_t dataVersion_ = 0; // as of the last read of the file
    std::function<void()> onChange_;
};

// The distinct-value query ("adoQ"): a connection of its own for each query.
class TProfileQuery {
  public:
    void SetDatabasePath(const std::string& dbPath) { path_ = dbPath; }
    const std::string& DatabasePath() const { return path_; }

    // The distinct values of the column over all rows, whatever the view's restriction;
    // values that differ only in the case of ASCII letters count once, in the spelling that
    // sorts last byte for byte; sorted without regard to case; empty values left out. The column
    // must be one of IPInfo's (any case): the statement is built from the table's own column names,
    // never from the argument.
    std::vector<std::string> DistinctValues(const std::string& column);

  private:
    std::string path_;
};
