#include "cli/TextColumns.h"

#include <algorithm>

std::string padded(std::string text, std::size_t width) {
    text.resize(std::max(width, text.size()), ' ');
    return text;
}

std::string terminalSafe(std::string_view text) {
    std::string safe(text);
    std::ranges::replace_if(
        safe,
        [](char c) {
            const auto byte = static_cast<unsigned char>(c);
            return byte < 0x20 || (byte >= 0x7F && byte <= 0x9F);
        },
        '?');
    return safe;
}
