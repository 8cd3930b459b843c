#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

// An option a program takes, as its table names it.
struct OptionName {
    std::string_view longName;  // "--port"
    std::string_view shortName; // "-o", or empty
    std::string_view valueName; // "FILE"; empty for an option that takes no value

    bool takesValue() const { return !valueName.empty(); }
    // As the help names it: "-o, --output FILE".
    std::string label() const;
};

// A line of a program's help: "  label", its help from the column on, and the help's further
// lines under the first; a label too long for the column stands on a line of its own.
std::string helpEntry(std::string_view label, std::string_view help, std::size_t column);

// One argument of a command line, as the option table reads it.
struct ArgumentItem {
    enum class Kind {
        Option,        // option is the table's index, value its value when it takes one
        Positional,    // value is the argument
        UnknownOption, // name is what was written before any "="
        MissingValue,  // the option's value is missing at the end
        UnwantedValue, // "--name=value" of an option that takes none
    };
    Kind kind;
    std::size_t option = 0;
    std::string_view name;
    std::string_view value;
    std::string_view argument; // the whole argument as written
};

// Reads arguments one at a time against a table of options: "--name value", "--name=value",
// "-n value"; "--" ends the options, and "-" alone is a positional argument. Each program says
// in its own words what was wrong.
class ArgumentReader {
public:
    ArgumentReader(std::span<const std::string_view> arguments, std::span<const OptionName> options)
        : arguments(arguments)
        , options(options) {}

    // None once every argument is read.
    std::optional<ArgumentItem> next();

private:
    std::span<const std::string_view> arguments;
    std::span<const OptionName> options;
    std::size_t position = 0;
    bool optionsEnded = false;
};
