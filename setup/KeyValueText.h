#pragma once

#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The content of a key-value file in memory, with the rules every reader and writer of such a
// file follows (KeyValueFile holds the file itself).
//
// A line holds KEY when the text before its first "=" equals KEY (blanks around it ignored,
// case-sensitive); its value is the text after that "=", without the line end. Lines end in
// CR LF when written; LF alone is read too; a Ctrl-Z ends the content. Text is 8-bit.
class KeyValueText {
public:
    using Entry = std::pair<std::string, std::string>;

    KeyValueText() = default;
    // The lines of text up to its first Ctrl-Z, without their line ends.
    explicit KeyValueText(std::string_view text);

    // The value of the first line holding key; none when no line does.
    std::optional<std::string_view> getValue(std::string_view key) const;
    // Every line holding key becomes key=value; false when no line holds it.
    bool replaceValue(std::string_view key, std::string_view value);
    // Replaces the key's lines when present, else appends key=value; for each entry in order.
    void setValues(std::span<const Entry> entries);

    // The content as written: every line followed by CR LF.
    std::string text() const;
    std::size_t lineCount() const { return lines.size(); }

private:
    void append(std::string line);

    std::vector<std::string> lines;
    // Where the lines holding each key stand, in order; a rewrite of a key's lines keeps them
    // holding it, so the index only grows when a line is appended.
    std::map<std::string, std::vector<std::size_t>, std::less<>> linesOfKey;
};
