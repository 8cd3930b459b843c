#include "IdentificationPoll.h"

#include "DevicePanel.h"
#include "LinkOnTerminal.h"
#include "TestInstrument.h"

#include <gtest/gtest.h>
#include <map>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;
using Calls = std::vector<std::string>;

const Bytes kIdentityRequest{0x55, 0x01, 0x01, 0x10, 0x12};

// The window's side of the poll: records every call and keeps the shared state as the window
// does, with a catalogue of two module types.
class RecordingPanel : public DevicePanel {
public:
    RecordingPanel(DeviceInfo& info, LinkState& state)
        : info(info)
        , state(state) {}

    void SetConnected(bool on) override {
        calls.push_back(on ? "SetConnected(true)" : "SetConnected(false)");
        state.connected = on;
        if (!on) {
            takeModuleType(0);
            info.firmwareText.clear();
        }
    }
    bool SelectModuleType(int code) override {
        calls.push_back("SelectModuleType(" + std::to_string(code) + ")");
        return !takeModuleType(code);
    }
    void ClearLeads() override { calls.push_back("ClearLeads"); }
    void RebuildGrid() override { calls.push_back("RebuildGrid"); }
    void ShowSerialText() override { calls.push_back("ShowSerialText " + info.serialText); }
    void ShowFirmwareText() override { calls.push_back("ShowFirmwareText " + info.firmwareText); }

    Calls calls;

private:
    bool takeModuleType(int code) {
        const std::map<int, std::uint8_t> leadsOf{{0, 0}, {7, 32}, {9, 64}};
        const auto known = leadsOf.find(code);
        if (known == leadsOf.end())
            return false;
        info.moduleType = code;
        info.leadCount = known->second;
        return true;
    }

    DeviceInfo& info;
    LinkState& state;
};

Bytes identityReply(const std::string& serial, std::uint8_t moduleType, std::uint8_t major,
                    std::uint8_t minor) {
    Bytes data(12, 0);
    std::copy(serial.begin(), serial.end(), data.begin());
    data[9] = moduleType;
    data[10] = major;
    data[11] = minor;
    return frameOf(0x10, data);
}

class IdentificationPollTest : public ::testing::Test {
protected:
    // One poll tick, after which the instrument answers with reply (if any).
    void tickAndAnswer(const Bytes& reply) {
        poll.PollTick();
        EXPECT_EQ(line.nextRequest(), kIdentityRequest);
        if (!reply.empty())
            line.reply(reply);
    }

    void connectTo(const Bytes& reply) {
        tickAndAnswer(reply);
        tickAndAnswer({});
        ASSERT_TRUE(state.connected);
        panel.calls.clear();
    }

    void silentTicks(int count) {
        for (int tick = 0; tick < count; ++tick)
            tickAndAnswer({});
    }

    LinkOnTerminal line;
    DeviceInfo info;
    LinkState state;
    RecordingPanel panel{info, state};
    IdentificationPoll poll{line.link, info, state, panel};
};

TEST_F(IdentificationPollTest, FirstTickAsksAndTheSecondConnects) {
    tickAndAnswer(identityReply("SN123", 7, 2, 5));
    EXPECT_FALSE(state.connected);
    EXPECT_TRUE(panel.calls.empty());

    tickAndAnswer({});

    EXPECT_TRUE(state.connected);
    EXPECT_EQ(panel.calls, (Calls{"ShowSerialText SN123", "SelectModuleType(7)",
                                  "ShowFirmwareText 2.5", "SetConnected(true)", "RebuildGrid"}));
    EXPECT_EQ(info.moduleType, 7);
    EXPECT_EQ(info.leadCount, 32);
}

TEST_F(IdentificationPollTest, EleventhSilentTickDropsTheInstrument) {
    connectTo(identityReply("SN123", 7, 2, 5));

    silentTicks(10);
    EXPECT_TRUE(state.connected);
    EXPECT_TRUE(panel.calls.empty());

    silentTicks(1);
    EXPECT_FALSE(state.connected);
    EXPECT_EQ(info.serialText, "Not Connected");
    EXPECT_EQ(panel.calls, (Calls{"SetConnected(false)", "ShowSerialText Not Connected",
                                  "SelectModuleType(0)"}));

    // Disconnected, the poll keeps asking and counts nothing more.
    panel.calls.clear();
    silentTicks(3);
    EXPECT_TRUE(panel.calls.empty());
}

TEST_F(IdentificationPollTest, FrameOfAnotherLengthIsConsumedWithoutCountingAMiss) {
    connectTo(identityReply("SN123", 7, 2, 5));
    silentTicks(9);
    tickAndAnswer(frameOf(0x00, Bytes{0x00})); // the tenth silent tick

    tickAndAnswer({}); // takes the acknowledgement: neither a reply nor a miss
    EXPECT_FALSE(line.link.HasFrame());
    EXPECT_TRUE(state.connected);
    silentTicks(1);
    EXPECT_FALSE(state.connected);
}

TEST_F(IdentificationPollTest, LengthTwelveIsAcceptedWhateverTheChecksum) {
    Bytes reply = identityReply("SN123", 7, 2, 5);
    reply.back() ^= 0xFF;
    connectTo(reply);
    EXPECT_EQ(info.serialText, "SN123");
}

TEST_F(IdentificationPollTest, WhileConnectedOnlyTheFirmwareFollowsTheInstrument) {
    connectTo(identityReply("SN123", 7, 2, 5));
    info.serialText = "TYPED"; // the user's own entry stands

    tickAndAnswer(identityReply("OTHER", 9, 1, 10));
    tickAndAnswer({});

    EXPECT_EQ(info.serialText, "TYPED");
    EXPECT_EQ(info.moduleType, 7);
    EXPECT_EQ(info.firmwareText, "1.10");
    EXPECT_EQ(panel.calls, (Calls{"ShowFirmwareText 1.10"}));
}

TEST_F(IdentificationPollTest, SerialEndsAtTheFirstZeroByteAndTakesAtMostEight) {
    for (const auto& [sent, shown] : std::vector<std::pair<std::string, std::string>>{
             {std::string("AB\0CD", 5), "AB"}, {"12345678", "12345678"}}) {
        DeviceInfo fresh;
        LinkState disconnected;
        RecordingPanel quiet{fresh, disconnected};
        IdentificationPoll parser{line.link, fresh, disconnected, quiet};
        ASSERT_TRUE(parser.ParseIdentity(identityReply(sent, 7, 1, 0)));
        EXPECT_EQ(fresh.serialText, shown);
    }
}

TEST_F(IdentificationPollTest, LeadsAreClearedOnlyForAnotherCurrentModuleType) {
    struct Case {
        int current;
        std::uint8_t reported;
        Calls expected;
    };
    const std::vector<Case> cases{
        {0, 7, {"SelectModuleType(7)"}},
        {7, 7, {"SelectModuleType(7)"}},
        {9, 7, {"ClearLeads", "SelectModuleType(7)"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.current);
        DeviceInfo fresh;
        fresh.moduleType = c.current;
        LinkState disconnected;
        RecordingPanel recorder{fresh, disconnected};
        IdentificationPoll parser{line.link, fresh, disconnected, recorder};

        ASSERT_TRUE(parser.ParseIdentity(identityReply("SN", c.reported, 1, 0)));

        Calls leadCalls;
        for (const std::string& call : recorder.calls)
            if (call.starts_with("ClearLeads") || call.starts_with("SelectModuleType"))
                leadCalls.push_back(call);
        EXPECT_EQ(leadCalls, c.expected);
    }
}

TEST_F(IdentificationPollTest, ShortFrameIsRejected) {
    Bytes truncated = identityReply("SN123", 7, 2, 5);
    truncated.resize(14);
    EXPECT_FALSE(poll.ParseIdentity(truncated));
    EXPECT_TRUE(panel.calls.empty());
}

TEST_F(IdentificationPollTest, TransferBusyFreezesThePoll) {
    connectTo(identityReply("SN123", 7, 2, 5));
    line.reply(frameOf(0x00, Bytes{0x00})); // a transfer's reply waits in the link
    state.transferBusy = true;

    for (int tick = 0; tick < 20; ++tick)
        poll.PollTick();

    EXPECT_EQ(line.unreadRequestBytes(), 0);
    EXPECT_TRUE(line.link.HasFrame());
    EXPECT_TRUE(state.connected);
    EXPECT_EQ(state.missedPolls, 0);
    EXPECT_TRUE(panel.calls.empty());
}

TEST(IdentificationPollClosedPortTest, DoesNothing) {
    SerialLink closed([](int) { return std::string("/nonexistent/port"); });
    closed.Pump();
    closed.Pump(); // times out: a request sent by the poll would lower the flag again
    ASSERT_TRUE(closed.TimedOut());
    DeviceInfo info;
    LinkState state;
    state.connected = true;
    RecordingPanel panel{info, state};

    IdentificationPoll(closed, info, state, panel).PollTick();

    EXPECT_TRUE(closed.TimedOut());
    EXPECT_EQ(state.missedPolls, 0);
    EXPECT_TRUE(panel.calls.empty());
}

} // namespace
