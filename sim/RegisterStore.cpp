#include "sim/RegisterStore.h"

#include "device/Registers.h"
#include "setup/KeyValueFile.h"

#include <algorithm>
#include <cstdio>

namespace {

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

RegisterStore::RegisterStore(const DeviceIdentity& identity) {
    const auto identityContent = encodeIdentity(identity);
    registers[kIdentityRegister].assign(identityContent.begin(), identityContent.end());
    // Factory settings are the tool's defaults.
    const SetupRecord factory;
    for (const SettingRegister& reg : kSettingRegisters)
        registers[reg.number] = encodeSetting(reg, factory);
    // Leads: not skipped, a blank name.
    const auto lead = encodeLead({});
    for (std::size_t reg = kFirstLeadRegister; reg < registers.size(); ++reg)
        registers[reg].assign(lead.begin(), lead.end());
}

std::optional<std::span<const std::uint8_t>> RegisterStore::read(std::uint8_t reg) const {
    if (!registerWidth(reg))
        return std::nullopt;
    return std::span<const std::uint8_t>(registers[reg]);
}

bool RegisterStore::write(std::uint8_t reg, std::span<const std::uint8_t> content) {
    if (content.size() != registerWidth(reg))
        return false;
    registers[reg].assign(content.begin(), content.end());
    return true;
}

void RegisterStore::load(const std::string& path, std::vector<std::string>& rejected) {
    KeyValueFile file;
    file.open(path, true);
    const KeyValueText state = file.read();
    for (std::size_t index = 0; index < registers.size(); ++index) {
        const auto reg = static_cast<std::uint8_t>(index);
        if (!registerWidth(reg))
            continue;
        const std::optional<std::string_view> value = state.getValue(stateKey(reg));
        if (!value)
            continue;
        const std::optional<std::vector<std::uint8_t>> content = fromHex(*value);
        if (!content || !write(reg, *content))
            rejected.push_back(stateKey(reg) + "=" + std::string(*value));
    }
}

void RegisterStore::save(const std::string& path) const {
    std::vector<KeyValueFile::Entry> entries;
    for (std::size_t index = 0; index < registers.size(); ++index) {
        const auto reg = static_cast<std::uint8_t>(index);
        if (registerWidth(reg))
            entries.emplace_back(stateKey(reg), toHex(registers[reg]));
    }
    KeyValueFile file;
    file.open(path, true);
    file.setValues(entries);
}
