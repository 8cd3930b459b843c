#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

// How mirafen-cli writes what it prints: text in columns for a terminal, and JSON.

// The text followed by blanks up to width; a longer text stays whole.
std::string padded(std::string text, std::size_t width);

// Every text mirafen-cli prints passes one of these two once, by where it comes from; a line
// made of their results is not passed again.

// Text of the system (a path, a device's description, a message) as a terminal may print it:
// it is in the encoding of the locale (LC_CTYPE), whose characters stay whole ("Übung.prp");
// a control character (C0, DEL, C1), which would act on the terminal instead of showing, and a
// byte that is no character become '?'.
std::string terminalSafe(std::string_view text);

// Latin-1 text from a setup file, the instrument or the module catalogue (a lead name or a
// serial number may hold any byte) in the encoding of the terminal's locale: "\xC4rm" prints as
// "Ärm" in a UTF-8 terminal. Control bytes become '?', so columns keep their widths; a character
// the encoding lacks is transliterated, or shown as '?'.
std::string terminalText(std::string_view latin1);

// The text as a JSON string: the program's 8-bit text read as Latin-1 and written as UTF-8,
// with quotes, backslashes and control characters escaped.
std::string jsonString(std::string_view text);

// A JSON object whose members keep the order in which they were added; values are JSON text.
class JsonObject {
public:
    JsonObject& add(std::string_view name, std::string value);
    // One member a line, indented by two blanks per level, from the given level.
    std::string text(int level = 0) const;
    // All on one line.
    std::string line() const;

private:
    std::vector<std::pair<std::string, std::string>> members;
};

// Items one a line, indented as JsonObject::text does.
std::string jsonArray(const std::vector<std::string>& items, int level);
// All on one line.
std::string jsonArrayLine(const std::vector<std::string>& items);
