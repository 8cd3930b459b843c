#pragma once

#include "DeviceInfo.h"
#include "SetupRecord.h"

#include <array>
#include <cstdint>
#include <span>
#include <vector>

// One register request of a transfer.
struct RequestEntry {
    std::uint8_t command = 0;               // 0x01 for a read, the register for a write
    std::array<std::uint8_t, 80> data{};    // only the first length bytes are sent
    std::uint8_t length = 0;
};

// Lead registers 0x80.., then the seven setting registers: leadCount + 7 reads.
std::vector<RequestEntry> buildReadList(std::uint8_t leadCount);
// The identity write, the lead registers, the seven setting registers: leadCount + 8 writes.
std::vector<RequestEntry> buildWriteList(const SetupRecord& record, const DeviceInfo& info);
// Stores one read reply (a whole frame, header first) into record; false for a register that
// is not part of the setup image (or a lead beyond leadCount).
bool storeReadReply(SetupRecord& record, std::uint8_t leadCount,
                    std::span<const std::uint8_t> frame);
