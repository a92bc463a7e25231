#include "Component/PgConnection.h"

#include <libpq-fe.h>

#include <cstdlib>
#include <vector>

namespace {

std::string oneLine(const char* text)
{
    std::string line = text ? text : "";
    while (!line.empty() && (line.back() == '\n' || line.back() == ' '))
        line.pop_back();
    // libpq indents its second lines with a tab: one blank is enough.
    std::string flat;
    for (const char c : line) {
        const char blank = c == '\n' || c == '\t' ? ' ' : c;
        if (blank == ' ' && !flat.empty() && flat.back() == ' ')
            continue;
        flat += blank;
    }
    return flat;
}

std::string bigEndian(std::uint64_t value, int size)
{
    std::string bytes(static_cast<std::size_t>(size), '\0');
    for (int i = 0; i < size; ++i)
        bytes[static_cast<std::size_t>(i)] = static_cast<char>(value >> (8 * (size - 1 - i)));
    return bytes;
}

}  // namespace

PgParam PgParam::int2(std::int16_t value)
{
    return {pgtype::Int2, bigEndian(static_cast<std::uint16_t>(value), 2), true};
}

PgParam PgParam::int4(std::int32_t value)
{
    return {pgtype::Int4, bigEndian(static_cast<std::uint32_t>(value), 4), true};
}

PgParam PgParam::int8(std::int64_t value)
{
    return {pgtype::Int8, bigEndian(static_cast<std::uint64_t>(value), 8), true};
}

PgParam PgParam::boolean(bool value)
{
    return {pgtype::Bool, std::string(1, value ? '\1' : '\0'), true};
}

PgParam PgParam::bytea(std::string_view value)
{
    return {pgtype::Bytea, std::string(value), true};
}

PgParam PgParam::text(std::string_view value)
{
    return {pgtype::Text, std::string(value), false};
}

PgResult::PgResult(pg_result* result) : result_(result) {}

PgResult::~PgResult()
{
    if (result_)
        PQclear(result_);
}

PgResult::PgResult(PgResult&& other) noexcept : result_(other.result_)
{
    other.result_ = nullptr;
}

PgResult& PgResult::operator=(PgResult&& other) noexcept
{
    if (this != &other) {
        if (result_)
            PQclear(result_);
        result_ = other.result_;
        other.result_ = nullptr;
    }
    return *this;
}

bool PgResult::ok() const
{
    if (!result_)
        return false;
    const ExecStatusType status = PQresultStatus(result_);
    return status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK;
}

std::string PgResult::error() const
{
    if (!result_)
        return "no answer from the database server";
    return oneLine(PQresultErrorMessage(result_));
}

std::string PgResult::sqlState() const
{
    const char* state = result_ ? PQresultErrorField(result_, PG_DIAG_SQLSTATE) : nullptr;
    return state ? state : "";
}

int PgResult::rows() const
{
    return result_ ? PQntuples(result_) : 0;
}

long PgResult::affectedRows() const
{
    return result_ ? std::strtol(PQcmdTuples(result_), nullptr, 10) : 0;
}

int PgResult::columns() const
{
    return result_ ? PQnfields(result_) : 0;
}

bool PgResult::isNull(int row, int column) const
{
    return !result_ || PQgetisnull(result_, row, column);
}

std::string_view PgResult::bytes(int row, int column) const
{
    if (isNull(row, column))
        return {};
    return {PQgetvalue(result_, row, column), static_cast<std::size_t>(PQgetlength(result_, row, column))};
}

std::int64_t PgResult::integer(int row, int column) const
{
    const std::string_view value = bytes(row, column);
    std::uint64_t bits = 0;
    for (const char c : value)
        bits = bits << 8 | static_cast<unsigned char>(c);
    switch (value.size()) {
    case 1:
        return static_cast<std::int8_t>(bits);
    case 2:
        return static_cast<std::int16_t>(bits);
    case 4:
        return static_cast<std::int32_t>(bits);
    case 8:
        return static_cast<std::int64_t>(bits);
    default:
        return 0;
    }
}

PgConnection::~PgConnection()
{
    if (conn_)
        PQfinish(conn_);
}

std::unique_ptr<PgConnection> PgConnection::connect(const std::string& uri, std::string& error)
{
    // The URI's own settings come after these defaults and win over them.
    const char* keywords[] = {"connect_timeout", "application_name", "dbname", nullptr};
    const char* values[] = {"5", "quorvane", uri.c_str(), nullptr};
    pg_conn* conn = PQconnectdbParams(keywords, values, 1);
    if (!conn) {
        error = "out of memory";
        return nullptr;
    }
    if (PQstatus(conn) != CONNECTION_OK) {
        error = oneLine(PQerrorMessage(conn));
        PQfinish(conn);
        return nullptr;
    }
    // The server's notices are not the dealer's business, nor standard error's.
    PQsetNoticeProcessor(conn, [](void*, const char*) {}, nullptr);
    auto connection = std::unique_ptr<PgConnection>(new PgConnection(conn));
    std::string setupError;
    // Quiet notices; the program's own texts are its messages.
    connection->command("SET client_min_messages TO warning", setupError);
    return connection;
}

bool PgConnection::parses(const std::string& uri, std::string& error)
{
    char* parseError = nullptr;
    PQconninfoOption* options = PQconninfoParse(uri.c_str(), &parseError);
    if (!options) {
        error = parseError ? oneLine(parseError) : "out of memory";
        PQfreemem(parseError);
        return false;
    }
    PQconninfoFree(options);
    return true;
}

bool PgConnection::hasPassword(const std::string& uri)
{
    char* parseError = nullptr;
    PQconninfoOption* options = PQconninfoParse(uri.c_str(), &parseError);
    if (!options) {
        PQfreemem(parseError);
        return false;
    }
    bool found = false;
    for (const PQconninfoOption* option = options; option->keyword; ++option)
        if (std::string_view(option->keyword) == "password" && option->val && *option->val)
            found = true;
    PQconninfoFree(options);
    return found;
}

bool PgConnection::connected() const
{
    return conn_ && PQstatus(conn_) == CONNECTION_OK;
}

bool PgConnection::ensureConnected(std::string& error)
{
    if (connected())
        return true;
    PQreset(conn_);
    if (connected())
        return true;
    error = lastError();
    return false;
}

PgResult PgConnection::exec(const char* sql, std::initializer_list<PgParam> params)
{
    return exec(sql, std::vector<PgParam>(params));
}

PgResult PgConnection::exec(const char* sql, const std::vector<PgParam>& params)
{
    std::vector<unsigned> types;
    std::vector<const char*> values;
    std::vector<int> lengths;
    std::vector<int> formats;
    for (const PgParam& p : params) {
        types.push_back(p.type);
        values.push_back(p.bytes.data());
        lengths.push_back(static_cast<int>(p.bytes.size()));
        formats.push_back(p.binary ? 1 : 0);
    }
    return PgResult(PQexecParams(conn_, sql, static_cast<int>(params.size()), types.data(), values.data(),
                                 lengths.data(), formats.data(), 1));
}

bool PgConnection::command(const char* sql, std::string& error)
{
    const PgResult result = exec(sql);
    if (result.ok())
        return true;
    error = result.error();
    return false;
}

std::string PgConnection::lastError() const
{
    return conn_ ? oneLine(PQerrorMessage(conn_)) : "not connected";
}

int PgConnection::serverVersion() const
{
    return conn_ ? PQserverVersion(conn_) : 0;
}
