#include "cli/InstrumentJob.h"

#include "cli/CommandTable.h"
#include "device/PortError.h"
#include "device/SerialNumberText.h"
#include "setup/SetupFile.h"

#include <algorithm>
#include <functional>
#include <poll.h>
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
    // A network port goes on opening in the poll loop and begins the operation once connected.
    SessionPort::OpenEvents events{.opened = [this] { begin(InstrumentSession::Clock::now()); },
                                   .failed =
                                       [this](const PortError& error) {
                                           operation.failToOpen(error);
                                       }};
    try {
        port_.open(plan_.devicePath, {}, std::move(events));
    } catch (const PortError& error) {
        operation.failToOpen(error);
        return;
    }
    if (!port_.opening())
        begin(now);
}

void InstrumentJob::begin(InstrumentSession::TimePoint now) {
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

namespace {

using Clock = InstrumentSession::Clock;

// The longest single wait; a loop with nothing pending still looks at done() this often.
constexpr std::chrono::milliseconds kLongestWait{1000};

int waitMilliseconds(Clock::time_point next) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(next - Clock::now());
    return static_cast<int>(std::clamp(left, std::chrono::milliseconds(0), kLongestWait).count());
}

// Drives the jobs' sessions from poll(2): waits until a port has bytes or room for what is to
// be sent, or a session's next call is due, tells the sessions, and stops as soon as done()
// holds.
void driveSessions(InstrumentJobs& jobs, const std::function<bool()>& done) {
    std::vector<pollfd> ports(jobs.size());
    while (true) {
        for (InstrumentJob& job : jobs) {
            job.session().timePassed(Clock::now());
            job.port().flush();
        }
        if (done())
            return;
        Clock::time_point next = Clock::time_point::max();
        for (std::size_t i = 0; i < jobs.size(); ++i) {
            const SessionPort& port = jobs[i].port();
            // A negative descriptor is left out by poll(2).
            ports[i] = {port.descriptor(),
                        static_cast<short>(POLLIN | (port.wantsToWrite() ? POLLOUT : 0)), 0};
            next = std::min(next, jobs[i].session().nextCall());
        }
        if (::poll(ports.data(), ports.size(), waitMilliseconds(next)) <= 0)
            continue;
        for (std::size_t i = 0; i < jobs.size(); ++i) {
            if ((ports[i].revents & ~POLLOUT) != 0)
                jobs[i].port().portReadable(Clock::now());
            else if (ports[i].revents != 0)
                jobs[i].port().flush();
        }
        if (done())
            return;
    }
}

} // namespace

void runJobs(InstrumentJobs& jobs, ProgressLine& progress) {
    for (InstrumentJob& job : jobs)
        job.start(Clock::now());
    int shownRequest = 0;
    int shownTotal = 0;
    driveSessions(jobs, [&] {
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
