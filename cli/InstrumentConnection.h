#pragma once

#include "device/DeviceInfo.h"
#include "device/Registers.h"
#include "device/SerialLink.h"
#include "device/TransferExchange.h"
#include "setup/SetupRecord.h"

#include <string>
#include <string_view>

struct CommandContext;

// The instrument on the port the command line names: the port opened at 9600 baud as the
// window opens it, the instrument's identity asked for, transfers run with a progress line.
class InstrumentConnection {
public:
    // Throws CommandFailure when the port does not open or nothing answers within the wait.
    explicit InstrumentConnection(const CommandContext& context);

    const std::string& devicePath() const { return link.devicePath(); }
    // The identity the instrument answered with when the connection was made.
    const DeviceIdentity& identity() const { return identity_; }
    // Asks for the identity again.
    DeviceIdentity askIdentity();

    // Throws CommandFailure naming the request that failed.
    void transfer(SetupRecord& record, DeviceInfo& info, TransferExchange::Direction direction,
                  std::string_view progressLabel);

private:
    const CommandContext& context;
    SerialLink link;
    DeviceIdentity identity_;
};
