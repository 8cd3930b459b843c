#include "cli/CommandTable.h"

#include "config/ComPorts.h"
#include "config/HistoryTime.h"
#include "device/SerialNumber.h"
#include "device/SessionTiming.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

namespace {

constexpr double kLongestWaitSeconds = 3600;
constexpr int kHighestModuleType = 255; // the instrument reports its module type in one byte

// The whole text as a whole number from minimum to maximum.
int wholeNumber(std::string_view text, int minimum, int maximum, std::string_view option) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() ||
        value < minimum || value > maximum)
        throw UsageError{std::string(option) + " takes a number from " + std::to_string(minimum) +
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

std::uint32_t serialNumber(std::string_view text, std::string_view option) {
    const std::optional<std::uint32_t> number = parseSerialNumber(text);
    if (!number)
        throw UsageError{std::string(option) + " takes a serial number of 1 to 8 digits, not '" +
                         std::string(text) + "'"};
    return *number;
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

// The options, in the order of the help.

constexpr OptionRow kPort{{"--port", "", "N"},
                          [](Invocation& invocation, std::string_view value) {
                              invocation.comNumbers.push_back(
                                  wholeNumber(value, 1, kComPortCount, "--port"));
                          },
                          "the instrument is on COM N (1 to 16), as zenset.sys names it"};

constexpr OptionRow kDevice{{"--device", "", "PATH"},
                            [](Invocation& invocation, std::string_view value) {
                                invocation.devicePaths.push_back(
                                    path(value, "--device", "a serial device"));
                            },
                            "the instrument is on PATH: a serial device, rfc2217://HOST:PORT "
                            "or tcp://HOST:PORT"};

constexpr OptionRow kAll{
    {"--all", "", ""},
    [](Invocation& invocation, std::string_view) { invocation.allPorts = true; },
    "every free serial port where an instrument answers"};

constexpr OptionRow kOutput{{"--output", "-o", "FILE"},
                            [](Invocation& invocation, std::string_view value) {
                                invocation.file = path(value, "--output", "a setup file");
                            },
                            "the setup file to write; - for standard output (one instrument)"};

constexpr OptionRow kPdf{{"--pdf", "", "OUT"},
                         [](Invocation& invocation, std::string_view value) {
                             invocation.pdf = path(value, "--pdf", "a PDF file");
                         },
                         "write the setup sheet as a PDF file OUT (- for standard output)\n"
                         "instead of the table: the file's name, when the sheet was made, the\n"
                         "settings as the window shows them, the leads that have a name or are\n"
                         "skipped, the digest, and lines to sign; on A4, or Letter where the\n"
                         "locale (LC_PAPER) measures in inches"};

constexpr OptionRow kSerial{{"--serial", "", "DIGITS"},
                            [](Invocation& invocation, std::string_view value) {
                                serialNumber(value, "--serial");
                                invocation.serialText = value;
                            },
                            "write this serial number (1 to 8 digits, written as eight: 42 is\n"
                            "00000042); one instrument only"};

constexpr OptionRow kNextSerial{
    {"--next-serial", "", ""},
    [](Invocation& invocation, std::string_view) { invocation.nextSerial = true; },
    "write each instrument's serial number plus one; an instrument "
    "whose\nserial number is not a number fails"};

constexpr OptionRow kSerialFrom{
    {"--serial-from", "", "DIGITS"},
    [](Invocation& invocation, std::string_view value) {
        invocation.firstSerial = serialNumber(value, "--serial-from");
    },
    "number the instruments DIGITS, DIGITS+1, ... in the order their ports\n"
    "were named (not with --all)"};

constexpr OptionRow kModule{{"--module", "", "CODE"},
                            [](Invocation& invocation, std::string_view value) {
                                invocation.moduleType =
                                    wholeNumber(value, 1, kHighestModuleType, "--module");
                            },
                            "write module type CODE (1 to 255, in the module catalogue)"};

constexpr OptionRow kVerify{
    {"--verify", "", ""},
    [](Invocation& invocation, std::string_view) { invocation.verify = true; },
    "read every written register back, the identity included, and "
    "fail\nnaming the registers that differ"};

constexpr OptionRow kWait{
    {"--wait", "", "SECONDS"},
    [](Invocation& invocation, std::string_view value) { invocation.wait = waitTime(value); },
    "how long to wait for the instrument's identity (default 5)"};

constexpr OptionRow kMinSpacing{
    {"--min-spacing", "", "MS"},
    [](Invocation& invocation, std::string_view value) {
        invocation.minimumSpacing = std::chrono::milliseconds(
            wholeNumber(value, 0, static_cast<int>(SessionTiming::kLongestMinimumSpacing.count()),
                        "--min-spacing"));
    },
    "wait at least MS milliseconds (0 to 1000) after each reply before\n"
    "the next request, for a slow instrument (default: MINSPACING in\n"
    "zenset.sys, else 0)"};

constexpr OptionRow kQuiet{
    {"--quiet", "-q", ""},
    [](Invocation& invocation, std::string_view) { invocation.quiet = true; },
    "no progress and no summary line"};

constexpr OptionRow kJson{{"--json", "", ""},
                          [](Invocation& invocation, std::string_view) { invocation.json = true; },
                          "print a JSON object instead of the text"};

constexpr OptionRow kDigest{
    {"--digest", "", ""},
    [](Invocation& invocation, std::string_view) { invocation.digest = true; },
    "print only the setup's SHA-256 digest, as the column setup_sha256\n"
    "of the record of transfers names the setup (see history)"};

// history's --serial picks rows: any text, digits standing for the eight-digit number.
constexpr OptionRow kSerialWanted{
    {"--serial", "", "S"},
    [](Invocation& invocation, std::string_view value) { invocation.serialText = value; },
    "only the rows of the instrument whose serial number was S before or\n"
    "after the transfer (digits: 42 is 00000042)"};

constexpr OptionRow kActionWanted{
    {"--action", "", "ACTION"},
    [](Invocation& invocation, std::string_view value) { invocation.actionWanted = value; },
    "only the rows of ACTION: read, write, verify or compare"};

constexpr OptionRow kResultWanted{
    {"--result", "", "RESULT"},
    [](Invocation& invocation, std::string_view value) { invocation.resultWanted = value; },
    "only the rows of RESULT: ok, failed, cancelled, same or differs"};

constexpr OptionRow kDepartment{
    {"--department", "", ""},
    [](Invocation& invocation, std::string_view) { invocation.department = true; },
    "the rows of the department's record (RECORD= in zenset.sys), every\n"
    "bench's, instead of this computer's history.csv"};

constexpr OptionRow kSince{{"--since", "", "WHEN"},
                           [](Invocation& invocation, std::string_view value) {
                               invocation.since = userTime(value, "--since").begin;
                           },
                           "only the rows from WHEN on"};

constexpr OptionRow kUntil{{"--until", "", "WHEN"},
                           [](Invocation& invocation, std::string_view value) {
                               // A date is until the end of that day, a time until the end of its
                               // minute or second.
                               invocation.until = userTime(value, "--until").end;
                           },
                           "only the rows up to WHEN, WHEN included"};

// The positional arguments.

constexpr PositionalRow kSetupFile{
    "FILE", [](Invocation& invocation, std::string_view value) { invocation.file = value; },
    "a setup file"};

constexpr PositionalRow kSecondSetupFile{
    "FILE2", [](Invocation& invocation, std::string_view value) { invocation.secondFile = value; },
    ""};

constexpr PositionalRow kHelpTopic{"COMMAND",
                                   [](Invocation& invocation, std::string_view value) {
                                       invocation.helpTopic = commandNamed(value);
                                       if (invocation.helpTopic == nullptr)
                                           throw UsageError{"unknown command '" +
                                                            std::string(value) + "'"};
                                   },
                                   ""};

// What each command's options and arguments may not be together.

void checkRead(const Invocation& invocation) {
    if (invocation.file.empty())
        throw UsageError{"read needs the file to write: -o FILE"};
    if (invocation.pdf == "-" && invocation.file == "-")
        throw UsageError{"- as the file and as --pdf would both be standard output"};
}

void checkShow(const Invocation& invocation) {
    if (invocation.pdf && (invocation.digest || invocation.json))
        throw UsageError{"--pdf excludes --json and --digest"};
}

// The commands.

constexpr std::array kNoOptions = std::array<TakenOption, 0>{};
constexpr std::array kNoPositionals = std::array<PositionalRow, 0>{};

constexpr std::array kHelpPositionals{kHelpTopic};
constexpr std::array kFilePositionals{kSetupFile};
constexpr std::array kDiffPositionals{kSetupFile, kSecondSetupFile};

constexpr std::array kIdentifyOptions{
    TakenOption{&kPort}, TakenOption{&kDevice}, TakenOption{&kAll},
    TakenOption{&kWait, "how long to wait for the first answer (default 5; 1.5 with --all)"},
    TakenOption{&kJson}};

constexpr std::array kReadOptions{
    TakenOption{&kPort},
    TakenOption{&kDevice},
    TakenOption{&kAll},
    TakenOption{&kOutput},
    TakenOption{&kPdf, "also write the setup sheet of what was read, with the instrument's\n"
                       "serial number, module and firmware, as a PDF file (- for standard\n"
                       "output); one instrument only. An OUT that cannot be written is a\n"
                       "failure before the instrument is read."},
    TakenOption{&kWait},
    TakenOption{&kMinSpacing},
    TakenOption{&kQuiet},
    TakenOption{&kJson, "for several instruments, the results as one JSON document"}};

constexpr std::array kWriteOptions{
    TakenOption{&kPort},
    TakenOption{&kDevice},
    TakenOption{&kAll},
    TakenOption{&kSerial},
    TakenOption{&kNextSerial},
    TakenOption{&kSerialFrom},
    TakenOption{&kModule},
    TakenOption{&kVerify},
    TakenOption{&kWait},
    TakenOption{&kMinSpacing},
    TakenOption{&kQuiet},
    TakenOption{&kJson, "for several instruments, the results as one JSON document"}};

constexpr std::array kShowOptions{
    TakenOption{&kJson, "print a JSON object with all 128 leads instead of the table"},
    TakenOption{&kDigest}, TakenOption{&kPdf}};

constexpr std::array kDiffOptions{
    TakenOption{&kPort},
    TakenOption{&kDevice},
    TakenOption{&kAll},
    TakenOption{&kWait, "how long to wait for the instrument's identity (default 5; 1.5 with\n"
                        "--all)"},
    TakenOption{&kMinSpacing},
    TakenOption{&kQuiet, "print nothing and show no progress: the exit status answers"},
    TakenOption{&kJson}};

constexpr std::array kHistoryOptions{
    TakenOption{&kSerialWanted},
    TakenOption{&kActionWanted},
    TakenOption{&kResultWanted},
    TakenOption{&kSince},
    TakenOption{&kUntil},
    TakenOption{&kDepartment},
    TakenOption{&kJson, "print a JSON array of the rows, their members named as the columns"}};

constexpr std::array kInstrumentsOptions{
    TakenOption{&kJson, "print a JSON array, an object for each instrument with its serial number\n"
                        "and its last write, verify and compare (null when none)"}};

constexpr std::array<CommandRow, 9> kCommands{{
    {
        .name = "help",
        .brief = "[COMMAND]",
        .summary = "this text, or the help of one command",
        .synopsis = "COMMAND [OPTION]...",
        .description =
            R"(Reads the setup out of a Zentiq instrument into a setup file (.prp), writes a setup file into
the instrument, and shows setup files, on the same core as the mirafen window.
)",
        .options = kNoOptions,
        .positionals = kHelpPositionals,
        .epilogue =
            R"(identify, read, write and diff take the port option more than once, or --all for every
free serial port where an instrument answers: the instruments are served at once, and one
line per instrument says what became of it.

'mirafen-cli COMMAND --help' explains one command and its options; 'mirafen-cli --version'
prints the version.
Exit status: 0 on success (of every instrument), 1 on a failure (one line on standard error
says why; the other instruments of a batch are still served and reported), 2 on wrong usage.
diff exits as diff(1) does: 0 when everything compared is the same, 1 when something
differs, 2 when a comparison could not be made.
)",
        .run = printHelp,
        .usesDataFolder = false,
    },
    {
        .name = "ports",
        .brief = "",
        .summary = "the serial ports and the COMM n each stands for",
        .synopsis = "ports",
        .description =
            R"(Lists the serial ports of this computer, one a line: the device, what it is when the
kernel says, and the COMM n (1 to 16) that stands for it. COMM n is the device named
by COMMDEVICE<n> in zenset.sys in the data folder, else /dev/ttyS<n-1>. A device
that zenset.sys names and the kernel does not list (a pseudo-terminal) is listed
too, or said to be not present.
)",
        .options = kNoOptions,
        .positionals = kNoPositionals,
        .epilogue = "",
        .run = listPorts,
    },
    {
        .name = "identify",
        .brief = "(--port N | --device PATH)",
        .summary = "the instrument's serial number, module type and\nfirmware revision",
        .synopsis = R"(identify ((--port N | --device PATH)... | --all) [--wait SECONDS]
                         [--json])",
        .description =
            R"(Asks the instrument for its identity, once a second until it answers, and prints its
serial number, module type with the module catalogue's text and lead count, and
firmware revision; for several instruments, one line each.
)",
        .options = kIdentifyOptions,
        .positionals = kNoPositionals,
        .epilogue = "",
        .run = identifyInstrument,
    },
    {
        .name = "read",
        .brief = "(--port N | --device PATH) -o FILE",
        .summary = "the instrument's setup into a setup file",
        .synopsis = R"(read ((--port N | --device PATH)... | --all) -o FILE
                        [--pdf OUT] [--wait SECONDS] [--min-spacing MS] [--quiet] [--json])",
        .description =
            R"(Reads the setup out of the instrument (lead names and skip flags of the module's leads,
test frequency, limits, failure rules, start-up mode, shut-off time) and writes it into
the setup file FILE as the window saves one: a new file gets all 263 lines, an existing
one has its keys rewritten in place and keeps its other lines. Leads beyond the module's
lead count are written unnamed and not skipped. The lead count comes from the module
catalogue (Modules.dat in the working directory, else in the data folder, else in
$XDG_DATA_DIRS/mirafen); a module type the catalogue does not know is a failure. A FILE
that cannot be written is a failure before the instrument is read; nothing is written when
the transfer fails. From several instruments, FILE holds {serial}, which stands for each
one's serial number.
)",
        .options = kReadOptions,
        .positionals = kNoPositionals,
        .epilogue = "",
        .run = readFromInstrument,
        .check = checkRead,
    },
    {
        .name = "write",
        .brief = "FILE (--port N | --device PATH)",
        .summary = "a setup file into the instrument",
        .synopsis = R"(write FILE ((--port N | --device PATH)... | --all)
                         [--serial DIGITS | --next-serial | --serial-from DIGITS]
                         [--module CODE] [--verify] [--wait SECONDS] [--min-spacing MS]
                         [--quiet] [--json])",
        .description =
            R"(Writes the setup file FILE (- for standard input) into the instrument, with the
instrument's identity as the window writes it: its serial number, its module type and
its firmware revision, unless changed by the options. The lead count comes from the
module catalogue for the module type written. A file in which no setup key is found is
refused. When the write fails midway, the message says which part of the new setup the
instrument now holds.
)",
        .options = kWriteOptions,
        .positionals = kFilePositionals,
        .epilogue = "",
        .run = writeToInstrument,
    },
    {
        .name = "show",
        .brief = "FILE",
        .summary = "a setup file as a table, its digest or its\nsetup sheet",
        .synopsis = "show FILE [--json | --digest | --pdf OUT]",
        .description =
            R"(Shows the setup file FILE (- for standard input) as the window would show it: the test
frequency, the good and poor limits in kilohms, the failure criterion and response, the
start-up mode and the shut-off time, then the leads that have a name (other than blanks) or
are skipped, and how many others there are. Codes out of range show as the window shows them.
A file in which no setup key is found is refused, as write refuses it.
)",
        .options = kShowOptions,
        .positionals = kFilePositionals,
        .epilogue = "",
        .run = showSetupFile,
        .check = checkShow,
    },
    {
        .name = "diff",
        .brief = "FILE (--port N | --device PATH)",
        .summary = "whether the instrument holds the setup file's\nsetup, and the fields that "
                   "differ; diff FILE1\nFILE2 compares two setup files",
        .synopsis = R"(diff FILE ((--port N | --device PATH)... | --all)
                        [--wait SECONDS] [--min-spacing MS] [--quiet] [--json]
       mirafen-cli diff FILE1 FILE2 [--quiet] [--json])",
        .description =
            R"(Compares the setup that the instrument holds with the setup file FILE (- for standard
input): the instrument is read as read reads it, and nothing is written into it. Or
compares the setup files FILE1 and FILE2. Each field counts as an instrument holds it: a
lead name by its first 8 characters, padded with blanks; codes out of range as the window
shows them; the shut-off time in whole tens of seconds. An instrument's setup is compared
on the leads of its module (from the module catalogue) and the seven settings, two files
on all 128 leads and the settings. The instrument's serial number, module type and
firmware revision are shown beside the result but are no difference. A file in which no
setup key is found is refused.

One line per difference names the field (Lead 5 name, Lead 5 skipped, or a setting by
its label in the window) and both values, quoted so that trailing blanks show, in the
order of a setup file; for several instruments, one line each (same, or the number of
differences, then the differences). Every comparison with an instrument is added to the
record of transfers: action compare, result same, differs or failed (see history).
)",
        .options = kDiffOptions,
        .positionals = kDiffPositionals,
        .epilogue =
            R"(Exit status: 0 when everything compared is the same, 1 when something differs, 2 when a
comparison could not be made (wrong usage, a file that cannot be read, an instrument that
does not answer or fails; the other instruments of a batch are still compared and
reported).
)",
        .run = diffSetups,
        .failureStatus = kExitTrouble,
    },
    {
        .name = "history",
        .brief = "",
        .summary = "the record of transfers",
        .synopsis = R"(history [--serial S] [--action ACTION] [--result RESULT] [--since WHEN]
                           [--until WHEN] [--department] [--json])",
        .description =
            R"(Prints the record of transfers, history.csv in the data folder: one row for every load
from and save to an instrument by mirafen or mirafen-cli, failed and cancelled ones too,
oldest first, with the columns of the file: time, program, action (read, write, verify,
compare), device, serial_before, serial_after, module, firmware, setup_file, setup_sha256
(the digest that 'mirafen-cli show' prints for a file), result (ok, failed, cancelled; for
a comparison same, differs, failed), detail (why it failed; the fields a comparison found
differing), user and host. A command that ends before a transfer begins (wrong usage, a
file that cannot be read or written, a module the catalogue lacks, serial numbers that
have run out, a port that will not open, an instrument that does not answer) and identify
transfer nothing and leave no row. Lines of the file that hold no row (cut off, edited by
hand, damaged) are named on standard error and left out; the rest is shown. A missing file
is an empty record; a file that cannot be read is a failure. With --department, the same
rows of every bench come from the department's record (RECORD= in zenset.sys), oldest
first, their time as each bench wrote it.
)",
        .options = kHistoryOptions,
        .positionals = kNoPositionals,
        .epilogue =
            R"(WHEN is a date, 2026-12-10, today or yesterday (the whole local day), a local time
2026-12-10T22:31 (its minute) or 2026-12-10T22:31:05, or a time with its offset as the
record holds it, 2026-12-10T22:31:05+01:00.
)",
        .run = showHistory,
    },
    {
        .name = "instruments",
        .brief = "",
        .summary =
            "each instrument the department has seen and its\nlast write, verify and compare",
        .synopsis = "instruments [--json]",
        .description =
            R"(Asks the department's record (RECORD= in zenset.sys: a libpq connection string or
service=NAME) for every serial number an instrument held after a write, verify or compare by
any bench, and prints each with its last write, verify and compare: the time as that bench
wrote it, the computer, the setup file, its digest and the result; - where there was none.
)",
        .options = kInstrumentsOptions,
        .positionals = kNoPositionals,
        .epilogue = "",
        .run = listInstruments,
    },
}};

// Help lines start at this column; a longer option name stands on a line of its own.
constexpr std::size_t kHelpColumn = 20;
// The program's help lists the commands' summaries from this column.
constexpr std::size_t kSummaryColumn = 42;

std::string commandList() {
    std::string text;
    for (const CommandRow& command : kCommands) {
        if (&command == &helpCommand())
            continue;
        std::string label(command.name);
        if (!command.brief.empty())
            label += " " + std::string(command.brief);
        text += helpEntry(label, command.summary, kSummaryColumn);
    }
    const CommandRow& help = helpCommand();
    return text + helpEntry(std::string(help.name) + " " + std::string(help.brief), help.summary,
                            kSummaryColumn);
}

} // namespace

bool CommandRow::takes(const OptionRow& option) const {
    return std::ranges::any_of(
        options, [&option](const TakenOption& taken) { return taken.option == &option; });
}

bool CommandRow::talksToInstrument() const {
    return takes(kPort);
}

bool CommandRow::writesFileForEachInstrument() const {
    return takes(kOutput);
}

std::span<const CommandRow> commandTable() {
    return kCommands;
}

const CommandRow& helpCommand() {
    return kCommands.front();
}

const CommandRow* commandNamed(std::string_view name) {
    const auto found = std::ranges::find(kCommands, name, &CommandRow::name);
    return found != kCommands.end() ? &*found : nullptr;
}

std::string helpText(const CommandRow& command) {
    std::string text = "Usage: mirafen-cli " + std::string(command.synopsis) + "\n" +
                       std::string(command.description);
    if (&command == &helpCommand())
        text += "\nCommands:\n" + commandList();
    else if (!command.options.empty())
        text += "\n";
    for (const TakenOption& taken : command.options)
        text += helpEntry(taken.option->name.label(),
                          taken.help.empty() ? taken.option->help : taken.help, kHelpColumn);
    if (!command.epilogue.empty())
        text += "\n" + std::string(command.epilogue);
    return text;
}

int printHelp(const CommandContext& context) {
    const Invocation& invocation = context.invocation;
    context.out << helpText(invocation.helpTopic != nullptr ? *invocation.helpTopic
                                                            : helpCommand());
    return kExitSuccess;
}
