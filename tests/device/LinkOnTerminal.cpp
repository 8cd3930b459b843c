#include "LinkOnTerminal.h"

#include <poll.h>
#include <stdexcept>
#include <sys/ioctl.h>

LinkOnTerminal::LinkOnTerminal()
    : link([this](int) { return terminal.slavePath(); }) {
    if (!link.open(1, 9600))
        throw std::runtime_error("cannot open " + terminal.slavePath() + ": " +
                                 link.lastOpenError());
}

std::vector<std::uint8_t> LinkOnTerminal::nextRequest() {
    // Bytes 0-1: header and data length; the command, the data and the checksum follow.
    std::vector<std::uint8_t> frame = terminal.receive(2);
    if (frame.size() < 2)
        return {};
    const std::vector<std::uint8_t> rest = terminal.receive(frame[1] + 2U);
    frame.insert(frame.end(), rest.begin(), rest.end());
    return frame;
}

int LinkOnTerminal::unreadRequestBytes() const {
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
    link.pump();
}
