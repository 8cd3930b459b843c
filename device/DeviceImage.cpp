#include "device/DeviceImage.h"

#include "setup/DecimalText.h"

#include <algorithm>
#include <string_view>

namespace {

// Lead registers end at 0xFF, so a larger module still travels as 128 leads.
int transferredLeads(std::uint8_t leadCount) {
    return std::min<int>(leadCount, SetupRecord::kMaxLeads);
}

RequestEntry request(std::uint8_t command, std::span<const std::uint8_t> content) {
    RequestEntry entry;
    entry.command = command;
    entry.length = static_cast<std::uint8_t>(std::min(content.size(), entry.data.size()));
    std::copy_n(content.begin(), entry.length, entry.data.begin());
    return entry;
}

RequestEntry readRequest(std::uint8_t reg) {
    return request(kReadCommand, std::array<std::uint8_t, 1>{reg});
}

} // namespace

std::vector<RequestEntry> buildReadList(std::uint8_t leadCount) {
    const int leads = transferredLeads(leadCount);
    std::vector<RequestEntry> list;
    list.reserve(static_cast<std::size_t>(leads) + kSettingRegisters.size());
    for (int lead = 1; lead <= leads; ++lead)
        list.push_back(readRequest(leadRegister(lead)));
    for (const SettingRegister& reg : kSettingRegisters)
        list.push_back(readRequest(reg.number));
    return list;
}

std::vector<RequestEntry> buildWriteList(const SetupRecord& record, const DeviceInfo& info) {
    const int leads = transferredLeads(info.leadCount);
    std::vector<RequestEntry> list;
    list.reserve(1 + static_cast<std::size_t>(leads) + kSettingRegisters.size());
    list.push_back(request(kIdentityRegister, encodeIdentity(writtenIdentity(info))));
    for (int lead = 1; lead <= leads; ++lead)
        list.push_back(request(leadRegister(lead),
                               encodeLead({record.leadSkip[lead], record.leadName[lead]})));
    for (const SettingRegister& reg : kSettingRegisters)
        list.push_back(request(reg.number, encodeSetting(reg, record)));
    return list;
}

bool storeReadReply(SetupRecord& record, std::uint8_t leadCount, std::uint8_t reg,
                    std::span<const std::uint8_t> content) {
    if (const std::optional<int> lead = leadOfRegister(reg);
        lead && *lead <= transferredLeads(leadCount)) {
        const std::optional<LeadContent> stored = decodeLead(content);
        if (!stored)
            return false;
        record.leadSkip[*lead] = stored->skip;
        record.leadName[*lead] = stored->name;
        return true;
    }
    const std::optional<SettingRegister> setting = settingRegister(reg);
    return setting && decodeSetting(*setting, content, record);
}

DeviceIdentity writtenIdentity(const DeviceInfo& info) {
    const std::string_view firmware = info.firmwareText;
    const std::int32_t major = parseDecimal(firmware);
    const auto point = firmware.find('.');
    const std::int32_t minor =
        point == std::string_view::npos ? major : parseDecimal(firmware.substr(point + 1));
    return {info.serialText, info.moduleType, static_cast<std::uint8_t>(major & 0xFF),
            static_cast<std::uint8_t>(minor & 0xFF)};
}
