#include "cli/FileCommands.h"
#include "cli/InstrumentJob.h"
#include "cli/OutputFormats.h"
#include "device/DeviceInfo.h"

#include <algorithm>

std::string identityText(const std::string& devicePath, const DeviceIdentity& identity,
                         const std::optional<ModuleCatalogue::Module>& module) {
    const std::string moduleText = module ? module->listText : "not in the module catalogue";
    const std::string leadCount = module ? std::to_string(module->leadCount) : "unknown";
    return "Device:         " + terminalSafe(devicePath) + "\n" +
           "Serial number:  " + terminalText(identity.serialText) + "\n" +
           "Module type:    " + std::to_string(identity.moduleType) + " (" +
           terminalText(moduleText) + ")\n" + "Lead count:     " + leadCount + "\n" +
           "Firmware rev:   " + identity.firmwareText() + "\n";
}

std::string identityJson(const std::string& devicePath, const DeviceIdentity& identity,
                         const std::optional<ModuleCatalogue::Module>& module) {
    return JsonObject()
               .add("device", jsonString(devicePath))
               .add("serialNumber", jsonString(identity.serialText))
               .add("moduleType", std::to_string(identity.moduleType))
               .add("module", module ? jsonString(module->listText) : "null")
               .add("leadCount", module ? std::to_string(module->leadCount) : "null")
               .add("firmware", jsonString(identity.firmwareText()))
               .text() +
           "\n";
}

namespace {

// "2 (4 Lead Quad), firmware 2.1", as a terminal prints it
std::string moduleAndFirmware(const OperationOutcome& outcome) {
    return std::to_string(outcome.identityBefore->moduleType) + " (" +
           (outcome.module ? terminalText(outcome.module->listText)
                           : "not in the module catalogue") +
           "), firmware " + outcome.identityBefore->firmwareText();
}

std::string differenceCount(std::size_t count) {
    return std::to_string(count) + (count == 1 ? " difference" : " differences");
}

std::string comparedLines(const InstrumentJob& job, std::string_view indent = {}) {
    return differenceLines(job.outcome().differences, inFile(job.namedFile()), "in the instrument",
                           indent);
}

std::string serialOf(const InstrumentJob& job) {
    const OperationOutcome& outcome = job.outcome();
    if (const std::string written = job.serialWritten(); !written.empty())
        return written;
    return outcome.identityBefore ? outcome.identityBefore->serialText : "-";
}

std::string comparisonResult(const OperationOutcome& outcome) {
    return outcome.differences.empty() ? "same" : "differs";
}

std::string resultOf(const InstrumentJob& job) {
    const OperationOutcome& outcome = job.outcome();
    if (job.failure())
        return "failed";
    if (outcome.compared)
        return comparisonResult(outcome);
    return std::string(outcome.verified ? Operations::verify.resultWord : job.kind().resultWord);
}

// As a terminal prints it.
std::string whatBecameOf(const InstrumentJob& job) {
    const OperationOutcome& outcome = job.outcome();
    if (const std::optional<OperationFailure>& failure = job.failure())
        return "failed: " + terminalSafe(failure->line);
    // An identity asked for is told as it came.
    if (&job.kind() == &Operations::identify)
        return moduleAndFirmware(outcome);
    if (outcome.compared)
        return (outcome.differences.empty() ? comparisonResult(outcome)
                                            : differenceCount(outcome.differences.size())) +
               ", module " + moduleAndFirmware(outcome);
    std::string text(job.kind().resultWord);
    if (const std::string file = job.fileRead(); !file.empty())
        text += " into " + terminalSafe(file);
    return outcome.verified ? text + ", " + std::string(Operations::verify.resultWord) : text;
}

} // namespace

std::string batchText(const InstrumentJobs& jobs) {
    std::size_t deviceWidth = 0;
    for (const InstrumentJob& job : jobs)
        deviceWidth = std::max(deviceWidth, terminalSafe(job.request().devicePath).size());
    std::string text;
    for (const InstrumentJob& job : jobs) {
        if (job.passedOver())
            continue;
        text += padded(terminalSafe(job.request().devicePath), deviceWidth) + "  " +
                terminalText(padded(serialOf(job), kSerialTextWidth)) + "  " + whatBecameOf(job) +
                "\n";
        if (job.outcome().compared)
            text += comparedLines(job, "    ");
    }
    return text;
}

namespace {

// The job's JSON object; its differences go on one line when oneLine.
JsonObject jobJson(const InstrumentJob& job, bool oneLine) {
    const OperationOutcome& outcome = job.outcome();
    JsonObject item;
    item.add("device", jsonString(job.request().devicePath))
        .add("serialNumber", outcome.identityBefore ? jsonString(serialOf(job)) : "null")
        .add("result", jsonString(resultOf(job)));
    if (outcome.identityBefore)
        item.add("moduleType", std::to_string(outcome.identityBefore->moduleType))
            .add("firmware", jsonString(outcome.identityBefore->firmwareText()));
    if (const std::string file = job.fileRead(); !file.empty())
        item.add("file", jsonString(file));
    if (job.outcome().compared) {
        const std::vector<std::string> differences =
            differencesJson(outcome.differences, "file", "instrument");
        item.add("file", jsonString(job.namedFile()))
            .add("differences", oneLine ? jsonArrayLine(differences) : jsonArray(differences, 1));
    }
    const std::optional<OperationFailure>& failure = job.failure();
    item.add("detail", failure ? jsonString(failure->line) : "null");
    return item;
}

} // namespace

std::string batchJson(const InstrumentJobs& jobs) {
    std::vector<std::string> items;
    for (const InstrumentJob& job : jobs)
        if (!job.passedOver())
            items.push_back(jobJson(job, true).line());
    return JsonObject().add("instruments", jsonArray(items, 1)).text() + "\n";
}

std::string comparisonText(const InstrumentJob& job) {
    const OperationOutcome& outcome = job.outcome();
    const std::string file =
        job.namedFile() == "-" ? "standard input" : terminalSafe(job.namedFile());
    const std::string result =
        outcome.differences.empty()
            ? "the same setup as " + file + "."
            : differenceCount(outcome.differences.size()) + " from " + file + ":";
    return "Instrument " + terminalText(outcome.identityBefore->serialText) + ", module " +
           moduleAndFirmware(outcome) + ": " + result + "\n" + comparedLines(job);
}

std::string comparisonJson(const InstrumentJob& job) {
    return jobJson(job, false).text() + "\n";
}
