#include "support/ServedInstrument.h"

#include "device/Frame.h"
#include "device/Registers.h"

#include <array>
#include <unistd.h>

ServedInstrument::ServedInstrument(PseudoTerminal& terminal)
    : terminal(terminal)
    , notifier(terminal.masterFd(), QSocketNotifier::Read) {
    QObject::connect(&notifier, &QSocketNotifier::activated, [this] { readRequests(); });
}

void ServedInstrument::setIdentity(const DeviceIdentity& identity) {
    registers.write(kIdentityRegister, encodeIdentity(identity));
}

Bytes ServedInstrument::content(std::uint8_t reg) const {
    const std::optional<std::span<const std::uint8_t>> held = registers.read(reg);
    return held ? bytesOf(*held) : Bytes{};
}

void ServedInstrument::readRequests() {
    std::array<std::uint8_t, 256> chunk{};
    const ssize_t got = ::read(terminal.masterFd(), chunk.data(), chunk.size());
    if (got <= 0)
        return;
    reader.append(std::span(chunk).first(static_cast<std::size_t>(got)));
    while (const std::optional<Bytes> request = reader.next())
        answerNext(*request);
}

void ServedInstrument::answerNext(std::span<const std::uint8_t> request) {
    const std::optional<EncodedFrame> reply = responder.answer(request);
    if (!reply)
        return;
    terminal.send(reply->bytes());
    ++answered;
    if (afterAnswer)
        afterAnswer(answered);
}
