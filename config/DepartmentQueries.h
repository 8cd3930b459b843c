#pragma once

#include "config/TransferRow.h"

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// Questions to the department's record, answered by the server through its indexes. Each opens
// a connection of its own (a blocking one, for the command line, given a few seconds to
// connect) and throws Failure with the server's reason, without the connection string.

// Which rows: each filter given narrows them.
struct DepartmentFilter {
    std::optional<std::string> serial; // before or after the transfer
    std::optional<std::string> action;
    std::optional<std::string> result;
    std::optional<std::chrono::sys_seconds> since;
    std::optional<std::chrono::sys_seconds> until; // the first second not wanted
};

// The rows of the department's record that pass the filter, oldest first, one at a time, their
// time as the bench that made them wrote it.
void readDepartmentRows(const std::string& connection, const DepartmentFilter& filter,
                        const std::function<void(const TransferRow&)>& row);

// A page of the department's rows, newest first, for a window that shows them as it scrolls.
struct DepartmentPage {
    std::vector<TransferRow> rows;
    // Where the next page starts; none after the oldest row.
    std::optional<std::string> next;
};

// The count rows before after (none: the newest) whose serial number before or after holds
// serialPart, in any case.
DepartmentPage departmentRowsNewestFirst(const std::string& connection,
                                         const std::optional<std::string>& after,
                                         const std::string& serialPart, std::size_t count);

// What the department knows of one instrument: its last write, verify and compare, as rows.
struct InstrumentHistory {
    std::string serial;
    std::optional<TransferRow> write;
    std::optional<TransferRow> verify;
    std::optional<TransferRow> compare;
};

// Every serial number the department has seen after a write, verify or compare, in order.
std::vector<InstrumentHistory> departmentInstruments(const std::string& connection);
