#include "device/DeviceImage.h"

#include "device/Frame.h"
#include "sim/RegisterStore.h"
#include "sim/Responder.h"
#include "support/FrameBytes.h"
#include "support/SampleSetup.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

Bytes contentOf(const RequestEntry& entry) {
    return Bytes(entry.data.begin(), entry.data.begin() + entry.length);
}

DeviceInfo sampleInfo(std::uint8_t leadCount) {
    DeviceInfo info;
    info.serialText = "12345";
    info.moduleType = 0x0107;
    info.firmwareText = "3";
    info.leadCount = leadCount;
    return info;
}

TEST(DeviceImageTest, ListLengthsFollowTheLeadCount) {
    struct Case {
        std::uint8_t leadCount;
        std::size_t reads;
        std::size_t writes;
    };
    // A module beyond 128 leads travels as 128 leads: registers end at 0xFF.
    for (const Case c :
         {Case{32, 39, 40}, Case{0, 7, 8}, Case{128, 135, 136}, Case{200, 135, 136}}) {
        SCOPED_TRACE(c.leadCount);
        EXPECT_EQ(buildReadList(c.leadCount).size(), c.reads);
        EXPECT_EQ(buildWriteList(SetupRecord{}, sampleInfo(c.leadCount)).size(), c.writes);
    }
}

TEST(DeviceImageTest, ReadListAsksLeadsThenSettingsInOrder) {
    Bytes asked;
    for (const RequestEntry& entry : buildReadList(2)) {
        EXPECT_EQ(entry.command, 0x01);
        EXPECT_EQ(entry.length, 1);
        asked.push_back(entry.data[0]);
    }
    EXPECT_EQ(asked, (Bytes{0x80, 0x81, 0x40, 0x50, 0x51, 0x60, 0x61, 0x70, 0x71}));
}

TEST(DeviceImageTest, WriteListEncodesEveryRegister) {
    const auto list = buildWriteList(sampleSetup(), sampleInfo(2));
    ASSERT_EQ(list.size(), 10U);

    std::vector<std::pair<std::uint8_t, Bytes>> written;
    for (const RequestEntry& entry : list)
        written.emplace_back(entry.command, contentOf(entry));

    const std::vector<std::pair<std::uint8_t, Bytes>> expected{
        {0x10, {'1', '2', '3', '4', '5', 0, 0, 0, 0x01, 0x07, 3, 3}},
        {0x80, {1, 'a', 'b', 'c', ' ', ' ', ' ', ' ', ' '}},
        {0x81, {0, 'L', 'O', 'N', 'G', 'N', 'A', 'M', 'E'}},
        {0x40, {3}},
        {0x50, {2}},
        {0x51, {2}},
        {0x60, {6}},
        {0x61, {0}},
        {0x70, {0x03, 0xE8}},
        {0x71, {0x01, 0x01}},
    };
    EXPECT_EQ(written, expected);
}

TEST(DeviceImageTest, FirmwareTextBecomesMajorAndMinor) {
    struct Case {
        const char* text;
        std::uint8_t major;
        std::uint8_t minor;
    };
    for (const Case c : {Case{"3", 3, 3}, Case{"2.5", 2, 5}, Case{"1.10", 1, 10}, Case{"", 0, 0},
                         Case{"x.4", 0, 4}, Case{"300.7", 44, 7}}) {
        SCOPED_TRACE(c.text);
        DeviceInfo info;
        info.firmwareText = c.text;
        const DeviceIdentity identity = writtenIdentity(info);
        EXPECT_EQ(identity.firmwareMajor, c.major);
        EXPECT_EQ(identity.firmwareMinor, c.minor);
    }
}

// Writes a record through the instrument's registers and reads it back into defaults.
TEST(DeviceImageTest, WrittenSetupReadsBackAsTheInstrumentHoldsIt) {
    RegisterStore registers;
    Responder instrument(registers);
    for (const RequestEntry& entry : buildWriteList(sampleSetup(), sampleInfo(2)))
        EXPECT_TRUE(instrument.answer(frameBytes(entry.command, contentOf(entry))));

    SetupRecord read;
    for (const RequestEntry& entry : buildReadList(2)) {
        const auto reply = instrument.answer(frameBytes(entry.command, contentOf(entry)));
        ASSERT_TRUE(reply);
        const std::optional<FrameView> frame = decodeFrame(reply->bytes());
        ASSERT_TRUE(frame);
        EXPECT_TRUE(storeReadReply(read, 2, frame->command, frame->data)) << int(entry.data[0]);
    }

    EXPECT_EQ(read, sampleSetupReadBack()); // "abc" comes back with its five blanks
}

TEST(DeviceImageTest, LeadReplyNamesAsReceived) {
    struct Case {
        const char* what;
        Bytes data;
        bool skip;
        std::string name;
    };
    const std::vector<Case> cases{
        {"zero byte ends the name", {0, 'A', 'B', 0, 'C'}, false, "AB"},
        {"skip byte counts when not 0", {7, 'X'}, true, "X"},
        {"skip byte alone empties the name", {1}, true, ""},
        {"nine characters stay",
         {0, '1', '2', '3', '4', '5', '6', '7', '8', '9'},
         false,
         "123456789"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetupRecord record;
        record.leadName[3] = "old";
        ASSERT_TRUE(storeReadReply(record, 3, 0x82, c.data));
        EXPECT_EQ(record.leadSkip[3], c.skip);
        EXPECT_EQ(record.leadName[3], c.name);
    }
}

TEST(DeviceImageTest, RepliesOutsideTheImageStoreNothing) {
    struct Case {
        const char* what;
        std::uint8_t reg;
        Bytes content;
    };
    const std::vector<Case> cases{
        {"lead beyond the lead count", 0x82, {1, 'A'}},
        {"unknown register", 0x42, {2}},
        {"identity register", 0x10, Bytes(12, 'S')},
        {"lead without data", 0x80, {}},
        {"limit with one byte", 0x70, {3}},
        {"setting without data", 0x40, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetupRecord record = sampleSetup();
        EXPECT_FALSE(storeReadReply(record, 2, c.reg, c.content));
        EXPECT_EQ(record, sampleSetup());
    }
}

} // namespace
