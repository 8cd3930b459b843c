#include "config/Utf8Text.h"

#include <cstdint>
#include <cstring>

namespace {

bool isControl(char32_t c) {
    return c < 0x20 || (c >= 0x7F && c < 0xA0);
}

// The character starting text and its length in bytes; none when text does not start with a
// well-formed UTF-8 sequence (no overlong form, no surrogate, nothing beyond U+10FFFF).
struct Decoded {
    char32_t character;
    std::size_t length;
};

std::optional<Decoded> decodeUtf8(std::string_view text) {
    const auto lead = static_cast<unsigned char>(text[0]);
    if (lead < 0x80)
        return Decoded{lead, 1};
    std::size_t length = 0;
    char32_t character = 0;
    char32_t least = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2, character = lead & 0x1F, least = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, character = lead & 0x0F, least = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, character = lead & 0x07, least = 0x10000;
    } else {
        return std::nullopt;
    }
    if (text.size() < length)
        return std::nullopt;
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[i]);
        if ((next & 0xC0) != 0x80)
            return std::nullopt;
        character = (character << 6) | (next & 0x3F);
    }
    if (character < least || character > 0x10FFFF || (character >= 0xD800 && character < 0xE000))
        return std::nullopt;
    return Decoded{character, length};
}

void appendUtf8(std::string& text, char32_t c) {
    if (c < 0x80) {
        text += static_cast<char>(c);
    } else {
        text += static_cast<char>(0xC0 | (c >> 6));
        text += static_cast<char>(0x80 | (c & 0x3F));
    }
}

bool isUtf8(std::string_view text) {
    while (!text.empty()) {
        const auto decoded = decodeUtf8(text);
        if (!decoded)
            return false;
        text.remove_prefix(decoded->length);
    }
    return true;
}

// How many bytes text starts with that are printable ASCII, which needs no decoding: most of a
// record. Eight at a time: a byte is flagged when its top bit is set, when it is below 0x20
// (taking 0x20 from it borrows) or when it is 0x7F (adding 1 reaches 0x80).
std::size_t printableAsciiLength(std::string_view text) {
    constexpr std::uint64_t kOnes = 0x0101010101010101;
    constexpr std::uint64_t kTops = 0x8080808080808080;
    std::size_t at = 0;
    for (; at + sizeof(std::uint64_t) <= text.size(); at += sizeof(std::uint64_t)) {
        std::uint64_t word = 0;
        std::memcpy(&word, text.data() + at, sizeof word);
        if (((word | (word - 0x20 * kOnes) | (word + kOnes)) & kTops) != 0)
            break;
    }
    while (at < text.size() && text[at] >= 0x20 && text[at] < 0x7F)
        ++at;
    return at;
}

} // namespace

std::string printableUtf8(std::string_view text, bool latin1) {
    if (latin1 || !isUtf8(text)) {
        std::string utf8;
        for (const char c : text) {
            const auto byte = static_cast<unsigned char>(c);
            appendUtf8(utf8, isControl(byte) ? U' ' : byte);
        }
        return utf8;
    }
    std::string printable;
    while (!text.empty()) {
        const Decoded decoded = *decodeUtf8(text);
        if (isControl(decoded.character))
            printable += ' ';
        else
            printable.append(text.substr(0, decoded.length));
        text.remove_prefix(decoded.length);
    }
    return printable;
}

std::optional<std::string_view> printableUtf8Fault(std::string_view text) {
    while (!text.empty()) {
        text.remove_prefix(printableAsciiLength(text));
        if (text.empty())
            break;
        const auto decoded = decodeUtf8(text);
        if (!decoded)
            return "bytes that are not UTF-8 text";
        if (isControl(decoded->character))
            return "a control character";
        text.remove_prefix(decoded->length);
    }
    return std::nullopt;
}
