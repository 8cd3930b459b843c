#include "device/Frame.h"

#include "support/FrameBytes.h"

#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

namespace {

TEST(FrameTest, EncodesHeaderLengthCommandDataAndChecksum) {
    struct Case {
        const char* what;
        std::uint8_t command;
        Bytes data;
        Bytes wire;
    };
    const std::vector<Case> cases{
        {"identity request", 0x01, {0x10}, {0x55, 0x01, 0x01, 0x10, 0x12}},
        {"acknowledgement", 0x00, {0x00}, {0x55, 0x01, 0x00, 0x00, 0x01}},
        {"no data", 0x61, {}, {0x55, 0x00, 0x61, 0x61}},
        {"checksum wraps", 0x70, {0xFF, 0x02}, {0x55, 0x02, 0x70, 0xFF, 0x02, 0x73}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::optional<EncodedFrame> frame = encodeFrame(c.command, c.data);
        ASSERT_TRUE(frame);
        EXPECT_EQ(bytesOf(frame->bytes()), c.wire);

        const std::optional<FrameView> decoded = decodeFrame(frame->bytes());
        ASSERT_TRUE(decoded);
        EXPECT_EQ(decoded->command, c.command);
        EXPECT_EQ(bytesOf(decoded->data), c.data);
        EXPECT_EQ(decoded->checksum, c.wire.back());
        EXPECT_TRUE(decoded->checksumMatches());
    }
}

TEST(FrameTest, LargestPayloadFillsTheTransmitBufferAndALargerOneIsRefused) {
    const Bytes largest(kMaxFrameData, 0x01);
    const std::optional<EncodedFrame> frame = encodeFrame(0x80, largest);
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->bytes().size(), 80U);
    EXPECT_EQ(frame->bytes().back(), static_cast<std::uint8_t>(0x80 + 76 + 76));

    EXPECT_FALSE(encodeFrame(0x80, Bytes(kMaxFrameData + 1, 0x01)));
}

TEST(FrameTest, ChosenChecksumGoesOutAndFailsTheCheck) {
    const std::optional<EncodedFrame> frame = encodeFrame(0x40, Bytes{0x01}, 0x00);
    ASSERT_TRUE(frame);
    EXPECT_EQ(bytesOf(frame->bytes()), (Bytes{0x55, 0x01, 0x40, 0x01, 0x00}));
    EXPECT_FALSE(decodeFrame(frame->bytes())->checksumMatches());
}

TEST(FrameTest, DecodesTheFrameAtTheStartOfABuffer) {
    struct Case {
        const char* what;
        Bytes buffer;
        std::optional<Bytes> frame;
    };
    const std::vector<Case> cases{
        {"bytes behind the frame are not part of it",
         {0x55, 0x01, 0x00, 0x00, 0x01, 0xEE, 0xEE},
         Bytes{0x55, 0x01, 0x00, 0x00, 0x01}},
        {"shorter than its length byte says", {0x55, 0x02, 0x71, 0x03}, std::nullopt},
        {"shorter than a frame without data", {0x55, 0x00, 0x61}, std::nullopt},
        {"no header first", {0x00, 0x55, 0x01, 0x00, 0x00, 0x01}, std::nullopt},
        {"empty", {}, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::optional<FrameView> decoded = decodeFrame(c.buffer);
        ASSERT_EQ(decoded.has_value(), c.frame.has_value());
        if (decoded) {
            EXPECT_EQ(bytesOf(decoded->bytes), *c.frame);
        }
    }
}

TEST(FrameTest, SearchSkipsNoiseAndWaitsForTheWholeFrame) {
    struct Case {
        const char* what;
        Bytes held;
        FrameSearch found;
    };
    Bytes overlong{0x55, 0xFC};
    overlong.resize(255, 0x00);
    const std::vector<Case> cases{
        {"nothing held", {}, {0, 0, false}},
        {"no header", {0x00, 0x07, 0xAA}, {3, 0, false}},
        {"noise before the header", {0x00, 0x07, 0x55, 0x01, 0x00, 0x00, 0x01}, {2, 5, true}},
        {"header alone", {0x07, 0x55}, {1, 0, false}},
        {"split after the length byte", {0x55, 0x0C, 0x10, 'A'}, {0, 16, false}},
        {"a further frame behind", {0x55, 0x00, 0x41, 0x41, 0x55, 0x00}, {0, 4, true}},
        {"bad checksum is still a frame", {0x55, 0x01, 0x00, 0x00, 0xFF}, {0, 5, true}},
        {"length byte beyond what can be held", overlong, {0, 256, false}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const FrameSearch found = findFrame(c.held);
        EXPECT_EQ(found.noise, c.found.noise);
        EXPECT_EQ(found.frameSize, c.found.frameSize);
        EXPECT_EQ(found.complete, c.found.complete);
    }
}

} // namespace
