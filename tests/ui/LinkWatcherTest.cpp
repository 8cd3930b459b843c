#include "ui/LinkWatcher.h"

#include "device/SerialLink.h"
#include "support/PseudoTerminal.h"

#include <QTest>
#include <gtest/gtest.h>

namespace {

// The link read as bytes arrive, with no pump at all.
class LinkWatcherTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(link.open(1, 9600)) << link.lastOpenError();
        watcher.follow();
        QObject::connect(&watcher, &LinkWatcher::frameReady, [this] { ++frameReadyCount; });
    }

    PseudoTerminal terminal;
    SerialLink link{[this](int) {
        return terminal.slavePath();
    }};
    LinkWatcher watcher{link, nullptr};
    int frameReadyCount = 0;
};

TEST_F(LinkWatcherTest, AReplyInPiecesIsTakenOnceCompleteWithoutCountingTowardsTheTimeOut) {
    link.setReadLimit(1);
    link.sendFrame(0x01, std::array<std::uint8_t, 1>{0x10});
    terminal.send({0x00, 0x07, 0x55, 0x01});
    QTest::qWait(50);
    EXPECT_EQ(frameReadyCount, 0);
    EXPECT_FALSE(link.hasFrame());

    terminal.send({0x00, 0x00, 0x01});
    EXPECT_TRUE(QTest::qWaitFor([this] { return frameReadyCount > 0; }, 2000));
    EXPECT_TRUE(link.hasFrame());
    EXPECT_FALSE(link.timedOut());
}

TEST_F(LinkWatcherTest, FollowsTheLinkToAPortOpenedAgain) {
    link.close();
    watcher.follow();
    ASSERT_TRUE(link.open(1, 9600));
    watcher.follow();
    terminal.send({0x55, 0x01, 0x00, 0x00, 0x01});
    EXPECT_TRUE(QTest::qWaitFor([this] { return frameReadyCount > 0; }, 2000));
}

} // namespace
