#include "cli/CommandTable.h"
#include "cli/FileCommands.h"
#include "cli/InstrumentJob.h"
#include "cli/OutputFormats.h"
#include "config/ComPorts.h"
#include "device/InstrumentFinder.h"
#include "device/NetworkAddress.h"
#include "device/PortError.h"
#include "device/SerialNumber.h"
#include "device/SerialPortDiscovery.h"
#include "operations/InstrumentInfo.h"
#include "setup/Failure.h"
#include "setup/SetupFile.h"
#include "sheet/SetupSheet.h"
#include "sheet/SetupSheetOutput.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <functional>
#include <vector>

namespace {

bool isDeviceOf(const DiscoveredPort& port, const std::string& device) {
    return device == port.devicePath || isSameDevice(device, port.devicePath);
}

// "COMM 1, COMM 3": the COM numbers that stand for the port.
std::string boundComNumbers(const ProgramSettings& settings, const DiscoveredPort& port) {
    std::string text;
    for (int comNumber = 1; comNumber <= kComPortCount; ++comNumber) {
        if (isDeviceOf(port, settings.commDevice(comNumber)))
            text += (text.empty() ? "COMM " : ", COMM ") + std::to_string(comNumber);
    }
    return text;
}

// Every serial port of this computer and each device zenset.sys names, each once.
std::vector<DiscoveredPort> everyPort(const ProgramSettings& settings);

// Whether a port's name names a port of a serial device server (a malformed one included).
bool isNetworkPort(const std::string& name) {
    try {
        return NetworkAddress::of(name).has_value();
    } catch (const PortError&) {
        return true;
    }
}

// What ports says of a port: the system's description, "-" when it has none, "network port"
// for a serial device server's, "not present" for a device zenset.sys names that is not there.
std::string listedDescription(const DiscoveredPort& port) {
    if (const std::string description = portDescription(port); !description.empty())
        return terminalSafe(description);
    if (isNetworkPort(port.devicePath))
        return "network port";
    return port.name.empty() && !std::filesystem::exists(port.devicePath) ? "not present" : "-";
}

} // namespace

int listPorts(const CommandContext& context) {
    const std::vector<DiscoveredPort> ports = everyPort(context.settings);
    if (ports.empty()) {
        context.err << "No serial ports were found on this computer.\n";
        return kExitSuccess;
    }
    std::vector<std::array<std::string, 3>> rows;
    std::size_t pathWidth = 0;
    std::size_t descriptionWidth = 0;
    for (const DiscoveredPort& port : ports) {
        rows.push_back({terminalSafe(port.devicePath), listedDescription(port),
                        boundComNumbers(context.settings, port)});
        pathWidth = std::max(pathWidth, rows.back()[0].size());
        descriptionWidth = std::max(descriptionWidth, rows.back()[1].size());
    }
    for (const auto& [path, description, comNumbers] : rows) {
        std::string line = padded(path, pathWidth) + "  " + description;
        if (!comNumbers.empty())
            line = padded(line, pathWidth + 2 + descriptionWidth) + "  " + comNumbers;
        context.out << line << '\n';
    }
    return kExitSuccess;
}

namespace {

constexpr std::chrono::milliseconds kDefaultWait{5000};

// Every serial port of this computer, then each device zenset.sys gives a COM number (an
// adapter or a pseudo-terminal the kernel's list leaves out), each device once; of these only
// the path is known.
std::vector<DiscoveredPort> everyPort(const ProgramSettings& settings) {
    std::vector<DiscoveredPort> ports = discoverSerialPorts();
    for (int comNumber = 1; comNumber <= kComPortCount; ++comNumber) {
        const std::optional<std::string> device = settings.boundDevice(comNumber);
        if (device && std::ranges::none_of(ports, [&device](const DiscoveredPort& port) {
                return isDeviceOf(port, *device);
            }))
            ports.push_back({.devicePath = *device});
    }
    return ports;
}

// The ports the command line names, in the order named; every port for --all.
std::vector<std::string> devicePaths(const CommandContext& context) {
    const Invocation& invocation = context.invocation;
    std::vector<std::string> paths;
    if (invocation.allPorts) {
        for (const DiscoveredPort& port : everyPort(context.settings))
            paths.push_back(port.devicePath);
        return paths;
    }
    paths = invocation.devicePaths;
    for (const int comNumber : invocation.comNumbers)
        paths.push_back(context.settings.commDevice(comNumber));
    return paths;
}

// One job for each port, with what the command line asks of it.
InstrumentJobs plannedJobs(const CommandContext& context, const OperationKind& kind,
                           const ModuleCatalogue& catalogue, const SetupRecord& setup = {}) {
    const Invocation& invocation = context.invocation;
    OperationRequest request;
    request.kind = &kind;
    request.program = "mirafen-cli";
    // Looking through every port, a silent one is given no longer than the port search gives.
    request.wait = invocation.wait.value_or(invocation.allPorts ? InstrumentFinder::kAnswerTime
                                                                : kDefaultWait);
    request.setup = setup;
    request.setupFile = invocation.file;
    // As the Serial Number edit commits a number typed.
    if (invocation.serialText)
        request.serialText = normalizedSerialText(*invocation.serialText);
    request.nextSerial = invocation.nextSerial;
    if (invocation.moduleType)
        request.module = requireModule(catalogue, *invocation.moduleType);
    request.verify = invocation.verify;
    if (&kind == &Operations::read)
        nameReadFiles(request, invocation.file);

    InstrumentJobs jobs;
    const std::vector<std::string> paths = devicePaths(context);
    for (std::size_t i = 0; i < paths.size(); ++i) {
        request.devicePath = paths[i];
        if (invocation.firstSerial)
            request.serialText =
                serialNumberText(*invocation.firstSerial + static_cast<std::uint32_t>(i));
        jobs.emplace_back(request, catalogue, context, invocation.allPorts);
    }
    return jobs;
}

// The record's failure, when a job's rows could not be written: what was done with the
// instruments stands, and the command fails with it once its results are out.
std::optional<Failure> recordFailure(const InstrumentJobs& jobs) {
    for (const InstrumentJob& job : jobs)
        if (job.outcome().recordFailure)
            return Failure(*job.outcome().recordFailure);
    return std::nullopt;
}

// Runs the jobs, whose rows are in the record as each ends; a search where no instrument
// answered on any port is a failure. Returns the record's failure, if any.
std::optional<Failure> run(const CommandContext& context, InstrumentJobs& jobs) {
    const OperationKind& kind = jobs.front().kind();
    {
        std::string label(kind.progressLabel);
        if (jobs.size() > 1)
            label += " " + std::to_string(jobs.size()) + " instruments";
        ProgressLine progress(context.err, context.progressShown && &kind != &Operations::identify,
                              label);
        runJobs(jobs, context.invocation.minimumSpacing.value_or(context.settings.minimumSpacing()),
                progress);
    }
    if (context.invocation.allPorts &&
        std::ranges::all_of(jobs, [](const InstrumentJob& job) { return job.passedOver(); }))
        throw Failure("No instrument answered on any free serial port.");
    return recordFailure(jobs);
}

// A record that could not be written leaves what was done with the instruments as it is, and
// says so: the command fails once its results are out.
void requireRecorded(const OperationKind& kind, const std::optional<Failure>& recordFailure) {
    if (!recordFailure)
        return;
    throw Failure(std::string(kind.doneText) +
                  " the instrument, but the record could not be written: " + recordFailure->what());
}

// Says, beside an instrument's failure, that the record could not be written either.
void mentionRecordFailure(const CommandContext& context,
                          const std::optional<Failure>& recordFailure) {
    if (recordFailure)
        context.err << "The record could not be written: " << recordFailure->what() << '\n';
}

// The one instrument the command line named: its failure is the command's.
const InstrumentJob& onlyJob(const CommandContext& context, const InstrumentJobs& jobs,
                             const std::optional<Failure>& recordFailure) {
    const InstrumentJob& job = jobs.front();
    if (const std::optional<OperationFailure>& failure = job.failure()) {
        mentionRecordFailure(context, recordFailure);
        throw Failure(terminalSafe(failure->line));
    }
    return job;
}

// A batch's report: one line per instrument on standard output (or one JSON document), and a
// line on standard error for each that failed. Throws when any failed, so that the exit status
// says so.
void reportBatch(const CommandContext& context, const InstrumentJobs& jobs,
                 const std::optional<Failure>& recordFailure) {
    if (context.invocation.json)
        context.out << batchJson(jobs);
    else if (!context.invocation.quiet)
        context.out << batchText(jobs);
    const auto counted = [&jobs](auto&& condition) {
        return std::ranges::count_if(jobs, condition);
    };
    const auto failed =
        counted([](const InstrumentJob& job) { return job.failure() && !job.passedOver(); });
    const auto instruments = counted([](const InstrumentJob& job) { return !job.passedOver(); });
    if (failed > 0) {
        mentionRecordFailure(context, recordFailure);
        throw Failure(std::to_string(failed) + " of " + std::to_string(instruments) +
                      " instruments failed.");
    }
    requireRecorded(jobs.front().kind(), recordFailure);
}

// Serves the instruments of the jobs. A batch is reported here; the one instrument of a command
// that named one is handed to reportOne, unless it failed, which fails the command.
void serve(const CommandContext& context, InstrumentJobs& jobs,
           const std::function<void(const InstrumentJob&)>& reportOne) {
    const std::optional<Failure> recordFailure = run(context, jobs);
    if (context.invocation.isBatch())
        return reportBatch(context, jobs, recordFailure);
    reportOne(onlyJob(context, jobs, recordFailure));
    requireRecorded(jobs.front().kind(), recordFailure);
}

std::string moduleText(const InstrumentJob& job) {
    return terminalText(job.outcome().module->listText);
}

// The sheet of the setup read, naming the instrument it came from.
SetupSheet readSetupSheet(const InstrumentJob& job) {
    const OperationOutcome& outcome = job.outcome();
    SetupSheet sheet = setupSheetOf(outcome.setup, job.fileRead());
    sheet.instrument = {outcome.identityBefore->serialText, outcome.identityBefore->firmwareText()};
    sheet.module = outcome.module;
    return sheet;
}

} // namespace

int identifyInstrument(const CommandContext& context) {
    const ModuleCatalogue catalogue(context.settings.dataFolder());
    InstrumentJobs jobs = plannedJobs(context, Operations::identify, catalogue);
    serve(context, jobs, [&context](const InstrumentJob& job) {
        const std::string& device = job.request().devicePath;
        const DeviceIdentity& identity = *job.outcome().identityBefore;
        const auto& module = job.outcome().module;
        context.out << (context.invocation.json ? identityJson(device, identity, module)
                                                : identityText(device, identity, module));
    });
    return kExitSuccess;
}

int readFromInstrument(const CommandContext& context) {
    std::optional<SetupSheetOutput> sheet;
    if (context.invocation.pdf)
        sheet.emplace(*context.invocation.pdf, context.out);
    const ModuleCatalogue catalogue(context.settings.dataFolder());
    InstrumentJobs jobs = plannedJobs(context, Operations::read, catalogue);
    serve(context, jobs, [&context, &sheet](const InstrumentJob& job) {
        if (job.fileRead() == "-")
            context.out << newSetupFileText(job.outcome().setup);
        else if (!context.invocation.quiet)
            context.out << "Read the setup of instrument "
                        << terminalText(job.outcome().identityBefore->serialText) << " ("
                        << moduleText(job) << ") into " << terminalSafe(job.fileRead()) << ".\n";
        if (sheet)
            sheet->write(readSetupSheet(job));
    });
    return kExitSuccess;
}

int writeToInstrument(const CommandContext& context) {
    const Invocation& invocation = context.invocation;
    const SetupToWrite toWrite = readSetupFileToWrite(invocation.file);
    const ModuleCatalogue catalogue(context.settings.dataFolder());
    // A module type that cannot be written is refused before any instrument is asked anything.
    InstrumentJobs jobs = plannedJobs(context, Operations::write, catalogue, toWrite.setup);
    if (!toWrite.missingSettings.empty())
        context.err << toWrite.missingSettings << '\n';
    serve(context, jobs, [&invocation, &context](const InstrumentJob& job) {
        if (!invocation.quiet)
            context.out << "Wrote " << terminalSafe(invocation.file) << " into instrument "
                        << terminalText(job.serialWritten()) << " (" << moduleText(job) << ")"
                        << (invocation.verify ? ", verified" : "") << ".\n";
    });
    return kExitSuccess;
}

int compareWithInstruments(const CommandContext& context, const SetupRecord& setup) {
    const Invocation& invocation = context.invocation;
    const ModuleCatalogue catalogue(context.settings.dataFolder());
    InstrumentJobs jobs = plannedJobs(context, Operations::compare, catalogue, setup);
    serve(context, jobs, [&invocation, &context](const InstrumentJob& job) {
        if (!invocation.quiet)
            context.out << (invocation.json ? comparisonJson(job) : comparisonText(job));
    });
    const bool differs = std::ranges::any_of(
        jobs, [](const InstrumentJob& job) { return !job.outcome().differences.empty(); });
    return differs ? kExitDiffers : kExitSuccess;
}
