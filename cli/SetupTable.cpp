#include "cli/SetupTable.h"

#include "cli/JsonText.h"
#include "cli/TextColumns.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <vector>

namespace {

constexpr std::size_t kLabelWidth = 19;
constexpr std::size_t kNumberWidth = 4;

// The texts of the window's option buttons, by code.
std::string_view failureCriterionText(std::uint8_t code) {
    return code == 2 ? "Poor Limit" : "Good Limit";
}

std::string_view failureResponseText(std::uint8_t code) {
    return code == 2 ? "Continue" : "Stop";
}

std::string_view startupModeText(std::uint8_t code) {
    constexpr std::array<std::string_view, 4> kTexts{"Last Used", "Auto", "Manual", "DC Offset"};
    return code < kTexts.size() ? kTexts[code] : kTexts[1];
}

int frequencyHz(std::uint8_t code) {
    return 10 * code;
}

// A name of blanks is how the instrument holds no name.
bool isListed(const SetupRecord& record, int lead) {
    return record.leadName[lead].find_first_not_of(' ') != std::string::npos ||
           record.leadSkip[lead];
}

std::string row(std::string_view label, const std::string& value) {
    return padded(std::string(label), kLabelWidth) + value + "\n";
}

// "   1  abc       yes": the number right-aligned, the name as wide as the widest.
std::string leadLine(const std::string& number, const std::string& name, std::string_view skipped,
                     std::size_t nameWidth) {
    return std::string(kNumberWidth - std::min(kNumberWidth, number.size()), ' ') + number + "  " +
           padded(name, nameWidth) + "  " + std::string(skipped) + "\n";
}

} // namespace

std::string setupTable(const SetupRecord& record) {
    std::string text =
        row("Test frequency", std::to_string(frequencyHz(record.frequency)) + " Hz") +
        row("Good limit", limitDisplayText(record.goodLimit) + " kOhm") +
        row("Poor limit", limitDisplayText(record.poorLimit) + " kOhm") +
        row("Failure criterion", std::string(failureCriterionText(record.failureLimit))) +
        row("Failure response", std::string(failureResponseText(record.failureResponse))) +
        row("Start-up mode", std::string(startupModeText(record.startupMode))) +
        row("Auto shut-off", shutOffDisplayText(record.shutOffTime) + " s") + "\n";
    std::vector<int> listed;
    std::size_t nameWidth = kLeadNameWidth;
    for (int lead = 1; lead <= SetupRecord::kMaxLeads; ++lead) {
        if (isListed(record, lead)) {
            listed.push_back(lead);
            nameWidth = std::max(nameWidth, record.leadName[lead].size());
        }
    }
    if (!listed.empty())
        text += leadLine("Lead", "Name", "Skipped", nameWidth);
    for (const int lead : listed)
        text += leadLine(std::to_string(lead), terminalSafe(record.leadName[lead]),
                         record.leadSkip[lead] ? "yes" : "no", nameWidth);
    const std::size_t unlisted = SetupRecord::kMaxLeads - listed.size();
    return text + "Unnamed and not skipped: " + std::to_string(unlisted) +
           (unlisted == 1 ? " lead\n" : " leads\n");
}

std::string setupJson(const SetupRecord& record) {
    std::vector<std::string> leads;
    for (int lead = 1; lead <= SetupRecord::kMaxLeads; ++lead)
        leads.push_back(JsonObject()
                            .add("lead", std::to_string(lead))
                            .add("name", jsonString(record.leadName[lead]))
                            .add("skip", record.leadSkip[lead] ? "true" : "false")
                            .line());
    return JsonObject()
               .add("frequencyHz", std::to_string(frequencyHz(record.frequency)))
               .add("goodLimitKilohms", limitDisplayText(record.goodLimit))
               .add("poorLimitKilohms", limitDisplayText(record.poorLimit))
               .add("failureCriterion", jsonString(failureCriterionText(record.failureLimit)))
               .add("failureResponse", jsonString(failureResponseText(record.failureResponse)))
               .add("startupMode", jsonString(startupModeText(record.startupMode)))
               .add("shutOffSeconds", shutOffDisplayText(record.shutOffTime))
               .add("leads", jsonArray(leads, 1))
               .text() +
           "\n";
}
