#include "cli/InstrumentReport.h"

#include "cli/JsonText.h"
#include "cli/TextColumns.h"
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

std::string serialOf(const InstrumentJob& job) {
    const OperationOutcome& outcome = job.outcome();
    if (const std::string written = job.serialWritten(); !written.empty())
        return written;
    return outcome.identityBefore ? outcome.identityBefore->serialText : "-";
}

std::string resultOf(const InstrumentJob& job) {
    const OperationOutcome& outcome = job.outcome();
    if (job.failure())
        return "failed";
    switch (job.plan().task) {
    case InstrumentJob::Task::Identify:
        return "identified";
    case InstrumentJob::Task::Read:
        return "read";
    case InstrumentJob::Task::Write:
        break;
    }
    return outcome.verified ? "verified" : "written";
}

std::string whatBecameOf(const InstrumentJob& job) {
    const OperationOutcome& outcome = job.outcome();
    if (const std::optional<std::string> failure = job.failure())
        return "failed: " + *failure;
    switch (job.plan().task) {
    case InstrumentJob::Task::Identify:
        return std::to_string(outcome.identityBefore->moduleType) + " (" +
               (outcome.module ? outcome.module->listText : "not in the module catalogue") +
               "), firmware " + outcome.identityBefore->firmwareText();
    case InstrumentJob::Task::Read:
        return "read into " + job.fileRead();
    case InstrumentJob::Task::Write:
        break;
    }
    return outcome.verified ? "written, verified" : "written";
}

} // namespace

std::string batchText(const InstrumentJobs& jobs) {
    std::size_t deviceWidth = 0;
    for (const InstrumentJob& job : jobs)
        deviceWidth = std::max(deviceWidth, terminalSafe(job.plan().devicePath).size());
    std::string text;
    for (const InstrumentJob& job : jobs)
        if (!job.passedOver())
            text += padded(terminalSafe(job.plan().devicePath), deviceWidth) + "  " +
                    terminalText(padded(serialOf(job), kSerialTextWidth)) + "  " +
                    terminalSafe(whatBecameOf(job)) + "\n";
    return text;
}

std::string batchJson(const InstrumentJobs& jobs) {
    std::vector<std::string> items;
    for (const InstrumentJob& job : jobs) {
        const OperationOutcome& outcome = job.outcome();
        if (job.passedOver())
            continue;
        JsonObject item;
        item.add("device", jsonString(job.plan().devicePath))
            .add("serialNumber", outcome.identityBefore ? jsonString(serialOf(job)) : "null")
            .add("result", jsonString(resultOf(job)));
        if (outcome.identityBefore)
            item.add("moduleType", std::to_string(outcome.identityBefore->moduleType))
                .add("firmware", jsonString(outcome.identityBefore->firmwareText()));
        if (const std::string file = job.fileRead(); !file.empty())
            item.add("file", jsonString(file));
        const std::optional<std::string> failure = job.failure();
        item.add("detail", failure ? jsonString(*failure) : "null");
        items.push_back(item.line());
    }
    return JsonObject().add("instruments", jsonArray(items, 1)).text() + "\n";
}
