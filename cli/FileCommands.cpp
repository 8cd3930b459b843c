#include "cli/FileCommands.h"

#include "cli/CommandTable.h"
#include "cli/InstrumentJob.h"
#include "cli/OutputFormats.h"
#include "config/SetupDigest.h"
#include "setup/KeyValueFile.h"
#include "setup/SetupFields.h"
#include "setup/SetupFile.h"
#include "sheet/SetupSheet.h"
#include "sheet/SetupSheetOutput.h"

#include <algorithm>
#include <iostream>
#include <iterator>

namespace {

KeyValueText contentOf(const std::string& path) {
    if (path == "-")
        return KeyValueText(std::string{std::istreambuf_iterator<char>(std::cin), {}});
    return readKeyValueFile(path);
}

} // namespace

SetupToWrite readSetupFileToWrite(const std::string& path) {
    return setupToWrite(contentOf(path), terminalSafe(path));
}

std::string differenceLines(const std::vector<SetupDifference>& differences,
                            std::string_view expectedPlace, std::string_view foundPlace,
                            std::string_view indent) {
    std::vector<SetupDifference> shown;
    for (const SetupDifference& difference : differences)
        shown.push_back(
            {difference.field, terminalText(difference.expected), terminalText(difference.found)});
    return differencesText(shown, terminalSafe(expectedPlace), terminalSafe(foundPlace), indent);
}

std::vector<std::string> differencesJson(const std::vector<SetupDifference>& differences,
                                         std::string_view expectedName,
                                         std::string_view foundName) {
    std::vector<std::string> items;
    for (const SetupDifference& difference : differences)
        items.push_back(JsonObject()
                            .add("field", jsonString(difference.field))
                            .add(expectedName, jsonString(difference.expected))
                            .add(foundName, jsonString(difference.found))
                            .line());
    return items;
}

std::string inFile(const std::string& file) {
    return file == "-" ? "in standard input" : "in " + file;
}

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

// What show prints of a setup whose codes are in range: the options, then the leads that have a
// name or are skipped, and how many others there are.
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

// The options and all 128 leads as a JSON object.
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

} // namespace

int showSetupFile(const CommandContext& context) {
    const Invocation& invocation = context.invocation;
    const SetupRecord record = readSetupFileToWrite(invocation.file).setup;
    if (invocation.pdf) {
        SetupSheetOutput sheet(*invocation.pdf, context.out);
        sheet.write(setupSheetOf(record, invocation.file));
        return kExitSuccess;
    }
    if (invocation.digest)
        context.out << setupDigest(record) << '\n';
    else
        context.out << (invocation.json ? setupJson(record) : setupTable(record));
    return kExitSuccess;
}

namespace {

// Two files each hold all of their leads.
int compareFiles(const CommandContext& context, const SetupRecord& first) {
    const Invocation& invocation = context.invocation;
    const SetupRecord second = readSetupFileToWrite(invocation.secondFile).setup;
    const std::vector<SetupDifference> differences =
        setupDifferences(first, second, SetupRecord::kMaxLeads);
    if (invocation.json)
        context.out << JsonObject()
                           .add("file1", jsonString(invocation.file))
                           .add("file2", jsonString(invocation.secondFile))
                           .add("result", jsonString(differences.empty() ? "same" : "differs"))
                           .add("differences",
                                jsonArray(differencesJson(differences, "file1", "file2"), 1))
                           .text()
                    << '\n';
    else if (!invocation.quiet)
        context.out << differenceLines(differences, inFile(invocation.file),
                                       inFile(invocation.secondFile));
    return differences.empty() ? kExitSuccess : kExitDiffers;
}

} // namespace

int diffSetups(const CommandContext& context) {
    const SetupRecord setup = readSetupFileToWrite(context.invocation.file).setup;
    if (!context.invocation.secondFile.empty())
        return compareFiles(context, setup);
    return compareWithInstruments(context, setup);
}
