// The few pieces of SQLite's C interface the row store uses, each handle
// owned by an object that lets it go.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace sorvik {

inline bool IsDamage(int code) {
    const int primary = code & 0xFF;
    return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB;
}

// A prepared statement, finalized when it goes.
class Statement {
  public:
    Statement(sqlite3* db, const char* sql)
        : m_prepared(sqlite3_prepare_v2(db, sql, -1, &m_stmt, nullptr)), m_code(m_prepared) {}
    ~Statement() { sqlite3_finalize(m_stmt); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool Ok() const { return m_prepared == SQLITE_OK; }
    int Code() const { return m_code; }
    Statement& Bind(int index, const std::string& text) {
        sqlite3_bind_text(m_stmt, index, text.data(), static_cast<int>(text.size()),
                          SQLITE_TRANSIENT);
        return *this;
    }
    Statement& Bind(int index, std::int64_t value) {
        sqlite3_bind_int64(m_stmt, index, value);
        return *this;
    }
    Statement& BindNull(int index) {
        sqlite3_bind_null(m_stmt, index);
        return *this;
    }
    Statement& BindBlob(int index, const std::string& bytes) {
        sqlite3_bind_blob(m_stmt, index, bytes.data(), static_cast<int>(bytes.size()),
                          SQLITE_TRANSIENT);
        return *this;
    }
    // SQLITE_ROW, SQLITE_DONE or an error code.
    int Step() {
        if (!Ok()) return m_prepared;
        m_code = sqlite3_step(m_stmt);
        return m_code == SQLITE_ROW || m_code == SQLITE_DONE
                   ? m_code
                   : (m_code = sqlite3_extended_errcode(sqlite3_db_handle(m_stmt)));
    }
    void Reset() {
        sqlite3_reset(m_stmt);
        sqlite3_clear_bindings(m_stmt);
        m_code = m_prepared;
    }
    std::int64_t Int(int column) const { return sqlite3_column_int64(m_stmt, column); }
    bool IsNull(int column) const { return sqlite3_column_type(m_stmt, column) == SQLITE_NULL; }
    // A blob or text column as it lies in the statement's memory, valid
    // until the next step.
    std::string_view Bytes(int column) const {
        const void* bytes = sqlite3_column_blob(m_stmt, column);
        if (bytes == nullptr) return std::string_view();
        return std::string_view(static_cast<const char*>(bytes),
                                static_cast<std::size_t>(sqlite3_column_bytes(m_stmt, column)));
    }
    std::string Text(int column) const {
        const auto* text = sqlite3_column_blob(m_stmt, column);
        return text == nullptr
                   ? std::string()
                   : std::string(static_cast<const char*>(text),
                                 static_cast<std::size_t>(sqlite3_column_bytes(m_stmt, column)));
    }

  private:
    sqlite3_stmt* m_stmt = nullptr;
    int m_prepared;  // how the preparing went
    int m_code;      // the latest step's result
};

// Runs `sql` (statements without results); the error code, SQLITE_OK when
// it ran.
inline int Exec(sqlite3* db, const char* sql) {
    const int code = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
    return code == SQLITE_OK ? code : sqlite3_extended_errcode(db);
}

inline std::string Problem(sqlite3* db, int code) {
    std::string text = sqlite3_errstr(code);
    if (db != nullptr && sqlite3_errmsg(db) != nullptr && text != sqlite3_errmsg(db))
        text += std::string(": ") + sqlite3_errmsg(db);
    return text;
}

}  // namespace sorvik
