#include "cli/InstrumentJob.h"

#include "cli/CommandTable.h"
#include "config/TransferHistory.h"
#include "device/LineLoop.h"
#include "device/PortError.h"
#include "setup/SetupFile.h"

#include <algorithm>
#include <filesystem>
#include <functional>
#include <span>
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

// The record names a setup file by its full path, as the window does, so that files of one name
// in different folders are told apart; "-" (standard input or output) and none stay.
std::string recordedPath(const std::string& file) {
    if (file.empty() || file == "-")
        return file;
    return std::filesystem::absolute(file).lexically_normal().string();
}

} // namespace

namespace {

OperationRequest withRecordedPath(OperationRequest request) {
    request.setupFile = recordedPath(request.setupFile);
    return request;
}

} // namespace

void nameReadFiles(OperationRequest& request, std::string pattern) {
    request.setupFileFor = [pattern = std::move(pattern)](const DeviceIdentity& identity) {
        std::string file = withSerial(pattern, identity.serialText);
        // A setup file that could not be written fails before the transfer is spent on it.
        if (file != "-")
            requireSetupFileWritable(file);
        return recordedPath(file);
    };
    request.keep = [](const SetupRecord& setup, const std::string& file) {
        if (file != "-")
            writeSetupFile(setup, file);
    };
}

InstrumentJob::InstrumentJob(OperationRequest request, const ModuleCatalogue& catalogue,
                             const CommandContext& context, bool passOverSilentPort)
    : line_(context.trace)
    , runner(line_.session(), withRecordedPath(std::move(request)), catalogue,
             [&settings = context.settings](const TransferRow& row) {
                 appendTransferRow(settings, row);
             })
    , passOverSilentPort(passOverSilentPort)
    , namedFile_(context.invocation.file) {}

void InstrumentJob::start(InstrumentSession::TimePoint now, std::chrono::milliseconds spacing) {
    minimumSpacing = spacing;
    // A network port goes on opening in the poll loop and begins the operation once connected.
    SessionPort::OpenEvents events{.opened = [this] { begin(InstrumentSession::Clock::now()); },
                                   .failed =
                                       [this](const PortError& error) {
                                           runner.failToOpen(error);
                                       }};
    try {
        line_.open(request().devicePath, {}, std::move(events));
    } catch (const PortError& error) {
        runner.failToOpen(error);
        return;
    }
    if (!line_.port().opening())
        begin(now);
}

void InstrumentJob::begin(InstrumentSession::TimePoint now) {
    line_.session().setMinimumSpacing(minimumSpacing);
    runner.start(now);
    line_.portWritable();
}

std::string InstrumentJob::serialWritten() const {
    return &kind() == &Operations::write && outcome().module ? outcome().device.serialText : "";
}

std::string InstrumentJob::fileRead() const {
    if (&kind() != &Operations::read)
        return "";
    // As the command line named it.
    const std::optional<DeviceIdentity>& identity = outcome().identityBefore;
    return identity ? withSerial(namedFile_, identity->serialText) : namedFile_;
}

ProgressLine::ProgressLine(std::ostream& stream, bool shown, std::string_view label)
    : stream(stream)
    , shown(shown)
    , label(label) {}

ProgressLine::~ProgressLine() {
    clear();
}

void ProgressLine::setTotal(int count) {
    total = count;
}

void ProgressLine::show(int request) {
    if (!shown)
        return;
    const std::string text = label + " " + std::to_string(request) + "/" + std::to_string(total);
    stream << '\r' << text << std::flush;
    width = text.size();
}

void ProgressLine::clear() {
    if (width == 0)
        return;
    stream << '\r' << std::string(width, ' ') << '\r' << std::flush;
    width = 0;
}

void runJobs(InstrumentJobs& jobs, std::chrono::milliseconds minimumSpacing,
             ProgressLine& progress) {
    std::vector<SessionLine*> lines;
    for (InstrumentJob& job : jobs) {
        job.start(InstrumentSession::Clock::now(), minimumSpacing);
        lines.push_back(&job.line());
    }
    int shownRequest = 0;
    int shownTotal = 0;
    driveLines(lines, [&] {
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
