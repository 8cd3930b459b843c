#include "cli/OutputFormats.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cwchar>
#include <cwctype>
#include <iconv.h>
#include <langinfo.h>

std::string padded(std::string text, std::size_t width) {
    text.resize(std::max(width, text.size()), ' ');
    return text;
}

namespace {

bool isControl(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || (byte >= 0x7F && byte <= 0x9F);
}

} // namespace

std::string terminalSafe(std::string_view text) {
    std::string safe;
    std::mbstate_t state{};
    while (!text.empty()) {
        wchar_t character = 0;
        const std::size_t length = std::mbrtowc(&character, text.data(), text.size(), &state);
        // A NUL, or bytes that are no character of the encoding (sizes -1 and -2).
        if (length == 0 || length > text.size()) {
            safe += '?';
            text.remove_prefix(1);
            state = {};
            continue;
        }
        safe += std::iswcntrl(static_cast<wint_t>(character)) ? std::string_view("?")
                                                              : text.substr(0, length);
        text.remove_prefix(length);
    }
    return safe;
}

std::string terminalText(std::string_view latin1) {
    std::string safe(latin1);
    std::ranges::replace_if(safe, isControl, '?');
    const std::string encoding = nl_langinfo(CODESET);
    const iconv_t converter = iconv_open((encoding + "//TRANSLIT").c_str(), "ISO-8859-1");
    if (converter == reinterpret_cast<iconv_t>(-1))
        return safe;
    // A character takes at most four bytes, or a few letters transliterated.
    std::string shown(4 * safe.size(), '\0');
    char* in = safe.data();
    std::size_t inLeft = safe.size();
    char* out = shown.data();
    std::size_t outLeft = shown.size();
    while (inLeft > 0 && outLeft > 0) {
        if (iconv(converter, &in, &inLeft, &out, &outLeft) != static_cast<std::size_t>(-1))
            continue;
        if (errno != EILSEQ)
            break;
        *out++ = '?';
        --outLeft;
        ++in;
        --inLeft;
    }
    iconv_close(converter);
    shown.resize(shown.size() - outLeft);
    return shown;
}

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
