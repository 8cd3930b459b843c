#include "device/NetworkAddress.h"
#include "device/NetworkConnection.h"
#include "device/SessionPort.h"
#include "device/TelnetComPort.h"
#include "sim/RegisterStore.h"
#include "sim/Responder.h"
#include "support/FrameBytes.h"
#include "support/LoopbackServer.h"
#include "support/PortDriving.h"
#include "support/PortRefusal.h"

#include <algorithm>
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using Clock = InstrumentSession::Clock;

// The far end's view of the client's data: Telnet's commands taken out for an RFC 2217 port.
class FarEnd {
public:
    FarEnd(LoopbackServer& server, bool telnet)
        : server(server)
        , telnet(telnet) {}

    Bytes receiveData(std::size_t count) {
        Bytes data;
        while (data.size() < count && !::testing::Test::HasFailure()) {
            const Bytes bytes = server.receive(1);
            if (telnet)
                codec.received(bytes, data);
            else
                data.insert(data.end(), bytes.begin(), bytes.end());
        }
        return data;
    }
    void sendData(const Bytes& data) {
        if (!telnet) {
            server.send(data);
            return;
        }
        codec.drop(codec.output().size());
        codec.send(data);
        server.send(Bytes(codec.output().begin(), codec.output().end()));
    }

private:
    LoopbackServer& server;
    bool telnet;
    TelnetComPort codec{9600};
};

class NetworkPortTest : public ::testing::Test {
protected:
    // Opens name and waits until it has connected or failed; the reason it failed, else empty.
    std::string connect(const std::string& name) {
        openedEvents = 0;
        std::string failure = portRefusal([&] {
            port.open(name, {},
                      {.opened = [this] { ++openedEvents; },
                       .failed =
                           [&](const PortError& e) {
                               failure = e.reason();
                           }});
        });
        if (failure.empty())
            driveUntil(port, [this] { return !port.opening(); });
        if (port.openFailure())
            failure = port.openFailure()->reason();
        return failure;
    }

    InstrumentSession session{FrameTrace()};
    SessionPort port{session};
    int openedEvents = 0;
};

TEST_F(NetworkPortTest, CarriesTheSessionsFramesBothWaysAndTellsItOfTheServerHangingUp) {
    struct Case {
        std::string scheme;
        std::string host;
        bool ipv6Server;
    };
    // localhost is looked up on the resolver's thread; ::1 may come first and be refused.
    for (const Case& c :
         {Case{"tcp", "127.0.0.1", false}, Case{"tcp", "[::1]", true},
          Case{"rfc2217", "127.0.0.1", false}, Case{"rfc2217", "localhost", false}}) {
        SCOPED_TRACE(c.scheme + "://" + c.host);
        const bool telnet = c.scheme == "rfc2217";
        LoopbackServer server(c.ipv6Server);
        const std::string name = c.scheme + "://" + c.host + ":" + server.port();

        ASSERT_EQ(connect(name), "");
        EXPECT_TRUE(session.lineOpen());
        EXPECT_EQ(port.devicePath(), name);
        server.accept();
        int keepAlive = 0;
        socklen_t length = sizeof keepAlive;
        getsockopt(port.descriptor(), SOL_SOCKET, SO_KEEPALIVE, &keepAlive, &length);
        EXPECT_EQ(keepAlive, 1);

        FarEnd far(server, telnet);
        if (telnet)
            server.send(Bytes{0xFF, 0xFD, 44}); // DO COM-PORT-OPTION
        session.askIdentity(Clock::now(), std::chrono::seconds(5));
        port.flush();
        EXPECT_EQ(far.receiveData(kIdentityRequest.size()), kIdentityRequest);
        EXPECT_EQ(openedEvents, 1);

        RegisterStore registers{{"00004711", 3, 1, 2}};
        far.sendData(bytesOf(Responder(registers).answer(kIdentityRequest)->bytes()));
        driveUntil(port, [this] { return session.identity().has_value(); });
        EXPECT_EQ(session.identity()->serialText, "00004711");
        if (telnet) {
            // Once the option was taken, the server's port is set to 9600 baud, and so on.
            const Bytes setBaudRate{0xFF, 0xFA, 44, 1, 0, 0, 0x25, 0x80, 0xFF, 0xF0};
            const Bytes settings = server.receive(31);
            EXPECT_TRUE(
                std::ranges::equal(Bytes(settings.begin(), settings.begin() + 10), setBaudRate));
        }

        server.hangUp();
        driveUntil(port, [this] { return session.hungUp(); });
        EXPECT_TRUE(port.lineGone());
        EXPECT_FALSE(port.openFailure());
        port.close();
    }
}

TEST_F(NetworkPortTest, AConnectionRefusedEndsLikeAPortThatWouldNotOpen) {
    for (const bool ipv6 : {false, true}) {
        for (const std::string scheme : {"tcp", "rfc2217"}) {
            LoopbackServer server(ipv6);
            server.stopListening();
            const std::string hostAndPort = (ipv6 ? "[::1]:" : "127.0.0.1:") + server.port();
            SCOPED_TRACE(scheme + "://" + hostAndPort);

            EXPECT_EQ(connect(scheme + "://" + hostAndPort),
                      "could not connect to " + hostAndPort + ": connection refused");
            EXPECT_FALSE(port.isOpen());
            EXPECT_TRUE(port.lineGone());
            EXPECT_FALSE(session.lineOpen());
            EXPECT_EQ(openedEvents, 0);
            EXPECT_EQ(port.descriptor(), -1);
        }
    }
}

TEST_F(NetworkPortTest, AServerTurningThisClientAwayIsABusyPortAndOneGoneAHangUp) {
    struct Case {
        std::string what;
        Bytes lastWords;
        std::string failure;
    };
    const std::vector<Case> cases = {
        {"turned away",
         {'P', 'o', 'r', 't', ' ', 'i', 'n', ' ', 'u', 's', 'e', '\r', '\n'},
         ": Device or resource busy (the server said: Port in use)"},
        {"gone after a frame", kAcknowledgement, ""},
        {"gone without a word", {}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        LoopbackServer server;
        const std::string name = "tcp://127.0.0.1:" + server.port();
        std::string failure;
        port.open(name, {}, {.opened = {}, .failed = [&](const PortError& e) {
                                 failure = e.reason();
                             }});
        driveUntil(port, [this] { return !port.opening(); });
        server.accept();
        if (!c.lastWords.empty())
            server.send(c.lastWords);
        server.hangUp();
        driveUntil(port, [this] { return port.lineGone(); });

        EXPECT_EQ(failure, c.failure.empty() ? "" : name + c.failure);
        EXPECT_EQ(port.openFailure().has_value(), !c.failure.empty());
        EXPECT_EQ(session.hungUp(), c.failure.empty()) << "a refusal closes the line";
    }
}

TEST(NetworkConnectionTest, AServerThatNeverAnswersIsGivenUpWhenTheTimeIsUp) {
    // A server whose queue of connections is full leaves the next one unanswered.
    LoopbackServer server(false, 0);
    const int waiting = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in queued{};
    queued.sin_family = AF_INET;
    queued.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    queued.sin_port = htons(static_cast<std::uint16_t>(std::stoi(server.port())));
    ASSERT_EQ(::connect(waiting, reinterpret_cast<sockaddr*>(&queued), sizeof queued), 0);

    const NetworkAddress unanswering = *NetworkAddress::of("tcp://127.0.0.1:" + server.port());
    {
        // Nothing wakes the driver while the server has not answered.
        NetworkConnection patient(unanswering);
        patient.open();
        ASSERT_TRUE(patient.connecting());
        pollfd ready{patient.descriptor(), POLLIN, 0};
        EXPECT_EQ(::poll(&ready, 1, 0), 0);
    }
    NetworkConnection connection(unanswering, std::chrono::milliseconds(1));
    const std::string failure = portRefusal([&] {
        connection.open();
        while (connection.connecting()) {
            pollfd ready{connection.descriptor(), POLLIN, 0};
            ASSERT_EQ(::poll(&ready, 1, 20000), 1);
            connection.proceed();
        }
    });

    EXPECT_EQ(failure,
              "could not connect to 127.0.0.1:" + server.port() + ": no answer within 1 ms");
    EXPECT_FALSE(connection.isOpen());
    EXPECT_EQ(connection.descriptor(), -1);
    ::close(waiting);
}

TEST(NetworkAddressTest, ReadsANetworkPortsName) {
    struct Case {
        std::string name;
        NetworkAddress::Protocol protocol;
        std::string host;
        std::string port;
    };
    for (const Case& c :
         {Case{"rfc2217://bench3:4001", NetworkAddress::Protocol::Rfc2217, "bench3", "4001"},
          Case{"tcp://10.0.0.7:1", NetworkAddress::Protocol::Tcp, "10.0.0.7", "1"},
          Case{"tcp://[::1]:65535", NetworkAddress::Protocol::Tcp, "::1", "65535"}}) {
        const std::optional<NetworkAddress> address = NetworkAddress::of(c.name);
        ASSERT_TRUE(address) << c.name;
        EXPECT_EQ(address->protocol, c.protocol) << c.name;
        EXPECT_EQ(address->host, c.host) << c.name;
        EXPECT_EQ(address->port, c.port) << c.name;
        EXPECT_EQ(address->name(), c.name);
    }
    EXPECT_FALSE(NetworkAddress::of("/dev/ttyUSB0"));
    EXPECT_FALSE(NetworkAddress::of("telnet://bench3:4001"));
}

TEST(NetworkAddressTest, RefusesANameThatIsNotWhole) {
    InstrumentSession session{FrameTrace()};
    SessionPort port{session};
    for (const std::string name :
         {"tcp://bench3", "tcp://bench3:", "tcp://:4001", "tcp://bench3:0", "tcp://bench3:65536",
          "rfc2217://bench3:40a1", "tcp://::1:4001", "tcp://[::1]4001", "rfc2217://"}) {
        EXPECT_EQ(portRefusal([&] { port.open(name); }),
                  name + ": not a network port (HOST:PORT, an IPv6 address in brackets, a port "
                         "number from 1 to 65535)");
        EXPECT_FALSE(port.isOpen()) << name;
        EXPECT_EQ(port.devicePath(), name);
    }
}

} // namespace
