#include "operations/OperationFailure.h"

#include "operations/OperationTexts.h"

#include <array>
#include <cstdio>

namespace {

// "5", "0.5"
std::string secondsText(std::chrono::milliseconds wait) {
    std::array<char, 32> text{};
    std::snprintf(text.data(), text.size(), "%g", static_cast<double>(wait.count()) / 1000);
    return text.data();
}

} // namespace

OperationFailure portFailure(const PortError& error) {
    OperationFailure failure{kPortNotAvailableText, error.reason(),
                             std::string(kPortNotAvailableText) + " " + error.what()};
    if (!error.accessHint().empty())
        failure.detail += "\n\n" + error.accessHint();
    return failure;
}

OperationFailure transferFailure(const TransferFailure& failure) {
    OperationFailure result{kTransferErrorText, failedRequestText(failure), {}};
    if (const std::string state = instrumentStateText(failure); !state.empty())
        result.detail += "\n" + state;
    result.line = result.text + " (" + transferFailureText(failure) + ")";
    return result;
}

OperationFailure noAnswerFailure(const std::string& devicePath, std::chrono::milliseconds wait,
                                 bool hungUp) {
    return plainFailure(
        hungUp
            ? "The line of " + devicePath + " hung up: the instrument or its adapter is gone."
            : "No instrument answered on " + devicePath + " within " + secondsText(wait) + " s.");
}

OperationFailure plainFailure(const std::string& line) {
    return {line, {}, line};
}
