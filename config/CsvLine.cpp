#include "config/CsvLine.h"

namespace {

constexpr char kQuote = '"';
constexpr char kSeparator = ',';
constexpr char kTextMark = '\'';
constexpr std::string_view kFormulaStarts = "=+-@\t\r";

// Whether the field, past the marks it starts with, starts as a formula. A field of marks alone
// is text: it needs no mark and loses none.
bool startsAsFormula(std::string_view field) {
    const std::size_t first = field.find_first_not_of(kTextMark);
    return first != std::string_view::npos &&
           kFormulaStarts.find(field[first]) != std::string_view::npos;
}

std::string quotedField(std::string_view field) {
    std::string quoted(1, kQuote);
    for (const char c : field) {
        if (c == kQuote)
            quoted += kQuote;
        quoted += c;
    }
    return quoted + kQuote;
}

} // namespace

std::string csvLine(std::span<const std::string> fields) {
    std::string line;
    for (const std::string& text : fields) {
        if (&text != fields.data())
            line += kSeparator;
        const std::string field = startsAsFormula(text) ? kTextMark + text : text;
        const bool needsQuotes = field.find_first_of("\",\r\n") != std::string::npos;
        line += needsQuotes ? quotedField(field) : field;
    }
    return line;
}

CsvRecord parseCsvLine(std::string_view line) {
    CsvRecord record;
    std::size_t at = 0;
    while (true) {
        std::string field;
        if (at < line.size() && line[at] == kQuote) {
            for (++at;; ++at) {
                if (at == line.size()) {
                    record.fault = "has a quoted field without its closing quote";
                    return record;
                }
                if (line[at] == kQuote) {
                    if (at + 1 < line.size() && line[at + 1] == kQuote)
                        ++at;
                    else
                        break;
                }
                field += line[at];
            }
            ++at;
            if (at < line.size() && line[at] != kSeparator) {
                record.fault = "has text after the closing quote of a field";
                return record;
            }
        } else {
            const std::size_t end = std::min(line.find(kSeparator, at), line.size());
            field = line.substr(at, end - at);
            if (field.find(kQuote) != std::string::npos) {
                record.fault = "has a quote inside a field that is not quoted";
                return record;
            }
            at = end;
        }
        if (field.starts_with(kTextMark) && startsAsFormula(field))
            field.erase(0, 1);
        record.fields.push_back(std::move(field));
        if (at == line.size())
            return record;
        ++at; // the separator
    }
}
