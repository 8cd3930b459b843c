#include "cli/CommandTable.h"
#include "cli/Department.h"
#include "cli/OutputFormats.h"
#include "config/DepartmentQueries.h"
#include "config/HistoryReading.h"
#include "config/HistoryTime.h"
#include "device/SerialNumber.h"
#include "setup/Failure.h"

#include <algorithm>
#include <array>
#include <functional>
#include <vector>

namespace {

// A serial number typed as digits stands for the eight-digit one an instrument reports.
std::string serialWanted(const std::string& typed) {
    const std::optional<std::uint32_t> number = parseSerialNumber(typed);
    return number ? serialNumberText(*number) : typed;
}

// The rows that the command line's filters let through.
class RowFilter {
public:
    explicit RowFilter(const Invocation& invocation)
        : invocation(invocation) {
        if (invocation.serialText)
            serial = serialWanted(*invocation.serialText);
    }

    bool passes(const HistoryLine& line) const {
        if (serial && line.field(&TransferRow::serialBefore) != *serial &&
            line.field(&TransferRow::serialAfter) != *serial)
            return false;
        if ((invocation.actionWanted &&
             line.field(&TransferRow::action) != *invocation.actionWanted) ||
            (invocation.resultWanted &&
             line.field(&TransferRow::result) != *invocation.resultWanted))
            return false;
        if (!invocation.since && !invocation.until)
            return true;
        // A row whose time cannot be read lies in no stretch of time.
        const std::optional<std::chrono::sys_seconds> time =
            parseHistoryTime(line.field(&TransferRow::time));
        return time && (!invocation.since || *time >= *invocation.since) &&
               (!invocation.until || *time < *invocation.until);
    }

private:
    const Invocation& invocation;
    std::optional<std::string> serial;
};

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

// Of UTF-8 text: every byte but a continuation byte starts a character.
std::size_t characterCount(std::string_view text) {
    return static_cast<std::size_t>(std::ranges::count_if(
        text, [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

// What instruments shows of each last transfer.
constexpr std::array kInstrumentFields{&TransferRow::time, &TransferRow::host,
                                       &TransferRow::setupFile, &TransferRow::setupSha256,
                                       &TransferRow::result};

std::string_view columnName(std::string TransferRow::*field) {
    return std::ranges::find(kTransferColumns, field, &TransferColumn::field)->name;
}

using ColumnTexts = std::array<std::string_view, kTransferColumns.size()>;

ColumnTexts headings() {
    ColumnTexts texts;
    std::ranges::transform(kTransferColumns, texts.begin(), &TransferColumn::name);
    return texts;
}

ColumnTexts shownFields(const TransferRow& row) {
    ColumnTexts texts;
    std::ranges::transform(kTransferColumns, texts.begin(), [&row](const TransferColumn& column) {
        const std::string& field = row.*column.field;
        return field.empty() ? std::string_view("-") : std::string_view(field);
    });
    return texts;
}

using ColumnWidths = std::array<std::size_t, kTransferColumns.size()>;

void widen(ColumnWidths& widths, const ColumnTexts& texts) {
    for (std::size_t column = 0; column < texts.size(); ++column)
        widths[column] = std::max(widths[column], characterCount(texts[column]));
}

// One line of the table: the columns in the record's order, each as wide as its widest field.
std::string tableLine(const ColumnTexts& texts, const ColumnWidths& widths) {
    std::string line;
    for (std::size_t column = 0; column + 1 < texts.size(); ++column)
        line += padded(std::string(texts[column]),
                       widths[column] + 2 + texts[column].size() - characterCount(texts[column]));
    return line.append(texts.back()) + "\n";
}

std::string rowJson(const TransferRow& row) {
    JsonObject object;
    for (const TransferColumn& column : kTransferColumns)
        object.add(column.name, jsonUtf8(row.*column.field));
    return object.text(1);
}

// The rows a table keeps in memory while it learns the widths of its columns; a table of more
// is read a second time instead.
constexpr std::size_t kKeptRows = 10'000;

using RowSink = std::function<void(const TransferRow&)>;
// Hands each row wanted to the sink, the same rows each time it runs; returns how many rows it
// looked at, wanted or not.
using RowSource = std::function<std::size_t(const RowSink&)>;

// The rows as a table or JSON, one at a time. A table needs the widths of its columns before
// its first line: it keeps the rows, or when there are many, reads them a second time.
void printRows(const CommandContext& context, const RowSource& source,
               const std::string& emptyText) {
    std::size_t wanted = 0;
    std::vector<TransferRow> kept;
    ColumnWidths widths{};
    widen(widths, headings());
    const bool json = context.invocation.json;
    const std::size_t seen = source([&](const TransferRow& row) {
        if (json) {
            context.out << (wanted == 0 ? "[\n  " : ",\n  ") << rowJson(row);
        } else {
            widen(widths, shownFields(row));
            if (wanted < kKeptRows)
                kept.push_back(row);
            else
                kept = {}; // read again instead
        }
        ++wanted;
    });
    if (json)
        context.out << (wanted == 0 ? "[]\n" : "\n]\n");
    else if (wanted == 0)
        context.out << (seen == 0 ? emptyText : "No recorded transfer matches.\n");
    if (json || wanted == 0)
        return;
    context.out << tableLine(headings(), widths);
    for (const TransferRow& row : kept)
        context.out << tableLine(shownFields(row), widths);
    if (wanted > kKeptRows)
        source([&](const TransferRow& row) { context.out << tableLine(shownFields(row), widths); });
}

// This computer's record, as it stood when the command began; its bad lines are named once.
void printLocalHistory(const CommandContext& context, const std::string& path) {
    const HistorySnapshot snapshot(path);
    const RowFilter filter(context.invocation);
    bool named = false;
    printRows(
        context,
        [&](const RowSink& row) {
            std::size_t seen = 0;
            readHistoryForwards(
                snapshot,
                [&](HistoryLine& line) {
                    ++seen;
                    if (filter.passes(line))
                        row(line.row());
                },
                [&](const BadHistoryLine& bad) {
                    if (!named)
                        context.err << "mirafen-cli: line " << bad.line << " of " << path << " "
                                    << bad.reason << "; it is not shown\n";
                });
            named = true;
            return seen;
        },
        "No transfers are recorded in " + path + ".\n");
}

// The department's record, asked through its indexes.
void printDepartmentHistory(const CommandContext& context, const std::string& connection) {
    const Invocation& invocation = context.invocation;
    DepartmentFilter filter{.serial = invocation.serialText
                                          ? std::optional(serialWanted(*invocation.serialText))
                                          : std::nullopt,
                            .action = invocation.actionWanted,
                            .result = invocation.resultWanted,
                            .since = invocation.since,
                            .until = invocation.until};
    printRows(
        context,
        [&](const RowSink& row) {
            std::size_t seen = 0;
            readDepartmentRows(connection, filter, [&](const TransferRow& found) {
                ++seen;
                row(found);
            });
            return seen;
        },
        "No recorded transfer matches.\n");
}

// The department's record named in zenset.sys, with what waits for it delivered first so that
// the answer holds this bench's rows too; a failure when there is none.
std::string departmentRecord(const CommandContext& context) {
    const auto record = context.settings.departmentRecord();
    if (!record)
        throw Failure("zenset.sys names no department's record (RECORD=)");
    deliverQueuedRows(context.settings, context.err);
    return *record;
}

} // namespace

int showHistory(const CommandContext& context) {
    if (context.invocation.department) {
        printDepartmentHistory(context, departmentRecord(context));
        return kExitSuccess;
    }
    const std::string path = transferHistoryPath(context.settings);
    try {
        printLocalHistory(context, path);
    } catch (const Failure& failure) {
        throw Failure(std::string("cannot read the record of transfers: ") + failure.what());
    }
    return kExitSuccess;
}

int listInstruments(const CommandContext& context) {
    const std::vector<InstrumentHistory> instruments =
        departmentInstruments(departmentRecord(context));
    const std::array<
        std::pair<std::string_view, const std::optional<TransferRow> InstrumentHistory::*>, 3>
        lasts{{{kActionWrite, &InstrumentHistory::write},
               {kActionVerify, &InstrumentHistory::verify},
               {kActionCompare, &InstrumentHistory::compare}}};
    if (context.invocation.json) {
        std::vector<std::string> items;
        for (const InstrumentHistory& instrument : instruments) {
            JsonObject object;
            object.add("serial", jsonUtf8(instrument.serial));
            for (const auto& [action, member] : lasts) {
                const std::optional<TransferRow>& last = instrument.*member;
                if (!last) {
                    object.add(action, "null");
                    continue;
                }
                JsonObject row;
                for (const auto field : kInstrumentFields)
                    row.add(columnName(field), jsonUtf8((*last).*field));
                object.add(action, row.text(2));
            }
            items.push_back(object.text(1));
        }
        context.out << jsonArray(items, 0) << "\n";
        return kExitSuccess;
    }
    if (instruments.empty())
        context.out << "The department's record has seen no instrument.\n";
    for (const InstrumentHistory& instrument : instruments) {
        context.out << instrument.serial << "\n";
        for (const auto& [action, member] : lasts) {
            const std::optional<TransferRow>& last = instrument.*member;
            std::string line = "  " + padded(std::string(action), 9);
            if (!last)
                line += "-";
            for (std::size_t at = 0; last && at < kInstrumentFields.size(); ++at) {
                const std::string& text = (*last).*kInstrumentFields[at];
                line += (at == 0 ? "" : "  ") + (text.empty() ? std::string("-") : text);
            }
            context.out << line << "\n";
        }
    }
    return kExitSuccess;
}
