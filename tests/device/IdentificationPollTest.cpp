#include "device/IdentificationPoll.h"

#include "device/IdentityRequest.h"
#include "support/FrameBytes.h"
#include "support/InMemoryLine.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using Event = IdentificationPoll::Event;

Bytes identityReply(const std::string& serial, std::int32_t moduleType, std::uint8_t major,
                    std::uint8_t minor) {
    return frameBytes(kIdentityRegister, encodeIdentity({serial, moduleType, major, minor}));
}

class IdentificationPollTest : public ::testing::Test {
protected:
    // One poll tick, after which the instrument answers with reply (if any).
    Event tickAndAnswer(const Bytes& reply) {
        last = poll.tick();
        EXPECT_EQ(line.nextRequest(), kIdentityRequest);
        if (!reply.empty())
            line.reply(reply);
        return last.event;
    }

    void connectTo(const Bytes& reply) {
        tickAndAnswer(reply);
        ASSERT_EQ(tickAndAnswer({}), Event::InstrumentFound);
    }

    // The events of count silent ticks, None left out.
    std::vector<Event> silentTicks(int count) {
        std::vector<Event> events;
        for (int tick = 0; tick < count; ++tick)
            if (const Event event = tickAndAnswer({}); event != Event::None)
                events.push_back(event);
        return events;
    }

    LinkInMemory line;
    LinkState state;
    IdentificationPoll poll{line.link, state};
    IdentificationPoll::Outcome last;
};

TEST_F(IdentificationPollTest, FirstTickAsksAndTheSecondFindsTheInstrument) {
    EXPECT_EQ(tickAndAnswer(identityReply("SN123", 7, 2, 5)), Event::None);
    EXPECT_FALSE(state.connected);

    EXPECT_EQ(tickAndAnswer({}), Event::InstrumentFound);

    EXPECT_TRUE(state.connected);
    EXPECT_EQ(last.identity.serialText, "SN123");
    EXPECT_EQ(last.identity.moduleType, 7);
    EXPECT_EQ(last.identity.firmwareText(), "2.5");
}

TEST_F(IdentificationPollTest, EleventhSilentTickLosesTheInstrument) {
    connectTo(identityReply("SN123", 7, 2, 5));

    EXPECT_TRUE(silentTicks(10).empty());
    EXPECT_TRUE(state.connected);

    EXPECT_EQ(silentTicks(1), std::vector{Event::InstrumentLost});
    EXPECT_FALSE(state.connected);

    // Lost, the poll keeps asking and reports nothing more.
    EXPECT_TRUE(silentTicks(3).empty());
}

TEST_F(IdentificationPollTest, FrameOfAnotherLengthIsConsumedWithoutCountingAMiss) {
    connectTo(identityReply("SN123", 7, 2, 5));
    silentTicks(9);
    tickAndAnswer(kAcknowledgement); // the tenth silent tick

    EXPECT_EQ(tickAndAnswer({}), Event::None); // takes the acknowledgement: neither kind
    EXPECT_FALSE(line.link.hasFrame());
    EXPECT_TRUE(state.connected);
    EXPECT_EQ(silentTicks(1), std::vector{Event::InstrumentLost});
}

TEST_F(IdentificationPollTest, LengthTwelveIsAcceptedWhateverTheChecksum) {
    connectTo(withBadChecksum(identityReply("SN123", 7, 2, 5)));
    EXPECT_EQ(last.identity.serialText, "SN123");
}

TEST_F(IdentificationPollTest, FurtherIdentitiesWhileConnectedAreRefreshes) {
    connectTo(identityReply("SN123", 7, 2, 5));

    tickAndAnswer(identityReply("OTHER", 9, 1, 10));
    EXPECT_EQ(tickAndAnswer({}), Event::IdentityRefreshed);

    EXPECT_EQ(last.identity.firmwareText(), "1.10");
    EXPECT_TRUE(state.connected);
}

TEST_F(IdentificationPollTest, SerialEndsAtTheFirstZeroByteAndTakesAtMostEight) {
    for (const auto& [sent, shown] : std::vector<std::pair<std::string, std::string>>{
             {std::string("AB\0CD", 5), "AB"}, {"12345678", "12345678"}}) {
        const auto identity = identityFromReply(identityReply(sent, 7, 1, 0));
        ASSERT_TRUE(identity.has_value());
        EXPECT_EQ(identity->serialText, shown);
    }
}

TEST_F(IdentificationPollTest, ModuleTypeIsTakenByItsLowByte) {
    const auto identity = identityFromReply(identityReply("SN123", 0x0107, 1, 0));
    ASSERT_TRUE(identity.has_value());
    EXPECT_EQ(identity->moduleType, 7);
}

TEST_F(IdentificationPollTest, ShortFrameIsRejected) {
    Bytes truncated = identityReply("SN123", 7, 2, 5);
    truncated.resize(14);
    EXPECT_FALSE(identityFromReply(truncated).has_value());
}

} // namespace
