#include "cli/InstrumentJob.h"

#include "cli/Invocation.h"
#include "cli/ProgressLine.h"
#include "cli/SessionLoop.h"
#include "device/PortError.h"
#include "device/SerialNumberText.h"
#include "setup/SetupFile.h"

#include <algorithm>
#include <vector>

namespace {

// A serial number as part of a file name: whatever the instrument reports, it names a file in
// the folder given, never another folder.
std::string fileNamePart(std::string_view serial) {
    std::string part;
    for (const char c : serial) {
        const bool plain = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') ||
                           (c >= 'a' && c <= 'z') || c == '-' || c == '_';
        part += plain ? c : '_';
    }
    return part.empty() ? "unnamed" : part;
}

std::string withSerial(std::string pattern, std::string_view serial) {
    const std::size_t at = pattern.find(kSerialPlaceholder);
    if (at != std::string::npos)
        pattern.replace(at, kSerialPlaceholder.size(), fileNamePart(serial));
    return pattern;
}

OperationRequest requestOf(const InstrumentJob::Plan& plan) {
    OperationRequest request;
    request.kind = plan.task;
    request.program = "mirafen-cli";
    request.devicePath = plan.devicePath;
    request.wait = plan.wait;
    request.module = plan.module;
    // As the Serial Number edit commits a number typed.
    if (plan.serialText)
        request.serialText = normalizedSerialText(*plan.serialText);
    request.nextSerial = plan.nextSerial;
    request.verify = plan.verify;
    request.setup = plan.setup;
    request.setupFile = plan.fileName;
    if (plan.task == InstrumentJob::Task::Read) {
        request.setupFileFor = [pattern = plan.fileName](const DeviceIdentity& identity) {
            std::string file = withSerial(pattern, identity.serialText);
            // A setup file that could not be written fails before the transfer is spent on it.
            if (file != "-")
                requireSetupFileWritable(file);
            return file;
        };
        request.keep = [](const SetupRecord& setup, const std::string& file) {
            if (file != "-")
                writeSetupFile(setup, file);
        };
    }
    return request;
}

} // namespace

InstrumentJob::InstrumentJob(Plan plan, const ModuleCatalogue& catalogue)
    : plan_(std::move(plan))
    , operation(session_, requestOf(plan_), catalogue) {}

void InstrumentJob::start(InstrumentSession::TimePoint now) {
    try {
        port_.open(plan_.devicePath);
    } catch (const PortError& error) {
        operation.failToOpen(error);
        return;
    }
    session_.setMinimumSpacing(plan_.minimumSpacing);
    operation.start(now);
    port_.flush();
}

std::string InstrumentJob::serialWritten() const {
    return plan_.task == Task::Write && outcome().module ? outcome().device.serialText : "";
}

std::string InstrumentJob::fileRead() const {
    return plan_.task == Task::Read ? outcome().setupFile : "";
}

void runJobs(InstrumentJobs& jobs, ProgressLine& progress) {
    using Clock = InstrumentSession::Clock;
    std::vector<DrivenSession> sessions;
    for (InstrumentJob& job : jobs) {
        job.start(Clock::now());
        sessions.push_back({&job.session(), &job.port()});
    }
    int shownRequest = 0;
    int shownTotal = 0;
    driveSessions(sessions, [&] {
        int underWay = 0;
        int known = 0;
        for (const InstrumentJob& job : jobs) {
            underWay += job.requestsUnderWay();
            known += job.requestsKnown();
        }
        if (underWay != shownRequest || known != shownTotal) {
            shownRequest = underWay;
            shownTotal = known;
            progress.setTotal(known);
            progress.show(underWay);
        }
        return std::ranges::all_of(jobs, &InstrumentJob::finished);
    });
}
