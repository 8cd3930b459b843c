#pragma once

#include "config/ModuleCatalogue.h"
#include "config/TransferRow.h"
#include "device/InstrumentSession.h"
#include "device/SessionPort.h"
#include "operations/InstrumentOperation.h"
#include "setup/SetupRecord.h"

#include <chrono>
#include <deque>
#include <optional>
#include <string>
#include <vector>

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
    Plan plan_;
    InstrumentSession session_;
    SessionPort port_{session_};
    InstrumentOperation operation;
};

// Jobs stay where they were made: each holds an open port.
using InstrumentJobs = std::deque<InstrumentJob>;

class ProgressLine;

// Runs the jobs at once on one poll(2) loop until every one is over, with one progress line for
// the whole batch: the requests under way against the requests known so far.
void runJobs(InstrumentJobs& jobs, ProgressLine& progress);
