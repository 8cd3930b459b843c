#pragma once

#include "device/Frame.h"
#include "sim/RegisterStore.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

// Ways the simulated instrument can misbehave; each is off by default.
struct FaultPlan {
    bool silent = false;
    std::optional<unsigned> stopAfter; // requests answered before it falls silent
    unsigned badChecksumEvery = 0;     // every K-th reply carries a wrong checksum
    unsigned wrongRegisterEvery = 0;   // every K-th reply names the next register
    unsigned failFirst = 0;            // attempts of each request answered wrongly
    // Registers whose writes are acknowledged but not kept.
    std::vector<std::uint8_t> forgottenRegisters;
};

// Answers request frames as the instrument does: a read request (command 0x01, data the
// register) with the register's content under the register's number, a write (command the
// register, data its full content) with the acknowledgement. Anything else gets no answer.
class Responder {
public:
    // written runs after every register write.
    explicit Responder(RegisterStore& store, FaultPlan faults = {},
                       std::function<void()> written = {});

    // The reply frame to one whole request frame, or none.
    std::optional<EncodedFrame> answer(std::span<const std::uint8_t> request);
    // Misbehaves from the next request on; stopAfter still counts from the first.
    void setFaults(const FaultPlan& plan) { faults = plan; }

private:
    struct Reply {
        std::uint8_t command;
        std::span<const std::uint8_t> data;
    };

    std::optional<Reply> instrumentReply(std::uint8_t command, std::span<const std::uint8_t> data);
    // The reply as the fault plan lets it go out.
    EncodedFrame spoilt(const Reply& reply, bool firstAttempts) const;

    RegisterStore& store;
    FaultPlan faults;
    std::function<void()> written;
    unsigned requestCount = 0;
    unsigned replyCount = 0;
    std::vector<std::uint8_t> lastRequest;
    unsigned attempts = 0;
};
