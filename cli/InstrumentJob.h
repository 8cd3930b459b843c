#pragma once

#include "config/ModuleCatalogue.h"
#include "config/TransferRow.h"
#include "device/Registers.h"
#include "device/SessionLine.h"
#include "operations/OperationRunner.h"
#include "setup/SetupRecord.h"

#include <chrono>
#include <cstddef>
#include <deque>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

struct CommandContext;

// What mirafen-cli does with one instrument: its line and the operation run on it, so that many
// instruments run at once on one poll(2) loop.
class InstrumentJob {
public:
    // A port that will not open or where nothing answers holds no instrument of ours (the
    // search of every port), rather than a failure, when passOverSilentPort.
    InstrumentJob(OperationRequest request, const ModuleCatalogue& catalogue,
                  const CommandContext& context, bool passOverSilentPort);

    const OperationRequest& request() const { return runner.request(); }
    const OperationKind& kind() const { return runner.kind(); }
    SessionLine& line() { return line_; }
    // Opens the port and starts the operation.
    void start(InstrumentSession::TimePoint now, std::chrono::milliseconds minimumSpacing);
    bool finished() const { return runner.finished(); }
    const OperationOutcome& outcome() const { return runner.outcome(); }
    // A port of the search without an instrument.
    bool passedOver() const { return passOverSilentPort && !outcome().instrumentAnswered; }
    // The failure of the operation; none when the job succeeded.
    const std::optional<OperationFailure>& failure() const { return outcome().failure; }
    // Write: the serial number written, once the operation got as far as choosing it.
    std::string serialWritten() const;
    // Read: the file the setup went to, as the command line named it.
    std::string fileRead() const;
    // The setup file as the command line named it; the record names it by its full path.
    const std::string& namedFile() const { return namedFile_; }
    int requestsUnderWay() const { return runner.requestsUnderWay(); }
    int requestsKnown() const { return runner.requestsKnown(); }

private:
    // Starts the operation on the open port.
    void begin(InstrumentSession::TimePoint now);

    SessionLine line_;
    OperationRunner runner;
    bool passOverSilentPort;
    std::string namedFile_;
    std::chrono::milliseconds minimumSpacing{0};
};

// Jobs stay where they were made: each holds an open port.
using InstrumentJobs = std::deque<InstrumentJob>;

// "Writing 37/136", rewritten in place on standard error while a transfer runs; only when a
// person watches standard error on a terminal, so that logs and pipes stay clean.
class ProgressLine {
public:
    ProgressLine(std::ostream& stream, bool shown, std::string_view label);
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;
    ~ProgressLine();

    void setTotal(int count);
    // The request under way, counted from 1.
    void show(int request);

private:
    // Blanks the line, so that what follows starts on a clean one.
    void clear();

    std::ostream& stream;
    bool shown;
    std::string label;
    int total = 0;
    std::size_t width = 0; // of the text last shown
};

// Runs the jobs at once on one poll(2) loop until every one is over, with one progress line for
// the whole batch: the requests under way against the requests known so far.
void runJobs(InstrumentJobs& jobs, std::chrono::milliseconds minimumSpacing,
             ProgressLine& progress);

// A read's setup goes into the file pattern names, kSerialPlaceholder standing for the
// instrument's serial number; "-" is standard output.
void nameReadFiles(OperationRequest& request, std::string pattern);

// What the instrument commands print.

// identify: the port, the serial number, the module type with its catalogue text and lead count
// (none when the catalogue does not know it) and the firmware revision.
std::string identityText(const std::string& devicePath, const DeviceIdentity& identity,
                         const std::optional<ModuleCatalogue::Module>& module);
std::string identityJson(const std::string& devicePath, const DeviceIdentity& identity,
                         const std::optional<ModuleCatalogue::Module>& module);

// A batch: one line per instrument (the ports of a search where none answered left out), its
// device, its serial number and what became of it
// ("written", "written, verified", "read into FILE", its module for identify, "same" or the
// number of differences with its module for diff, then the differences, or "failed: " and the
// reason).
std::string batchText(const InstrumentJobs& jobs);
// The same as one JSON document.
std::string batchJson(const InstrumentJobs& jobs);

// diff with one instrument: its identity, whether it holds the file, and the differences.
std::string comparisonText(const InstrumentJob& job);
std::string comparisonJson(const InstrumentJob& job);

// diff with instruments: the setup each holds against setup; kExitDiffers when any differs.
int compareWithInstruments(const CommandContext& context, const SetupRecord& setup);
