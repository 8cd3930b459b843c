#include "cli/CommandTable.h"
#include "cli/OutputFormats.h"
#include "config/HistoryReading.h"
#include "config/HistoryTime.h"
#include "device/DeviceInfo.h"
#include "device/SerialNumberText.h"
#include "setup/Failure.h"

#include <algorithm>
#include <array>
#include <vector>

namespace {

// A serial number typed as digits stands for the eight-digit one an instrument reports.
std::string serialWanted(const std::string& typed) {
    const bool digits = !typed.empty() && typed.size() <= kSerialTextWidth &&
                        std::ranges::all_of(typed, [](char c) { return c >= '0' && c <= '9'; });
    return digits ? normalizedSerialText(typed) : typed;
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

// The record read as it stood when the command began, one row at a time. A table needs the
// widths of its columns before its first line: it keeps the rows wanted, or when there are many,
// reads the record a second time for them.
int printHistory(const CommandContext& context, const std::string& path) {
    const HistorySnapshot snapshot(path);
    const RowFilter filter(context.invocation);
    std::size_t rows = 0;
    std::size_t wanted = 0;
    std::vector<TransferRow> kept;
    ColumnWidths widths{};
    widen(widths, headings());
    const bool json = context.invocation.json;
    readHistoryForwards(
        snapshot,
        [&](HistoryLine& line) {
            ++rows;
            if (!filter.passes(line))
                return;
            const TransferRow& row = line.row();
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
        },
        [&](const BadHistoryLine& bad) {
            context.err << "mirafen-cli: line " << bad.line << " of " << path << " " << bad.reason
                        << "; it is not shown\n";
        });
    if (json)
        context.out << (wanted == 0 ? "[]\n" : "\n]\n");
    else if (rows == 0)
        context.out << "No transfers are recorded in " << path << ".\n";
    else if (wanted == 0)
        context.out << "No recorded transfer matches.\n";
    if (json || wanted == 0)
        return kExitSuccess;
    context.out << tableLine(headings(), widths);
    for (const TransferRow& row : kept)
        context.out << tableLine(shownFields(row), widths);
    if (wanted > kKeptRows)
        readHistoryForwards(
            snapshot,
            [&](HistoryLine& line) {
                if (filter.passes(line))
                    context.out << tableLine(shownFields(line.row()), widths);
            },
            [](const BadHistoryLine&) {});
    return kExitSuccess;
}

} // namespace

int showHistory(const CommandContext& context) {
    const std::string path = transferHistoryPath(context.settings);
    try {
        return printHistory(context, path);
    } catch (const Failure& failure) {
        throw Failure(std::string("cannot read the record of transfers: ") + failure.what());
    }
}
