#include "device/Frame.h"
#include "device/LineTiming.h"
#include "sim/SimOptions.h"
#include "support/FrameBytes.h"
#include "support/PortLink.h"
#include "support/SimulatorProcess.h"
#include "support/TraceLines.h"

#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <sstream>
#include <thread>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;

// With the data as a braced list.
Bytes frame(std::uint8_t command, const Bytes& data) {
    return frameBytes(command, data);
}

const Bytes kLeadFive{0x01, 'E', 'C', 'G', '5', ' ', ' ', ' ', ' '};

class SimulatorTest : public ::testing::Test {
protected:
    void TearDown() override {
        link.reset();
        if (!scratch.empty())
            std::filesystem::remove_all(scratch);
    }

    void start(const std::vector<std::string>& arguments, const std::string& errorPath = {}) {
        link.reset();
        sim = std::make_unique<SimulatorProcess>(arguments, errorPath);
        ASSERT_EQ(sim->terminalPath().rfind("/dev/pts/", 0), 0U) << sim->terminalPath();
        const std::string path = sim->terminalPath();
        link = std::make_unique<PortLink>();
        link->open(path);
    }

    std::filesystem::path scratchFolder() {
        if (scratch.empty()) {
            std::string pattern = std::filesystem::temp_directory_path() / "zentiq-sim-XXXXXX";
            if (mkdtemp(pattern.data()) != nullptr)
                scratch = pattern;
        }
        return scratch;
    }

    // The next frame that arrives within wait, as the link delivers it.
    std::optional<Bytes> awaitFrame(std::chrono::milliseconds wait) {
        const auto deadline = std::chrono::steady_clock::now() + wait;
        while (std::chrono::steady_clock::now() < deadline) {
            link->receive();
            std::array<std::uint8_t, kFrameBufferSize> buffer{};
            if (link->takeFrame(buffer)) {
                const std::optional<FrameView> frame = decodeFrame(buffer);
                return frame ? bytesOf(frame->bytes) : Bytes{};
            }
            std::this_thread::sleep_for(5ms);
        }
        return std::nullopt;
    }

    std::optional<Bytes> request(std::uint8_t command, const Bytes& data,
                                 std::chrono::milliseconds wait = 2s) {
        link->clearInput();
        link->sendFrame(command, data);
        return awaitFrame(wait);
    }

    std::optional<Bytes> read(std::uint8_t reg, std::chrono::milliseconds wait = 2s) {
        return request(0x01, {reg}, wait);
    }

    // Writes bytes to the instrument past the link, which can only send whole frames.
    void writeRaw(const std::vector<Bytes>& pieces) {
        const int raw = open(sim->terminalPath().c_str(), O_WRONLY | O_NOCTTY);
        ASSERT_GE(raw, 0);
        for (const Bytes& bytes : pieces)
            ASSERT_EQ(write(raw, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
        close(raw);
    }

    std::unique_ptr<SimulatorProcess> sim;
    std::unique_ptr<PortLink> link;
    std::filesystem::path scratch;
};

constexpr auto kSilence = 300ms;

TEST_F(SimulatorTest, IdentityComesFromOptionsAndSurvivesThePortReopening) {
    start({"--serial", "ABC12", "--module", "258", "--firmware", "2.5"});
    const Bytes identity = frame(0x10, {'A', 'B', 'C', '1', '2', 0, 0, 0, 0x01, 0x02, 0x02, 0x05});

    EXPECT_EQ(read(0x10), identity);
    link->open(link->devicePath());
    EXPECT_EQ(read(0x10), identity);
}

TEST_F(SimulatorTest, WrittenRegisterReadsBack) {
    start({});

    EXPECT_EQ(request(0x84, kLeadFive), kAcknowledgement);
    EXPECT_EQ(read(0x84), frame(0x84, kLeadFive));
    EXPECT_EQ(request(0x70, {0x03, 0xE8}), kAcknowledgement);
    EXPECT_EQ(read(0x70), frame(0x70, {0x03, 0xE8}));
    EXPECT_EQ(read(0x71), frame(0x71, {0x00, 150}));
}

TEST_F(SimulatorTest, RequestsItDoesNotKnowGetNoAnswer) {
    start({});
    const std::vector<Bytes> unanswered{
        frame(0x01, {0x20}),            // a register it does not have
        frame(0x40, {0x01, 0x02}),      // a write of the wrong length
        frame(0x01, {0x10, 0x11}),      // a read of two registers
        {0x55, 0x01, 0x01, 0x10, 0x13}, // a wrong checksum
        {0x00, 0x07},                   // noise
    };
    link->clearInput();
    writeRaw(unanswered);

    // The first answer to arrive is the one to the good request behind them.
    link->sendFrame(0x01, Bytes{0x40});
    EXPECT_EQ(awaitFrame(2s), frame(0x40, {0x01}));
}

TEST_F(SimulatorTest, StateFileKeepsTheRegistersBetweenRuns) {
    const std::string state = scratchFolder() / "zentiq.state";
    start({"--state", state, "--serial", "FIRST"});
    const Bytes identity{'S', 'T', 'O', 'R', 'E', 'D', '0', '1', 0x00, 0x03, 0x04, 0x01};
    ASSERT_EQ(request(0x10, identity), kAcknowledgement);
    ASSERT_EQ(request(0x84, kLeadFive), kAcknowledgement);
    ASSERT_EQ(request(0x60, {12}), kAcknowledgement);
    EXPECT_EQ(sim->stop(), 0);

    std::ostringstream content;
    content << std::ifstream(state).rdbuf();
    EXPECT_NE(content.str().find("REG84=014543473520202020\r\n"), std::string::npos)
        << content.str();

    start({"--state", state, "--serial", "OTHER"});
    EXPECT_EQ(read(0x84), frame(0x84, kLeadFive));
    EXPECT_EQ(read(0x60), frame(0x60, {12}));
    EXPECT_EQ(read(0x10), frame(0x10, identity));
}

TEST_F(SimulatorTest, SilentNeverAnswers) {
    start({"--silent"});
    EXPECT_FALSE(read(0x10, kSilence));
    EXPECT_FALSE(request(0x40, {0x02}, kSilence));
}

TEST_F(SimulatorTest, StopAfterAnswersOnlyTheFirstRequests) {
    start({"--stop-after", "2"});
    EXPECT_TRUE(read(0x10));
    EXPECT_TRUE(read(0x40));
    EXPECT_FALSE(read(0x10, kSilence));
}

TEST_F(SimulatorTest, BadChecksumEverySpoilsEveryKthReply) {
    start({"--bad-checksum-every", "2"});
    const Bytes good{0x55, 0x01, 0x40, 0x01, 0x42};
    const Bytes spoiled{0x55, 0x01, 0x40, 0x01, 0x43};

    EXPECT_EQ(read(0x40), good);
    EXPECT_EQ(read(0x40), spoiled);
    EXPECT_EQ(read(0x40), good);
    EXPECT_EQ(request(0x40, {0x02}), (Bytes{0x55, 0x01, 0x00, 0x00, 0x02}));
}

TEST_F(SimulatorTest, WrongRegisterEveryNamesTheNextRegister) {
    start({"--wrong-register-every", "2"});

    EXPECT_EQ(read(0x50), frame(0x50, {0x01}));
    EXPECT_EQ(read(0x50), frame(0x51, {0x01}));
    EXPECT_EQ(request(0x51, {0x02}), kAcknowledgement);
    EXPECT_EQ(request(0x51, {0x02}), frame(0x01, {0x00}));
}

TEST_F(SimulatorTest, FailFirstSpoilsTheFirstAttemptsOfEachRequest) {
    start({"--fail-first", "2"});

    EXPECT_EQ(read(0x40), frame(0x41, {0x01}));
    EXPECT_EQ(read(0x40), frame(0x41, {0x01}));
    EXPECT_EQ(read(0x40), frame(0x40, {0x01}));
    EXPECT_EQ(request(0x40, {0x03}), frame(0x01, {0x00}));
    EXPECT_EQ(request(0x40, {0x03}), frame(0x01, {0x00}));
    EXPECT_EQ(request(0x40, {0x03}), kAcknowledgement);
}

TEST_F(SimulatorTest, ForgetRegisterAcknowledgesWritesButKeepsTheOldContent) {
    start({"--forget-register", "0x40"});

    EXPECT_EQ(request(0x40, {0x03}), kAcknowledgement);
    EXPECT_EQ(read(0x40), frame(0x40, {0x01}));
    EXPECT_EQ(request(0x50, {0x02}), kAcknowledgement);
    EXPECT_EQ(read(0x50), frame(0x50, {0x02}));
}

TEST_F(SimulatorTest, DelayHoldsTheReplyBack) {
    start({"--delay", "400"});
    link->clearInput();
    link->sendFrame(0x01, Bytes{0x40});
    EXPECT_FALSE(awaitFrame(200ms));
    EXPECT_EQ(awaitFrame(2s), frame(0x40, {0x01}));
}

TEST_F(SimulatorTest, DeafAfterWriteLosesWhatArrivesSoonAfterAWritesAcknowledgement) {
    start({"--deaf-after-write", "400"});

    EXPECT_EQ(read(0x40), frame(0x40, {0x01})) << "a read's answer makes it deaf to nothing";
    EXPECT_EQ(read(0x40), frame(0x40, {0x01}));
    EXPECT_EQ(request(0x40, {0x02}), kAcknowledgement);
    EXPECT_FALSE(read(0x40, 200ms)) << "lost while the instrument stores the value";
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(read(0x40), frame(0x40, {0x02}));
}

TEST_F(SimulatorTest, LineRateHoldsEveryByteForItsTimeOnTheLine) {
    start({"--line-rate", "2400"});
    const auto begin = std::chrono::steady_clock::now();
    const std::optional<Bytes> lead = read(0x84);
    const auto elapsed = std::chrono::steady_clock::now() - begin;
    ASSERT_TRUE(lead);
    ASSERT_EQ(lead->size(), 13U);
    // A 5-byte request and a 13-byte reply, 10 bits a byte at 2400 baud.
    EXPECT_GE(elapsed, lineTime(5 + 13, 2400));
    EXPECT_NE(helpText("zentiq-sim").find("--line-rate BAUD"), std::string::npos);
}

TEST_F(SimulatorTest, TraceShowsWhatTheInstrumentReceivesSendsAndDrops) {
    const std::string tracePath = scratchFolder() / "trace";
    start({"--trace"}, tracePath);
    writeRaw({{0x00, 0x07}});
    ASSERT_EQ(read(0x40), frame(0x40, {0x01}));
    EXPECT_EQ(sim->stop(), 0);

    std::ostringstream trace;
    trace << std::ifstream(tracePath).rdbuf();
    EXPECT_EQ(
        traceLines(trace.str()),
        (std::vector<std::string>{"noise 00 07", "recv 55 01 01 40 42", "send 55 01 40 01 42"}));
    EXPECT_NE(helpText("zentiq-sim").find("--trace"), std::string::npos);
}

class SimulatorStopTest : public SimulatorTest, public ::testing::WithParamInterface<int> {};

TEST_P(SimulatorStopTest, StopSignalEndsCleanlyAndRemovesTheLink) {
    const std::filesystem::path name = scratchFolder() / "ttyZentiq";
    start({"--link", name.string()});
    ASSERT_EQ(std::filesystem::read_symlink(name), sim->terminalPath());
    ASSERT_TRUE(read(0x10));

    EXPECT_EQ(sim->stop(GetParam()), 0);
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(name)));
}

INSTANTIATE_TEST_SUITE_P(Signals, SimulatorStopTest, ::testing::Values(SIGTERM, SIGINT),
                         [](const auto& info) { return info.param == SIGTERM ? "Term" : "Int"; });

TEST(SimulatorCommandLine, HelpExplainsAndWrongOptionsAreRefused) {
    SimulatorProcess help({"--help"});
    EXPECT_EQ(help.firstLine().rfind("Usage:", 0), 0U) << help.firstLine();
    EXPECT_EQ(help.wait(), 0);

    for (const std::vector<std::string>& wrong : {std::vector<std::string>{"--stop-after", "many"},
                                                  {"--firmware", "3"},
                                                  {"--serial", "NINECHARS"},
                                                  {"--bad-checksum-every", "0"},
                                                  {"--forget-register", "0x100"},
                                                  {"--unknown"}}) {
        SimulatorProcess refused(wrong);
        EXPECT_TRUE(refused.firstLine().empty()) << wrong[0];
        EXPECT_EQ(refused.wait(), 2) << wrong[0];
    }
}

} // namespace
