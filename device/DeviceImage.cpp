#include "device/DeviceImage.h"

#include "setup/DecimalText.h"

#include <algorithm>
#include <string_view>

namespace {

constexpr std::array<std::uint8_t, 7> kSettingRegisters{
    DeviceRegister::Frequency,   DeviceRegister::FailureLimit, DeviceRegister::FailureResponse,
    DeviceRegister::ShutOffTime, DeviceRegister::StartupMode,  DeviceRegister::GoodLimit,
    DeviceRegister::PoorLimit};

constexpr std::size_t kLeadLength = 1 + kLeadNameWidth;

// Lead registers end at 0xFF, so a larger module still travels as 128 leads.
int transferredLeads(std::uint8_t leadCount) {
    return std::min<int>(leadCount, SetupRecord::kMaxLeads);
}

std::uint8_t leadRegister(int lead) {
    return static_cast<std::uint8_t>(DeviceRegister::FirstLead + lead - 1);
}

std::uint8_t lowByte(std::int32_t value) {
    return static_cast<std::uint8_t>(value & 0xFF);
}

std::uint8_t highByte(std::int32_t value) {
    return lowByte(value >> 8);
}

RequestEntry request(std::uint8_t command, std::span<const std::uint8_t> content) {
    RequestEntry entry;
    entry.command = command;
    entry.length = static_cast<std::uint8_t>(std::min(content.size(), entry.data.size()));
    std::copy_n(content.begin(), entry.length, entry.data.begin());
    return entry;
}

RequestEntry readRequest(std::uint8_t reg) {
    return request(kReadRegisterCommand, std::array<std::uint8_t, 1>{reg});
}

std::array<std::uint8_t, kLeadLength> leadContent(const SetupRecord& record, int lead) {
    std::array<std::uint8_t, kLeadLength> content{};
    // Byte 0: skip flag; bytes 1-8: name, blank-padded.
    content[0] = record.leadSkip[lead] ? 1 : 0;
    const std::string_view name = record.leadName[lead];
    const auto nameField = std::span(content).subspan(1);
    std::fill(nameField.begin(), nameField.end(), ' ');
    std::copy_n(name.begin(), std::min(name.size(), nameField.size()), nameField.begin());
    return content;
}

RequestEntry settingWrite(const SetupRecord& record, std::uint8_t reg) {
    switch (reg) {
    case DeviceRegister::Frequency:
        return request(reg, std::array{record.frequency});
    case DeviceRegister::FailureLimit:
        return request(reg, std::array{record.failureLimit});
    case DeviceRegister::FailureResponse:
        return request(reg, std::array{record.failureResponse});
    case DeviceRegister::ShutOffTime:
        return request(reg, std::array{lowByte(record.shutOffTime / 10)});
    case DeviceRegister::StartupMode:
        return request(reg, std::array{record.startupMode});
    case DeviceRegister::GoodLimit:
        return request(reg, std::array{highByte(record.goodLimit), lowByte(record.goodLimit)});
    case DeviceRegister::PoorLimit:
    default:
        return request(reg, std::array{highByte(record.poorLimit), lowByte(record.poorLimit)});
    }
}

bool storeLead(SetupRecord& record, int lead, std::span<const std::uint8_t> data) {
    if (data.empty())
        return false;
    record.leadSkip[lead] = data[0] != 0;
    const auto name = data.subspan(1);
    record.leadName[lead].assign(name.begin(), std::find(name.begin(), name.end(), 0));
    return true;
}

std::int32_t bigEndian16(std::span<const std::uint8_t> data) {
    return data[0] * 256 + data[1];
}

// A reply too short for its register stores nothing rather than bytes beyond its data.
bool storeSetting(SetupRecord& record, std::uint8_t reg, std::span<const std::uint8_t> data) {
    const bool isLimit = reg == DeviceRegister::GoodLimit || reg == DeviceRegister::PoorLimit;
    if (data.size() < (isLimit ? 2U : 1U))
        return false;
    switch (reg) {
    case DeviceRegister::Frequency:
        record.frequency = data[0];
        return true;
    case DeviceRegister::FailureLimit:
        record.failureLimit = data[0];
        return true;
    case DeviceRegister::FailureResponse:
        record.failureResponse = data[0];
        return true;
    case DeviceRegister::ShutOffTime:
        record.shutOffTime = data[0] * 10;
        return true;
    case DeviceRegister::StartupMode:
        record.startupMode = data[0];
        return true;
    case DeviceRegister::GoodLimit:
        record.goodLimit = bigEndian16(data);
        return true;
    case DeviceRegister::PoorLimit:
        record.poorLimit = bigEndian16(data);
        return true;
    default:
        return false;
    }
}

} // namespace

std::vector<RequestEntry> buildReadList(std::uint8_t leadCount) {
    const int leads = transferredLeads(leadCount);
    std::vector<RequestEntry> list;
    list.reserve(static_cast<std::size_t>(leads) + kSettingRegisters.size());
    for (int lead = 1; lead <= leads; ++lead)
        list.push_back(readRequest(leadRegister(lead)));
    for (const std::uint8_t reg : kSettingRegisters)
        list.push_back(readRequest(reg));
    return list;
}

std::vector<RequestEntry> buildWriteList(const SetupRecord& record, const DeviceInfo& info) {
    const int leads = transferredLeads(info.leadCount);
    std::vector<RequestEntry> list;
    list.reserve(1 + static_cast<std::size_t>(leads) + kSettingRegisters.size());
    list.push_back(request(DeviceRegister::Identity, identityContent(info)));
    for (int lead = 1; lead <= leads; ++lead)
        list.push_back(request(leadRegister(lead), leadContent(record, lead)));
    for (const std::uint8_t reg : kSettingRegisters)
        list.push_back(settingWrite(record, reg));
    return list;
}

bool storeReadReply(SetupRecord& record, std::uint8_t leadCount, std::uint8_t reg,
                    std::span<const std::uint8_t> data) {
    const int lead = reg - DeviceRegister::FirstLead + 1;
    if (lead >= 1 && lead <= transferredLeads(leadCount))
        return storeLead(record, lead, data);
    return storeSetting(record, reg, data);
}

std::array<std::uint8_t, kIdentityLength> identityContent(const DeviceInfo& info) {
    std::array<std::uint8_t, kIdentityLength> content{};
    const std::string_view serial = info.serialText;
    // Bytes 0-7: serial number, zero-padded.
    std::copy_n(serial.begin(), std::min<std::size_t>(serial.size(), 8), content.begin());
    // Bytes 8-9: module type, big-endian.
    content[8] = highByte(info.moduleType);
    content[9] = lowByte(info.moduleType);
    // Bytes 10-11: firmware major and minor; without a point the major counts for both.
    const std::string_view firmware = info.firmwareText;
    const std::int32_t major = parseDecimal(firmware);
    const auto point = firmware.find('.');
    const std::int32_t minor =
        point == std::string_view::npos ? major : parseDecimal(firmware.substr(point + 1));
    content[10] = lowByte(major);
    content[11] = lowByte(minor);
    return content;
}
