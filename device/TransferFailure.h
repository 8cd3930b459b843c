#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Why a transfer gave up, and what a save that gave up left in the instrument.
struct TransferFailure {
    enum class Cause {
        NoAnswer,    // the last attempt was not answered in time
        WrongAnswer, // the last attempt was answered with something else than it asked for
        LineHungUp,  // the port reported a hang-up: the instrument or its adapter is gone
        LineClosed,  // the port was closed (another chosen, the program ending) or never opened
    };

    Cause cause = Cause::NoAnswer;
    bool writing = false;
    std::size_t request = 0; // the request that failed, counted from 0
    std::size_t requestCount = 0;
    std::uint8_t reg = 0; // the register that request wrote or read
    // What the instrument acknowledged of a save before the failed request.
    bool identityWritten = false;
    int leadsWritten = 0;
    int settingsWritten = 0;
    int settingCount = 0;
};

// "request 3 of 16: write register 0x81, no answer"
std::string failedRequestText(const TransferFailure& failure);
// What a failed save leaves in the instrument and what to do ("the instrument now holds leads 1
// to 48 of the new setup; write it again"); empty for a load, which changes nothing there.
std::string instrumentStateText(const TransferFailure& failure);
// Both, as one line.
std::string transferFailureText(const TransferFailure& failure);
