#include "ui/SessionDriver.h"

#include "support/FrameBytes.h"
#include "support/LoopbackServer.h"
#include "support/PseudoTerminal.h"

#include <QTest>
#include <gtest/gtest.h>

namespace {

const Bytes kIdentityReply = frameBytes(kIdentityRegister, encodeIdentity({"00004711", 3, 1, 2}));

// The session driven by the event loop alone: the test only plays the instrument.
class SessionDriverTest : public ::testing::Test {
protected:
    void SetUp() override { port.open(terminal.slavePath()); }

    bool identityArrives() {
        return QTest::qWaitFor([this] { return !session.identityPending(); }, 2000) &&
               session.identity().has_value();
    }

    PseudoTerminal terminal;
    SessionLine line;
    InstrumentSession& session = line.session();
    SessionPort& port = line.port();
    SessionDriver driver{line, nullptr};
};

TEST_F(SessionDriverTest, AReplyInPiecesIsTakenOnceCompleteAsItsBytesArrive) {
    session.askIdentity(driver.now(), std::chrono::seconds(5));
    driver.wake();
    terminal.send(std::span(kIdentityReply).first(6));
    QTest::qWait(50);
    EXPECT_TRUE(session.identityPending());

    terminal.send(std::span(kIdentityReply).subspan(6));
    EXPECT_TRUE(identityArrives());
}

TEST_F(SessionDriverTest, FollowsTheSessionToAPortOpenedAgain) {
    port.close();
    driver.wake();
    port.open(terminal.slavePath());
    session.askIdentity(driver.now(), std::chrono::seconds(5));
    driver.wake();
    terminal.send(kIdentityReply);
    EXPECT_TRUE(identityArrives());
}

TEST_F(SessionDriverTest, FollowsANetworkPortFromConnectingToConnected) {
    LoopbackServer server;
    port.open("tcp://127.0.0.1:" + server.port());
    driver.wake();
    EXPECT_TRUE(QTest::qWaitFor([this] { return session.lineOpen(); }, 20000))
        << "told of the connection by its descriptor";
    server.accept();

    session.askIdentity(driver.now(), std::chrono::seconds(5));
    driver.wake();
    EXPECT_EQ(server.receive(5), kIdentityRequest);
    server.send(kIdentityReply);
    EXPECT_TRUE(identityArrives());
}

TEST_F(SessionDriverTest, WakesTheSessionWhenItsNextCallIsDue) {
    session.askIdentity(driver.now(), std::chrono::milliseconds(300));
    driver.wake();
    EXPECT_TRUE(QTest::qWaitFor([this] { return !session.identityPending(); }, 2000))
        << "the wait ends by the driver's timer";
    EXPECT_FALSE(session.identity());
}

TEST_F(SessionDriverTest, PutsWhatTheSessionSendsOnTheLine) {
    session.askIdentity(driver.now(), std::chrono::seconds(5));
    driver.wake();
    EXPECT_EQ(terminal.receive(5), (Bytes{0x55, 0x01, 0x01, 0x10, 0x12}));
}

} // namespace
