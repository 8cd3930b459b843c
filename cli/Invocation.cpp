#include "cli/Invocation.h"

#include "config/ComPorts.h"
#include "config/HistoryTime.h"
#include "device/SessionTiming.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <utility>

namespace {

struct OptionName {
    std::string_view longName;
    std::string_view shortName;
    Option option;
    bool takesValue;
    bool Invocation::*flag = nullptr; // what an option without a value switches on
};

constexpr std::array kOptions{
    OptionName{"--port", "", Option::Port, true},
    OptionName{"--device", "", Option::Device, true},
    OptionName{"--all", "", Option::AllPorts, false, &Invocation::allPorts},
    OptionName{"--wait", "", Option::Wait, true},
    OptionName{"--min-spacing", "", Option::MinSpacing, true},
    OptionName{"--output", "-o", Option::Output, true},
    OptionName{"--serial", "", Option::Serial, true},
    OptionName{"--next-serial", "", Option::NextSerial, false, &Invocation::nextSerial},
    OptionName{"--serial-from", "", Option::SerialFrom, true},
    OptionName{"--module", "", Option::Module, true},
    OptionName{"--verify", "", Option::Verify, false, &Invocation::verify},
    OptionName{"--quiet", "-q", Option::Quiet, false, &Invocation::quiet},
    OptionName{"--json", "", Option::Json, false, &Invocation::json},
    OptionName{"--digest", "", Option::Digest, false, &Invocation::digest},
    OptionName{"--pdf", "", Option::Pdf, true},
    OptionName{"--since", "", Option::Since, true},
    OptionName{"--until", "", Option::Until, true},
    OptionName{"--help", "-h", Option::Help, false},
};

constexpr double kLongestWaitSeconds = 3600;
constexpr int kHighestModuleType = 255; // the instrument reports its module type in one byte
constexpr std::size_t kSerialDigits = 8;
constexpr std::uint32_t kHighestSerial = 99'999'999;

struct UsageError {
    std::string text;
};

std::optional<Command> commandOf(std::string_view name) {
    const CommandEntry* entry = commandNamed(name);
    return entry != nullptr ? std::optional(entry->command) : std::nullopt;
}

// The whole text as a whole number from minimum to maximum.
int wholeNumber(std::string_view text, int minimum, int maximum, std::string_view what) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() ||
        value < minimum || value > maximum)
        throw UsageError{std::string(what) + " takes a number from " + std::to_string(minimum) +
                         " to " + std::to_string(maximum) + ", not '" + std::string(text) + "'"};
    return value;
}

std::chrono::milliseconds waitTime(std::string_view text) {
    double seconds = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), seconds);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() ||
        !(seconds > 0 && seconds <= kLongestWaitSeconds))
        throw UsageError{"--wait takes a number of seconds above 0 and at most 3600, not '" +
                         std::string(text) + "'"};
    return std::chrono::milliseconds(std::lround(seconds * 1000));
}

std::string serialDigits(std::string_view text, std::string_view option) {
    if (text.empty() || text.size() > kSerialDigits ||
        !std::ranges::all_of(text, [](char c) { return c >= '0' && c <= '9'; }))
        throw UsageError{std::string(option) + " takes a serial number of 1 to 8 digits, not '" +
                         std::string(text) + "'"};
    return std::string(text);
}

UserTimeSpan userTime(std::string_view text, std::string_view option) {
    const std::optional<UserTimeSpan> span = parseUserTime(text);
    if (!span)
        throw UsageError{std::string(option) +
                         " takes a date (2026-12-10), today, yesterday or a time "
                         "(2026-12-10T22:31), not '" +
                         std::string(text) + "'"};
    return *span;
}

std::string path(std::string_view text, std::string_view option, std::string_view what) {
    if (text.empty())
        throw UsageError{std::string(option) + " takes the path of " + std::string(what)};
    return std::string(text);
}

class Parser {
public:
    explicit Parser(std::span<const std::string_view> arguments)
        : arguments(arguments) {}

    Invocation parse() {
        if (arguments.empty())
            throw UsageError{"no command given"};
        if (arguments[0] == "--help" || arguments[0] == "-h") {
            expectNoMore(1);
            return invocation;
        }
        if (arguments[0] == "--version") {
            expectNoMore(1);
            invocation.version = true;
            return invocation;
        }
        const auto named = commandOf(arguments[0]);
        if (!named)
            throw UsageError{"unknown command '" + std::string(arguments[0]) + "'"};
        invocation.command = *named;
        if (invocation.command == Command::Help)
            return helpInvocation();

        bool optionsEnded = false;
        for (next = 1; next < arguments.size();) {
            const std::string_view argument = arguments[next++];
            if (!optionsEnded && argument == "--") {
                optionsEnded = true;
            } else if (!optionsEnded && argument.size() > 1 && argument.starts_with('-')) {
                if (option(argument) == Option::Help)
                    return helpOf(invocation.command);
            } else {
                positional(argument);
            }
        }
        checkComplete();
        return invocation;
    }

private:
    Invocation helpInvocation() {
        if (arguments.size() > 1) {
            invocation.helpTopic = commandOf(arguments[1]);
            if (!invocation.helpTopic)
                throw UsageError{"unknown command '" + std::string(arguments[1]) + "'"};
        }
        expectNoMore(2);
        return invocation;
    }

    Invocation helpOf(Command command) {
        Invocation help;
        help.helpTopic = command;
        return help;
    }

    void expectNoMore(std::size_t count) const {
        if (arguments.size() > count)
            throw UsageError{"unexpected argument '" + std::string(arguments[count]) + "'"};
    }

    // Takes one option, with its value from "--name=value" or the next argument.
    Option option(std::string_view argument) {
        const std::size_t equals = argument.find('=');
        const std::string_view name = argument.substr(0, equals);
        const auto found = std::ranges::find_if(kOptions, [name](const OptionName& known) {
            return known.longName == name || known.shortName == name;
        });
        if (found == kOptions.end() || !commandEntry(invocation.command).accepts(found->option))
            throw UsageError{"unknown option '" + std::string(name) + "' for " + commandName()};
        if (found->takesValue) {
            std::string_view value;
            if (equals != std::string_view::npos)
                value = argument.substr(equals + 1);
            else if (next < arguments.size())
                value = arguments[next++];
            else
                throw UsageError{std::string(found->longName) + " needs a value"};
            apply(found->option, value);
        } else if (equals != std::string_view::npos) {
            throw UsageError{std::string(found->longName) + " takes no value"};
        } else if (found->flag != nullptr) {
            invocation.*(found->flag) = true;
        }
        return found->option;
    }

    void apply(Option option, std::string_view value) {
        switch (option) {
        case Option::Port:
            invocation.comNumbers.push_back(wholeNumber(value, 1, kComPortCount, "--port"));
            break;
        case Option::Device:
            invocation.devicePaths.push_back(path(value, "--device", "a serial device"));
            break;
        case Option::Wait:
            invocation.wait = waitTime(value);
            break;
        case Option::MinSpacing:
            invocation.minimumSpacing = std::chrono::milliseconds(wholeNumber(
                value, 0, static_cast<int>(SessionTiming::kLongestMinimumSpacing.count()),
                "--min-spacing"));
            break;
        case Option::Output:
            invocation.file = path(value, "--output", "a setup file");
            break;
        case Option::Pdf:
            invocation.pdf = path(value, "--pdf", "a PDF file");
            break;
        case Option::Serial:
            invocation.serialText = invocation.command == Command::History
                                        ? std::string(value)
                                        : serialDigits(value, "--serial");
            break;
        case Option::SerialFrom:
            invocation.firstSerial =
                static_cast<std::uint32_t>(std::stoul(serialDigits(value, "--serial-from")));
            break;
        case Option::Since:
            invocation.since = userTime(value, "--since").begin;
            break;
        case Option::Until:
            // A date is until the end of that day, a time until the end of its minute or second.
            invocation.until = userTime(value, "--until").end;
            break;
        case Option::Module:
            invocation.moduleType = wholeNumber(value, 1, kHighestModuleType, "--module");
            break;
        default: // the options without a value
            break;
        }
    }

    void positional(std::string_view argument) {
        const Command command = invocation.command;
        const bool takesFile =
            command == Command::Write || command == Command::Show || command == Command::Diff;
        if (takesFile && invocation.file.empty())
            invocation.file = argument;
        else if (command == Command::Diff && invocation.secondFile.empty())
            invocation.secondFile = argument;
        else
            throw UsageError{"unexpected argument '" + std::string(argument) + "'"};
    }

    void checkComplete() const {
        const Command command = invocation.command;
        if ((command == Command::Write || command == Command::Show || command == Command::Diff) &&
            invocation.file.empty())
            throw UsageError{commandName() + " needs a setup file"};
        if (!invocation.secondFile.empty())
            checkTwoFiles();
        else if (commandEntry(command).talksToInstrument())
            checkPorts();
        if (command == Command::Read && invocation.file.empty())
            throw UsageError{"read needs the file to write: -o FILE"};
        if (invocation.digest && invocation.json)
            throw UsageError{"--digest and --json exclude each other"};
        if (command == Command::Show && invocation.pdf && (invocation.digest || invocation.json))
            throw UsageError{"--pdf excludes --json and --digest"};
        if (command == Command::Read && invocation.pdf == "-" && invocation.file == "-")
            throw UsageError{"- as the file and as --pdf would both be standard output"};
        if (invocation.serialText && invocation.nextSerial)
            throw UsageError{"--serial and --next-serial exclude each other"};
        if (invocation.firstSerial && (invocation.serialText || invocation.nextSerial))
            throw UsageError{"--serial-from excludes --serial and --next-serial"};
    }

    void checkTwoFiles() const {
        if (invocation.allPorts || !invocation.comNumbers.empty() ||
            !invocation.devicePaths.empty() || invocation.wait || invocation.minimumSpacing)
            throw UsageError{"diff FILE1 FILE2 compares two files: the instrument's options are "
                             "for diff FILE with --port, --device or --all"};
        if (invocation.file == "-" && invocation.secondFile == "-")
            throw UsageError{"- stands for standard input once"};
    }

    void checkPorts() const {
        const std::size_t named = invocation.comNumbers.size() + invocation.devicePaths.size();
        if (!invocation.comNumbers.empty() && !invocation.devicePaths.empty())
            throw UsageError{"--port and --device exclude each other"};
        if (invocation.allPorts && named > 0)
            throw UsageError{"--all excludes --port and --device"};
        if (!invocation.allPorts && named == 0)
            throw UsageError{"give the port: --port N or --device PATH"};
        const bool several = invocation.allPorts || named > 1;
        // Two instruments must never get one serial number.
        if (several && invocation.serialText)
            throw UsageError{"--serial gives one instrument its number: with several, use "
                             "--serial-from or --next-serial"};
        if (invocation.firstSerial) {
            if (invocation.allPorts)
                throw UsageError{"--serial-from numbers the ports in the order named, which "
                                 "--all does not give"};
            if (*invocation.firstSerial + named - 1 > kHighestSerial)
                throw UsageError{"--serial-from " + std::to_string(*invocation.firstSerial) +
                                 " runs past 99999999 for " + std::to_string(named) +
                                 " instruments"};
        }
        if (invocation.command == Command::Read && several &&
            invocation.file.find(kSerialPlaceholder) == std::string::npos)
            throw UsageError{"read from several instruments needs {serial} in the file name, "
                             "e.g. -o ward4-{serial}.prp"};
        if (invocation.file == "-" && several)
            throw UsageError{"- as the file is for one instrument"};
        if (invocation.pdf && several)
            throw UsageError{"--pdf is for one instrument"};
    }

    std::string commandName() const { return std::string(arguments[0]); }

    std::span<const std::string_view> arguments;
    std::size_t next = 0;
    Invocation invocation;
};

} // namespace

ParsedCommandLine parseCommandLine(std::span<const std::string_view> arguments) {
    ParsedCommandLine parsed;
    if (!arguments.empty())
        parsed.command = commandOf(arguments[0]);
    try {
        parsed.invocation = Parser(arguments).parse();
    } catch (const UsageError& error) {
        parsed.error = error.text;
    }
    return parsed;
}
