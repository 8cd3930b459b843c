#include "device/TelnetComPort.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <numeric>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint8_t IAC = 255, DONT = 254, DO = 253, WONT = 252, WILL = 251, SB = 250, GA = 249,
                       NOP = 241, SE = 240;
constexpr std::uint8_t BINARY = 0, ECHOING = 1, SGA = 3, TTYPE = 24, COMPORT = 44;

const Bytes kOpening = {IAC, WILL, BINARY, IAC, DO,  BINARY, IAC,    WILL,
                        SGA, IAC,  DO,     SGA, IAC, WILL,   COMPORT};
// 9600 baud, 8 data bits, no parity, one stop bit.
const Bytes kLineSettings = {IAC, SB,      COMPORT, 1,  0,       0,  0x25, 0x80, IAC,     SE, IAC,
                             SB,  COMPORT, 2,       8,  IAC,     SE, IAC,  SB,   COMPORT, 3,  1,
                             IAC, SE,      IAC,     SB, COMPORT, 4,  1,    IAC,  SE};

Bytes outputOf(const TelnetComPort& port) {
    return {port.output().begin(), port.output().end()};
}

// A client past its opening requests.
TelnetComPort openedClient() {
    TelnetComPort port(9600);
    port.drop(port.output().size());
    return port;
}

TEST(TelnetComPortTest, OpensByAskingForBinaryNoGoAheadAndTheComPortOption) {
    EXPECT_EQ(outputOf(TelnetComPort(9600)), kOpening);
}

TEST(TelnetComPortTest, AnswersTheServerOncePerChangeAndNeverLoops) {
    struct Case {
        std::string what;
        Bytes fromServer;
        Bytes reply;
    };
    const std::vector<Case> cases = {
        {"the option taken sets the line", {IAC, DO, COMPORT}, kLineSettings},
        {"the line is set once however often it is taken",
         {IAC, DO, COMPORT, IAC, DO, COMPORT, IAC, DONT, COMPORT, IAC, DO, COMPORT},
         [] {
             Bytes reply = kLineSettings;
             reply.insert(reply.end(), {IAC, WONT, COMPORT, IAC, WILL, COMPORT});
             return reply;
         }()},
        {"agreement to our requests needs no answer",
         {IAC, DO, BINARY, IAC, WILL, BINARY, IAC, DO, SGA, IAC, WILL, SGA, IAC, DO, BINARY},
         {}},
        {"a refusal of our request needs no answer",
         {IAC, DONT, COMPORT, IAC, WONT, BINARY, IAC, DONT, SGA},
         {}},
        {"an option turned off after agreement is acknowledged",
         {IAC, WILL, BINARY, IAC, WONT, BINARY, IAC, WILL, BINARY},
         {IAC, DONT, BINARY, IAC, DO, BINARY}},
        {"other options are refused once each, however often asked",
         {IAC, WILL, ECHOING, IAC, DO, TTYPE, IAC, WILL, ECHOING, IAC, DO, TTYPE, IAC, DO, ECHOING},
         {IAC, DONT, ECHOING, IAC, WONT, TTYPE, IAC, WONT, ECHOING}},
        {"the server's end of the option is refused", {IAC, WILL, COMPORT}, {IAC, DONT, COMPORT}},
        {"a request to turn off what is off needs no answer",
         {IAC, WONT, ECHOING, IAC, DONT, TTYPE},
         {}},
    };
    for (const Case& c : cases) {
        TelnetComPort port = openedClient();
        Bytes data;
        port.received(c.fromServer, data);
        EXPECT_EQ(outputOf(port), c.reply) << c.what;
        EXPECT_TRUE(data.empty()) << c.what;
    }
}

TEST(TelnetComPortTest, HoldsBoundedAnswersForAServerThatNeverReadsThem) {
    TelnetComPort port = openedClient();
    Bytes flood;
    for (int i = 0; i < 10000; ++i)
        flood.insert(flood.end(), {IAC, DO, BINARY, IAC, DONT, BINARY});
    flood.push_back(0x42);
    Bytes data;
    port.received(flood, data);

    EXPECT_LE(port.output().size(), TelnetComPort::kLongestWaitingAnswers + 3);
    EXPECT_EQ(data, Bytes{0x42});
}

TEST(TelnetComPortTest, TakesTheDataOutOfTheServersStream) {
    struct Case {
        std::string what;
        Bytes fromServer;
        Bytes data;
    };
    Bytes overlong = {0x01, IAC, SB, COMPORT, 101};
    overlong.insert(overlong.end(), TelnetComPort::kLongestSubnegotiation * 2, 0x00);
    overlong.insert(overlong.end(), {IAC, SE, 0x02});
    const std::vector<Case> cases = {
        {"escaped 0xFF",
         {0x55, IAC, IAC, 0x01, IAC, IAC, IAC, IAC},
         {0x55, 0xFF, 0x01, 0xFF, 0xFF}},
        {"commands between data",
         {0x01, IAC, NOP, 0x02, IAC, GA, 0x03, IAC, DO, ECHOING, 0x04},
         {0x01, 0x02, 0x03, 0x04}},
        {"a subnegotiation between data",
         {0x01, IAC, SB, COMPORT, 106, 0x00, IAC, SE, 0x02},
         {0x01, 0x02}},
        {"0xFF and SE inside a subnegotiation",
         {0x01, IAC, SB, COMPORT, 107, IAC, IAC, SE, IAC, SE, 0x02},
         {0x01, 0x02}},
        {"an overlong subnegotiation", overlong, {0x01, 0x02}},
        {"a subnegotiation cut by a command", {IAC, SB, COMPORT, 101, IAC, NOP, 0x05}, {0x05}},
    };
    for (const Case& c : cases) {
        TelnetComPort port = openedClient();
        Bytes data;
        port.received(c.fromServer, data);
        EXPECT_EQ(data, c.data) << c.what;
    }
}

TEST(TelnetComPortTest, ReadsTheServersAnswersToTheLineSettings) {
    TelnetComPort port = openedClient();
    Bytes data;
    // 65280 baud has a 0xFF byte, escaped.
    port.received(Bytes{IAC, SB,  COMPORT, 101, 0,  0,       IAC, IAC, 0,   IAC,     SE,
                        IAC, SB,  COMPORT, 102, 8,  IAC,     SE,  IAC, SB,  COMPORT, 103,
                        1,   IAC, SE,      IAC, SB, COMPORT, 104, 1,   IAC, SE},
                  data);

    EXPECT_EQ(port.portAnswers().baudRate, 65280U);
    EXPECT_EQ(port.portAnswers().dataSize, 8);
    EXPECT_EQ(port.portAnswers().parity, 1);
    EXPECT_EQ(port.portAnswers().stopSize, 1);
}

TEST(TelnetComPortTest, IgnoresAnswersOfTheWrongSizeOrAnotherOption) {
    TelnetComPort port = openedClient();
    Bytes data;
    port.received(Bytes{IAC, SB,      COMPORT, 101, 0,   0x25, 0x80,    IAC, SE, IAC,
                        SB,  COMPORT, 102,     8,   8,   IAC,  SE,      IAC, SB, TTYPE,
                        103, 1,       IAC,     SE,  IAC, SB,   COMPORT, IAC, SE},
                  data);

    EXPECT_FALSE(port.portAnswers().baudRate);
    EXPECT_FALSE(port.portAnswers().dataSize);
    EXPECT_FALSE(port.portAnswers().parity);
}

TEST(TelnetComPortTest, EveryByteCrossesToTheOtherEndWholeInAnyPieces) {
    // Data goes out at once, before the server has answered anything.
    Bytes frame(512);
    std::iota(frame.begin(), frame.end(), 0);
    for (const std::size_t piece : {1U, 2U, 3U, 7U, 1000U}) {
        TelnetComPort client = openedClient();
        client.send(frame);
        const Bytes wire = outputOf(client);
        EXPECT_EQ(wire.size(), frame.size() + 2) << "two 0xFF bytes doubled";

        TelnetComPort far(9600);
        Bytes data;
        for (std::size_t at = 0; at < wire.size(); at += piece)
            far.received(std::span(wire).subspan(at, std::min(piece, wire.size() - at)), data);
        EXPECT_EQ(data, frame) << "in pieces of " << piece;
    }
}

TEST(TelnetComPortTest, DropsWhatWentOut) {
    TelnetComPort port(9600);
    port.drop(3);
    EXPECT_EQ(outputOf(port), Bytes(kOpening.begin() + 3, kOpening.end()));
    port.drop(1000);
    EXPECT_TRUE(port.output().empty());
}

} // namespace
