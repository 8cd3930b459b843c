#include "cli/InstrumentConnection.h"

#include "cli/CommandContext.h"
#include "cli/CommandFailure.h"
#include "cli/ProgressLine.h"
#include "cli/SessionLoop.h"
#include "device/FailureTexts.h"
#include "device/PortAccess.h"

#include <array>
#include <cstdio>

namespace {

using Clock = InstrumentSession::Clock;

std::string devicePathOf(const CommandContext& context) {
    if (!context.invocation.devicePath.empty())
        return context.invocation.devicePath;
    return context.settings.commDevice(context.invocation.comNumber.value_or(1));
}

// The system's reason, and what to do about a device of a group this user is not in.
std::string portFailureText(const SerialLink& link) {
    std::string text = std::string(kPortNotAvailableText) + " " + link.lastOpenError() + ".";
    if (const auto group = groupToJoinFor(link.devicePath()))
        text += " " + link.devicePath() + " belongs to the group " + *group +
                "; to use it: sudo usermod -aG " + *group + " $USER, then log out and in again.";
    return text;
}

// "5", "0.5"
std::string secondsText(std::chrono::milliseconds wait) {
    std::array<char, 32> text{};
    std::snprintf(text.data(), text.size(), "%g", static_cast<double>(wait.count()) / 1000);
    return text.data();
}

} // namespace

InstrumentConnection::InstrumentConnection(const CommandContext& context)
    : context(context) {
    if (!session.open(devicePathOf(context)))
        throw CommandFailure(portFailureText(session.link()));
    session.setMinimumSpacing(
        context.invocation.minimumSpacing.value_or(context.settings.minimumSpacing()));
    identity_ = askIdentity();
}

DeviceIdentity InstrumentConnection::askIdentity() {
    const std::chrono::milliseconds wait = context.invocation.wait;
    session.askIdentity(Clock::now(), wait);
    const std::array sessions{&session};
    driveSessions(sessions, [this] { return !session.identityPending(); });
    if (auto identity = session.identity())
        return *identity;
    throw CommandFailure("No instrument answered on " + devicePath() + " within " +
                         secondsText(wait) + " s.");
}

void InstrumentConnection::transfer(SetupRecord& record, DeviceInfo& info,
                                    TransferExchange::Direction direction,
                                    std::string_view progressLabel) {
    ProgressLine progress(context.err, context.progressShown, progressLabel);
    bool ended = false;
    session.startTransfer(record, info, direction, Clock::now(),
                          {{[&progress](int, int maximum) { progress.setTotal(maximum); },
                            [&progress](int position) {
                                progress.show(position + 1);
                            }},
                           [&ended] {
                               ended = true;
                           }});
    if (!ended)
        progress.show(1);
    const std::array sessions{&session};
    driveSessions(sessions, [&ended] { return ended; });
    if (const std::optional<TransferFailure> failure = session.transferFailure())
        throw CommandFailure(std::string(kTransferErrorText) + " (" +
                             transferFailureText(*failure) + ")");
}
