#pragma once

#include "config/ModuleCatalogue.h"
#include "config/TransferRow.h"
#include "device/DeviceInfo.h"
#include "device/InstrumentSession.h"
#include "setup/SetupRecord.h"

#include <chrono>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class ProgramSettings;

// What mirafen-cli does with one instrument: open its port, ask for its identity, then read
// its setup into a file, or write a setup into it and read it back to verify. A step at a time
// on its own instrument session, so that many instruments run at once on one poll(2) loop.
class InstrumentJob {
public:
    enum class Task { Identify, Read, Write };

    struct Plan {
        Task task = Task::Identify;
        std::string devicePath;
        std::chrono::milliseconds wait{5000};
        std::chrono::milliseconds minimumSpacing{0};
        // A port that will not open or where nothing answers holds no instrument of ours (the
        // search of every port), rather than a failure.
        bool passOverSilentPort = false;
        // Read: the file written, kSerialPlaceholder standing for the serial number; write: the
        // file read, for the record.
        std::string fileName;
        // Write:
        SetupRecord setup;
        std::optional<std::string> serialText; // else the instrument's own, or the next one
        bool nextSerial = false;
        std::optional<ModuleCatalogue::Module> module; // else the instrument's own
        bool verify = false;
    };

    struct Outcome {
        bool passedOver = false; // a port of the search without an instrument
        std::optional<DeviceIdentity> identity;
        std::optional<ModuleCatalogue::Module> module;
        std::string serialWritten;
        std::string file; // read: the file written
        bool verified = false;
        std::optional<std::string> failure; // the one-line reason
        std::vector<TransferRow> rows;      // for the record, one per transfer begun
    };

    InstrumentJob(Plan plan, const ModuleCatalogue& catalogue);

    const Plan& plan() const { return plan_; }
    InstrumentSession& session() { return session_; }
    // Opens the port and asks for the identity.
    void start(InstrumentSession::TimePoint now);
    // Takes the next step once the session has ended the one before; true once the job is over.
    bool advance(InstrumentSession::TimePoint now);
    const Outcome& outcome() const { return outcome_; }
    // The request under way, counted from 1 over all of the job's transfers, and the requests
    // of the transfers started so far.
    int requestsUnderWay() const { return finishedRequests + (total > 0 ? position + 1 : 0); }
    int requestsKnown() const { return finishedRequests + total; }

private:
    enum class Step { Identifying, Transferring, Reidentifying, VerifyingRead, Done };

    void identified(InstrumentSession::TimePoint now);
    void transferred(InstrumentSession::TimePoint now);
    void startTransfer(SetupRecord& record, DeviceInfo& info,
                       InstrumentSession::Direction direction, InstrumentSession::TimePoint now);
    void finishTransfer();
    void writeFile();
    void compareReadBack();
    void fail(std::string reason);
    // The record's row of the transfer just ended, naming setup when there is one; its result
    // and detail follow from failure.
    void recordTransfer(std::string_view action, const SetupRecord* setup,
                        const std::optional<std::string>& failure);

    Plan plan_;
    const ModuleCatalogue& catalogue;
    InstrumentSession session_;
    Step step = Step::Identifying;
    Outcome outcome_;
    DeviceInfo info;
    SetupRecord readBack;
    DeviceInfo readInfo;
    bool identityWritten = false; // by a write that then failed
    int finishedRequests = 0;
    int position = 0;
    int total = 0;
};

// Jobs stay where they were made: each holds an open port.
using InstrumentJobs = std::deque<InstrumentJob>;
