#include "setup/KeyValueText.h"

#include <algorithm>
#include <utility>

namespace {

constexpr char kEndOfText = '\x1a';
constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kBlanks = " \t";

std::string_view trimBlanks(std::string_view text) {
    const auto first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

// The key a line holds; none without an "=".
std::optional<std::string_view> keyOf(std::string_view line) {
    const auto equals = line.find('=');
    if (equals == std::string_view::npos)
        return std::nullopt;
    return trimBlanks(line.substr(0, equals));
}

// A value may not break its line or end the text: an LF inside it would start a line of its
// own, a Ctrl-Z would cut off every line after it.
std::string lineOf(std::string_view key, std::string_view value) {
    std::string line;
    line.reserve(key.size() + 1 + value.size());
    line.append(key).append("=").append(value);
    std::erase_if(line, [](char c) { return c == '\n' || c == kEndOfText; });
    return line;
}

} // namespace

KeyValueText::KeyValueText(std::string_view text) {
    text = text.substr(0, text.find(kEndOfText));
    while (!text.empty()) {
        const auto end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (end != std::string_view::npos && line.ends_with('\r'))
            line.remove_suffix(1);
        append(std::string(line));
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
    }
}

void KeyValueText::append(std::string line) {
    if (const auto key = keyOf(line))
        linesOfKey[std::string(*key)].push_back(lines.size());
    lines.push_back(std::move(line));
}

std::optional<std::string_view> KeyValueText::getValue(std::string_view key) const {
    const auto found = linesOfKey.find(key);
    if (found == linesOfKey.end())
        return std::nullopt;
    const std::string_view line = lines[found->second.front()];
    return line.substr(line.find('=') + 1);
}

bool KeyValueText::replaceValue(std::string_view key, std::string_view value) {
    const auto found = linesOfKey.find(key);
    if (found == linesOfKey.end())
        return false;
    // A key found here has no line end, Ctrl-Z or blanks around it, so its new line holds it.
    for (const std::size_t at : found->second)
        lines[at] = lineOf(key, value);
    return true;
}

void KeyValueText::setValues(std::span<const Entry> entries) {
    for (const auto& [key, value] : entries)
        if (!replaceValue(key, value))
            append(lineOf(key, value));
}

std::string KeyValueText::text() const {
    std::string content;
    for (const auto& line : lines)
        content.append(line).append(kLineEnd);
    return content;
}
