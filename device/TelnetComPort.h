#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

// The client's side of a Telnet connection to a serial device server's port with the
// COM-PORT-OPTION (RFC 2217): asks for binary transmission both ways, no go-ahead and the
// option, sets the server's port to the instrument's line (the baud rate, 8 data bits, no parity,
// one stop bit) once the server takes the option, refuses every other option, and escapes and
// unescapes the data. Bytes in, bytes out: whatever holds the connection hands in what the
// server sent and puts output() on it. Data never waits for the negotiation, so a server that
// leaves an option unanswered does not hold up the line.
class TelnetComPort {
public:
    // A subnegotiation longer than this is dropped whole.
    static constexpr std::size_t kLongestSubnegotiation = 32;
    // While this much waits to go out, the server's commands go unanswered: a server that sends
    // commands without reading the answers cannot make the client hold ever more.
    static constexpr std::size_t kLongestWaitingAnswers = 4096;

    // What the server reported of its port; what it has not answered stays empty.
    struct PortAnswers {
        std::optional<std::uint32_t> baudRate;
        std::optional<std::uint8_t> dataSize;
        std::optional<std::uint8_t> parity;
        std::optional<std::uint8_t> stopSize;
    };

    // Queues the opening requests.
    explicit TelnetComPort(std::uint32_t baudRate);

    // Takes what the server sent: its data, unescaped, is appended to data; its commands are
    // answered in the output.
    void received(std::span<const std::uint8_t> bytes, std::vector<std::uint8_t>& data);
    // Queues data for the server, its 0xFF bytes escaped.
    void send(std::span<const std::uint8_t> data);

    // What is to go to the server, oldest first; drop(count) once count bytes of it went.
    std::span<const std::uint8_t> output() const { return outgoing; }
    void drop(std::size_t count);

    // The server said it will have its port set by this client.
    bool comPortTaken() const { return local[kComPortIndex] == State::On; }
    const PortAnswers& portAnswers() const { return answers; }

private:
    enum class State : std::uint8_t { Off, Asked, On };
    enum class Parse : std::uint8_t { Data, Command, Option, SubOption, SubData, SubCommand };
    // The options this client takes: binary transmission, no go-ahead, the COM-PORT-OPTION.
    static constexpr std::size_t kComPortIndex = 2;
    static constexpr std::array<std::uint8_t, 3> kOptions{0, 3, 44};

    void command(std::uint8_t verb, std::uint8_t option);
    // The server asked (DO/DONT) or offered (WILL/WONT) to turn option on or off at one end.
    void negotiate(std::array<State, 3>& states, std::uint8_t option, bool on, std::uint8_t agree,
                   std::uint8_t refuse, std::array<bool, 256>& refused);
    void subnegotiation();
    void setPort();
    void queueCommand(std::uint8_t verb, std::uint8_t option);
    void queueSetting(std::uint8_t setting, std::span<const std::uint8_t> value);

    std::uint32_t baudRate;
    std::vector<std::uint8_t> outgoing;
    // Our end's options (WILL/WONT) and the server's (DO/DONT).
    std::array<State, 3> local{};
    std::array<State, 3> remote{};
    // Options refused once at each end are not answered again, however often a server asks.
    std::array<bool, 256> refusedLocal{};
    std::array<bool, 256> refusedRemote{};
    PortAnswers answers;
    bool portSet = false; // the line settings went out, once for the connection

    Parse parse = Parse::Data;
    std::uint8_t verb = 0;
    std::uint8_t subOption = 0;
    std::array<std::uint8_t, kLongestSubnegotiation> sub{};
    std::size_t subLength = 0;
    bool subOverlong = false;
};
