#include "device/Registers.h"

#include "support/FrameBytes.h"
#include "support/SampleSetup.h"

#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace {

TEST(RegistersTest, WidthsOfTheRegistersTheInstrumentHas) {
    const std::vector<std::pair<std::uint8_t, std::optional<std::size_t>>> cases{
        {0x10, 12}, {0x40, 1},  {0x50, 1},  {0x51, 1},  {0x60, 1},  {0x61, 1},
        {0x70, 2},  {0x71, 2},  {0x80, 9},  {0xFF, 9},  {0x00, {}}, {0x01, {}},
        {0x11, {}}, {0x41, {}}, {0x72, {}}, {0x7F, {}},
    };
    for (const auto& [number, width] : cases)
        EXPECT_EQ(registerWidth(number), width) << std::hex << int(number);
}

TEST(RegistersTest, LeadsOneTo128AreRegisters0x80To0xFF) {
    EXPECT_EQ(leadRegister(1), 0x80);
    EXPECT_EQ(leadRegister(128), 0xFF);
    EXPECT_EQ(leadOfRegister(0x80), 1);
    EXPECT_EQ(leadOfRegister(0xFF), 128);
    EXPECT_EQ(leadOfRegister(0x7F), std::nullopt);
}

TEST(RegistersTest, IdentityLayout) {
    struct Case {
        const char* what;
        DeviceIdentity identity;
        Bytes content;
        DeviceIdentity decoded;
    };
    const std::vector<Case> cases{
        {"short serial zero-padded, module type big-endian",
         {"ABC12", 0x0102, 2, 5},
         {'A', 'B', 'C', '1', '2', 0, 0, 0, 0x01, 0x02, 0x02, 0x05},
         {"ABC12", 0x0102, 2, 5}},
        {"serial cut to eight, module type to sixteen bits",
         {"ABCDEFGHIJ", 0x12345, 1, 10},
         {'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', 0x23, 0x45, 0x01, 0x0A},
         {"ABCDEFGH", 0x2345, 1, 10}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto content = encodeIdentity(c.identity);
        EXPECT_EQ(bytesOf(content), c.content);
        EXPECT_EQ(decodeIdentity(content), c.decoded);
    }
}

TEST(RegistersTest, IdentitySerialEndsAtTheFirstZeroByte) {
    const std::array<std::uint8_t, kIdentityWidth> content{'A', 'B', 0, 'C', 'D', 0,
                                                           0,   0,   0, 7,   1,   0};
    EXPECT_EQ(decodeIdentity(content).serialText, "AB");
}

TEST(RegistersTest, FirmwareTextIsMajorPointMinor) {
    EXPECT_EQ((DeviceIdentity{"", 0, 2, 5}.firmwareText()), "2.5");
    EXPECT_EQ((DeviceIdentity{"", 0, 1, 10}.firmwareText()), "1.10");
}

TEST(RegistersTest, EachSettingRegisterHoldsItsOwnField) {
    // Every value differs, so a register holding another register's field shows.
    SetupRecord record = sampleSetup();
    record.failureLimit = 5;
    record.failureResponse = 4;
    record.startupMode = 7;

    std::vector<std::pair<std::uint8_t, Bytes>> encoded;
    SetupRecord decoded;
    decoded.leadSkip = record.leadSkip;
    decoded.leadName = record.leadName;
    for (const SettingRegister& reg : kSettingRegisters) {
        encoded.emplace_back(reg.number, encodeSetting(reg, record));
        EXPECT_TRUE(decodeSetting(reg, encoded.back().second, decoded));
    }

    const std::vector<std::pair<std::uint8_t, Bytes>> expected{
        {0x40, {3}}, {0x50, {5}},          {0x51, {4}},          {0x60, {6}},
        {0x61, {7}}, {0x70, {0x03, 0xE8}}, {0x71, {0x01, 0x01}},
    };
    EXPECT_EQ(encoded, expected);
    SetupRecord readBack = record;
    readBack.shutOffTime = 60; // whole tens of seconds
    EXPECT_EQ(decoded, readBack);
}

TEST(RegistersTest, SettingsAreCutToTheirRegistersWidth) {
    struct Case {
        std::int32_t SetupRecord::*field;
        std::uint8_t number;
        std::int32_t value;
        Bytes content;
    };
    const std::vector<Case> cases{
        {&SetupRecord::shutOffTime, 0x60, 2559, {255}},
        {&SetupRecord::shutOffTime, 0x60, 2560, {0}},
        {&SetupRecord::goodLimit, 0x70, 0x12345, {0x23, 0x45}},
        {&SetupRecord::poorLimit, 0x71, -1, {0xFF, 0xFF}},
    };
    for (const Case& c : cases) {
        SetupRecord record;
        record.*c.field = c.value;
        EXPECT_EQ(encodeSetting(*settingRegister(c.number), record), c.content) << c.value;
    }
}

TEST(RegistersTest, ContentShorterThanTheSettingStoresNothing) {
    SetupRecord record;
    EXPECT_FALSE(decodeSetting(*settingRegister(0x70), Bytes{0x03}, record));
    EXPECT_FALSE(decodeSetting(*settingRegister(0x40), Bytes{}, record));
    EXPECT_EQ(record, SetupRecord{});
}

TEST(RegistersTest, LeadIsSkipFlagAndBlankPaddedName) {
    struct Case {
        LeadContent lead;
        Bytes content;
        LeadContent readBack;
    };
    const std::vector<Case> cases{
        {{true, "abc"}, {1, 'a', 'b', 'c', ' ', ' ', ' ', ' ', ' '}, {true, "abc     "}},
        {{false, "LONGNAME12"}, {0, 'L', 'O', 'N', 'G', 'N', 'A', 'M', 'E'}, {false, "LONGNAME"}},
        {{}, {0, ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '}, {false, "        "}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lead.name);
        const auto content = encodeLead(c.lead);
        EXPECT_EQ(bytesOf(content), c.content);
        EXPECT_EQ(decodeLead(content), c.readBack);
    }
    EXPECT_EQ(decodeLead(Bytes{}), std::nullopt);
}

} // namespace
