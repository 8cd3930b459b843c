#include "device/ServerRefusal.h"

void ServerRefusal::clear() {
    text.clear();
    plain = true;
}

void ServerRefusal::arrived(std::span<const std::uint8_t> bytes) {
    for (const std::uint8_t byte : bytes) {
        if (!plain)
            return;
        const bool printable = byte >= 0x20 && byte < 0x7F;
        const bool lineEnd = byte == '\r' || byte == '\n';
        plain = (printable || lineEnd) && text.size() < kLongest;
        if (plain && printable)
            text += static_cast<char>(byte);
    }
}

std::string ServerRefusal::refusal(bool ended) const {
    return ended && plain ? text : std::string();
}
