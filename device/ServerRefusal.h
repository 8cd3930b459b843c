#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

// A server that serves one client at a time turns a second one away with a line of text and ends
// the connection ("Port already in use"). The first bytes of a connection are kept, bounded, to
// tell that apart from a server that went away: an instrument never answers in plain text.
class ServerRefusal {
public:
    // The longest refusal taken.
    static constexpr std::size_t kLongest = 80;

    void clear();
    // Bytes of data the server sent, in order.
    void arrived(std::span<const std::uint8_t> bytes);
    // Once the connection ended: the server's line when all it sent was one line of text, else
    // empty.
    std::string refusal(bool ended) const;

private:
    std::string text;
    bool plain = true;
};
