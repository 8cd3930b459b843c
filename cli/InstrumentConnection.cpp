#include "cli/InstrumentConnection.h"

#include "cli/CommandContext.h"
#include "cli/CommandFailure.h"
#include "cli/IdentityQuery.h"
#include "cli/ProgressLine.h"
#include "cli/TransferRun.h"
#include "device/PortAccess.h"

#include <array>
#include <cstdio>

namespace {

SerialLink::DeviceNamer deviceNamer(const CommandContext& context) {
    if (!context.invocation.devicePath.empty())
        return [path = context.invocation.devicePath](int) {
            return path;
        };
    return [settings = context.settings](int comNumber) {
        return settings.commDevice(comNumber);
    };
}

// The system's reason, and what to do about a device this user may not open.
std::string portFailureText(const SerialLink& link) {
    std::string text = "That Comm Port is not available: " + link.lastOpenError() + ".";
    if (const std::string hint = portAccessHint(link.devicePath()); !hint.empty())
        text += " " + hint;
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
    : context(context)
    , link(deviceNamer(context)) {
    if (!link.open(static_cast<std::uint8_t>(context.invocation.comNumber.value_or(1)),
                   SerialLink::kInstrumentBaudRate))
        throw CommandFailure(portFailureText(link));
    identity_ = askIdentity();
}

DeviceIdentity InstrumentConnection::askIdentity() {
    const std::chrono::milliseconds wait = context.invocation.wait;
    if (auto identity = awaitIdentity(link, wait))
        return *identity;
    throw CommandFailure("No instrument answered on " + link.devicePath() + " within " +
                         secondsText(wait) + " s.");
}

void InstrumentConnection::transfer(SetupRecord& record, DeviceInfo& info,
                                    TransferExchange::Direction direction,
                                    std::string_view progressLabel) {
    ProgressLine progress(context.err, context.progressShown, progressLabel);
    runTransfer(link, record, info, direction, progress);
}
