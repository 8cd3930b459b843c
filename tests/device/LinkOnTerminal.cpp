#include "LinkOnTerminal.h"

#include "device/Frame.h"

#include <poll.h>
#include <stdexcept>
#include <sys/ioctl.h>

LinkOnTerminal::LinkOnTerminal() {
    if (!link.open(terminal.slavePath()))
        throw std::runtime_error("cannot open " + terminal.slavePath() + ": " +
                                 link.lastOpenError());
}

std::vector<std::uint8_t> nextRequestOn(PseudoTerminal& terminal) {
    // Byte by byte up to the length byte, then the rest of the frame at once.
    std::vector<std::uint8_t> bytes;
    FrameSearch found;
    while (!found.complete) {
        const std::size_t wanted =
            found.frameSize != 0 ? found.noise + found.frameSize : bytes.size() + 1;
        const std::vector<std::uint8_t> more = terminal.receive(wanted - bytes.size());
        if (more.empty())
            return {};
        bytes.insert(bytes.end(), more.begin(), more.end());
        found = findFrame(bytes);
    }
    return {bytes.begin() + static_cast<long>(found.noise), bytes.end()};
}

int unreadRequestBytesOn(const PseudoTerminal& terminal) {
    constexpr int kInFlightMs = 20;
    pollfd ready{terminal.masterFd(), POLLIN, 0};
    poll(&ready, 1, kInFlightMs);
    int count = 0;
    if (ioctl(terminal.masterFd(), FIONREAD, &count) != 0)
        throw std::runtime_error("output queue of " + terminal.slavePath());
    return count;
}

void LinkOnTerminal::reply(std::span<const std::uint8_t> bytes) {
    terminal.send(bytes);
    link.receive();
}
