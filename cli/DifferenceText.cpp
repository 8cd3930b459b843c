#include "cli/DifferenceText.h"

#include "cli/JsonText.h"
#include "cli/TextColumns.h"

std::string differenceLines(const std::vector<SetupDifference>& differences,
                            std::string_view expectedPlace, std::string_view foundPlace,
                            std::string_view indent) {
    std::string text;
    for (const SetupDifference& difference : differences)
        text += std::string(indent) +
                terminalSafe(differenceLine(difference, expectedPlace, foundPlace)) + "\n";
    return text;
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
