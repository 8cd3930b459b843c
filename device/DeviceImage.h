#pragma once

#include "device/DeviceInfo.h"
#include "device/Frame.h"
#include "device/Registers.h"
#include "setup/SetupRecord.h"

#include <array>
#include <cstdint>
#include <span>
#include <vector>

// One register request of a transfer.
struct RequestEntry {
    std::uint8_t command = 0; // kReadCommand for a read, the register for a write
    std::array<std::uint8_t, kMaxFrameData> data{}; // only the first length bytes are sent
    std::uint8_t length = 0;
};

// Lead registers 0x80.., then the seven setting registers: leadCount + 7 reads.
std::vector<RequestEntry> buildReadList(std::uint8_t leadCount);
// The identity write, the lead registers, the seven setting registers: leadCount + 8 writes.
std::vector<RequestEntry> buildWriteList(const SetupRecord& record, const DeviceInfo& info);
// Stores the content of one register read into record; false for a register that is not part
// of the setup image (or a lead beyond leadCount) or content too short for it.
bool storeReadReply(SetupRecord& record, std::uint8_t leadCount, std::uint8_t reg,
                    std::span<const std::uint8_t> content);

// The identity a save writes: the window's serial number and module type, and the firmware
// text read as "major.minor" (a text without a point counts as major and minor alike).
DeviceIdentity writtenIdentity(const DeviceInfo& info);
