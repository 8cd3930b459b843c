#include "config/CsvLine.h"

#include <bit>
#include <cstdint>
#include <cstring>

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

constexpr std::size_t kWord = sizeof(std::uint64_t);

// The bytes of the eight at text that are c, each flagged by its top bit: exact, as no carry
// passes from one byte to the next.
std::uint64_t bytesEqual(const char* text, char c) {
    constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7F;
    std::uint64_t word = 0;
    std::memcpy(&word, text, kWord);
    word ^= 0x0101010101010101 * static_cast<unsigned char>(c);
    return ~(((word & kLow7) + kLow7) | word | kLow7);
}

std::size_t firstFlagged(std::uint64_t flags) {
    return static_cast<std::size_t>(std::countr_zero(flags)) / 8;
}

// Where the first separator or quote from at is; the line's size when there is none.
std::size_t separatorOrQuote(std::string_view line, std::size_t at) {
    for (; at + kWord <= line.size(); at += kWord)
        if (const std::uint64_t found =
                bytesEqual(line.data() + at, kSeparator) | bytesEqual(line.data() + at, kQuote))
            return at + firstFlagged(found);
    while (at < line.size() && line[at] != kSeparator && line[at] != kQuote)
        ++at;
    return at;
}

// Most lines hold no quote: they split at every separator, eight bytes at a time. False, with
// fields incomplete, for a line with a quote.
bool splitUnquoted(std::string_view line, std::vector<std::string_view>& fields) {
    std::size_t start = 0;
    std::size_t at = 0;
    for (; at + kWord <= line.size(); at += kWord) {
        if (bytesEqual(line.data() + at, kQuote) != 0)
            return false;
        for (std::uint64_t found = bytesEqual(line.data() + at, kSeparator); found != 0;
             found &= found - 1) {
            const std::size_t end = at + firstFlagged(found);
            fields.push_back(line.substr(start, end - start));
            start = end + 1;
        }
    }
    for (; at < line.size(); ++at) {
        if (line[at] == kQuote)
            return false;
        if (line[at] == kSeparator) {
            fields.push_back(line.substr(start, at - start));
            start = at + 1;
        }
    }
    fields.push_back(line.substr(start));
    for (std::string_view& field : fields)
        if (field.starts_with(kTextMark) && startsAsFormula(field))
            field.remove_prefix(1);
    return true;
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
    std::vector<std::string_view> fields;
    std::string scratch;
    record.fault = splitCsvLine(line, fields, scratch);
    record.fields.assign(fields.begin(), fields.end());
    return record;
}

std::optional<std::string>
splitCsvLine(std::string_view line, std::vector<std::string_view>& fields, std::string& scratch) {
    fields.clear();
    if (splitUnquoted(line, fields))
        return std::nullopt;
    fields.clear();
    scratch.clear();
    // Unquoted fields never outgrow the line, so the views into scratch stay valid.
    scratch.reserve(line.size());
    std::size_t at = 0;
    while (true) {
        std::string_view field;
        if (at < line.size() && line[at] == kQuote) {
            const std::size_t begin = scratch.size();
            for (++at;;) {
                const std::size_t quote = line.find(kQuote, at);
                if (quote == std::string_view::npos)
                    return "has a quoted field without its closing quote";
                scratch.append(line.substr(at, quote - at));
                at = quote + 1;
                if (at < line.size() && line[at] == kQuote) {
                    scratch += kQuote;
                    ++at;
                } else {
                    break;
                }
            }
            if (at < line.size() && line[at] != kSeparator)
                return "has text after the closing quote of a field";
            field = std::string_view(scratch).substr(begin);
        } else {
            const std::size_t end = separatorOrQuote(line, at);
            if (end < line.size() && line[end] == kQuote)
                return "has a quote inside a field that is not quoted";
            field = line.substr(at, end - at);
            at = end;
        }
        if (field.starts_with(kTextMark) && startsAsFormula(field))
            field.remove_prefix(1);
        fields.push_back(field);
        if (at == line.size())
            return std::nullopt;
        ++at; // the separator
    }
}
