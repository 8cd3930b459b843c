#include "sim/SimOptions.h"

#include "arguments/ArgumentReader.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>
#include <limits>
#include <string_view>
#include <vector>

namespace {

// The whole text as a decimal number from minimum to maximum, or none.
std::optional<unsigned> number(std::string_view text, unsigned minimum, unsigned maximum) {
    unsigned value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < minimum ||
        value > maximum)
        return std::nullopt;
    return value;
}

// A register number in hex, with or without 0x: "0x40", "40".
std::optional<std::uint8_t> registerNumber(std::string_view text) {
    if (text.starts_with("0x") || text.starts_with("0X"))
        text.remove_prefix(2);
    unsigned value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value > 0xFF)
        return std::nullopt;
    return static_cast<std::uint8_t>(value);
}

bool setFirmware(std::string_view text, DeviceIdentity& identity) {
    const std::size_t point = text.find('.');
    if (point == std::string_view::npos)
        return false;
    const auto major = number(text.substr(0, point), 0, 255);
    const auto minor = number(text.substr(point + 1), 0, 255);
    if (!major || !minor)
        return false;
    identity.firmwareMajor = static_cast<std::uint8_t>(*major);
    identity.firmwareMinor = static_cast<std::uint8_t>(*minor);
    return true;
}

// The setting registers by width, in transfer order: "0x40 0x50 (1 byte), 0x70 (2 bytes)".
std::string settingRegisterList() {
    std::string text;
    for (auto reg = kSettingRegisters.begin(); reg != kSettingRegisters.end();) {
        const std::uint8_t width = reg->width;
        if (!text.empty())
            text += ", ";
        for (; reg != kSettingRegisters.end() && reg->width == width; ++reg) {
            std::array<char, 8> number{};
            std::snprintf(number.data(), number.size(), "0x%02X ", reg->number);
            text += number.data();
        }
        text += "(" + std::to_string(width) + (width == 1 ? " byte)" : " bytes)");
    }
    return text;
}

constexpr unsigned kAny = std::numeric_limits<unsigned>::max();

// The whole argument as a number from minimum to maximum into target; false when it is none.
template <typename Target>
bool assign(Target& target, std::string_view argument, unsigned minimum, unsigned maximum) {
    const std::optional<unsigned> value = number(argument, minimum, maximum);
    if (value)
        target = static_cast<Target>(*value);
    return value.has_value();
}

// One option: its names, what it sets from its argument (false when the argument is not
// acceptable), its help line and, for the first of a group, the group's heading.
struct SimOption {
    OptionName name;
    bool (*apply)(std::string_view argument, SimOptions& options);
    std::string_view help;
    std::string_view heading = {};
};

constexpr std::array kOptions{
    SimOption{{"--link", "", "PATH"},
              [](std::string_view argument, SimOptions& options) {
                  options.linkPath = argument;
                  return !argument.empty();
              },
              "also make PATH a symlink to the terminal end (removed at exit)"},
    SimOption{{"--state", "", "FILE"},
              [](std::string_view argument, SimOptions& options) {
                  options.statePath = argument;
                  return !argument.empty();
              },
              "keep the registers in FILE (REGxx=hex lines): read at start,\n"
              "rewritten after every write, so the setup survives a restart;\n"
              "registers found there take precedence over the options below"},
    SimOption{{"--serial", "", "TEXT"},
              [](std::string_view argument, SimOptions& options) {
                  options.identity.serialText = argument;
                  return argument.size() <= kSerialTextWidth;
              },
              "serial number of the identity register, up to 8 characters\n"
              "(default ZQ000001)"},
    SimOption{{"--module", "", "N"},
              [](std::string_view argument, SimOptions& options) {
                  return assign(options.identity.moduleType, argument, 0, 65535);
              },
              "module type, 0 to 65535 (default 1)"},
    SimOption{{"--firmware", "", "MAJOR.MINOR"},
              [](std::string_view argument, SimOptions& options) {
                  return setFirmware(argument, options.identity);
              },
              "firmware revision, each 0 to 255 (default 1.0)"},
    SimOption{{"--line-rate", "", "BAUD"},
              [](std::string_view argument, SimOptions& options) {
                  return assign(options.lineRate, argument, 300, 1000000);
              },
              "hold every byte, both ways, as long as it takes on a serial line\n"
              "of BAUD (8N1, 10 bits a byte): a request counts only once its\n"
              "last byte is in, a reply goes out once its bytes would have\n"
              "(300 to 1000000; without it, answers go out at once)"},
    SimOption{{"--trace", "", ""},
              [](std::string_view, SimOptions& options) { return options.trace = true; },
              "write every frame received and sent, and every byte dropped,\n"
              "to standard error as a time-stamped hex line, e.g.\n"
              "12:34:56.789 recv 55 01 01 10 12"},
    SimOption{{"--silent", "", ""},
              [](std::string_view, SimOptions& options) { return options.faults.silent = true; },
              "never answer",
              "Faults, for testing a tool against a misbehaving instrument:"},
    SimOption{{"--stop-after", "", "N"},
              [](std::string_view argument, SimOptions& options) {
                  options.faults.stopAfter = 0;
                  return assign(*options.faults.stopAfter, argument, 0, kAny);
              },
              "answer the first N requests, then fall silent"},
    SimOption{{"--bad-checksum-every", "", "K"},
              [](std::string_view argument, SimOptions& options) {
                  return assign(options.faults.badChecksumEvery, argument, 1, kAny);
              },
              "give every K-th reply a wrong checksum"},
    SimOption{{"--wrong-register-every", "", "K"},
              [](std::string_view argument, SimOptions& options) {
                  return assign(options.faults.wrongRegisterEvery, argument, 1, kAny);
              },
              "let every K-th reply name the next register (an\n"
              "acknowledgement then reads 55 01 01 00 02)"},
    SimOption{{"--fail-first", "", "N"},
              [](std::string_view argument, SimOptions& options) {
                  return assign(options.faults.failFirst, argument, 0, kAny);
              },
              "answer the first N attempts of every request wrongly, as\n"
              "--wrong-register-every does; a repeat of the same request frame\n"
              "is another attempt"},
    SimOption{{"--forget-register", "", "0xNN"},
              [](std::string_view argument, SimOptions& options) {
                  const std::optional<std::uint8_t> reg = registerNumber(argument);
                  if (reg)
                      options.faults.forgottenRegisters.push_back(*reg);
                  return reg.has_value();
              },
              "acknowledge writes to register NN (hex) but keep its old\n"
              "content; may be given more than once"},
    SimOption{{"--noise", "", ""},
              [](std::string_view, SimOptions& options) { return options.noise = true; },
              "send junk bytes before every reply"},
    SimOption{{"--split", "", ""},
              [](std::string_view, SimOptions& options) { return options.split = true; },
              "send every reply in two writes with a short pause between"},
    SimOption{{"--delay", "", "MS"},
              [](std::string_view argument, SimOptions& options) {
                  return assign(options.delayMs, argument, 0, 60000);
              },
              "wait MS milliseconds before every reply (0 to 60000)"},
    SimOption{{"--deaf-after-write", "", "MS"},
              [](std::string_view argument, SimOptions& options) {
                  return assign(options.deafAfterWriteMs, argument, 1, 60000);
              },
              "once the acknowledgement of a write has left, lose every byte\n"
              "that arrives for MS milliseconds (1 to 60000), as an instrument\n"
              "busy storing the value does"},
    SimOption{{"--help", "-h", ""},
              [](std::string_view, SimOptions& options) { return options.help = true; },
              "show this text and exit"},
};

// The help lines start at this column.
constexpr std::size_t kHelpColumn = 27;

} // namespace

ParsedOptions parseOptions(int argc, char** argv) {
    std::vector<OptionName> names;
    for (const SimOption& option : kOptions)
        names.push_back(option.name);
    const std::vector<std::string_view> arguments(argv + std::min(argc, 1), argv + argc);
    SimOptions options;
    std::optional<std::string_view> unexpected;
    ArgumentReader reader(arguments, names);
    while (const std::optional<ArgumentItem> item = reader.next()) {
        if (item->kind == ArgumentItem::Kind::Positional) {
            unexpected = unexpected.value_or(item->value);
            continue;
        }
        if (item->kind != ArgumentItem::Kind::Option)
            return {std::nullopt,
                    "unknown option or missing value: " + std::string(item->argument)};
        const SimOption& option = kOptions[item->option];
        if (!option.apply(item->value, options))
            return {std::nullopt, "unacceptable value for " + std::string(option.name.longName) +
                                      ": " + std::string(item->value)};
    }
    if (unexpected)
        return {std::nullopt, "unexpected argument: " + std::string(*unexpected)};
    return {options, {}};
}

std::string helpText(const char* programName) {
    std::string options;
    for (const SimOption& option : kOptions) {
        if (!option.heading.empty())
            options += "\n" + std::string(option.heading) + "\n";
        options += helpEntry(option.name.label(), option.help, kHelpColumn);
    }
    return std::string("Usage: ") + programName + " [OPTION]...\n" +
           R"(Simulates a Zentiq instrument on a pseudo-terminal. Prints the path of the
terminal end on the first line of its output; a tool opens that path as its
serial port.
Runs until SIGINT or SIGTERM, then exits with status 0.

The instrument answers a read request (command 0x01, data the register) with a frame
carrying the register's number and content, and a write (command the register, data its
full content) with the acknowledgement 55 01 00 00 01. Registers: 0x10 identity (12 bytes),
)" + settingRegisterList() +
           R"(, 0x80-0xFF leads (9 bytes).
Requests it does not know, and frames with a wrong checksum, get no answer.

)" + options;
}
