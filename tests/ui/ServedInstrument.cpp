#include "ServedInstrument.h"

#include <algorithm>
#include <array>
#include <unistd.h>

ServedInstrument::ServedInstrument(PseudoTerminal& terminal)
    : terminal(terminal)
    , notifier(terminal.masterFd(), QSocketNotifier::Read) {
    QObject::connect(&notifier, &QSocketNotifier::activated, [this] { readRequests(); });
}

void ServedInstrument::setIdentity(const char* serial, std::uint8_t moduleType, std::uint8_t major,
                                   std::uint8_t minor) {
    // Bytes 0-7: serial number, 8-9: module type, 10-11: firmware major and minor.
    std::vector<std::uint8_t> identity(8, 0);
    std::copy_n(serial, std::min<std::size_t>(8, std::char_traits<char>::length(serial)),
                identity.begin());
    identity.insert(identity.end(), {0, moduleType, major, minor});
    instrument.reg(0x10) = identity;
}

void ServedInstrument::readRequests() {
    std::array<std::uint8_t, 256> chunk{};
    const ssize_t got = ::read(terminal.masterFd(), chunk.data(), chunk.size());
    if (got <= 0)
        return;
    received.insert(received.end(), chunk.begin(), chunk.begin() + got);
    // A frame: header, data length L, command, L data bytes, checksum.
    while (received.size() >= 4 && received.size() >= received[1] + 4U) {
        std::vector<std::uint8_t> request(received.begin(), received.begin() + received[1] + 4);
        received.erase(received.begin(), received.begin() + received[1] + 4);
        answerNext(request);
    }
}

void ServedInstrument::answerNext(const std::vector<std::uint8_t>& request) {
    if (silent)
        return;
    std::vector<std::uint8_t> reply = instrument.answer(request);
    // Byte 2: command, byte 3: the register a read asks for.
    if (request[2] == 0x01 && wrongAnswersFrom >= 0 && answered >= wrongAnswersFrom) {
        const auto other = static_cast<std::uint8_t>(request[3] + 1);
        reply = frameOf(other, instrument.reg(other));
    }
    terminal.send(reply);
    ++answered;
    if (afterAnswer)
        afterAnswer(answered);
}
