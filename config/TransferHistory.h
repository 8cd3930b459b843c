#pragma once

#include "config/ProgramSettings.h"
#include "config/TransferRow.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// The record of transfers: history.csv in the data folder, UTF-8 text in RFC 4180's form, a
// header line naming the columns, then one line per transfer, oldest first. Several programs
// append to it at once; each row goes in whole or not at all. What cannot be read or written
// throws Failure in the system's words: "<path>: Read-only file system".

// A line of the file that holds no row.
struct BadHistoryLine {
    std::size_t line = 0; // counted from 1, the header being line 1
    std::string reason;   // what follows "line 3": "has 4 fields, not 14"
};

struct TransferHistory {
    std::vector<TransferRow> rows; // in the file's order, their texts UTF-8
    std::vector<BadHistoryLine> badLines;
};

std::string transferHistoryPath(const ProgramSettings& settings);
// The header line without its line end.
std::string transferHistoryHeader();

// Appends row to the record at path, its time, user and host filled in when empty: one write
// of the whole line under an exclusive lock, then a flush to disk. A file that is new or empty
// gets the header first; a file whose last line was cut off gets the row on a line of its own.
// Throws Failure when the row could not be written whole; none of it is then left.
void appendTransferRow(const std::string& path, TransferRow row);
// The same into the data folder's record; when zenset.sys names the department's record, the row
// then goes into the department's queue as well, with an identity of its own (DepartmentQueue.h).
void appendTransferRow(const ProgramSettings& settings, TransferRow row);
// The row as the record holds it: its time, user and host filled in, its texts printable UTF-8.
TransferRow recordedRow(TransferRow row);

// One line of the record as read: a row, nothing (the header, an empty line), or no row for a
// reason: another number of fields, bytes that are not UTF-8 text, a misplaced quote, a time
// that is not ISO 8601 with its offset. Its fields are views into the line, valid until the next
// is read; the row is made from them only when asked for, so that rows a filter passes over cost
// no copies. It keeps its storage from line to line.
class HistoryLine {
public:
    enum class Outcome { row, nothing, bad };
    // The line without its '\n'.
    Outcome parse(std::string_view line);
    std::string_view field(std::string TransferRow::*member) const;
    const TransferRow& row();
    const std::string& reason() const { return reason_; }

private:
    std::vector<std::string_view> fields;
    std::string scratch;
    TransferRow row_;
    bool rowMade = false;
    std::string reason_;
};

// A last line without its line end: a row cut off by a crash or a full disk.
inline constexpr std::string_view kCutOffReason = "is cut off: the file ends inside it";

// The rows of the record at path and the lines that hold none, a cut-off last line among them.
// A missing file is an empty record. Throws Failure only when the file cannot be read at all,
// never for what it holds. It holds the whole record: readHistoryForwards (HistoryReading.h)
// reads one of any size.
TransferHistory readTransferHistory(const std::string& path);
// What readTransferHistory takes from the file's content.
TransferHistory transferHistoryIn(std::string_view content);
