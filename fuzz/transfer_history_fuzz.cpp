// Any bytes as history.csv: every row read is printable UTF-8 with a time, and writes back as
// the same fields; bad lines are named in order, each once.
#include "config/CsvLine.h"
#include "config/HistoryTime.h"
#include "config/TransferHistory.h"
#include "config/Utf8Text.h"
#include "fuzz/FuzzCheck.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view content(reinterpret_cast<const char*>(data), size);
    const TransferHistory history = transferHistoryIn(content);
    for (const TransferRow& row : history.rows) {
        std::vector<std::string> fields;
        for (const TransferColumn& column : kTransferColumns) {
            fields.push_back(row.*column.field);
            fuzzCheck(!printableUtf8Fault(fields.back()));
        }
        fuzzCheck(parseHistoryTime(row.time).has_value());
        const CsvRecord again = parseCsvLine(csvLine(fields));
        fuzzCheck(!again.fault && again.fields == fields);
    }
    const auto lineCount = static_cast<std::size_t>(std::ranges::count(content, '\n')) + 1;
    for (std::size_t at = 0; at < history.badLines.size(); ++at) {
        fuzzCheck(history.badLines[at].line >= 1 && history.badLines[at].line <= lineCount);
        fuzzCheck(at == 0 || history.badLines[at].line > history.badLines[at - 1].line);
        fuzzCheck(!history.badLines[at].reason.empty());
    }
    fuzzCheck(history.rows.size() + history.badLines.size() <= lineCount);
    return 0;
}
