#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

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
