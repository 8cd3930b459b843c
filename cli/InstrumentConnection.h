#pragma once

#include "device/DeviceInfo.h"
#include "device/InstrumentSession.h"
#include "device/Registers.h"
#include "setup/SetupRecord.h"

#include <string>
#include <string_view>

struct CommandContext;

// The instrument on the port the command line names, through an instrument session driven
// from poll(2): the port opened as the window opens it, the identity asked for, transfers run
// at the session's pace with a progress line.
class InstrumentConnection {
public:
    // Throws CommandFailure when the port does not open or nothing answers within the wait.
    explicit InstrumentConnection(const CommandContext& context);

    const std::string& devicePath() const { return session.link().devicePath(); }
    // The identity the instrument answered with when the connection was made.
    const DeviceIdentity& identity() const { return identity_; }
    // Asks for the identity again.
    DeviceIdentity askIdentity();

    // Throws CommandFailure naming the request that failed and, for a write, what the
    // instrument now holds.
    void transfer(SetupRecord& record, DeviceInfo& info, TransferExchange::Direction direction,
                  std::string_view progressLabel);

private:
    const CommandContext& context;
    InstrumentSession session;
    DeviceIdentity identity_;
};
