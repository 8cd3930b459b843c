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

std::string registersText(const std::vector<std::uint8_t>& registers) {
    std::string text =
        registers.size() == 1 ? "Verify failed: register" : "Verify failed: registers";
    for (const std::uint8_t reg : registers)
        text += " " + registerText(reg);
    return text + (registers.size() == 1 ? " differs." : " differ.");
}

// A name as the instrument holds it: its register's 8 characters.
std::string storedName(const std::string& name) {
    const auto stored = encodeLead({false, name});
    return std::string(stored.begin() + 1, stored.end());
}

std::string quoted(const std::string& text) {
    return "\"" + text + "\"";
}

} // namespace

std::vector<SetupDifference> setupDifferences(const SetupRecord& expected, const SetupRecord& found,
                                              int leadCount) {
    SetupRecord left = expected;
    SetupRecord right = found;
    left.normalizeCodes();
    right.normalizeCodes();
    std::vector<SetupDifference> differences;
    const int leads = std::min(leadCount, SetupRecord::kMaxLeads);
    for (int lead = 1; lead <= leads; ++lead) {
        const std::string prefix = "Lead " + std::to_string(lead);
        const std::string leftName = storedName(left.leadName[lead]);
        const std::string rightName = storedName(right.leadName[lead]);
        if (leftName != rightName)
            differences.push_back({prefix + " name", leftName, rightName});
        if (left.leadSkip[lead] != right.leadSkip[lead])
            differences.push_back({prefix + " skipped", left.leadSkip[lead] ? "yes" : "no",
                                   right.leadSkip[lead] ? "yes" : "no"});
    }
    for (const SetupField& field : kSetupFields) {
        const std::string leftValue = field.valueText(left) + std::string(field.unit);
        const std::string rightValue = field.valueText(right) + std::string(field.unit);
        if (leftValue != rightValue)
            differences.push_back({std::string(field.label), leftValue, rightValue});
    }
    return differences;
}

std::string differencesText(const std::vector<SetupDifference>& differences) {
    std::string text;
    for (const SetupDifference& difference : differences)
        text += difference.field + ": " + quoted(difference.expected) + " here, " +
                quoted(difference.found) + " in the instrument\n";
    return text;
}

std::optional<std::string> verificationFailure(const SetupRecord& record, const DeviceInfo& info,
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
    if (differing.empty())
        return std::nullopt;
    return registersText(differing);
}
