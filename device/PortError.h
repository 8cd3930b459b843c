#pragma once

#include "setup/Failure.h"

#include <string>

// A serial port that would not open. what() says why in one line: the system's reason and, for a
// device this user may not open, what to do about it.
class PortError : public Failure {
public:
    // reason: "<device path>: <the system's reason>".
    PortError(const std::string& devicePath, std::string reason);

    // The system's reason: "/dev/ttyUSB0: Permission denied", a port another program holds
    // adding " (locked by <holder>)".
    const std::string& reason() const { return reason_; }
    // How to gain access to a device this user may not open (portAccessHint); empty otherwise.
    const std::string& accessHint() const { return accessHint_; }

private:
    struct Texts {
        std::string reason;
        std::string accessHint;
    };
    explicit PortError(Texts texts);

    std::string reason_;
    std::string accessHint_;
};
