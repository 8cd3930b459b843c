#include "cli/CommandTable.h"
#include "cli/OutputFormats.h"
#include "config/HistoryTime.h"
#include "config/TransferHistory.h"
#include "device/SerialNumber.h"
#include "setup/Failure.h"

#include <algorithm>
#include <array>
#include <vector>

namespace {

// A serial number typed as digits stands for the eight-digit one an instrument reports.
std::string serialWanted(const std::string& typed) {
    const std::optional<std::uint32_t> number = parseSerialNumber(typed);
    return number ? serialNumberText(*number) : typed;
}

bool isWanted(const TransferRow& row, const Invocation& invocation) {
    if (invocation.serialText) {
        const std::string serial = serialWanted(*invocation.serialText);
        if (row.serialBefore != serial && row.serialAfter != serial)
            return false;
    }
    if (!invocation.since && !invocation.until)
        return true;
    // A row whose time cannot be read lies in no stretch of time.
    const std::optional<std::chrono::sys_seconds> time = parseHistoryTime(row.time);
    return time && (!invocation.since || *time >= *invocation.since) &&
           (!invocation.until || *time < *invocation.until);
}

// The record's UTF-8 text as a JSON string: jsonString escapes its ASCII, the rest passes.
std::string jsonUtf8(std::string_view text) {
    const auto isAscii = [](char c) {
        return static_cast<unsigned char>(c) < 0x80;
    };
    std::string json = "\"";
    while (!text.empty()) {
        const auto ascii = std::ranges::find_if_not(text, isAscii) - text.begin();
        const std::string escaped = jsonString(text.substr(0, ascii));
        json.append(escaped, 1, escaped.size() - 2);
        text.remove_prefix(ascii);
        const auto other = std::ranges::find_if(text, isAscii) - text.begin();
        json.append(text.substr(0, other));
        text.remove_prefix(other);
    }
    return json + "\"";
}

std::string historyJson(const std::vector<const TransferRow*>& rows) {
    std::vector<std::string> items;
    for (const TransferRow* row : rows) {
        JsonObject object;
        for (const TransferColumn& column : kTransferColumns)
            object.add(column.name, jsonUtf8(row->*column.field));
        items.push_back(object.text(1));
    }
    return jsonArray(items, 0) + "\n";
}

// Of UTF-8 text: every byte but a continuation byte starts a character.
std::size_t characterCount(std::string_view text) {
    return static_cast<std::size_t>(std::ranges::count_if(
        text, [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

// One line a row, the columns in the record's order, each as wide as its widest field.
std::string historyTable(const std::vector<const TransferRow*>& rows) {
    std::vector<std::array<std::string, kTransferColumns.size()>> lines(rows.size() + 1);
    std::array<std::size_t, kTransferColumns.size()> widths{};
    for (std::size_t column = 0; column < kTransferColumns.size(); ++column) {
        lines[0][column] = kTransferColumns[column].name;
        for (std::size_t row = 0; row < rows.size(); ++row) {
            const std::string& field = rows[row]->*kTransferColumns[column].field;
            lines[row + 1][column] = field.empty() ? "-" : field;
        }
        for (const auto& line : lines)
            widths[column] = std::max(widths[column], characterCount(line[column]));
    }
    std::string table;
    for (const auto& line : lines) {
        for (std::size_t column = 0; column + 1 < line.size(); ++column)
            table += padded(line[column], widths[column] + 2 + line[column].size() -
                                              characterCount(line[column]));
        table += line.back() + "\n";
    }
    return table;
}

// The record of transfers at path; a record that cannot be read at all fails the command.
TransferHistory readRecord(const std::string& path) {
    try {
        return readTransferHistory(path);
    } catch (const Failure& failure) {
        throw Failure(std::string("cannot read the record of transfers: ") + failure.what());
    }
}

} // namespace

int showHistory(const CommandContext& context) {
    const std::string path = transferHistoryPath(context.settings);
    const TransferHistory history = readRecord(path);
    for (const BadHistoryLine& bad : history.badLines)
        context.err << "mirafen-cli: line " << bad.line << " of " << path << " " << bad.reason
                    << "; it is not shown\n";

    std::vector<const TransferRow*> rows;
    for (const TransferRow& row : history.rows)
        if (isWanted(row, context.invocation))
            rows.push_back(&row);
    if (context.invocation.json)
        context.out << historyJson(rows);
    else if (history.rows.empty())
        context.out << "No transfers are recorded in " << path << ".\n";
    else if (rows.empty())
        context.out << "No recorded transfer matches.\n";
    else
        context.out << historyTable(rows);
    return kExitSuccess;
}
