#pragma once

#include "device/SerialLink.h"
#include "support/PseudoTerminal.h"

#include <cstdint>
#include <span>
#include <vector>

// The next frame the program sent to terminal, empty when none came.
std::vector<std::uint8_t> nextRequestOn(PseudoTerminal& terminal);
// Bytes the program sent to terminal that nobody has read yet. The terminal hands written bytes
// to its far end a moment later, so this waits briefly for bytes still on their way.
int unreadRequestBytesOn(const PseudoTerminal& terminal);

// The program's link opened on a real pseudo-terminal whose far end the test plays.
class LinkOnTerminal {
public:
    LinkOnTerminal();

    std::vector<std::uint8_t> nextRequest() { return nextRequestOn(terminal); }
    int unreadRequestBytes() const { return unreadRequestBytesOn(terminal); }
    // Writes bytes as the instrument, then lets the link read them.
    void reply(std::span<const std::uint8_t> bytes);

    PseudoTerminal terminal;
    SerialLink link;
};
