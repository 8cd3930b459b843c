#include "cli/CommandTable.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <regex>
#include <set>
#include <sstream>

namespace {

// The manual page's text as it reads: font changes, quotes and escapes taken out.
std::string plainText(std::string line) {
    line = std::regex_replace(line, std::regex(R"(^\.[A-Z]+ ?)"), "");
    line = std::regex_replace(line, std::regex(R"(\\f[BIRP]|")"), "");
    line = std::regex_replace(line, std::regex(R"(\\-)"), "-");
    line = std::regex_replace(line, std::regex(" +,"), ",");
    return std::regex_replace(line, std::regex(" +"), " ");
}

// The lines of a section of the manual page, from ".SH name" to the next section.
std::vector<std::string> section(const std::string& name) {
    std::ifstream page(MIRAFEN_MANUAL_PAGE);
    std::vector<std::string> lines;
    bool inside = false;
    for (std::string line; std::getline(page, line);) {
        if (line.starts_with(".SH "))
            inside = line == ".SH " + name;
        else if (inside)
            lines.push_back(line);
    }
    return lines;
}

// Where text holds name as a whole word: "--serial" is not in "--serial-from".
bool namesWord(const std::string& text, std::string_view name) {
    for (std::size_t at = text.find(name); at != std::string::npos; at = text.find(name, at + 1)) {
        const std::size_t end = at + name.size();
        const bool startsWord =
            at == 0 || text[at - 1] == ' ' || text[at - 1] == '[' || text[at - 1] == '(';
        const bool endsWord = end == text.size() || !(std::isalnum(text[end]) || text[end] == '-');
        if (startsWord && endsWord)
            return true;
    }
    return false;
}

// The synopsis of each command in the manual page: its lines up to the next .br, joined.
std::map<std::string, std::string> manualSynopses() {
    std::map<std::string, std::string> synopses;
    std::string command;
    for (const std::string& line : section("SYNOPSIS")) {
        if (line == ".br") {
            command.clear();
        } else if (command.empty()) {
            std::istringstream words(plainText(line));
            std::string program;
            words >> program >> command;
            synopses[command] += " ";
        } else {
            synopses[command] += " " + plainText(line);
        }
    }
    return synopses;
}

TEST(CommandTable, TheManualPageNamesEveryCommandWithTheOptionsItTakes) {
    const std::map<std::string, std::string> synopses = manualSynopses();
    std::set<std::string> described;
    const std::vector<std::string> commands = section("COMMANDS");
    for (std::size_t i = 0; i + 1 < commands.size(); ++i)
        if (commands[i] == ".TP")
            described.insert(plainText(commands[i + 1]));

    std::set<std::string> named;
    for (const CommandRow& command : commandTable()) {
        const std::string name(command.name);
        named.insert(name);
        EXPECT_TRUE(described.contains(name)) << name << " has no paragraph under COMMANDS";
        ASSERT_TRUE(synopses.contains(name)) << name << " is missing from the SYNOPSIS";
        for (const TakenOption& taken : command.options) {
            const OptionName& option = taken.option->name;
            EXPECT_TRUE(
                namesWord(synopses.at(name), option.longName) ||
                (!option.shortName.empty() && namesWord(synopses.at(name), option.shortName)))
                << "the SYNOPSIS of " << name << " lacks " << option.longName;
        }
    }
    named.insert("--version");
    for (const auto& [command, synopsis] : synopses)
        EXPECT_TRUE(named.contains(command)) << "the SYNOPSIS names " << command;
}

TEST(CommandTable, TheManualPageDescribesEveryOptionWithItsValue) {
    std::vector<std::string> labels;
    const std::vector<std::string> options = section("OPTIONS");
    for (std::size_t i = 0; i + 1 < options.size(); ++i)
        if (options[i] == ".TP")
            labels.push_back(plainText(options[i + 1]));

    for (const CommandRow& command : commandTable()) {
        for (const TakenOption& taken : command.options) {
            const OptionName& option = taken.option->name;
            std::string label(option.longName);
            if (option.takesValue())
                label += " " + std::string(option.valueName);
            EXPECT_TRUE(std::ranges::any_of(
                labels, [&label](const std::string& text) { return namesWord(text, label); }))
                << "OPTIONS lacks " << label << " (" << command.name << ")";
        }
    }
}

} // namespace
