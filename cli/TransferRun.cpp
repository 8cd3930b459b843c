#include "cli/TransferRun.h"

#include "cli/CommandFailure.h"
#include "cli/InstrumentPace.h"
#include "cli/ProgressLine.h"
#include "cli/RegisterText.h"
#include "device/DeviceImage.h"
#include "device/SerialLink.h"

#include <thread>

namespace {

using Direction = TransferExchange::Direction;

constexpr std::string_view kTransferErrorText = "Error Occured During Transfer.";

// "request 5 of 136: write register 0x83, no answer"
std::string failedRequestText(const SetupRecord& record, const DeviceInfo& info,
                              Direction direction, std::size_t index, bool unanswered) {
    // The same list the exchange worked through: a write names its register as its command, a
    // read as its one data byte.
    const bool writing = direction == Direction::Write;
    const std::vector<RequestEntry> requests =
        writing ? buildWriteList(record, info) : buildReadList(info.leadCount);
    const RequestEntry& request = requests.at(index);
    return "request " + std::to_string(index + 1) + " of " + std::to_string(requests.size()) +
           ": " + (writing ? "write" : "read") + " register " +
           registerText(writing ? request.command : request.data[0]) + ", " +
           (unanswered ? "no answer" : "wrong answer");
}

} // namespace

void runTransfer(SerialLink& link, SetupRecord& record, DeviceInfo& info, Direction direction,
                 ProgressLine& progress) {
    using namespace InstrumentPace;
    std::size_t current = 0;
    TransferExchange exchange(link, record, info, direction,
                              {[&progress](int, int maximum) { progress.setTotal(maximum); },
                               [&progress, &current](int position) {
                                   current = static_cast<std::size_t>(position);
                                   progress.show(position + 1);
                               }});
    exchange.start();
    progress.show(1);

    // Whether the tick that ended the exchange found the link timed out rather than a reply.
    bool unanswered = false;
    auto next = Clock::now();
    for (int ticks = 1; !exchange.finished(); ++ticks) {
        next += kTransferTick;
        std::this_thread::sleep_until(next);
        if (ticks % kTicksPerPump == 0)
            link.pump();
        unanswered = link.timedOut();
        exchange.tick();
    }
    if (exchange.result() != TransferExchange::Result::Completed)
        throw CommandFailure(std::string(kTransferErrorText) + " (" +
                             failedRequestText(record, info, direction, current, unanswered) + ")");
}
