#include "sim/RegisterStore.h"

#include "device/DeviceImage.h"
#include "setup/KeyValueFile.h"

#include <algorithm>
#include <cstdio>

namespace {

namespace Reg = DeviceRegister;

constexpr std::size_t kLeadLength = 1 + kLeadNameWidth;
constexpr std::size_t kSerialWidth = 8;

std::string stateKey(std::uint8_t reg) {
    std::array<char, 8> key{};
    std::snprintf(key.data(), key.size(), "REG%02X", reg);
    return key.data();
}

std::string toHex(std::span<const std::uint8_t> bytes) {
    static constexpr std::string_view digits = "0123456789ABCDEF";
    std::string text;
    for (std::uint8_t byte : bytes) {
        text += digits[byte >> 4];
        text += digits[byte & 0x0F];
    }
    return text;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

std::optional<std::vector<std::uint8_t>> fromHex(std::string_view text) {
    if (text.size() % 2 != 0)
        return std::nullopt;
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const int high = hexDigit(text[i]);
        const int low = hexDigit(text[i + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        bytes.push_back(static_cast<std::uint8_t>(high << 4 | low));
    }
    return bytes;
}

} // namespace

RegisterStore::RegisterStore(const Identity& identity) {
    // Identity: bytes 0-7 serial number padded with zero bytes, 8-9 module type (big-endian),
    // 10 firmware major, 11 firmware minor.
    std::vector<std::uint8_t> identityBytes(kIdentityLength, 0);
    std::copy_n(identity.serial.begin(), std::min(identity.serial.size(), kSerialWidth),
                identityBytes.begin());
    identityBytes[8] = static_cast<std::uint8_t>(identity.moduleType >> 8);
    identityBytes[9] = static_cast<std::uint8_t>(identity.moduleType & 0xFF);
    identityBytes[10] = identity.firmwareMajor;
    identityBytes[11] = identity.firmwareMinor;
    registers[Reg::Identity] = identityBytes;

    // Factory settings: 10 Hz, good limit fails, stop, 60 s, auto start-up, 10.0 and 15.0 kOhm.
    registers[Reg::Frequency] = {1};
    registers[Reg::FailureLimit] = {1};
    registers[Reg::FailureResponse] = {1};
    registers[Reg::ShutOffTime] = {6};
    registers[Reg::StartupMode] = {1};
    registers[Reg::GoodLimit] = {0x00, 100};
    registers[Reg::PoorLimit] = {0x00, 150};
    // Leads: not skipped, a blank name.
    for (std::size_t reg = Reg::FirstLead; reg < registers.size(); ++reg) {
        registers[reg].assign(kLeadLength, ' ');
        registers[reg][0] = 0;
    }
}

std::size_t RegisterStore::lengthOf(std::uint8_t reg) {
    if (reg >= Reg::FirstLead)
        return kLeadLength;
    switch (reg) {
    case Reg::Identity:
        return kIdentityLength;
    case Reg::Frequency:
    case Reg::FailureLimit:
    case Reg::FailureResponse:
    case Reg::ShutOffTime:
    case Reg::StartupMode:
        return 1;
    case Reg::GoodLimit:
    case Reg::PoorLimit:
        return 2;
    default:
        return 0;
    }
}

std::optional<std::span<const std::uint8_t>> RegisterStore::read(std::uint8_t reg) const {
    if (lengthOf(reg) == 0)
        return std::nullopt;
    return std::span<const std::uint8_t>(registers[reg]);
}

bool RegisterStore::write(std::uint8_t reg, std::span<const std::uint8_t> content) {
    if (lengthOf(reg) == 0 || content.size() != lengthOf(reg))
        return false;
    registers[reg].assign(content.begin(), content.end());
    return true;
}

bool RegisterStore::load(const std::string& path, std::vector<std::string>& rejected) {
    KeyValueFile file;
    if (!file.open(path, true))
        return false;
    for (std::size_t index = 0; index < registers.size(); ++index) {
        const auto reg = static_cast<std::uint8_t>(index);
        if (lengthOf(reg) == 0)
            continue;
        const std::optional<std::string> value = file.getValue(stateKey(reg));
        if (!value)
            continue;
        const std::optional<std::vector<std::uint8_t>> content = fromHex(*value);
        if (!content || !write(reg, *content))
            rejected.push_back(stateKey(reg) + "=" + *value);
    }
    return true;
}

bool RegisterStore::save(const std::string& path) const {
    std::vector<KeyValueFile::Entry> entries;
    for (std::size_t index = 0; index < registers.size(); ++index) {
        const auto reg = static_cast<std::uint8_t>(index);
        if (lengthOf(reg) != 0)
            entries.emplace_back(stateKey(reg), toHex(registers[reg]));
    }
    KeyValueFile file;
    return file.open(path, true) && file.setValues(entries);
}
