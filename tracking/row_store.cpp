#include "row_store.h"

#include <sqlite3.h>

#include <filesystem>
#include <initializer_list>
#include <limits>
#include <string_view>
#include <system_error>
#include <unordered_map>
#include <utility>

#include "file_names.h"
#include "local_time.h"
#include "row_packing.h"
#include "sqlite_statement.h"

namespace sorvik {
namespace {

// What the store's file says it is ("SRVK"), so that another program's
// database named rows.db is set aside instead of written into.
constexpr int kApplicationId = 0x5352564B;
constexpr int kSchemaVersion = 1;
// How long a writer waits for another (the window and a console run) before
// giving up on a check's rows.
constexpr int kBusyTimeoutMs = 15000;

const char* const kSchema = R"(
CREATE TABLE IF NOT EXISTS lines(
  id INTEGER PRIMARY KEY,
  keyword TEXT NOT NULL,
  target TEXT NOT NULL,
  mode INTEGER NOT NULL,
  UNIQUE(keyword, target, mode));
CREATE TABLE IF NOT EXISTS items(
  id INTEGER PRIMARY KEY,
  item_key TEXT NOT NULL,
  version INTEGER NOT NULL,
  title TEXT NOT NULL,
  seller TEXT NOT NULL,
  link TEXT NOT NULL,
  UNIQUE(item_key, version));
CREATE TABLE IF NOT EXISTS checks(
  id INTEGER PRIMARY KEY,
  line INTEGER NOT NULL REFERENCES lines(id),
  checked_at INTEGER NOT NULL,
  outcome TEXT NOT NULL,
  rank INTEGER,
  row_count INTEGER NOT NULL,
  rows BLOB NOT NULL);
CREATE INDEX IF NOT EXISTS checks_by_line ON checks(line, checked_at);
CREATE INDEX IF NOT EXISTS checks_by_time ON checks(checked_at);
)";

// The pieces of a message, one after another.
std::string Join(std::initializer_list<std::string_view> pieces) {
    std::string text;
    for (std::string_view piece : pieces) text += piece;
    return text;
}

// Opens `path` as a store, making its tables when new. SQLITE_OK, or the
// error; the handle is returned (and must be closed) either way.
int OpenStore(const std::string& path, sqlite3*& db, bool& foreign) {
    foreign = false;
    int code = sqlite3_open_v2(path.c_str(), &db,
                               SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX,
                               nullptr);
    if (code != SQLITE_OK) return code;
    sqlite3_busy_timeout(db, kBusyTimeoutMs);
    sqlite3_extended_result_codes(db, 1);
    // Reading the schema is what tells a file that is no database. The
    // statements end before the journal mode changes, which no open read
    // may span.
    std::int64_t application = 0;
    std::int64_t tableCount = 0;
    {
        Statement probe(db, "PRAGMA application_id");
        if ((code = probe.Step()) != SQLITE_ROW) return code;
        application = probe.Int(0);
        Statement tables(db, "SELECT count(*) FROM sqlite_master");
        if ((code = tables.Step()) != SQLITE_ROW) return code;
        tableCount = tables.Int(0);
    }
    if (application != kApplicationId && tableCount != 0) {
        foreign = true;
        return SQLITE_NOTADB;
    }
    if ((code = Exec(db, "PRAGMA journal_mode=WAL")) != SQLITE_OK) return code;
    if ((code = Exec(db, "PRAGMA synchronous=NORMAL")) != SQLITE_OK) return code;
    if (application != kApplicationId) {
        const std::string setup = Join(
            {"BEGIN IMMEDIATE;", kSchema, "PRAGMA application_id=", std::to_string(kApplicationId),
             ";PRAGMA user_version=", std::to_string(kSchemaVersion), ";COMMIT;"});
        if ((code = Exec(db, setup.c_str())) != SQLITE_OK) {
            Exec(db, "ROLLBACK");
            return code;
        }
    }
    return SQLITE_OK;
}

// The number that tells one item's title, seller and link from another's
// (an item may change its title): a 64-bit FNV-1a hash of the three, kept
// in the index instead of the texts, which would double the items' size.
std::int64_t ItemVersion(const SeenRow& row) {
    std::uint64_t hash = 14695981039346656037ULL;
    for (const std::string* text : {&row.title, &row.seller, &row.link}) {
        for (const char c : *text) {
            hash ^= static_cast<unsigned char>(c);
            hash *= 1099511628211ULL;
        }
        hash ^= 0x1F;  // a separator, so that "ab"+"c" differs from "a"+"bc"
        hash *= 1099511628211ULL;
    }
    return static_cast<std::int64_t>(hash);
}

// A name beside `path` for a damaged store: PATH.damaged-YYYYMMDD-HHMMSS,
// with -N after it when that is taken.
std::string AsideName(const std::string& path) {
    std::tm local{};
    const std::time_t now = std::time(nullptr);
    char stamp[32] = "unknown";
    if (ToLocalTime(now, local)) std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    std::string name = path + ".damaged-" + stamp;
    std::error_code error;
    for (int n = 2; std::filesystem::exists(PathFromUtf8(name), error) && n < 1000; ++n)
        name = path + ".damaged-" + stamp + "-" + std::to_string(n);
    return name;
}

// Moves the store at `path` (with its write-ahead log) aside; the name it
// went to, or empty when it could not be moved.
std::string SetAside(const std::string& path) {
    std::string aside = AsideName(path);
    std::error_code error;
    std::filesystem::rename(PathFromUtf8(path), PathFromUtf8(aside), error);
    if (error) return std::string();
    // The log goes with the file it belongs to; the shared memory index is
    // made again from it.
    std::error_code ignored;
    std::filesystem::rename(PathFromUtf8(path + "-wal"), PathFromUtf8(aside + "-wal"), ignored);
    std::filesystem::remove(PathFromUtf8(path + "-shm"), ignored);
    return aside;
}

}  // namespace

std::unique_ptr<RowStore> RowStore::Open(const std::string& path, std::string& report) {
    report.clear();
    for (int attempt = 0; attempt < 2; ++attempt) {
        sqlite3* db = nullptr;
        bool foreign = false;
        const int code = OpenStore(path, db, foreign);
        if (code == SQLITE_OK) return std::unique_ptr<RowStore>(new RowStore(path, db));
        const std::string why = foreign ? "it is no store of rows" : Problem(db, code);
        sqlite3_close(db);
        if (attempt == 0 && (foreign || IsDamage(code))) {
            const std::string aside = SetAside(path);
            if (aside.empty()) {
                report = Join({"the row store ", path, " can't be used (", why,
                               ") and can't be moved aside"});
                return nullptr;
            }
            report = Join({"the row store ", path, " can't be used (", why, "): moved aside to ",
                           aside, ", a new one started"});
            continue;
        }
        report = Join({report, report.empty() ? "" : "; ", "the row store ", path,
                       " can't be opened: ", why});
        return nullptr;
    }
    return nullptr;
}

RowStore::RowStore(std::string path, sqlite3* db) : m_path(std::move(path)), m_db(db) {}

RowStore::~RowStore() {
    sqlite3_close(m_db);
}

}  // namespace sorvik

namespace sorvik {

RowStore::Kept RowStore::Record(const StoredCheck& check, std::string& error) {
    std::lock_guard<std::mutex> lock(m_lock);
    error.clear();
    int code = RecordCheck(check);
    if (IsDamage(code)) {
        // Set aside what can't be trusted, and keep this check in a new store.
        sqlite3_close(m_db);
        m_db = nullptr;
        const std::string aside = SetAside(m_path);
        bool foreign = false;
        const int reopened = aside.empty() ? code : OpenStore(m_path, m_db, foreign);
        if (reopened != SQLITE_OK) {
            error = "the row store " + m_path + " is damaged and can't be " +
                    (aside.empty() ? "moved aside" : "made again: " + Problem(m_db, reopened));
            sqlite3_close(m_db);
            m_db = nullptr;
            return Kept::No;
        }
        code = RecordCheck(check);
        error = "the row store " + m_path + " was damaged: moved aside to " + aside +
                ", a new one started" +
                (code == SQLITE_OK ? std::string() : " (this check's rows are lost)");
        return code == SQLITE_OK ? Kept::InNewStore : Kept::No;
    }
    if (code != SQLITE_OK) {
        error = "the rows of this check were not kept in " + m_path + ": " + Problem(m_db, code);
        return Kept::No;
    }
    // Old checks go after the new one is safe; a failure here loses nothing.
    Statement drop(m_db, "DELETE FROM checks WHERE checked_at < ?");
    drop.Bind(1, static_cast<std::int64_t>(check.checkedAt) -
                     static_cast<std::int64_t>(m_retentionDays) * 86400);
    drop.Step();
    return Kept::Yes;
}

int RowStore::RecordCheck(const StoredCheck& check) {
    if (m_db == nullptr) return SQLITE_CANTOPEN;
    int code = Exec(m_db, "BEGIN IMMEDIATE");
    if (code != SQLITE_OK) return code;
    const auto fail = [this](int failed) {
        Exec(m_db, "ROLLBACK");
        return failed;
    };

    Statement addLine(m_db,
                      "INSERT INTO lines(keyword, target, mode) VALUES(?, ?, ?) "
                      "ON CONFLICT DO NOTHING");
    addLine.Bind(1, check.keyword).Bind(2, check.target).Bind(3, std::int64_t{check.mode});
    if ((code = addLine.Step()) != SQLITE_DONE) return fail(code);
    Statement findLine(m_db, "SELECT id FROM lines WHERE keyword = ? AND target = ? AND mode = ?");
    findLine.Bind(1, check.keyword).Bind(2, check.target).Bind(3, std::int64_t{check.mode});
    if ((code = findLine.Step()) != SQLITE_ROW) return fail(code);
    const std::int64_t line = findLine.Int(0);

    Statement addItem(m_db,
                      "INSERT INTO items(item_key, version, title, seller, link) "
                      "VALUES(?, ?, ?, ?, ?) "
                      "ON CONFLICT DO NOTHING");
    Statement findItem(m_db, "SELECT id FROM items WHERE item_key = ? AND version = ?");
    std::vector<PackedRow> packed;
    packed.reserve(check.rows.size());
    for (const SeenRow& row : check.rows) {
        const std::int64_t version = ItemVersion(row);
        addItem.Reset();
        addItem.Bind(1, row.itemId)
            .Bind(2, version)
            .Bind(3, row.title)
            .Bind(4, row.seller)
            .Bind(5, row.link);
        if ((code = addItem.Step()) != SQLITE_DONE) return fail(code);
        findItem.Reset();
        findItem.Bind(1, row.itemId).Bind(2, version);
        if ((code = findItem.Step()) != SQLITE_ROW) return fail(code);
        packed.push_back({row.rank, row.page, findItem.Int(0), row.priceFen, row.sales});
    }

    Statement addCheck(m_db,
                       "INSERT INTO checks(line, checked_at, outcome, rank, row_count, rows) "
                       "VALUES(?, ?, ?, ?, ?, ?)");
    addCheck.Bind(1, line)
        .Bind(2, static_cast<std::int64_t>(check.checkedAt))
        .Bind(3, std::string(CheckOutcomeName(check.outcome)))
        .Bind(5, static_cast<std::int64_t>(check.rows.size()))
        .BindBlob(6, PackRows(packed));
    if (check.rank) addCheck.Bind(4, std::int64_t{*check.rank});
    if ((code = addCheck.Step()) != SQLITE_DONE) return fail(code);
    if ((code = Exec(m_db, "COMMIT")) != SQLITE_OK) return fail(code);
    return SQLITE_OK;
}

}  // namespace sorvik
