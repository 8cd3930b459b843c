#pragma once

#include "config/ModuleCatalogue.h"
#include "config/TransferRow.h"
#include "device/InstrumentSession.h"
#include "device/Registers.h"
#include "device/SessionPort.h"
#include "operations/InstrumentOperation.h"
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

// What mirafen-cli does with one instrument: its port, its session and the operation on it, so
// that many instruments run at once on one poll(2) loop.
class InstrumentJob {
public:
    using Task = OperationRequest::Kind;

    struct Plan {
        Task task = Task::Identify;
        std::string devicePath;
        std::chrono::milliseconds wait{5000};
        std::chrono::milliseconds minimumSpacing{0};
        // A port that will not open or where nothing answers holds no instrument of ours (the
        // search of every port), rather than a failure.
        bool passOverSilentPort = false;
        // Read: the file written, kSerialPlaceholder standing for the serial number; write and
        // compare: the file read, for the record.
        std::string fileName;
        // Write: what goes in; compare: what the instrument's setup is compared with.
        SetupRecord setup;
        // Write:
        std::optional<std::string> serialText; // else the instrument's own, or the next one
        bool nextSerial = false;
        std::optional<ModuleCatalogue::Module> module; // else the instrument's own
        bool verify = false;
    };

    InstrumentJob(Plan plan, const ModuleCatalogue& catalogue);

    const Plan& plan() const { return plan_; }
    InstrumentSession& session() { return session_; }
    SessionPort& port() { return port_; }
    // Opens the port and starts the operation.
    void start(InstrumentSession::TimePoint now);
    bool finished() const { return operation.finished(); }
    const OperationOutcome& outcome() const { return operation.outcome(); }
    // A port of the search without an instrument.
    bool passedOver() const { return plan_.passOverSilentPort && !outcome().instrumentAnswered; }
    // The failure of the operation; none when the job succeeded.
    const std::optional<OperationFailure>& failure() const { return outcome().failure; }
    // Write: the serial number written, once the operation got as far as choosing it.
    std::string serialWritten() const;
    // Read: the file the setup went to.
    std::string fileRead() const;
    int requestsUnderWay() const { return operation.requestsUnderWay(); }
    int requestsKnown() const { return operation.requestsKnown(); }

private:
    // Starts the operation on the open port.
    void begin(InstrumentSession::TimePoint now);

    Plan plan_;
    InstrumentSession session_;
    SessionPort port_{session_};
    InstrumentOperation operation;
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
void runJobs(InstrumentJobs& jobs, ProgressLine& progress);

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
