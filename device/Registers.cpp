#include "device/Registers.h"

#include <algorithm>
#include <string_view>

namespace {

constexpr std::size_t kModuleTypeOffset = kSerialTextWidth;
constexpr std::size_t kModuleTypeWidth = 2;
constexpr std::size_t kFirmwareMajorOffset = kModuleTypeOffset + kModuleTypeWidth;
constexpr std::size_t kFirmwareMinorOffset = kFirmwareMajorOffset + 1;

// The low bytes of value, high byte first, filling destination.
void putBigEndian(std::span<std::uint8_t> destination, std::int32_t value) {
    for (auto byte = destination.rbegin(); byte != destination.rend(); ++byte) {
        *byte = static_cast<std::uint8_t>(value & 0xFF);
        value >>= 8;
    }
}

std::int32_t bigEndian(std::span<const std::uint8_t> bytes) {
    std::int32_t value = 0;
    for (const std::uint8_t byte : bytes)
        value = value * 256 + byte;
    return value;
}

} // namespace

std::optional<std::size_t> registerWidth(std::uint8_t number) {
    if (number == kIdentityRegister)
        return kIdentityWidth;
    if (leadOfRegister(number))
        return kLeadWidth;
    if (const std::optional<SettingRegister> setting = settingRegister(number))
        return setting->width;
    return std::nullopt;
}

std::optional<SettingRegister> settingRegister(std::uint8_t number) {
    const auto found = std::ranges::find(kSettingRegisters, number, &SettingRegister::number);
    if (found == kSettingRegisters.end())
        return std::nullopt;
    return *found;
}

std::uint8_t leadRegister(int lead) {
    return static_cast<std::uint8_t>(kFirstLeadRegister + lead - 1);
}

std::optional<int> leadOfRegister(std::uint8_t number) {
    if (number < kFirstLeadRegister)
        return std::nullopt;
    return number - kFirstLeadRegister + 1;
}

std::vector<std::uint8_t> encodeSetting(const SettingRegister& reg, const SetupRecord& record) {
    std::vector<std::uint8_t> content(reg.width);
    putBigEndian(content, reg.field->valueIn(record) / reg.unit);
    return content;
}

bool decodeSetting(const SettingRegister& reg, std::span<const std::uint8_t> content,
                   SetupRecord& record) {
    if (content.size() < reg.width)
        return false;
    reg.field->store(record, bigEndian(content.first(reg.width)) * reg.unit);
    return true;
}

std::array<std::uint8_t, kLeadWidth> encodeLead(const LeadContent& lead) {
    std::array<std::uint8_t, kLeadWidth> content{};
    content[0] = lead.skip ? 1 : 0;
    const auto name = std::span(content).subspan(1);
    std::ranges::fill(name, ' ');
    std::copy_n(lead.name.begin(), std::min(lead.name.size(), name.size()), name.begin());
    return content;
}

std::optional<LeadContent> decodeLead(std::span<const std::uint8_t> content) {
    if (content.empty())
        return std::nullopt;
    const auto name = content.subspan(1);
    return LeadContent{content[0] != 0, std::string(name.begin(), std::ranges::find(name, 0))};
}

std::string DeviceIdentity::firmwareText() const {
    return std::to_string(firmwareMajor) + "." + std::to_string(firmwareMinor);
}

std::array<std::uint8_t, kIdentityWidth> encodeIdentity(const DeviceIdentity& identity) {
    std::array<std::uint8_t, kIdentityWidth> content{};
    std::ranges::copy(std::string_view(identity.serialText).substr(0, kSerialTextWidth),
                      content.begin());
    putBigEndian(std::span(content).subspan(kModuleTypeOffset, kModuleTypeWidth),
                 identity.moduleType);
    content[kFirmwareMajorOffset] = identity.firmwareMajor;
    content[kFirmwareMinorOffset] = identity.firmwareMinor;
    return content;
}

DeviceIdentity decodeIdentity(std::span<const std::uint8_t, kIdentityWidth> content) {
    DeviceIdentity identity;
    const auto serial = content.first<kSerialTextWidth>();
    identity.serialText.assign(serial.begin(), std::ranges::find(serial, 0));
    identity.moduleType = bigEndian(content.subspan<kModuleTypeOffset, kModuleTypeWidth>());
    identity.firmwareMajor = content[kFirmwareMajorOffset];
    identity.firmwareMinor = content[kFirmwareMinorOffset];
    return identity;
}
