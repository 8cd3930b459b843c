#include "sim/SimOptions.h"

#include <array>
#include <charconv>
#include <cstdio>
#include <getopt.h>
#include <limits>
#include <string_view>
#include <type_traits>

namespace {

enum Option : int {
    Help = 'h',
    Link = 256,
    State,
    Serial,
    Module,
    Firmware,
    Silent,
    StopAfter,
    BadChecksumEvery,
    WrongRegisterEvery,
    Noise,
    Split,
    Delay,
    FailFirst,
    Trace,
    ForgetRegister,
    LineRate,
    DeafAfterWrite,
};

constexpr std::array<option, 19> kLongOptions{{
    {"help", no_argument, nullptr, Help},
    {"link", required_argument, nullptr, Link},
    {"state", required_argument, nullptr, State},
    {"serial", required_argument, nullptr, Serial},
    {"module", required_argument, nullptr, Module},
    {"firmware", required_argument, nullptr, Firmware},
    {"silent", no_argument, nullptr, Silent},
    {"stop-after", required_argument, nullptr, StopAfter},
    {"bad-checksum-every", required_argument, nullptr, BadChecksumEvery},
    {"wrong-register-every", required_argument, nullptr, WrongRegisterEvery},
    {"noise", no_argument, nullptr, Noise},
    {"split", no_argument, nullptr, Split},
    {"delay", required_argument, nullptr, Delay},
    {"fail-first", required_argument, nullptr, FailFirst},
    {"trace", no_argument, nullptr, Trace},
    {"forget-register", required_argument, nullptr, ForgetRegister},
    {"line-rate", required_argument, nullptr, LineRate},
    {"deaf-after-write", required_argument, nullptr, DeafAfterWrite},
    {nullptr, 0, nullptr, 0},
}};

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

// Applies one option with its argument; false when the argument is not acceptable.
bool apply(int code, std::string_view argument, SimOptions& options) {
    constexpr unsigned kAny = std::numeric_limits<unsigned>::max();
    auto assign = [argument](auto& target, unsigned minimum, unsigned maximum) {
        const std::optional<unsigned> value = number(argument, minimum, maximum);
        if (value)
            target = static_cast<std::remove_reference_t<decltype(target)>>(*value);
        return value.has_value();
    };
    switch (code) {
    case Help:
        options.help = true;
        return true;
    case Link:
        options.linkPath = argument;
        return !argument.empty();
    case State:
        options.statePath = argument;
        return !argument.empty();
    case Serial:
        options.identity.serialText = argument;
        return argument.size() <= kSerialTextWidth;
    case Module:
        return assign(options.identity.moduleType, 0, 65535);
    case Firmware:
        return setFirmware(argument, options.identity);
    case Silent:
        options.faults.silent = true;
        return true;
    case StopAfter:
        options.faults.stopAfter = 0;
        return assign(*options.faults.stopAfter, 0, kAny);
    case BadChecksumEvery:
        return assign(options.faults.badChecksumEvery, 1, kAny);
    case WrongRegisterEvery:
        return assign(options.faults.wrongRegisterEvery, 1, kAny);
    case Noise:
        options.noise = true;
        return true;
    case Split:
        options.split = true;
        return true;
    case Delay:
        return assign(options.delayMs, 0, 60000);
    case FailFirst:
        return assign(options.faults.failFirst, 0, kAny);
    case Trace:
        options.trace = true;
        return true;
    case ForgetRegister:
        if (const auto reg = registerNumber(argument)) {
            options.faults.forgottenRegisters.push_back(*reg);
            return true;
        }
        return false;
    case LineRate:
        return assign(options.lineRate, 300, 1000000);
    case DeafAfterWrite:
        return assign(options.deafAfterWriteMs, 1, 60000);
    default:
        return false;
    }
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

} // namespace

ParsedOptions parseOptions(int argc, char** argv) {
    SimOptions options;
    optind = 1;
    opterr = 0;
    int code = 0;
    int longIndex = -1;
    while ((code = getopt_long(argc, argv, "h", kLongOptions.data(), &longIndex)) != -1) {
        if (code == '?' || code == ':')
            return {std::nullopt,
                    std::string("unknown option or missing value: ") + argv[optind - 1]};
        const std::string_view argument = optarg != nullptr ? optarg : "";
        if (!apply(code, argument, options))
            return {std::nullopt, std::string("unacceptable value for --") +
                                      kLongOptions[static_cast<std::size_t>(longIndex)].name +
                                      ": " + std::string(argument)};
    }
    if (optind < argc)
        return {std::nullopt, std::string("unexpected argument: ") + argv[optind]};
    return {options, {}};
}

std::string helpText(const char* programName) {
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

  --link PATH              also make PATH a symlink to the terminal end (removed at exit)
  --state FILE             keep the registers in FILE (REGxx=hex lines): read at start,
                           rewritten after every write, so the setup survives a restart;
                           registers found there take precedence over the options below
  --serial TEXT            serial number of the identity register, up to 8 characters
                           (default ZQ000001)
  --module N               module type, 0 to 65535 (default 1)
  --firmware MAJOR.MINOR   firmware revision, each 0 to 255 (default 1.0)
  --line-rate BAUD         hold every byte, both ways, as long as it takes on a serial line
                           of BAUD (8N1, 10 bits a byte): a request counts only once its
                           last byte is in, a reply goes out once its bytes would have
                           (300 to 1000000; without it, answers go out at once)
  --trace                  write every frame received and sent, and every byte dropped,
                           to standard error as a time-stamped hex line, e.g.
                           12:34:56.789 recv 55 01 01 10 12

Faults, for testing a tool against a misbehaving instrument:
  --silent                 never answer
  --stop-after N           answer the first N requests, then fall silent
  --bad-checksum-every K   give every K-th reply a wrong checksum
  --wrong-register-every K let every K-th reply name the next register (an
                           acknowledgement then reads 55 01 01 00 02)
  --fail-first N           answer the first N attempts of every request wrongly, as
                           --wrong-register-every does; a repeat of the same request frame
                           is another attempt
  --forget-register 0xNN   acknowledge writes to register NN (hex) but keep its old
                           content; may be given more than once
  --noise                  send junk bytes before every reply
  --split                  send every reply in two writes with a short pause between
  --delay MS               wait MS milliseconds before every reply (0 to 60000)
  --deaf-after-write MS    once the acknowledgement of a write has left, lose every byte
                           that arrives for MS milliseconds (1 to 60000), as an instrument
                           busy storing the value does
  -h, --help               show this text and exit
)";
}
