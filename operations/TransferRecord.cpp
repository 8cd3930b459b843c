#include "operations/TransferRecord.h"

#include "config/SetupDigest.h"

namespace {

std::string_view resultText(OperationOutcome::Result result) {
    switch (result) {
    case OperationOutcome::Result::Completed:
        return kResultOk;
    case OperationOutcome::Result::Failed:
        return kResultFailed;
    case OperationOutcome::Result::Cancelled:
        break;
    }
    return kResultCancelled;
}

// "Lead 5 name, Test Frequency"
std::string fieldsText(const std::vector<SetupDifference>& differences) {
    std::string text;
    for (const SetupDifference& difference : differences)
        text += (text.empty() ? "" : ", ") + difference.field;
    return text;
}

} // namespace

TransferRow transferRow(const TransferFacts& facts) {
    TransferRow row;
    row.program = facts.program;
    row.action = facts.action;
    row.device = facts.devicePath;
    row.serialBefore = facts.serialBefore;
    row.module = std::to_string(facts.device.moduleType);
    row.firmware = facts.device.firmwareText;
    row.setupFile = facts.setupFile == "-" ? "" : facts.setupFile;
    if (facts.setup != nullptr)
        row.setupSha256 = setupDigest(*facts.setup);
    row.result = resultText(facts.result);
    if (facts.differences != nullptr) {
        row.result = facts.differences->empty() ? kResultSame : kResultDiffers;
        row.detail = fieldsText(*facts.differences);
    } else if (facts.transferFailure != nullptr)
        row.detail = transferFailureText(*facts.transferFailure);
    else if (facts.failure != nullptr)
        row.detail = facts.failure->line;
    row.serialAfter = facts.serialAfter;
    return row;
}
