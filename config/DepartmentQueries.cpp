#include "config/DepartmentQueries.h"

#include "setup/Failure.h"

#include <algorithm>
#include <array>
#include <libpq-fe.h>
#include <memory>

namespace {

using Connection = std::unique_ptr<PGconn, void (*)(PGconn*)>;
using Result = std::unique_ptr<PGresult, void (*)(PGresult*)>;

// The record's columns as the server holds them, in the order of kTransferColumns.
constexpr std::string_view kRowColumns =
    "local_time, program, action, device, serial_before, serial_after, module, firmware, "
    "setup_file, setup_sha256, result, detail, \"user\", host";

// A record no row has reached yet has no table: it holds nothing.
constexpr std::string_view kNoTable = "42P01";

std::string reason(std::string message) {
    std::ranges::replace(message, '\n', ' ');
    while (!message.empty() && message.back() == ' ')
        message.pop_back();
    return "the department's record: " + message;
}

Connection connect(const std::string& connection) {
    // The connection string stands where a database name would; the wait to connect comes after
    // it, so that it holds whatever the string says.
    const std::array<const char*, 3> keywords{"dbname", "connect_timeout", nullptr};
    const std::array<const char*, 3> values{connection.c_str(), "5", nullptr};
    Connection conn(PQconnectdbParams(keywords.data(), values.data(), 1), PQfinish);
    if (!conn || PQstatus(conn.get()) != CONNECTION_OK)
        throw Failure(reason(conn ? PQerrorMessage(conn.get()) : "out of memory"));
    return conn;
}

// Sends the statement and hands each row of its answer to row, one at a time.
void eachRow(PGconn* conn, const std::string& statement, const std::vector<std::string>& values,
             const std::function<void(PGresult*)>& row) {
    std::vector<const char*> pointers;
    for (const std::string& value : values)
        pointers.push_back(value.c_str());
    if (PQsendQueryParams(conn, statement.c_str(), static_cast<int>(pointers.size()), nullptr,
                          pointers.data(), nullptr, nullptr, 0) != 1 ||
        PQsetSingleRowMode(conn) != 1)
        throw Failure(reason(PQerrorMessage(conn)));
    std::optional<std::string> failure;
    while (PGresult* raw = PQgetResult(conn)) {
        const Result result(raw, PQclear);
        const ExecStatusType status = PQresultStatus(raw);
        if (status == PGRES_SINGLE_TUPLE && !failure)
            row(raw);
        else if (status != PGRES_TUPLES_OK && !failure &&
                 std::string_view(PQresultErrorField(raw, PG_DIAG_SQLSTATE)) != kNoTable)
            failure = PQresultErrorMessage(raw);
    }
    if (failure)
        throw Failure(reason(*failure));
}

TransferRow rowIn(PGresult* result, int first = 0) {
    TransferRow row;
    for (std::size_t column = 0; column < kTransferColumns.size(); ++column)
        row.*kTransferColumns[column].field =
            PQgetvalue(result, 0, first + static_cast<int>(column));
    return row;
}

std::string epochSeconds(std::chrono::sys_seconds time) {
    return std::to_string(time.time_since_epoch().count());
}

} // namespace

void readDepartmentRows(const std::string& connection, const DepartmentFilter& filter,
                        const std::function<void(const TransferRow&)>& row) {
    const Connection conn = connect(connection);
    std::string statement = "SELECT " + std::string(kRowColumns) + " FROM mirafen_transfers";
    std::vector<std::string> values;
    const auto where = [&](const std::string& condition, std::string value) {
        values.push_back(std::move(value));
        const std::string parameter = "$" + std::to_string(values.size());
        std::string text = condition;
        for (std::size_t at = text.find('?'); at != std::string::npos; at = text.find('?'))
            text.replace(at, 1, parameter);
        statement += (values.size() == 1 ? " WHERE " : " AND ") + text;
    };
    if (filter.serial)
        where("(serial_before = ? OR serial_after = ?)", *filter.serial);
    if (filter.action)
        where("action = ?", *filter.action);
    if (filter.result)
        where("result = ?", *filter.result);
    if (filter.since)
        where("time >= to_timestamp(?::float8)", epochSeconds(*filter.since));
    if (filter.until)
        where("time < to_timestamp(?::float8)", epochSeconds(*filter.until));
    statement += " ORDER BY time, received";
    eachRow(conn.get(), statement, values, [&row](PGresult* result) { row(rowIn(result)); });
}

DepartmentPage departmentRowsNewestFirst(const std::string& connection,
                                         const std::optional<std::string>& after,
                                         const std::string& serialPart, std::size_t count) {
    const Connection conn = connect(connection);
    // The page ends at a row's (time, id), which the next page starts below: an index range,
    // whatever arrives meanwhile.
    std::string statement = "SELECT " + std::string(kRowColumns) +
                            ", time::text || ' ' || id::text FROM mirafen_transfers WHERE "
                            "(serial_before ILIKE $1 OR serial_after ILIKE $1)";
    std::string pattern = "%";
    for (const char c : serialPart)
        pattern += (c == '%' || c == '_' || c == '\\' ? "\\" : "") + std::string(1, c);
    std::vector<std::string> values{pattern + "%", std::to_string(count)};
    if (after) {
        const std::size_t blank = after->rfind(' ');
        values.push_back(after->substr(0, blank));
        values.push_back(after->substr(blank + 1));
        statement += " AND (time, id) < ($3::timestamptz, $4::uuid)";
    }
    statement += " ORDER BY time DESC, id DESC LIMIT $2";
    DepartmentPage page;
    std::string last;
    eachRow(conn.get(), statement, values, [&](PGresult* result) {
        page.rows.push_back(rowIn(result));
        last = PQgetvalue(result, 0, static_cast<int>(kTransferColumns.size()));
    });
    if (page.rows.size() == count)
        page.next = last;
    return page;
}

std::vector<InstrumentHistory> departmentInstruments(const std::string& connection) {
    const Connection conn = connect(connection);
    // The last row of each serial number and action, found through the index on the serial
    // number after the transfer.
    const std::string statement =
        "SELECT DISTINCT ON (serial_after, action) " + std::string(kRowColumns) +
        " FROM mirafen_transfers WHERE serial_after <> '' AND action IN ('write', 'verify', "
        "'compare') ORDER BY serial_after, action, time DESC, received DESC";
    std::vector<InstrumentHistory> instruments;
    eachRow(conn.get(), statement, {}, [&instruments](PGresult* result) {
        TransferRow row = rowIn(result);
        if (instruments.empty() || instruments.back().serial != row.serialAfter)
            instruments.push_back({row.serialAfter, {}, {}, {}});
        InstrumentHistory& instrument = instruments.back();
        auto& last = row.action == kActionWrite    ? instrument.write
                     : row.action == kActionVerify ? instrument.verify
                                                   : instrument.compare;
        last = std::move(row);
    });
    return instruments;
}
