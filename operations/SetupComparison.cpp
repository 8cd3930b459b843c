#include "operations/SetupComparison.h"

#include "device/DeviceImage.h"
#include "device/RegisterText.h"
#include "setup/SetupFields.h"

#include <algorithm>

namespace {

bool sameContent(const RequestEntry& written, const RequestEntry& readBack) {
    const auto first = std::span(written.data).first(written.length);
    return written.command == readBack.command && written.length == readBack.length &&
           std::ranges::equal(first, std::span(readBack.data).first(readBack.length));
}

// What an instrument of leadCount leads gives back of setup once it is written: the write's
// registers, stored as a read stores them. The device image decides what each register keeps.
SetupRecord heldByInstrument(const SetupRecord& setup, std::uint8_t leadCount) {
    DeviceInfo info;
    info.leadCount = leadCount;
    SetupRecord held;
    for (const RequestEntry& entry : buildWriteList(setup, info))
        storeReadReply(held, leadCount, entry.command, std::span(entry.data).first(entry.length));
    held.normalizeCodes();
    return held;
}

std::string skipText(bool skipped) {
    return skipped ? "yes" : "no";
}

std::string settingText(const SetupField& field, const SetupRecord& record) {
    const std::string value = field.valueText(record);
    return field.windowUnit.empty() ? value : value + " " + std::string(field.windowUnit);
}

std::string quoted(const std::string& text) {
    return "\"" + text + "\"";
}

} // namespace

std::vector<ComparedField> comparedFields(const SetupRecord& expected, const SetupRecord& found,
                                          int leadCount) {
    const auto leads = static_cast<std::uint8_t>(std::clamp(leadCount, 0, SetupRecord::kMaxLeads));
    const SetupRecord left = heldByInstrument(expected, leads);
    const SetupRecord right = heldByInstrument(found, leads);
    std::vector<ComparedField> fields;
    for (int lead = 1; lead <= leads; ++lead) {
        const std::string prefix = "Lead " + std::to_string(lead);
        fields.push_back({prefix + " name", left.leadName[lead], right.leadName[lead]});
        fields.push_back(
            {prefix + " skipped", skipText(left.leadSkip[lead]), skipText(right.leadSkip[lead])});
    }
    for (const SetupField& field : kSetupFields)
        fields.push_back(
            {std::string(field.windowLabel), settingText(field, left), settingText(field, right)});
    return fields;
}

std::vector<SetupDifference> setupDifferences(const SetupRecord& expected, const SetupRecord& found,
                                              int leadCount) {
    std::vector<SetupDifference> differences = comparedFields(expected, found, leadCount);
    std::erase_if(differences, [](const ComparedField& field) { return !field.differs(); });
    return differences;
}

std::string differenceLine(const SetupDifference& difference, std::string_view expectedPlace,
                           std::string_view foundPlace) {
    return difference.field + ": " + quoted(difference.expected) + " " +
           std::string(expectedPlace) + ", " + quoted(difference.found) + " " +
           std::string(foundPlace);
}

std::string differencesText(const std::vector<SetupDifference>& differences,
                            std::string_view expectedPlace, std::string_view foundPlace,
                            std::string_view indent) {
    std::string text;
    for (const SetupDifference& difference : differences)
        text += std::string(indent) + differenceLine(difference, expectedPlace, foundPlace) + "\n";
    return text;
}

std::vector<std::uint8_t> registersNotKept(const SetupRecord& record, const DeviceInfo& info,
                                           const SetupRecord& readBack,
                                           const DeviceInfo& readInfo) {
    // What a write of the read-back setup would send, register by register, against what was
    // sent: the device image decides what each register holds, so nothing else is compared.
    const std::vector<RequestEntry> written = buildWriteList(record, info);
    const std::vector<RequestEntry> found = buildWriteList(readBack, readInfo);
    std::vector<std::uint8_t> differing;
    for (std::size_t i = 0; i < written.size(); ++i) {
        if (!sameContent(written[i], found[i]))
            differing.push_back(written[i].command);
    }
    return differing;
}

std::string verifyFailedText(const std::vector<std::uint8_t>& registers) {
    std::string text =
        registers.size() == 1 ? "Verify failed: register" : "Verify failed: registers";
    for (const std::uint8_t reg : registers)
        text += " " + registerText(reg);
    return text + (registers.size() == 1 ? " differs." : " differ.");
}
