#include "device/TransferFailure.h"

#include "device/RegisterText.h"

namespace {

std::string causeText(TransferFailure::Cause cause) {
    switch (cause) {
    case TransferFailure::Cause::NoAnswer:
        return "no answer";
    case TransferFailure::Cause::WrongAnswer:
        return "wrong answer";
    case TransferFailure::Cause::LineHungUp:
        return "the line hung up";
    case TransferFailure::Cause::LineClosed:
        return "the port was closed";
    }
    return {};
}

std::string leadRangeText(int leads) {
    return leads == 1 ? "lead 1" : "leads 1 to " + std::to_string(leads);
}

} // namespace

std::string failedRequestText(const TransferFailure& failure) {
    return "request " + std::to_string(failure.request + 1) + " of " +
           std::to_string(failure.requestCount) + ": " + (failure.writing ? "write" : "read") +
           " register " + registerText(failure.reg) + ", " + causeText(failure.cause);
}

std::string instrumentStateText(const TransferFailure& failure) {
    if (!failure.writing)
        return {};
    std::string held;
    if (failure.settingsWritten > 0)
        held = "the instrument now holds all the new leads and " +
               std::to_string(failure.settingsWritten) + " of the " +
               std::to_string(failure.settingCount) + " new settings";
    else if (failure.leadsWritten > 0)
        held =
            "the instrument now holds " + leadRangeText(failure.leadsWritten) + " of the new setup";
    else if (failure.identityWritten)
        held = "the instrument now holds the new identity but none of the new leads";
    else
        held = "the instrument acknowledged none of the new setup";
    return held + "; write it again";
}

std::string transferFailureText(const TransferFailure& failure) {
    const std::string state = instrumentStateText(failure);
    return failedRequestText(failure) + (state.empty() ? "" : "; " + state);
}
