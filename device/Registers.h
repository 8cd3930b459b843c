#pragma once

#include "device/DeviceInfo.h"
#include "setup/SetupFields.h"
#include "setup/SetupRecord.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

// The instrument is a store of registers. A read (command 0x01, one data byte: the register) is
// answered with a frame whose command is the register and whose data is its content. A write
// (command: the register, data: its whole content) is answered with the acknowledgement
// (command 0x00, one data byte 0x00).
inline constexpr std::uint8_t kReadCommand = 0x01;
inline constexpr std::uint8_t kAcknowledgeCommand = 0x00;
inline constexpr std::array<std::uint8_t, 1> kAcknowledgeData{0x00};

// The registers: number, content width, what they hold.
//   0x10          12 bytes  the instrument's identity (DeviceIdentity, layout below)
//   0x80 to 0xFF   9 bytes  lead 1 to 128: skip flag, then the name blank-padded to 8 bytes
//   kSettingRegisters       one setup field each
inline constexpr std::uint8_t kIdentityRegister = 0x10;
inline constexpr std::size_t kIdentityWidth = 12;
inline constexpr std::uint8_t kFirstLeadRegister = 0x80;
inline constexpr std::size_t kLeadWidth = 1 + kLeadNameWidth;

// A setting register holds one setup field as an unsigned number of width bytes, big-endian,
// counted in units of the field.
struct SettingRegister {
    std::uint8_t number;
    std::uint8_t width;
    std::int32_t unit;
    const SetupField* field;
};

// In the order a transfer sends them; one for every setting.
inline constexpr std::array<SettingRegister, kSetupFields.size()> kSettingRegisters{{
    {0x40, 1, 1, &setupField(&SetupRecord::frequency)},
    {0x50, 1, 1, &setupField(&SetupRecord::failureLimit)},
    {0x51, 1, 1, &setupField(&SetupRecord::failureResponse)},
    {0x60, 1, 10, &setupField(&SetupRecord::shutOffTime)}, // tens of seconds
    {0x61, 1, 1, &setupField(&SetupRecord::startupMode)},
    {0x70, 2, 1, &setupField(&SetupRecord::goodLimit)},
    {0x71, 2, 1, &setupField(&SetupRecord::poorLimit)},
}};
static_assert(std::ranges::all_of(kSetupFields,
                                  [](const SetupField& field) {
                                      return std::ranges::count(kSettingRegisters, &field,
                                                                &SettingRegister::field) == 1;
                                  }),
              "every setting has one register");

// None for a register the instrument does not have.
std::optional<std::size_t> registerWidth(std::uint8_t number);
std::optional<SettingRegister> settingRegister(std::uint8_t number);
// Lead n (1 to 128) and its register.
std::uint8_t leadRegister(int lead);
std::optional<int> leadOfRegister(std::uint8_t number);

// The field divided by the unit (truncated), its low width bytes, high byte first.
std::vector<std::uint8_t> encodeSetting(const SettingRegister& reg, const SetupRecord& record);
// Stores content into the register's field; false, storing nothing, when it is too short.
bool decodeSetting(const SettingRegister& reg, std::span<const std::uint8_t> content,
                   SetupRecord& record);

struct LeadContent {
    bool skip = false;
    std::string name;

    bool operator==(const LeadContent&) const = default;
};

// Skip flag 1 or 0, then the first 8 characters of the name, blank-padded.
std::array<std::uint8_t, kLeadWidth> encodeLead(const LeadContent& lead);
// Skipped when the flag byte is not 0; the name is every further byte up to a zero byte, as
// received. None for empty content.
std::optional<LeadContent> decodeLead(std::span<const std::uint8_t> content);

// What the instrument reports of itself in its identity register: bytes 0-7 the serial
// number, zero-padded; 8-9 the module type, big-endian; 10 the firmware major number; 11 the
// firmware minor number. The window and the transfers work with DeviceInfo (DeviceInfo.h),
// which adds the module's lead count.
struct DeviceIdentity {
    std::string serialText; // up to 8 characters, ending early at a zero byte
    std::int32_t moduleType = 0;
    std::uint8_t firmwareMajor = 0;
    std::uint8_t firmwareMinor = 0;

    // "%d.%d"
    std::string firmwareText() const;
    bool operator==(const DeviceIdentity&) const = default;
};

// The serial number is cut to 8 characters and the module type to its low 16 bits.
std::array<std::uint8_t, kIdentityWidth> encodeIdentity(const DeviceIdentity& identity);
DeviceIdentity decodeIdentity(std::span<const std::uint8_t, kIdentityWidth> content);
