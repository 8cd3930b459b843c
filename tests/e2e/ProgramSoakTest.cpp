#include "operations/OperationTexts.h"
#include "support/ProgramWithSimulator.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <optional>
#include <random>
#include <sys/resource.h>

namespace {

using namespace std::chrono_literals;

// MIRAFEN_SOAK_SECONDS lengthens the soak (60 s by default); MIRAFEN_SOAK_SEED repeats one.
std::chrono::seconds soakLength() {
    const char* seconds = std::getenv("MIRAFEN_SOAK_SECONDS");
    return std::chrono::seconds(seconds != nullptr ? std::atoi(seconds) : 60);
}

unsigned soakSeed() {
    const char* seed = std::getenv("MIRAFEN_SOAK_SEED");
    return seed != nullptr ? static_cast<unsigned>(std::atol(seed)) : std::random_device()();
}

long residentKilobytes() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0)
            return std::atol(line.c_str() + 6);
    return 0;
}

std::size_t openDescriptors() {
    const auto entries = std::filesystem::directory_iterator("/proc/self/fd");
    return static_cast<std::size_t>(std::distance(begin(entries), end(entries)));
}

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& time) {
        return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// The address sanitizer keeps freed memory in quarantine, so resident memory there says
// nothing of leaks; its own leak check at exit does. GCC announces the sanitizer with a macro,
// clang as a feature.
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define MIRAFEN_ADDRESS_SANITIZED
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(MIRAFEN_ADDRESS_SANITIZED)
constexpr bool kResidentMemoryMeaningful = false;
#else
constexpr bool kResidentMemoryMeaningful = true;
#endif

constexpr long kResidentMarginKilobytes = 4096;

class ProgramSoakTest : public ProgramWithSimulatorTest {
protected:
    enum class Step { Save, Load, FileRoundTrip, UnplugDuringTransfer, Replug };

    // Mostly transfers, now and then a setup file, an unplug while idle or during a transfer.
    Step nextStep() {
        if (!instrumentLead)
            return Step::Save; // a technician saves again after a save that broke off
        std::discrete_distribution<int> pick({6, 6, 3, 1, 1});
        return static_cast<Step>(pick(randomness));
    }

    QString leadShown(MainWindow& window) {
        return find<QLineEdit>(window, "leadEdit1").text().trimmed();
    }

    // One step, checked: a completed save or load leaves the instrument and the window holding
    // the same setup, a failed one warns once and leaves the window's setup as it was.
    void run(MainWindow& window, Step step, int round) {
        const qsizetype warnings = modals.messages.size();
        switch (step) {
        case Step::Save:
        case Step::UnplugDuringTransfer: {
            const bool unplug = step == Step::UnplugDuringTransfer;
            const bool saving = !unplug || std::bernoulli_distribution()(randomness);
            const QString before = leadShown(window);
            const QString edited = QString("R%1").arg(round, 4, 10, QChar('0'));
            if (saving)
                typeLeadName(window, edited);
            QTimer unplugMoment;
            unplugMoment.setSingleShot(true);
            QObject::connect(&unplugMoment, &QTimer::timeout, [this] { sim->stop(); });
            if (unplug)
                unplugMoment.start(
                    std::chrono::milliseconds(std::uniform_int_distribution(0, 3000)(randomness)));
            click(window, saving ? "deviceSaveButton" : "deviceLoadButton");
            // An unplug not yet due when the transfer ended comes with the replug below.
            unplugMoment.stop();
            const bool failed = modals.messages.size() > warnings;
            if (failed) {
                ++failedTransfers;
                EXPECT_EQ(modals.messages.last(), kTransferErrorText);
                EXPECT_EQ(leadShown(window), saving ? edited : before);
            } else {
                EXPECT_EQ(leadShown(window), saving ? edited : *instrumentLead);
            }
            if (saving)
                instrumentLead = failed ? std::nullopt : std::optional(edited);
            if (unplug) {
                replug(window);
                ++unplugs;
            }
            ++transfers;
            return;
        }
        case Step::Load:
            click(window, "deviceLoadButton");
            EXPECT_EQ(leadShown(window), *instrumentLead);
            ++transfers;
            break;
        case Step::FileRoundTrip: {
            const SetupRecord shown = window.setup();
            const std::string path = root / "soak.prp";
            window.saveSetupFile(path);
            window.loadSetupFile(path);
            EXPECT_EQ(window.setup(), shown);
            ++fileRoundTrips;
            break;
        }
        case Step::Replug:
            replug(window);
            ++unplugs;
            break;
        }
        EXPECT_EQ(modals.messages.size(), warnings) << modals.messages.join('|').toStdString();
    }

    std::mt19937 randomness;
    std::optional<QString> instrumentLead;
    int transfers = 0;
    int failedTransfers = 0;
    int fileRoundTrips = 0;
    int unplugs = 0;
};

// The program runs against the instrument for the soak's length with its poll, saves and loads
// of a whole setup, setup files and unplugs at random moments: no setup is lost, and it ends
// holding no more memory or descriptors than it held after its first round.
TEST_F(ProgramSoakTest, RoundsOfTransfersFilesAndUnplugsLoseNothingAndLeakNothing) {
    const unsigned seed = soakSeed();
    randomness.seed(seed);
    RecordProperty("seed", std::to_string(seed));
    startSimulator();
    runProgram([this, seed](MainWindow& window) {
        waitForConnection(window);
        // The first round brings every part of the program in; what it holds is the baseline.
        instrumentLead = leadShown(window);
        run(window, Step::Save, 0);
        run(window, Step::Load, 0);
        run(window, Step::FileRoundTrip, 0);
        run(window, Step::Replug, 0);
        const long residentBefore = residentKilobytes();
        const std::size_t descriptorsBefore = openDescriptors();

        const auto end = Clock::now() + soakLength();
        int round = 1;
        for (; Clock::now() < end && !HasFailure(); ++round)
            run(window, nextStep(), round);
        if (!instrumentLead)
            run(window, Step::Save, round);
        run(window, Step::Load, round);

        const double cpuBefore = cpuSeconds();
        QTest::qWait(5000);
        const double idleCpu = (cpuSeconds() - cpuBefore) / 5.0;
        const long residentAfter = residentKilobytes();
        const std::size_t descriptorsAfter = openDescriptors();
        std::printf("soak of %lld s, seed %u: %d rounds, %d transfers (%d failed by an unplug), "
                    "%d setup files, %d unplugs; resident %ld kB after the first round, %ld kB "
                    "at the end; descriptors %zu and %zu; idle CPU %.2f %% of a core\n",
                    static_cast<long long>(soakLength().count()), seed, round + 1, transfers,
                    failedTransfers, fileRoundTrips, unplugs, residentBefore, residentAfter,
                    descriptorsBefore, descriptorsAfter, 100 * idleCpu);
        EXPECT_LE(descriptorsAfter, descriptorsBefore);
        if (kResidentMemoryMeaningful) {
            EXPECT_LE(residentAfter, residentBefore + kResidentMarginKilobytes);
        }
    });
}

} // namespace
