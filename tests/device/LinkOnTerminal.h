#pragma once

#include "device/SerialLink.h"
#include "support/PseudoTerminal.h"

#include <cstdint>
#include <span>
#include <vector>

// The program's link opened on a real pseudo-terminal whose far end the test plays.
class LinkOnTerminal {
public:
    LinkOnTerminal();

    // The next frame the program sent, empty when none came.
    std::vector<std::uint8_t> nextRequest();
    // Bytes the program sent that nobody has read yet. The terminal hands written bytes to its
    // far end a moment later, so this waits briefly for bytes still on their way.
    int unreadRequestBytes() const;
    // Writes bytes as the instrument, then pumps once as the window's read timer would.
    void reply(std::span<const std::uint8_t> bytes);

    PseudoTerminal terminal;
    SerialLink link;
};
