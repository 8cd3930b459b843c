#include "cli/JsonText.h"

#include <array>
#include <cstdio>

namespace {

std::string indent(int level) {
    return std::string(2 * static_cast<std::size_t>(level), ' ');
}

std::string controlEscape(unsigned char c) {
    switch (c) {
    case '\b':
        return "\\b";
    case '\f':
        return "\\f";
    case '\n':
        return "\\n";
    case '\r':
        return "\\r";
    case '\t':
        return "\\t";
    default:
        std::array<char, 8> text{};
        std::snprintf(text.data(), text.size(), "\\u%04x", c);
        return text.data();
    }
}

// Items between open and close, one a line.
std::string block(char open, const std::vector<std::string>& items, char close, int level) {
    if (items.empty())
        return {open, close};
    std::string text(1, open);
    for (std::size_t i = 0; i < items.size(); ++i)
        text += (i == 0 ? "\n" : ",\n") + indent(level + 1) + items[i];
    return text + "\n" + indent(level) + close;
}

} // namespace

std::string jsonString(std::string_view text) {
    std::string json = "\"";
    for (const char character : text) {
        const auto c = static_cast<unsigned char>(character);
        if (c == '"' || c == '\\') {
            json += '\\';
            json += character;
        } else if (c < 0x20) {
            json += controlEscape(c);
        } else if (c < 0x80) {
            json += character;
        } else {
            json += static_cast<char>(0xC0 | (c >> 6));
            json += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return json + "\"";
}

JsonObject& JsonObject::add(std::string_view name, std::string value) {
    members.emplace_back(jsonString(name), std::move(value));
    return *this;
}

std::string JsonObject::text(int level) const {
    std::vector<std::string> items;
    for (const auto& [name, value] : members)
        items.push_back(name + ": " + value);
    return block('{', items, '}', level);
}

std::string JsonObject::line() const {
    std::string text = "{";
    for (const auto& [name, value] : members)
        text += (text.size() > 1 ? ", " : "") + name + ": " + value;
    return text + "}";
}

std::string jsonArray(const std::vector<std::string>& items, int level) {
    return block('[', items, ']', level);
}

std::string jsonArrayLine(const std::vector<std::string>& items) {
    std::string text = "[";
    for (const std::string& item : items)
        text += (text.size() > 1 ? ", " : "") + item;
    return text + "]";
}
