#include "setup/Failure.h"
#include "sim/FrameReader.h"
#include "sim/InstrumentLine.h"
#include "sim/LinePace.h"
#include "sim/LinkName.h"
#include "sim/RegisterStore.h"
#include "sim/ReplyWriter.h"
#include "sim/Responder.h"
#include "sim/SimOptions.h"
#include "sim/StopSignals.h"

#include <iostream>
#include <poll.h>

namespace {

// A state file that cannot be written is reported and the instrument serves on.
void saveState(const RegisterStore& store, const std::string& path) {
    try {
        store.save(path);
    } catch (const Failure& failure) {
        std::cerr << "zentiq-sim: " << failure.what() << '\n';
    }
}

bool isWriteAcknowledgement(std::span<const std::uint8_t> request, const EncodedFrame& reply) {
    return request[2] != kReadCommand && reply.bytes()[2] == kAcknowledgeCommand;
}

// Answers requests until a stop signal arrives.
void serve(InstrumentLine& line, LinePace& incoming, FrameReader& reader, Responder& responder,
           ReplyWriter& writer, const StopSignals& signals,
           std::chrono::milliseconds deafAfterWrite) {
    using Clock = std::chrono::steady_clock;
    constexpr std::chrono::milliseconds kHangUpPause{100};
    Clock::time_point deafUntil{};
    while (!signals.requested()) {
        const short events = signals.waitFor(line.descriptor());
        if ((events & POLLIN) != 0) {
            const std::vector<std::uint8_t> bytes = line.receive();
            const bool lost = Clock::now() < deafUntil;
            incoming.carry(bytes.size(), signals);
            if (lost)
                continue;
            reader.append(bytes);
            while (const auto request = reader.next()) {
                const auto reply = responder.answer(*request);
                if (!reply)
                    continue;
                writer.send(reply->bytes());
                if (deafAfterWrite.count() > 0 && isWriteAcknowledgement(*request, *reply))
                    deafUntil = Clock::now() + deafAfterWrite;
            }
        } else if ((events & (POLLHUP | POLLERR)) != 0) {
            signals.sleep(kHangUpPause);
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    const ParsedOptions parsed = parseOptions(argc, argv);
    if (!parsed.options) {
        std::cerr << "zentiq-sim: " << parsed.error << "\nTry '" << argv[0] << " --help'.\n";
        return 2;
    }
    const SimOptions& options = *parsed.options;
    if (options.help) {
        std::cout << helpText(argv[0]);
        return 0;
    }

    const StopSignals signals;
    RegisterStore store(options.identity);
    InstrumentLine line;
    LinkName link;
    try {
        if (!options.statePath.empty()) {
            std::vector<std::string> rejected;
            store.load(options.statePath, rejected);
            for (const std::string& stateLine : rejected)
                std::cerr << "zentiq-sim: ignoring the state line " << stateLine << '\n';
        }
        line.open();
        if (!options.linkPath.empty())
            link.create(options.linkPath, line.terminalPath());
    } catch (const Failure& failure) {
        std::cerr << "zentiq-sim: " << failure.what() << '\n';
        return 1;
    }
    std::cout << line.terminalPath() << std::endl;

    Responder responder(store, options.faults, [&store, &options] {
        if (!options.statePath.empty())
            saveState(store, options.statePath);
    });
    const FrameTrace trace = options.trace ? FrameTrace(std::cerr) : FrameTrace();
    FrameReader reader(trace);
    ReplyWriter writer(line, signals,
                       {options.delayMs, options.noise, options.split, options.lineRate}, trace);
    LinePace incoming(options.lineRate);
    serve(line, incoming, reader, responder, writer, signals,
          std::chrono::milliseconds(options.deafAfterWriteMs));
    return 0;
}
