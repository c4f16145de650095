#include "ProfileStore.h"

#include "store/ExtrasStore.h"
#include "store/OptionsStore.h"
#include "store/UseWhenStore.h"
#include "store/Sqlite.h"
#include "store/StorePlatform.h"
#include "support/AddressRules.h"
#include "support/Error.h"
#include "support/FileSystem.h"
#include "support/Strings.h"

#include <algorithm>
#include <set>
#include <tuple>

namespace {

constexpr std::array<TColumnDef, 12> Columns = {{
    {"ID", 0},
    {"Adapter", static_cast<int>(MaxAdapterIdLength)},
    {"Title", 20},
    {"Address", 15},
    {"Submask", 15},
    {"Gateway", 15},
    {"DNS1", 15},
    {"DNS2", 15},
    {"Proxy", static_cast<int>(MaxProxyLength)},
    {"Field1", 15},
    {"Field2", 50},
    {"Field3", 50},
}};

constexpr int ViewFields = 9;

// The width of each text column is a CHECK constraint whose name is the message the user
// reads when a value is too long: SQLite reports it as "CHECK constraint failed: <name>".
std::string TableStatement() {
    std::string sql = "CREATE TABLE IPInfo(ID INTEGER PRIMARY KEY AUTOINCREMENT";
    for (size_t i = 1; i < Columns.size(); ++i) {
        const std::string name = Columns[i].Name;
        const std::string width = std::to_string(Columns[i].Width);
        sql += ", " + name + " varchar(" + width + ")";
        sql += " CONSTRAINT \"" + name + " is limited to " + width + " characters\"";
        sql += " CHECK(length(" + name + ") <= " + width + ")";
    }
    return sql + ")";
}

// The statements of the view, built once from the column table above.
std::string ColumnList(int first, int count) {
    std::string list;
    for (int i = first; i < first + count; ++i)
        list += std::string(list.empty() ? "" : ", ") + Columns[static_cast<size_t>(i)].Name;
    return list;
}

const std::string& SelectStatement() {
    static const std::string sql =
        "SELECT " + ColumnList(0, ViewFields) + " FROM IPInfo ORDER BY ID";
    return sql;
}

// An Adapter holding a byte outside ASCII: its ANSI form can be anything, even the plain
// spelling of another adapter, so the rows read for one adapter always include these and
// the restriction itself decides. The same text in the partial index and the query lets
// SQLite find these few rows through the index.
std::string WideAdapterCondition() {
    return "Adapter GLOB '*[^' || char(1) || '-' || char(127) || ']*'";
}

} // namespace

// The rows whose Adapter may be the bound one: ASCII letters in either case through the
// index, as the restriction compares them, and every adapter that is not plain ASCII.
// No ORDER BY: with one, SQLite reads the second half by scanning the whole table in ID
// order rather than through its partial index, and the read grows with the file. The
// few rows are put in ID order as they are read.
const std::string& AdapterRowsStatement() {
    static const std::string sql = [] {
        const std::string select = "SELECT " + ColumnList(0, ViewFields) + " FROM IPInfo WHERE ";
        std::string s = select;
        s += "Adapter = ?1 COLLATE NOCASE UNION ALL ";
        s += select;
        s += WideAdapterCondition();
        return s;
    }();
    return sql;
}

namespace {

// One adapter's rows lie scattered over the whole table, one or two to a page: read
// through the table, a start would read most of the file. The index holds the columns
// the view shows, so those rows are read from a few pages of it, side by side. It takes
// the place of the plain index on Adapter an earlier version made, which goes only once
// the new one is there: the statements stop at the first that fails.
const std::string& AdapterIndexStatements() {
    static const std::string sql = [] {
        std::string s = "CREATE INDEX IF NOT EXISTS IPInfoAdapterRows ON IPInfo(Adapter COLLATE "
                        "NOCASE, " +
                        ColumnList(2, ViewFields - 2) + "); DROP INDEX IF EXISTS IPInfoAdapter; ";
        s += "CREATE INDEX IF NOT EXISTS IPInfoWideAdapter ON IPInfo(Adapter) WHERE ";
        s += WideAdapterCondition();
        s += ";";
        return s;
    }();
    return sql;
}

// The indexes only speed up reading one adapter's rows; a file that cannot take them
// (another program holds a lock, the disk is full) is read without them.
void MakeAdapterIndexes(const TSqliteConnection& db) {
    sqlite3_exec(db.get(), AdapterIndexStatements().c_str(), nullptr, nullptr, nullptr);
}

const std::string& InsertStatement() {
    static const std::string sql =
        "INSERT INTO IPInfo(" + ColumnList(1, ViewFields - 1) + ") VALUES(?, ?, ?, ?, ?, ?, ?, ?)";
    return sql;
}

// Sets only the given fields, so that a change never writes back values it did not make
// over what another program stored meanwhile.
std::string UpdateStatement(const std::vector<int>& fields) {
    std::string sql = "UPDATE IPInfo SET ";
    for (size_t i = 0; i < fields.size(); ++i)
        sql +=
            std::string(i > 0 ? ", " : "") + Columns[static_cast<size_t>(fields[i])].Name + " = ?";
    return sql + " WHERE ID = ?";
}

// Values that differ only in the case of ASCII letters are one value, as for the original
// engine's DISTINCT, shown in the spelling that sorts last byte for byte (the lower-case
// one where there is one), and the values sorted without regard to case, which does not
// depend on the rows' order. The plain DISTINCT inside keeps the cost that of the
// original statement: only its few results are grouped and sorted. Empty values are
// left out.
std::string DistinctStatement(const std::string& column) {
    return "SELECT max(Value) FROM (SELECT DISTINCT " + column + " AS Value FROM IPInfo WHERE " +
           column + " <> '') GROUP BY Value COLLATE NOCASE ORDER BY 1 COLLATE NOCASE";
}

int FieldIndex(const std::string& name) {
    for (int i = 0; i < ViewFields; ++i)
        if (SameText(name, Columns[static_cast<size_t>(i)].Name))
            return i;
    throw TError("Field '" + name + "' not found");
}

// A connection that does not run its own thread-safety locks: one thread uses it.
constexpr int OpenFlags = SQLITE_OPEN_NOMUTEX;

// Waits this long for another program's lock on the file before giving up.
constexpr int BusyTimeoutMs = 2000;

const char* const EmptyDataSet = "Cannot perform this operation on an empty dataset";
const char* const StoreContext = "Cannot store the network setting";
const char* const DeleteContext = "Cannot delete the network setting";

// The view's rows, and every batch read for it, are kept in ID order.
constexpr auto IdBefore = [](const auto& a, const auto& b) { return a.Id < b.Id; };

// ASCII letters in either case are equal, every other byte only to itself: the comparison
// of the original engine's "=", and what SQLite's NOCASE does in the distinct query.
bool SameAsciiText(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return FoldAscii(x) == FoldAscii(y);
           });
}

void CheckIsProfileDatabase(const TSqliteConnection& db, const std::string& context) {
    std::int64_t pages = 0;
    // Failures carry SQLite's own words, such as "file is not a database".
    TSqliteStatement count(db, "PRAGMA page_count", context);
    if (count.Step(context))
        pages = count.Int64(0);
    if (pages == 0)
        throw TError(context + ": the file is empty (0 bytes), it holds no table IPInfo");

    TSqliteStatement table(
        db, "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = 'IPInfo' COLLATE NOCASE",
        context);
    if (!table.Step(context))
        throw TError(context + ": the file holds no table IPInfo");

    std::vector<std::string> names;
    TSqliteStatement info(db, "PRAGMA table_info(IPInfo)", context);
    while (info.Step(context))
        names.push_back(info.Text(1));
    const bool sameColumns =
        names.size() == Columns.size() &&
        std::equal(names.begin(), names.end(), Columns.begin(),
                   [](const std::string& n, const TColumnDef& c) { return SameText(n, c.Name); });
    if (!sameColumns) {
        std::string found, expected;
        for (const auto& n : names)
            found += (found.empty() ? "" : ", ") + n;
        for (const auto& c : Columns)
            expected += std::string(expected.empty() ? "" : ", ") + c.Name;
        throw TError(context + ": the table IPInfo has the columns " + found + " instead of " +
                     expected);
    }
}

// Why no change can be stored in the file, or "" when it can. Such a file is still opened,
// read-only, so that the settings in it can be viewed and applied.
std::string WhyNotWritable(const TSqliteConnection& db, const std::string& dbPath) {
    if (sqlite3_db_readonly(db.get(), "main") == 1)
        return "the file is read-only";
    std::string reason;
    if (!StoreFiles::FolderIsWritable(ExtractFilePath(dbPath), reason))
        return "its folder cannot be written (" + reason +
               "), and SQLite keeps its journal there while it stores a change";
    return {};
}

TSqliteConnection Connect(const std::string& utf8Name, int flags, const std::string& context) {
    TSqliteConnection db(utf8Name, flags | OpenFlags, context);
    // Before the first read: the file checks wait for another program's lock as a store does.
    db.SetBusyTimeout(BusyTimeoutMs);
    return db;
}

// Reads the file as it lies, without letting SQLite recover a journal or WAL file beside
// it: a file that is not ours is refused exactly as it was found.
void CheckUntouched(const std::string& dbPath, const std::string& context) {
    const TSqliteConnection probe = Connect(ImmutableFileUri(AnsiToUtf8(dbPath)),
                                            SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, context);
    CheckIsProfileDatabase(probe, context);
}

// The connection of the view, on a file known to be ours: writable, or read-only with the
// reason in readOnlyReason.
TSqliteConnection ConnectForUse(const std::string& dbPath, const std::string& context,
                                std::string& readOnlyReason) {
    TSqliteConnection db = Connect(AnsiToUtf8(dbPath), SQLITE_OPEN_READWRITE, context);
    // Again on this connection: the file may have been replaced since it was checked.
    CheckIsProfileDatabase(db, context);
    readOnlyReason = WhyNotWritable(db, dbPath);
    if (!readOnlyReason.empty() && sqlite3_db_readonly(db.get(), "main") != 1) {
        db = Connect(AnsiToUtf8(dbPath), SQLITE_OPEN_READONLY, context);
        CheckIsProfileDatabase(db, context);
    }
    return db;
}

// SQLite's length() stops at a NUL, so such a value would pass the width check uncut.
void CheckNoNul(const std::optional<std::string>& value, int field) {
    if (value && value->find('\0') != std::string::npos)
        throw TError(std::string(StoreContext) + ": " + Columns[static_cast<size_t>(field)].Name +
                     " must not contain a NUL character (byte 0)");
}

// Changes whenever another connection has committed to the file: a read of the file's
// change counter, without reading any table.
std::int64_t DataVersion(const TSqliteConnection& db, const std::string& context) {
    TSqliteStatement version(db, "PRAGMA data_version", context);
    return version.Step(context) ? version.Int64(0) : 0;
}

// Runs store inside one transaction: all of it reaches the file, or none.
template <typename Store> void InTransaction(TSqliteConnection& db, Store store) {
    db.Execute("BEGIN IMMEDIATE", StoreContext);
    try {
        store();
        db.Execute("COMMIT", StoreContext);
    } catch (...) {
        sqlite3_exec(db.get(), "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

// The reads of one open as one read transaction: the file is locked and its change
// counter checked once rather than for every statement (each a round trip to the server
// under Wine), and the rows and their extras come from one state of the file.
class TReadTransaction {
  public:
    TReadTransaction(TSqliteConnection& db, const std::string& context) : db_(db) {
        db_.Execute("BEGIN", context);
    }
    // Nothing was written, so ending it cannot lose anything.
    ~TReadTransaction() { sqlite3_exec(db_.get(), "COMMIT", nullptr, nullptr, nullptr); }
    TReadTransaction(const TReadTransaction&) = delete;
    TReadTransaction& operator=(const TReadTransaction&) = delete;

  private:
    TSqliteConnection& db_;
};

} // namespace

const std::array<TColumnDef, 12>& ProfileColumns() {
    return Columns;
}

// The true cause when the folder takes no new file, rather than SQLite's "unable to open
// database file". The folder stands on a line of its own: a message box would break a long
// path anywhere it runs out of room.
void RequireWritableFolder(const std::string& folder) {
    std::string reason;
    if (StoreFiles::FolderIsWritable(folder, reason))
        return;
    std::string message = "Cannot create the profile database: the folder\n\n";
    message += folder;
    message += "\n\ncannot be written (";
    message += reason;
    message += ")";
    throw TFolderNotWritable(message);
}

void CreateProfileDatabase(const std::string& dbPath) {
    const std::string context = "Cannot create the profile database \"" + dbPath + "\"";
    if (FileExists(dbPath))
        throw TError(context + ": a file of that name exists already");
    RequireWritableFolder(ExtractFilePath(dbPath));
    // Our own name for the file under construction: a stale one is a leftover of ours.
    const std::string temp = dbPath + ".netvane-new";
    const auto removeTemp = [&] {
        StoreFiles::RemoveQuietly(temp + "-journal");
        StoreFiles::RemoveQuietly(temp);
    };
    removeTemp();
    try {
        TSqliteConnection db(AnsiToUtf8(temp),
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | OpenFlags, context);
        const std::string sql = "BEGIN; " + TableStatement() + "; COMMIT;";
        db.Execute(sql.c_str(), context);
        if (!db.Close())
            throw TError(context + ": " + db.ErrorText());
        std::string reason;
        if (!StoreFiles::MoveNoReplace(temp, dbPath, reason))
            throw TError(context + ": " + reason);
    } catch (...) {
        removeTemp();
        throw;
    }
}

// The open connection and its prepared statements; statements are finalized first.
struct TProfileConnection {
    TSqliteConnection Db;
    TSqliteStatement Insert;
    TSqliteStatement Delete;
};

struct TOpenedProfileFile::TRowsRead {
    std::string Adapter;
    std::vector<TProfileTable::TRecord> Rows;
};

TOpenedProfileFile::TOpenedProfileFile() = default;
TOpenedProfileFile::TOpenedProfileFile(TOpenedProfileFile&&) noexcept = default;
TOpenedProfileFile& TOpenedProfileFile::operator=(TOpenedProfileFile&&) noexcept = default;
TOpenedProfileFile::~TOpenedProfileFile() = default;

TOpenedProfileFile TOpenedProfileFile::Open(const std::string& dbPath) {
    return Open(dbPath, [](const TSqliteConnection&, const std::string&) {});
}

TOpenedProfileFile TOpenedProfileFile::OpenWithRowsOf(const std::string& dbPath,
                                                      const std::string& adapterId) {
    auto read = std::make_unique<TRowsRead>();
    read->Adapter = adapterId;
    TOpenedProfileFile file =
        Open(dbPath, [&](const TSqliteConnection& db, const std::string& context) {
            read->Rows = TProfileTable::ReadRows(db, adapterId, context);
        });
    file.rowsRead_ = std::move(read);
    return file;
}

TOpenedProfileFile TOpenedProfileFile::Open(const std::string& dbPath,
                                            const TReadFirst& readFirst) {
    const std::string context = "Cannot open the profile database \"" + dbPath + "\"";
    if (!FileExists(dbPath))
        throw TError(context + ": the file does not exist");

    CheckUntouched(dbPath, context);
    TOpenedProfileFile file;
    auto connection = std::make_unique<TProfileConnection>();
    connection->Db = ConnectForUse(dbPath, context, file.readOnlyReason_);
    const TSqliteConnection& db = connection->Db;
    {
        const TReadTransaction reading(connection->Db, context);
        // Before the first read: a commit of another program after it is seen as a change.
        file.dataVersion_ = DataVersion(db, context);
        readFirst(db, context);
        file.extras_ = LoadExtras(db, context);
        LoadOptions(db, file.extras_, context);
    }
    connection->Insert = TSqliteStatement(db, InsertStatement().c_str(), context);
    connection->Delete = TSqliteStatement(db, "DELETE FROM IPInfo WHERE ID = ?", context);
    // Written last, once nothing else can refuse the file: a file refused is left as it
    // was. The extras' table comes with the first opening that may write (its own
    // transaction); a read-only file without it simply has no extras.
    if (file.readOnlyReason_.empty()) {
        // Each side table on its own: a file may have an older one and lack a younger.
        EnsureExtrasTable(connection->Db, context);
        EnsureOptionsTable(connection->Db, context);
        EnsureUseWhenTable(connection->Db, context);
        MakeAdapterIndexes(db);
    }
    file.connection_ = std::move(connection);
    file.path_ = dbPath;
    return file;
}

TProfileTable::TProfileTable() = default;
TProfileTable::~TProfileTable() = default;

const std::vector<TFieldDef>& TProfileTable::Fields() {
    static const std::vector<TFieldDef> fields = [] {
        std::vector<TFieldDef> f;
        f.reserve(ViewFields);
        for (int i = 0; i < ViewFields; ++i)
            f.push_back(
                {Columns[static_cast<size_t>(i)].Name, Columns[static_cast<size_t>(i)].Width});
        f[1].Size = 128; // the editor allows a longer adapter text than the column keeps
        return f;
    }();
    return fields;
}

void TProfileTable::Open(const std::string& dbPath, TRowLoad load) {
    Close();
    const bool readNow = load == TRowLoad::Now;
    std::vector<TRecord> rows;
    TOpenedProfileFile file = TOpenedProfileFile::Open(dbPath, [&](const TSqliteConnection& db,
                                                                   const std::string& context) {
        if (readNow)
            rows = ReadRows(db, filtered_ ? std::optional(filterAdapter_) : std::nullopt, context);
    });
    Adopt(std::move(file), std::move(rows), readNow);
}

void TProfileTable::Show(TOpenedProfileFile file) {
    Close();
    Adopt(std::move(file), {}, false);
}

void TProfileTable::Adopt(TOpenedProfileFile file, std::vector<TRecord> rows, bool rowsRead) {
    connection_ = std::move(file.connection_);
    path_ = std::move(file.path_);
    readOnlyReason_ = std::move(file.readOnlyReason_);
    extras_ = std::move(file.extras_);
    rowsAhead_ = std::move(file.rowsRead_);
    dataVersion_ = file.dataVersion_;
    TakeRows(std::move(rows), rowsRead);
    readPending_ = !rowsRead;
    state_ = TViewState::Browse;
    Rebuild();
    current_ = visible_.empty() ? -1 : 0;
    Changed();
}

// rowsRead: the rows are those of the restriction (every row without one) as the file holds
// them; otherwise none is read yet.
void TProfileTable::TakeRows(std::vector<TRecord> rows, bool rowsRead) {
    rows_ = std::move(rows);
    allRead_ = rowsRead && !filtered_;
    adaptersRead_.clear();
    if (rowsRead && filtered_)
        adaptersRead_.insert(FoldedAscii(filterAdapter_));
}

std::vector<TProfileTable::TRecord>
TProfileTable::ReadRows(const TSqliteConnection& db, const std::optional<std::string>& adapterId,
                        const std::string& context) {
    std::vector<TRecord> rows;
    if (!adapterId) {
        // Room for every row at once: growing the rows one by one would, at the last step,
        // hold them twice over, and that peak is what the process's memory is measured by.
        TSqliteStatement count(db, "SELECT count(*) FROM IPInfo", context);
        if (count.Step(context))
            rows.reserve(static_cast<size_t>(std::max<std::int64_t>(count.Int64(0), 0)));
    }
    TSqliteStatement select(db, (adapterId ? AdapterRowsStatement() : SelectStatement()).c_str(),
                            context);
    if (adapterId)
        select.BindText(1, AnsiToUtf8(*adapterId));
    while (select.Step(context)) {
        TRecord& record = rows.emplace_back();
        record.Id = select.Int64(0);
        TRowTexts::TTexts texts;
        for (int f = 1; f < ViewFields; ++f)
            if (!select.IsNull(f))
                texts[static_cast<size_t>(f - 1)] = Utf8ToAnsi(select.Text(f));
        record.Values.Assign(texts);
    }
    if (adapterId)
        InIdOrder(rows);
    return rows;
}

// One adapter's rows come from two halves, each in its index's order. A row both
// plain-spelled and wide cannot be, but the halves are not told so: never the same row
// twice.
void TProfileTable::InIdOrder(std::vector<TRecord>& rows) {
    std::sort(rows.begin(), rows.end(), IdBefore);
    rows.erase(std::unique(rows.begin(), rows.end(),
                           [](const TRecord& a, const TRecord& b) { return a.Id == b.Id; }),
               rows.end());
}

// Reads the rows of the restriction (filtered to adapterId, or all) unless they are read
// already. The rows read before stay as they are, our own changes included.
void TProfileTable::ReadRowsFor(bool filtered, const std::string& adapterId) {
    const std::string key = FoldedAscii(adapterId);
    if (allRead_ || (filtered && adaptersRead_.count(key) != 0))
        return;
    const std::string context = "Cannot read the profile database \"" + path_ + "\"";
    // The rows read with the open serve only the restriction they were read for, and only
    // the first read: later ones read the file as it is then.
    std::vector<TRecord> read =
        filtered && rowsAhead_ && FoldedAscii(rowsAhead_->Adapter) == key
            ? std::move(rowsAhead_->Rows)
            : ReadRows(connection_->Db, filtered ? std::optional(adapterId) : std::nullopt,
                       context);
    rowsAhead_.reset();
    MergeRows(std::move(read));
    if (filtered) {
        adaptersRead_.insert(key);
    } else {
        allRead_ = true;
        adaptersRead_.clear();
    }
    readPending_ = false;
}

// Adds the rows not in the view yet, keeping ID order; a row read before (or stored,
// changed or deleted by this view) keeps what the view knows of it. Indexes into rows_
// move: the caller rebuilds the visible rows.
void TProfileTable::MergeRows(std::vector<TRecord> read) {
    if (rows_.empty()) {
        rows_ = std::move(read);
        return;
    }
    const size_t known = rows_.size();
    rows_.reserve(known + read.size());
    for (TRecord& record : read)
        if (!std::binary_search(rows_.begin(), rows_.begin() + static_cast<std::ptrdiff_t>(known),
                                record, IdBefore))
            rows_.push_back(std::move(record));
    std::inplace_merge(rows_.begin(), rows_.begin() + static_cast<std::ptrdiff_t>(known),
                       rows_.end(), IdBefore);
}

void TProfileTable::LoadRows() {
    if (!connection_ || !readPending_)
        return;
    ReadRowsFor(filtered_, filterAdapter_);
    Rebuild();
    current_ = visible_.empty() ? -1 : 0;
    Changed();
}

void TProfileTable::Close() {
    if (!connection_)
        return;
    connection_.reset();
    path_.clear();
    readOnlyReason_.clear();
    rows_.clear();
    extras_.clear();
    visible_.clear();
    allRead_ = false;
    adaptersRead_.clear();
    readPending_ = false;
    rowsAhead_.reset();
    current_ = -1;
    state_ = TViewState::Browse;
    pending_ = {};
    pendingExtras_ = {};
    Changed();
}

bool TProfileTable::Active() const {
    return connection_ != nullptr;
}

void TProfileTable::RequireActive() const {
    if (!connection_)
        throw TError("Cannot perform this operation on a closed dataset");
}

// Leaving Insert or Edit for a move of the view stores the pending row first.
void TProfileTable::CheckBrowseMode() {
    if (state_ != TViewState::Browse)
        Post();
}

bool TProfileTable::Matches(const TRecord& record) const {
    return !record.Deleted &&
           (!filtered_ ||
            (record.Values.Has(0) && SameAsciiText(record.Values.View(0), filterAdapter_)));
}

void TProfileTable::Rebuild() {
    visible_.clear();
    visible_.reserve(rows_.size());
    for (size_t i = 0; i < rows_.size(); ++i)
        if (Matches(rows_[i]))
            visible_.push_back(i);
}

void TProfileTable::Changed() {
    if (onChange_)
        onChange_();
}

const TProfileTable::TRecord* TProfileTable::Current() const {
    if (current_ < 0 || static_cast<size_t>(current_) >= visible_.size())
        return nullptr;
    return &rows_[visible_[static_cast<size_t>(current_)]];
}

void TProfileTable::SetAdapterFilter(const std::string& adapterId) {
    if (connection_) {
        CheckBrowseMode();
        ReadRowsFor(true, adapterId);
    }
    filtered_ = true;
    filterAdapter_ = adapterId;
    if (!connection_)
        return;
    Rebuild();
    current_ = visible_.empty() ? -1 : 0;
    Changed();
}

void TProfileTable::ClearFilter() {
    if (connection_) {
        CheckBrowseMode();
        ReadRowsFor(false, {});
    }
    filtered_ = false;
    filterAdapter_.clear();
    if (!connection_)
        return;
    Rebuild();
    current_ = visible_.empty() ? -1 : 0;
    Changed();
}

int TProfileTable::RowCount() const {
    RequireActive();
    return static_cast<int>(visible_.size());
}

int TProfileTable::CurrentRow() const {
    return connection_ ? current_ : -1;
}

void TProfileTable::MoveTo(int row) {
    if (!connection_ || state_ != TViewState::Browse || visible_.empty())
        return;
    row = std::clamp(row, 0, static_cast<int>(visible_.size()) - 1);
    if (row == current_)
        return;
    current_ = row;
    Changed();
}

std::string TProfileTable::Text(int row, int field) const {
    if (!connection_ || row < 0 || static_cast<size_t>(row) >= visible_.size() || field < 0 ||
        field >= ViewFields)
        return {};
    const TRecord& record = rows_[visible_[static_cast<size_t>(row)]];
    if (field == 0)
        return std::to_string(record.Id);
    return std::string(record.Values.View(static_cast<size_t>(field - 1)));
}

std::string TProfileTable::FieldText(const std::string& name) const {
    RequireActive();
    const int field = FieldIndex(name);
    const TRecord* record = state_ == TViewState::Browse ? Current() : &pending_;
    if (!record)
        return {};
    if (field == 0)
        return record->Id == 0 ? std::string() : std::to_string(record->Id);
    return std::string(record->Values.View(static_cast<size_t>(field - 1)));
}

const TSettingExtras& TProfileTable::StoredExtras(std::int64_t id) const {
    static const TSettingExtras none;
    const auto found = extras_.find(id);
    return found == extras_.end() ? none : found->second;
}

void TProfileTable::KeepExtras(std::int64_t id, const TSettingExtras& extras) {
    if (extras.Empty())
        extras_.erase(id);
    else
        extras_[id] = extras;
}

TSettingExtras TProfileTable::Extras(int row) const {
    if (!connection_ || row < 0 || static_cast<size_t>(row) >= visible_.size())
        return {};
    return StoredExtras(rows_[visible_[static_cast<size_t>(row)]].Id);
}

TSettingExtras TProfileTable::FieldExtras() const {
    RequireActive();
    if (state_ != TViewState::Browse)
        return pendingExtras_;
    const TRecord* record = Current();
    return record ? StoredExtras(record->Id) : TSettingExtras{};
}

void TProfileTable::SetFieldExtras(const TSettingExtras& extras) {
    RequireActive();
    if (state_ == TViewState::Browse)
        throw TError("Dataset not in edit or insert mode");
    pendingExtras_ = extras;
    Changed();
}

void TProfileTable::Insert() {
    RequireActive();
    CheckBrowseMode();
    LoadRows();
    currentBeforeInsert_ = current_;
    pending_ = {};
    pendingExtras_ = {};
    state_ = TViewState::Insert;
    Changed();
}

void TProfileTable::Edit() {
    RequireActive();
    if (state_ != TViewState::Browse)
        return;
    const TRecord* record = Current();
    if (!record)
        throw TError(EmptyDataSet);
    pending_ = *record;
    pendingExtras_ = StoredExtras(record->Id);
    state_ = TViewState::Edit;
    Changed();
}

void TProfileTable::SetFieldText(const std::string& name, const std::string& text) {
    RequireActive();
    const int field = FieldIndex(name);
    if (state_ == TViewState::Browse)
        throw TError("Dataset not in edit or insert mode");
    if (field == 0)
        throw TError("Field 'ID' cannot be modified");
    pending_.Values.Set(static_cast<size_t>(field - 1), text);
    Changed();
}

void TProfileTable::Post() {
    RequireActive();
    if (state_ == TViewState::Insert)
        PostInsert();
    else if (state_ == TViewState::Edit)
        PostEdit();
    else
        return;
    pending_ = {};
    pendingExtras_ = {};
    state_ = TViewState::Browse;
    Changed();
}

std::string TProfileTable::ReadOnlyNotice() const {
    if (readOnlyReason_.empty())
        return {};
    std::string notice = "The stored settings can be applied but not changed: the profile "
                         "database \"";
    notice += path_;
    notice += "\" cannot be written: ";
    notice += readOnlyReason_;
    notice += ". To add, edit or delete settings, make the file and its folder writable and "
              "start Netvane again.";
    return notice;
}

void TProfileTable::RequireWritable(const std::string& context) const {
    if (!readOnlyReason_.empty())
        throw TError(context + ": the profile database \"" + path_ +
                     "\" cannot be written: " + readOnlyReason_);
}

// Binds the pending row's given fields to the parameters 1, 2, ... in that order.
void TProfileTable::BindPending(TSqliteStatement& statement, const std::vector<int>& fields) const {
    for (size_t i = 0; i < fields.size(); ++i) {
        const auto value = pending_.Values.Get(static_cast<size_t>(fields[i] - 1));
        CheckNoNul(value, fields[i]);
        statement.BindText(static_cast<int>(i + 1),
                           value ? std::optional(AnsiToUtf8(*value)) : std::nullopt);
    }
}

void TProfileTable::PostInsert() {
    RequireWritable(StoreContext);
    std::vector<int> fields;
    for (int f = 1; f < ViewFields; ++f)
        fields.push_back(f);
    TSqliteStatement& insert = connection_->Insert;
    TSqliteConnection& db = connection_->Db;
    InTransaction(db, [&] {
        {
            TStatementRun run(insert);
            BindPending(insert, fields);
            insert.Step(StoreContext);
        }
        pending_.Id = sqlite3_last_insert_rowid(db.get());
        if (!pendingExtras_.Empty()) {
            StoreExtras(db, pending_.Id, pendingExtras_, StoreContext);
            StoreOptions(db, pending_.Id, pendingExtras_.Options, StoreContext);
        }
    });
    KeepExtras(pending_.Id, pendingExtras_);
    // AUTOINCREMENT gives a number above every one used before: the new row is last.
    rows_.push_back(std::move(pending_));
    if (Matches(rows_.back())) {
        visible_.push_back(rows_.size() - 1);
        current_ = static_cast<int>(visible_.size()) - 1;
    } else {
        current_ = currentBeforeInsert_;
    }
}

std::vector<int> TProfileTable::ChangedFields(const TRecord& stored) const {
    std::vector<int> fields;
    for (int f = 1; f < ViewFields; ++f) {
        const auto slot = static_cast<size_t>(f - 1);
        // Both spellings of an empty field, NULL and "", are one value: View gives "".
        if (stored.Values.View(slot) != pending_.Values.View(slot))
            fields.push_back(f);
    }
    return fields;
}

void TProfileTable::PostEdit() {
    const size_t index = visible_[static_cast<size_t>(current_)];
    const std::vector<int> fields = ChangedFields(rows_[index]);
    const bool extrasChanged = !(pendingExtras_ == StoredExtras(pending_.Id));
    // Nothing changed, nothing to store.
    if (!fields.empty() || extrasChanged) {
        RequireWritable(StoreContext);
        TSqliteConnection& db = connection_->Db;
        InTransaction(db, [&] {
            if (!fields.empty()) {
                TSqliteStatement update(db, UpdateStatement(fields).c_str(), StoreContext);
                BindPending(update, fields);
                update.BindInt64(static_cast<int>(fields.size()) + 1, pending_.Id);
                update.Step(StoreContext);
                if (sqlite3_changes(db.get()) == 0)
                    throw TError(std::string(StoreContext) + ": it is no longer in the database");
            }
            if (extrasChanged) {
                StoreExtras(db, pending_.Id, pendingExtras_, StoreContext);
                StoreOptions(db, pending_.Id, pendingExtras_.Options, StoreContext);
            }
        });
        KeepExtras(pending_.Id, pendingExtras_);
    }
    rows_[index] = std::move(pending_);
    if (!Matches(rows_[index])) {
        Rebuild();
        current_ = std::min(current_, static_cast<int>(visible_.size()) - 1);
    }
}

void TProfileTable::Cancel() {
    if (!connection_ || state_ == TViewState::Browse)
        return;
    if (state_ == TViewState::Insert)
        current_ = currentBeforeInsert_;
    pending_ = {};
    pendingExtras_ = {};
    state_ = TViewState::Browse;
    Changed();
}

void TProfileTable::DeleteCurrent() {
    RequireActive();
    if (state_ == TViewState::Insert) {
        Cancel();
        return;
    }
    const TRecord* record = Current();
    if (!record)
        throw TError(EmptyDataSet);
    RequireWritable(DeleteContext);
    TSqliteStatement& erase = connection_->Delete;
    {
        TStatementRun run(erase);
        erase.BindInt64(1, record->Id);
        erase.Step(DeleteContext);
    }
    // The row is gone from the file (or was gone already): it leaves the view too, and
    // the trigger took its extras with it.
    extras_.erase(record->Id);
    pending_ = {};
    pendingExtras_ = {};
    state_ = TViewState::Browse;
    rows_[visible_[static_cast<size_t>(current_)]].Deleted = true;
    visible_.erase(visible_.begin() + current_);
    current_ = std::min(current_, static_cast<int>(visible_.size()) - 1);
    Changed();
}

void TProfileTable::SetOnChange(std::function<void()> handler) {
    onChange_ = std::move(handler);
}

// Empty text and no value count as the same, as everywhere in the view.
TProfileTable::TRowValues TProfileTable::ValuesOf(const TRecord& record) {
    TRowValues values;
    for (size_t f = 0; f < values.size(); ++f)
        values[f] = std::string(record.Values.View(f));
    return values;
}

std::vector<TProfileTable::TStoredRow> TProfileTable::StoredRowsOf(const std::string& adapterId) {
    // An adapter not shown yet has its rows read first: the answer is what the file holds.
    if (connection_) {
        ReadRowsFor(true, adapterId);
        Rebuild();
    }
    std::vector<TStoredRow> rows;
    for (const TRecord& record : rows_)
        if (!record.Deleted && record.Values.Has(0) &&
            SameAsciiText(record.Values.View(0), adapterId))
            rows.push_back({record.Id, ValuesOf(record), StoredExtras(record.Id)});
    return rows;
}

int TProfileTable::RowOfId(std::int64_t id) const {
    for (size_t row = 0; row < visible_.size(); ++row)
        if (rows_[visible_[row]].Id == id)
            return static_cast<int>(row);
    return -1;
}

bool TProfileTable::ReloadWhenChangedElsewhere() {
    if (!connection_ || state_ != TViewState::Browse)
        return false;
    const std::string context = "Cannot read the profile database \"" + path_ + "\"";
    TSqliteConnection& db = connection_->Db;
    const std::int64_t version = DataVersion(db, context);
    if (version == dataVersion_)
        return false;
    // Rows and extras as of one moment, read before the view changes at all.
    std::vector<TRecord> rows;
    std::map<std::int64_t, TSettingExtras> extras;
    {
        const TReadTransaction reading(db, context);
        if (!readPending_)
            rows = ReadRows(db, filtered_ ? std::optional(filterAdapter_) : std::nullopt, context);
        extras = LoadExtras(db, context);
        LoadOptions(db, extras, context);
    }
    const TRecord* current = Current();
    const std::int64_t currentId = current ? current->Id : 0;
    TakeRows(std::move(rows), !readPending_);
    extras_ = std::move(extras);
    rowsAhead_.reset();
    dataVersion_ = version;
    Rebuild();
    // The row the user was on, or the one now in its place.
    const int kept = RowOfId(currentId);
    current_ = kept >= 0          ? kept
               : visible_.empty() ? -1
                                  : std::clamp(current_, 0, static_cast<int>(visible_.size()) - 1);
    Changed();
    return true;
}

// Every stored row that an imported one can equal is in the view: those of its adapters.
void TProfileTable::ReadRowsOfAdapters(const std::vector<TRowValues>& rows) {
    std::set<std::string> adapters;
    for (const TRowValues& values : rows)
        if (adapters.insert(FoldedAscii(values[0])).second)
            ReadRowsFor(true, values[0]);
    Rebuild();
}

int TProfileTable::AppendDistinctRows(const std::vector<TRowValues>& rows,
                                      const std::vector<TSettingExtras>& extras) {
    RequireActive();
    if (state_ != TViewState::Browse)
        throw TError("Cannot add settings while one is being edited");
    if (!extras.empty() && extras.size() != rows.size())
        throw TError("Cannot add settings: their extras do not match them one for one");
    RequireWritable(StoreContext);
    LoadRows();
    ReadRowsOfAdapters(rows);
    TSqliteConnection& db = connection_->Db;
    TSqliteStatement& insert = connection_->Insert;
    static const TSettingExtras none;
    // The adapter compares in either letter case, as the restriction to it does.
    const auto key = [](TRowValues values, const TSettingExtras& more) {
        values[0] = FoldedAscii(values[0]);
        return std::pair(values,
                         std::tuple(more.GatewayMetric, FormatAddressList(more.MoreAddresses),
                                    FormatGatewayList(more.MoreGateways)));
    };
    std::set<decltype(key(TRowValues{}, none))> stored;
    for (const TRecord& record : rows_)
        if (!record.Deleted)
            stored.insert(key(ValuesOf(record), StoredExtras(record.Id)));
    std::vector<TRecord> added;
    std::vector<const TSettingExtras*> addedExtras;
    db.Execute("BEGIN IMMEDIATE", StoreContext);
    try {
        for (size_t i = 0; i < rows.size(); ++i) {
            const TRowValues& values = rows[i];
            const TSettingExtras& more = extras.empty() ? none : extras[i];
            if (!stored.insert(key(values, more)).second)
                continue;
            TRecord& record = added.emplace_back();
            {
                TStatementRun run(insert);
                TRowTexts::TTexts texts;
                for (size_t f = 0; f < values.size(); ++f) {
                    texts[f] = values[f];
                    insert.BindText(static_cast<int>(f) + 1, AnsiToUtf8(values[f]));
                }
                record.Values.Assign(texts);
                insert.Step(StoreContext);
            }
            record.Id = sqlite3_last_insert_rowid(db.get());
            if (!more.Empty()) {
                StoreExtras(db, record.Id, more, StoreContext);
                StoreOptions(db, record.Id, more.Options, StoreContext);
            }
            addedExtras.push_back(&more);
        }
        db.Execute("COMMIT", StoreContext);
    } catch (...) {
        // Nothing of the list reaches the file; the view has not been touched yet.
        sqlite3_exec(db.get(), "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
    for (size_t i = 0; i < added.size(); ++i) {
        KeepExtras(added[i].Id, *addedExtras[i]);
        rows_.push_back(std::move(added[i]));
    }
    Rebuild();
    if (current_ < 0 && !visible_.empty())
        current_ = 0;
    Changed();
    return static_cast<int>(added.size());
}

std::vector<std::string> TProfileQuery::DistinctValues(const std::string& column) {
    const auto found = std::find_if(Columns.begin(), Columns.end(),
                                    [&](const TColumnDef& c) { return SameText(column, c.Name); });
    if (found == Columns.end())
        throw TError("The table IPInfo has no column '" + column + "'");
    const std::string context = "Cannot read the profile database \"" + path_ + "\"";
    if (path_.empty())
        throw TError("Cannot read the profile database: no database given");
    // A connection of this query's own, closed (statement first) on every path.
    TSqliteConnection db(AnsiToUtf8(path_), SQLITE_OPEN_READONLY | OpenFlags, context);
    db.SetBusyTimeout(BusyTimeoutMs);
    TSqliteStatement query(db, DistinctStatement(found->Name).c_str(), context);
    std::vector<std::string> values;
    while (query.Step(context))
        values.push_back(Utf8ToAnsi(query.Text(0)));
    return values;
}
