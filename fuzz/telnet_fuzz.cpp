// The Telnet client against a hostile server: arbitrary bytes in arbitrary chunks, each led by a
// control byte whose low six bits are the chunk's size less one; bit 6 sends the data received so
// far back through the client, bit 7 takes what the client has to send.
#include "device/TelnetComPort.h"
#include "fuzz/FuzzCheck.h"

#include <algorithm>
#include <cstdint>
#include <span>
#include <vector>

namespace {

// The opening requests and the line settings, with room for escaped values.
constexpr std::size_t kOwnCommands = 128;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::span<const std::uint8_t> input(data, size);
    TelnetComPort client(9600);
    std::size_t taken = 0;
    std::size_t sent = 0;
    while (!input.empty()) {
        const std::uint8_t control = input.front();
        input = input.subspan(1);
        const auto chunk = input.first(std::min<std::size_t>((control & 0x3F) + 1, input.size()));
        input = input.subspan(chunk.size());

        std::vector<std::uint8_t> received;
        client.received(chunk, received);
        // Data is never made up, and every answer is to a command of three bytes or more.
        fuzzCheck(received.size() <= chunk.size());
        taken += chunk.size();
        if (control & 0x40) {
            // Whatever the data holds crosses to the other end whole.
            const std::size_t before = client.output().size();
            client.send(received);
            const std::vector<std::uint8_t> wire(client.output().begin() + before,
                                                 client.output().end());
            sent += wire.size();
            TelnetComPort far(9600);
            std::vector<std::uint8_t> crossed;
            far.received(wire, crossed);
            fuzzCheck(crossed == received);
        }
        // Answers never outgrow what asked for them, nor the bound of what may wait unsent.
        const std::size_t answers = std::min(taken, TelnetComPort::kLongestWaitingAnswers);
        fuzzCheck(client.output().size() <= kOwnCommands + answers + sent);
        if (control & 0x80) {
            client.drop(client.output().size());
            taken = 0;
            sent = 0;
        }
    }
    return 0;
}
