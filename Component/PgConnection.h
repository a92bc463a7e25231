#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct pg_conn;
struct pg_result;

// One parameter of a statement, always sent apart from the statement's text:
// no SQL is ever built from data.
struct PgParam {
    unsigned type = 0;  // the server's type number; 0 lets the server infer it
    std::string bytes;  // binary format for the number types, bytea and bool; text for text
    bool binary = true;

    static PgParam int2(std::int16_t value);
    static PgParam int4(std::int32_t value);
    static PgParam int8(std::int64_t value);
    static PgParam boolean(bool value);
    static PgParam bytea(std::string_view value);
    static PgParam text(std::string_view value);
};

// The result of one statement; the numbers and bytes of its rows as they come
// in binary format.
class PgResult {
public:
    PgResult() = default;
    explicit PgResult(pg_result* result);
    ~PgResult();
    PgResult(PgResult&& other) noexcept;
    PgResult& operator=(PgResult&& other) noexcept;
    PgResult(const PgResult&) = delete;
    PgResult& operator=(const PgResult&) = delete;

    // The statement ran (a command, or a query with its rows).
    bool ok() const;
    // The server's reason when it did not, on one line.
    std::string error() const;
    // The SQLSTATE code of the failure ("40001", "23505"), empty when none.
    std::string sqlState() const;
    int rows() const;
    // The rows a command inserted, updated or deleted.
    long affectedRows() const;
    int columns() const;
    bool isNull(int row, int column) const;
    std::string_view bytes(int row, int column) const;
    // An integer column of 2, 4 or 8 bytes, or a bool.
    std::int64_t integer(int row, int column) const;

private:
    pg_result* result_ = nullptr;
};

// A connection to the database server, reached by a postgresql:// URI. The
// password never comes from the URI (see hasPassword): libpq takes it from
// its password file or service file.
class PgConnection {
public:
    ~PgConnection();
    PgConnection(const PgConnection&) = delete;
    PgConnection& operator=(const PgConnection&) = delete;

    // Connects; null with the reason when the server cannot be reached or refuses.
    static std::unique_ptr<PgConnection> connect(const std::string& uri, std::string& error);
    // True when the URI names a password, which belongs in ~/.pgpass or a
    // service file, never in the settings; also false for a URI that cannot be parsed.
    static bool hasPassword(const std::string& uri);
    // Whether the text can be a connection URI at all; the reason when not.
    static bool parses(const std::string& uri, std::string& error);

    // Connects again after the connection broke; false with the reason when
    // the server still cannot be reached.
    bool ensureConnected(std::string& error);
    bool connected() const;

    PgResult exec(const char* sql, std::initializer_list<PgParam> params = {});
    PgResult exec(const char* sql, const std::vector<PgParam>& params);
    // Runs a statement without parameters that returns no rows; false with the reason.
    bool command(const char* sql, std::string& error);
    // The connection's last error, on one line.
    std::string lastError() const;
    int serverVersion() const;
    pg_conn* raw() const { return conn_; }

private:
    explicit PgConnection(pg_conn* conn) : conn_(conn) {}
    pg_conn* conn_ = nullptr;
};

// The server's type numbers of the parameters.
namespace pgtype {
constexpr unsigned Bool = 16;
constexpr unsigned Bytea = 17;
constexpr unsigned Int8 = 20;
constexpr unsigned Int2 = 21;
constexpr unsigned Int4 = 23;
constexpr unsigned Text = 25;
}  // namespace pgtype
