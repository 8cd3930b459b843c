#include "cli/SetupTable.h"

#include "cli/JsonText.h"
#include "cli/TextColumns.h"
#include "setup/SetupFields.h"

#include <algorithm>
#include <string_view>
#include <vector>

namespace {

// The settings' values line up two blanks after the longest label.
constexpr std::size_t kLabelWidth =
    std::ranges::max(kSetupFields, {}, [](const SetupField& field) { return field.label.size(); })
        .label.size() +
    2;
constexpr std::size_t kNumberWidth = 4;

// A number as its text, a choice as its JSON form or else its text as a string.
std::string jsonValue(const SetupField& field, const SetupRecord& record) {
    if (field.choices.empty())
        return field.valueText(record);
    const SetupChoice& choice = field.choice(field.valueIn(record));
    return choice.json.empty() ? jsonString(choice.text) : std::string(choice.json);
}

std::string row(std::string_view label, const std::string& value) {
    return padded(std::string(label), kLabelWidth) + value + "\n";
}

// "   1  abc       yes": the number right-aligned, the name as wide as the widest, in the
// terminal's encoding.
std::string leadLine(const std::string& number, std::string_view name, std::string_view skipped,
                     std::size_t nameWidth) {
    return std::string(kNumberWidth - std::min(kNumberWidth, number.size()), ' ') + number + "  " +
           terminalText(padded(std::string(name), nameWidth)) + "  " + std::string(skipped) + "\n";
}

} // namespace

std::string setupTable(const SetupRecord& record) {
    std::string text;
    for (const SetupField* field : listedSetupFields())
        text += row(field->label, field->valueText(record) + std::string(field->unit));
    text += "\n";
    std::vector<int> listed;
    std::size_t nameWidth = kLeadNameWidth;
    for (int lead = 1; lead <= SetupRecord::kMaxLeads; ++lead) {
        if (record.leadNamedOrSkipped(lead)) {
            listed.push_back(lead);
            nameWidth = std::max(nameWidth, record.leadName[lead].size());
        }
    }
    if (!listed.empty())
        text += leadLine("Lead", "Name", "Skipped", nameWidth);
    for (const int lead : listed)
        text += leadLine(std::to_string(lead), record.leadName[lead],
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
    JsonObject json;
    for (const SetupField* field : listedSetupFields())
        json.add(field->jsonName, jsonValue(*field, record));
    return json.add("leads", jsonArray(leads, 1)).text() + "\n";
}
