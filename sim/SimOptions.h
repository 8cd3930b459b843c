#pragma once

#include "device/Registers.h"
#include "sim/Responder.h"

#include <cstdint>
#include <optional>
#include <string>

struct SimOptions {
    std::string linkPath;  // a symlink to the terminal end, made at start and removed at exit
    std::string statePath; // registers kept between runs
    DeviceIdentity identity{"ZQ000001", 1, 1, 0};
    FaultPlan faults;
    bool noise = false;   // junk bytes before every reply
    bool split = false;   // every reply in two writes with a pause between them
    unsigned delayMs = 0; // wait before every reply
    unsigned deafAfterWriteMs =
        0;                      // bytes arriving this long after a write's acknowledgement are lost
    std::uint32_t lineRate = 0; // baud of the simulated line; 0 answers at once
    bool trace = false;         // every frame both ways on standard error
    bool help = false;
};

struct ParsedOptions {
    std::optional<SimOptions> options; // none when the command line is wrong
    std::string error;
};

ParsedOptions parseOptions(int argc, char** argv);
std::string helpText(const char* programName);
