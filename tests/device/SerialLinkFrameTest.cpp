#include "device/Frame.h"
#include "device/SerialLink.h"
#include "support/FrameBytes.h"
#include "support/TraceLines.h"

#include <gtest/gtest.h>
#include <sstream>
#include <vector>

namespace {

// The link without a port: the test hands it the line's bytes and takes what it sends.
class SerialLinkFrameTest : public ::testing::Test {
protected:
    void arrive(const Bytes& bytes) { link.receive(bytes); }

    // The waiting frame as TakeFrame delivers it into the consumers' 80-byte buffer.
    std::optional<Bytes> take() {
        std::array<std::uint8_t, kFrameBufferSize> buffer{};
        if (!link.takeFrame(buffer))
            return std::nullopt;
        const std::optional<FrameView> frame = decodeFrame(buffer);
        if (!frame)
            return Bytes{};
        return Bytes(frame->bytes.begin(), frame->bytes.end());
    }

    SerialLink link{FrameTrace()};
};

TEST_F(SerialLinkFrameTest, SendsHeaderLengthCommandDataAndChecksum) {
    struct Case {
        std::uint8_t command;
        Bytes data;
        Bytes wire;
    };
    const std::vector<Case> cases{
        {0x01, {0x10}, {0x55, 0x01, 0x01, 0x10, 0x12}},
        {0x61, {}, {0x55, 0x00, 0x61, 0x61}},
        {0x70, {0xFF, 0x02}, {0x55, 0x02, 0x70, 0xFF, 0x02, 0x73}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(link.sendFrame(c.command, c.data), c.wire.size());
        EXPECT_EQ(link.takeOutput(), c.wire);
    }
}

TEST_F(SerialLinkFrameTest, LargestPayloadIsSentAndALargerOneRefused) {
    const Bytes largest(kMaxFrameData, 0x01);
    EXPECT_EQ(link.sendFrame(0x80, largest), kFrameBufferSize);
    EXPECT_EQ(link.takeOutput(), frameBytes(0x80, largest));

    EXPECT_EQ(link.sendFrame(0x80, Bytes(kMaxFrameData + 1, 0x01)), 0);
    // Nothing of it reached the line: the next frame is the first thing the instrument sees.
    link.sendFrame(0x01, Bytes{0x10});
    EXPECT_EQ(link.takeOutput(), (Bytes{0x55, 0x01, 0x01, 0x10, 0x12}));
}

TEST_F(SerialLinkFrameTest, FindsFramesInTheBytesAsTheyArrive) {
    struct Case {
        const char* what;
        std::vector<Bytes> reads;
        Bytes frame;
    };
    const Bytes identity{0x55, 0x0C, 0x10, 'A',  'B',  'C',  '1',  '2',
                         0,    0,    0,    0x01, 0x02, 0x02, 0x05, 0x4F};
    const std::vector<Case> cases{
        {"junk before the header", {{0x00, 0x07, 0x55, 0x01, 0x00, 0x00, 0x01}}, kAcknowledgement},
        {"split after the length byte",
         {Bytes(identity.begin(), identity.begin() + 2),
          Bytes(identity.begin() + 2, identity.end())},
         identity},
        {"split inside the header bytes", {{0x55}, {0x01, 0x00}, {0x00, 0x01}}, kAcknowledgement},
        {"wrong checksum", {{0x55, 0x01, 0x00, 0x00, 0xFF}}, {0x55, 0x01, 0x00, 0x00, 0xFF}},
    };
    for (const Case& c : cases) {
        link.clearInput();
        for (std::size_t read = 0; read < c.reads.size(); ++read) {
            EXPECT_FALSE(link.hasFrame()) << c.what << ", before read " << read;
            arrive(c.reads[read]);
        }
        EXPECT_EQ(take(), c.frame) << c.what;
    }
}

TEST_F(SerialLinkFrameTest, ReadWithoutHeaderIsDiscardedWhole) {
    // Kept, these would fill the receive buffer and no reply could be read any more.
    arrive(Bytes(255, 0x07));
    EXPECT_FALSE(link.hasFrame());

    arrive(kAcknowledgement);
    EXPECT_EQ(take(), kAcknowledgement);
}

TEST_F(SerialLinkFrameTest, OneFramePerReadAndNoneWhileAFrameWaits) {
    Bytes two = kAcknowledgement;
    two.insert(two.end(), {0x55, 0x01, 0x40, 0x02, 0x43});
    arrive(two);
    arrive({0x55, 0x00, 0x41, 0x41});

    EXPECT_EQ(take(), kAcknowledgement);
    arrive({});
    EXPECT_FALSE(link.hasFrame()) << "extracted without a read that brought bytes";
    arrive({0x00});
    EXPECT_EQ(take(), (Bytes{0x55, 0x01, 0x40, 0x02, 0x43}));
    arrive({0x00});
    EXPECT_EQ(take(), (Bytes{0x55, 0x00, 0x41, 0x41}));
}

TEST_F(SerialLinkFrameTest, TakeFrameCopiesAtMostTheCapacityAndConsumesTheFrame) {
    std::array<std::uint8_t, 3> small{};
    EXPECT_FALSE(link.takeFrame(small));

    arrive(kAcknowledgement);
    std::array<std::uint8_t, 4> buffer{0xEE, 0xEE, 0xEE, 0xEE};
    EXPECT_TRUE(link.takeFrame(std::span(buffer).first(3)));
    EXPECT_EQ(buffer, (std::array<std::uint8_t, 4>{0x55, 0x01, 0x00, 0xEE}));
    EXPECT_FALSE(link.hasFrame());
    EXPECT_FALSE(link.takeFrame(buffer));
}

TEST_F(SerialLinkFrameTest, ReadOnArrivalCutsAFrameOnceItIsComplete) {
    EXPECT_EQ(link.receive(Bytes{0x55, 0x01}), 2U);
    EXPECT_FALSE(link.hasFrame());
    EXPECT_EQ(link.receive(Bytes{0x00, 0x00, 0x01}), 3U);
    EXPECT_EQ(take(), kAcknowledgement);
}

TEST_F(SerialLinkFrameTest, OverlongLengthNeverCompletesUntilClearInput) {
    Bytes overlong{0x55, 0xFC, 0x01};
    overlong.resize(255, 0x00);
    arrive(overlong);
    EXPECT_EQ(link.receive(kAcknowledgement), 0U) << "no room behind the overlong frame";
    EXPECT_FALSE(link.hasFrame());

    link.clearInput();
    arrive(kAcknowledgement);
    EXPECT_EQ(take(), kAcknowledgement);
}

TEST(SerialLinkTraceTest, TracesFramesSentAndTakenAndTheBytesDropped) {
    std::ostringstream out;
    SerialLink link{FrameTrace(out)};

    link.sendFrame(0x01, Bytes{0x10});
    link.receive(Bytes{0x00, 0x07, 0x55, 0x01, 0x00, 0x00, 0x01});
    std::array<std::uint8_t, kFrameBufferSize> taken{};
    ASSERT_TRUE(link.takeFrame(taken));
    link.receive(Bytes{0x55, 0x0C, 0x10});
    link.clearInput();

    EXPECT_EQ(traceLines(out.str()),
              (std::vector<std::string>{"send 55 01 01 10 12", "noise 00 07", "recv 55 01 00 00 01",
                                        "noise 55 0C 10"}));
}

TEST_F(SerialLinkFrameTest, ClearInputKeepsTheWaitingFrame) {
    arrive(kAcknowledgement);
    link.clearInput();
    EXPECT_EQ(take(), kAcknowledgement);
}

} // namespace
