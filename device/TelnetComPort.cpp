#include "device/TelnetComPort.h"

#include <algorithm>

namespace {

constexpr std::uint8_t kIac = 255;
constexpr std::uint8_t kDont = 254;
constexpr std::uint8_t kDo = 253;
constexpr std::uint8_t kWont = 252;
constexpr std::uint8_t kWill = 251;
constexpr std::uint8_t kSb = 250;
constexpr std::uint8_t kSe = 240;

constexpr std::uint8_t kComPortOption = 44;
// The client's settings; the server answers each with its code plus 100.
constexpr std::uint8_t kSetBaudRate = 1;
constexpr std::uint8_t kSetDataSize = 2;
constexpr std::uint8_t kSetParity = 3;
constexpr std::uint8_t kSetStopSize = 4;
constexpr std::uint8_t kServerAnswer = 100;
constexpr std::uint8_t kEightDataBits = 8;
constexpr std::uint8_t kNoParity = 1;
constexpr std::uint8_t kOneStopBit = 1;

void appendEscaped(std::vector<std::uint8_t>& out, std::span<const std::uint8_t> bytes) {
    for (const std::uint8_t byte : bytes) {
        out.push_back(byte);
        if (byte == kIac)
            out.push_back(kIac);
    }
}

} // namespace

TelnetComPort::TelnetComPort(std::uint32_t baudRate)
    : baudRate(baudRate) {
    for (std::size_t i = 0; i < kOptions.size(); ++i) {
        queueCommand(kWill, kOptions[i]);
        local[i] = State::Asked;
        // The server's end of the COM-PORT-OPTION means nothing to a client.
        if (i != kComPortIndex) {
            queueCommand(kDo, kOptions[i]);
            remote[i] = State::Asked;
        }
    }
}

void TelnetComPort::received(std::span<const std::uint8_t> bytes, std::vector<std::uint8_t>& data) {
    for (const std::uint8_t byte : bytes) {
        switch (parse) {
        case Parse::Data:
            if (byte == kIac)
                parse = Parse::Command;
            else
                data.push_back(byte);
            break;
        case Parse::SubCommand:
            if (byte == kIac) {
                parse = Parse::SubData;
                if (subLength < sub.size())
                    sub[subLength++] = byte;
                else
                    subOverlong = true;
                break;
            }
            if (byte == kSe) {
                subnegotiation();
                parse = Parse::Data;
                break;
            }
            // A command inside a subnegotiation ends it unread; the command counts.
            [[fallthrough]];
        case Parse::Command:
            parse = Parse::Data;
            if (byte == kIac) {
                data.push_back(byte);
            } else if (byte >= kWill && byte <= kDont) {
                verb = byte;
                parse = Parse::Option;
            } else if (byte == kSb) {
                parse = Parse::SubOption;
            }
            break;
        case Parse::Option:
            command(verb, byte);
            parse = Parse::Data;
            break;
        case Parse::SubOption:
            subOption = byte;
            subLength = 0;
            subOverlong = false;
            parse = Parse::SubData;
            break;
        case Parse::SubData:
            if (byte == kIac)
                parse = Parse::SubCommand;
            else if (subLength < sub.size())
                sub[subLength++] = byte;
            else
                subOverlong = true;
            break;
        }
    }
}

void TelnetComPort::send(std::span<const std::uint8_t> data) {
    appendEscaped(outgoing, data);
}

void TelnetComPort::drop(std::size_t count) {
    outgoing.erase(outgoing.begin(), outgoing.begin() + static_cast<std::ptrdiff_t>(
                                                            std::min(count, outgoing.size())));
}

void TelnetComPort::command(std::uint8_t verb, std::uint8_t option) {
    if (outgoing.size() >= kLongestWaitingAnswers)
        return;
    if (verb == kDo || verb == kDont)
        negotiate(local, option, verb == kDo, kWill, kWont, refusedLocal);
    else
        negotiate(remote, option, verb == kWill, kDo, kDont, refusedRemote);
}

void TelnetComPort::negotiate(std::array<State, 3>& states, std::uint8_t option, bool on,
                              std::uint8_t agree, std::uint8_t refuse,
                              std::array<bool, 256>& refused) {
    const auto found = std::ranges::find(kOptions, option);
    const auto index = static_cast<std::size_t>(found - kOptions.begin());
    const bool ours = found != kOptions.end() && (&states == &local || index != kComPortIndex);
    if (!ours) {
        if (on && !refused[option]) {
            refused[option] = true;
            queueCommand(refuse, option);
        }
        return;
    }
    // Only a change of state is answered, and an answer to our own request is none: no two ends
    // can keep each other answering.
    State& state = states[index];
    if (on) {
        if (state == State::On)
            return;
        if (state == State::Off)
            queueCommand(agree, option);
        state = State::On;
        if (&states == &local && index == kComPortIndex && !portSet) {
            portSet = true;
            setPort();
        }
    } else {
        if (state == State::On)
            queueCommand(refuse, option);
        state = State::Off;
    }
}

void TelnetComPort::subnegotiation() {
    if (subOverlong || subOption != kComPortOption || subLength == 0)
        return;
    const std::span<const std::uint8_t> value = std::span(sub).subspan(1, subLength - 1);
    switch (sub[0]) {
    case kServerAnswer + kSetBaudRate:
        if (value.size() == 4)
            answers.baudRate = std::uint32_t{value[0]} << 24 | std::uint32_t{value[1]} << 16 |
                               std::uint32_t{value[2]} << 8 | value[3];
        break;
    case kServerAnswer + kSetDataSize:
    case kServerAnswer + kSetParity:
    case kServerAnswer + kSetStopSize: {
        if (value.size() != 1)
            break;
        std::optional<std::uint8_t>* answer[] = {&answers.dataSize, &answers.parity,
                                                 &answers.stopSize};
        *answer[sub[0] - kServerAnswer - kSetDataSize] = value[0];
        break;
    }
    default:
        // Line and modem state reports, flow control and the server's signature: not needed.
        break;
    }
}

void TelnetComPort::setPort() {
    const std::uint8_t baud[] = {
        static_cast<std::uint8_t>(baudRate >> 24), static_cast<std::uint8_t>(baudRate >> 16),
        static_cast<std::uint8_t>(baudRate >> 8), static_cast<std::uint8_t>(baudRate)};
    queueSetting(kSetBaudRate, baud);
    queueSetting(kSetDataSize, std::span(&kEightDataBits, 1));
    queueSetting(kSetParity, std::span(&kNoParity, 1));
    queueSetting(kSetStopSize, std::span(&kOneStopBit, 1));
}

void TelnetComPort::queueCommand(std::uint8_t verb, std::uint8_t option) {
    outgoing.insert(outgoing.end(), {kIac, verb, option});
}

void TelnetComPort::queueSetting(std::uint8_t setting, std::span<const std::uint8_t> value) {
    outgoing.insert(outgoing.end(), {kIac, kSb, kComPortOption, setting});
    appendEscaped(outgoing, value);
    outgoing.insert(outgoing.end(), {kIac, kSe});
}
