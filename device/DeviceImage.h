#pragma once

#include "device/DeviceInfo.h"
#include "device/Frame.h"
#include "setup/SetupRecord.h"

#include <array>
#include <cstdint>
#include <span>
#include <vector>

// Command byte of a register read; a write carries the register number as its command.
inline constexpr std::uint8_t kReadRegisterCommand = 0x01;
// Command byte of the instrument's acknowledgement of a write; its one data byte is 0.
inline constexpr std::uint8_t kAcknowledgeCommand = 0x00;

// The instrument's registers.
namespace DeviceRegister {
inline constexpr std::uint8_t Identity = 0x10; // 12 bytes, see identityContent
inline constexpr std::uint8_t Frequency = 0x40;
inline constexpr std::uint8_t FailureLimit = 0x50;
inline constexpr std::uint8_t FailureResponse = 0x51;
inline constexpr std::uint8_t ShutOffTime = 0x60; // tens of seconds
inline constexpr std::uint8_t StartupMode = 0x61;
inline constexpr std::uint8_t GoodLimit = 0x70; // 2 bytes, big-endian
inline constexpr std::uint8_t PoorLimit = 0x71; // 2 bytes, big-endian
inline constexpr std::uint8_t FirstLead = 0x80; // lead n at FirstLead + n - 1: skip, 8 name bytes
} // namespace DeviceRegister

inline constexpr std::size_t kIdentityLength = 12;

// One register request of a transfer.
struct RequestEntry {
    std::uint8_t command = 0;                       // 0x01 for a read, the register for a write
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

// The identity register as a save writes it: serial number, module type, firmware revision.
std::array<std::uint8_t, kIdentityLength> identityContent(const DeviceInfo& info);
