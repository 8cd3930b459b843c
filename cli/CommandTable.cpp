#include "cli/CommandTable.h"

#include "cli/CommandContext.h"
#include "cli/DiffCommand.h"
#include "cli/HistoryCommand.h"
#include "cli/InstrumentCommands.h"
#include "cli/PortCommands.h"
#include "cli/SetupFileCommands.h"

#include <algorithm>
#include <array>

namespace {

constexpr std::string_view kProgramHelp =
    R"(Usage: mirafen-cli COMMAND [OPTION]...
Reads the setup out of a Zentiq instrument into a setup file (.prp), writes a setup file into
the instrument, and shows setup files, on the same core as the mirafen window.

Commands:
  ports                                   the serial ports and the COMM n each stands for
  identify (--port N | --device PATH)     the instrument's serial number, module type and
                                          firmware revision
  read (--port N | --device PATH) -o FILE the instrument's setup into a setup file
  write FILE (--port N | --device PATH)   a setup file into the instrument
  show FILE                               a setup file as a table, its digest or its
                                          setup sheet
  diff FILE (--port N | --device PATH)    whether the instrument holds the setup file's
                                          setup, and the fields that differ; diff FILE1
                                          FILE2 compares two setup files
  history                                 the record of transfers
  help [COMMAND]                          this text, or the help of one command

identify, read, write and diff take the port option more than once, or --all for every
free serial port where an instrument answers: the instruments are served at once, and one
line per instrument says what became of it.

'mirafen-cli COMMAND --help' explains one command and its options; 'mirafen-cli --version'
prints the version.
Exit status: 0 on success (of every instrument), 1 on a failure (one line on standard error
says why; the other instruments of a batch are still served and reported), 2 on wrong usage.
diff exits as diff(1) does: 0 when everything compared is the same, 1 when something
differs, 2 when a comparison could not be made.
)";

constexpr std::string_view kPortsHelp =
    R"(Usage: mirafen-cli ports
Lists the serial ports of this computer, one a line: the device, what it is when the
kernel says, and the COMM n (1 to 16) that stands for it. COMM n is the device named
by COMMDEVICE<n> in zenset.sys in the data folder, else /dev/ttyS<n-1>.
)";

constexpr std::string_view kIdentifyHelp =
    R"(Usage: mirafen-cli identify ((--port N | --device PATH)... | --all) [--wait SECONDS]
                         [--json]
Asks the instrument for its identity, once a second until it answers, and prints its
serial number, module type with the module catalogue's text and lead count, and
firmware revision; for several instruments, one line each.

  --port N          the instrument is on COM N (1 to 16), as zenset.sys names it
  --device PATH     the instrument is on the serial device PATH
  --all             every free serial port where an instrument answers
  --wait SECONDS    how long to wait for the first answer (default 5; 1.5 with --all)
  --json            print a JSON object instead of the text
)";

constexpr std::string_view kReadHelp =
    R"(Usage: mirafen-cli read ((--port N | --device PATH)... | --all) -o FILE
                        [--pdf OUT] [--wait SECONDS] [--min-spacing MS] [--quiet] [--json]
Reads the setup out of the instrument (lead names and skip flags of the module's leads,
test frequency, limits, failure rules, start-up mode, shut-off time) and writes it into
the setup file FILE as the window saves one: a new file gets all 263 lines, an existing
one has its keys rewritten in place and keeps its other lines. Leads beyond the module's
lead count are written unnamed and not skipped. The lead count comes from the module
catalogue (Modules.dat in the working directory, else in the data folder, else in
$XDG_DATA_DIRS/mirafen); a module type the catalogue does not know is a failure. A FILE
that cannot be written is a failure before the instrument is read; nothing is written when
the transfer fails. From several instruments, FILE holds {serial}, which stands for each
one's serial number.

  --port N          the instrument is on COM N (1 to 16), as zenset.sys names it
  --device PATH     the instrument is on the serial device PATH
  --all             every free serial port where an instrument answers
  -o, --output FILE the setup file to write; - for standard output (one instrument)
  --pdf OUT         also write the setup sheet of what was read, with the instrument's
                    serial number, module and firmware, as a PDF file (- for standard
                    output); one instrument only. An OUT that cannot be written is a
                    failure before the instrument is read.
  --wait SECONDS    how long to wait for the instrument's identity (default 5)
  --min-spacing MS  wait at least MS milliseconds (0 to 1000) after each reply before
                    the next request, for a slow instrument (default: MINSPACING in
                    zenset.sys, else 0)
  -q, --quiet       no progress and no summary line
  --json            for several instruments, the results as one JSON document
)";

constexpr std::string_view kWriteHelp =
    R"(Usage: mirafen-cli write FILE ((--port N | --device PATH)... | --all)
                         [--serial DIGITS | --next-serial | --serial-from DIGITS]
                         [--module CODE] [--verify] [--wait SECONDS] [--min-spacing MS]
                         [--quiet] [--json]
Writes the setup file FILE (- for standard input) into the instrument, with the
instrument's identity as the window writes it: its serial number, its module type and
its firmware revision, unless changed by the options. The lead count comes from the
module catalogue for the module type written. A file in which no setup key is found is
refused. When the write fails midway, the message says which part of the new setup the
instrument now holds.

  --port N          the instrument is on COM N (1 to 16), as zenset.sys names it
  --device PATH     the instrument is on the serial device PATH
  --all             every free serial port where an instrument answers
  --serial DIGITS   write this serial number (1 to 8 digits, written as eight: 42 is
                    00000042); one instrument only
  --next-serial     write each instrument's serial number plus one; an instrument whose
                    serial number is not a number fails
  --serial-from DIGITS
                    number the instruments DIGITS, DIGITS+1, ... in the order their ports
                    were named (not with --all)
  --module CODE     write module type CODE (1 to 255, in the module catalogue)
  --verify          read every written register back, the identity included, and fail
                    naming the registers that differ
  --wait SECONDS    how long to wait for the instrument's identity (default 5)
  --min-spacing MS  wait at least MS milliseconds (0 to 1000) after each reply before
                    the next request, for a slow instrument (default: MINSPACING in
                    zenset.sys, else 0)
  -q, --quiet       no progress and no summary line
  --json            for several instruments, the results as one JSON document
)";

constexpr std::string_view kShowHelp =
    R"(Usage: mirafen-cli show FILE [--json | --digest | --pdf OUT]
Shows the setup file FILE (- for standard input) as the window would show it: the test
frequency, the good and poor limits in kilohms, the failure criterion and response, the
start-up mode and the shut-off time, then the leads that have a name (other than blanks) or
are skipped, and how many others there are. Codes out of range show as the window shows them.

  --json            print a JSON object with all 128 leads instead of the table
  --digest          print only the setup's SHA-256 digest, as the column setup_sha256
                    of the record of transfers names the setup (see history)
  --pdf OUT         write the setup sheet as a PDF file OUT (- for standard output)
                    instead of the table: the file's name, when the sheet was made, the
                    settings as the window shows them, the leads that have a name or are
                    skipped, the digest, and lines to sign; on A4, or Letter where the
                    locale (LC_PAPER) measures in inches
)";

constexpr std::string_view kDiffHelp =
    R"(Usage: mirafen-cli diff FILE ((--port N | --device PATH)... | --all)
                        [--wait SECONDS] [--min-spacing MS] [--quiet] [--json]
       mirafen-cli diff FILE1 FILE2 [--quiet] [--json]
Compares the setup that the instrument holds with the setup file FILE (- for standard
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

  --port N          the instrument is on COM N (1 to 16), as zenset.sys names it
  --device PATH     the instrument is on the serial device PATH
  --all             every free serial port where an instrument answers
  --wait SECONDS    how long to wait for the instrument's identity (default 5; 1.5 with
                    --all)
  --min-spacing MS  wait at least MS milliseconds (0 to 1000) after each reply before
                    the next request, for a slow instrument (default: MINSPACING in
                    zenset.sys, else 0)
  -q, --quiet       print nothing and show no progress: the exit status answers
  --json            print a JSON object instead of the text

Exit status: 0 when everything compared is the same, 1 when something differs, 2 when a
comparison could not be made (wrong usage, a file that cannot be read, an instrument that
does not answer or fails; the other instruments of a batch are still compared and
reported).
)";

constexpr std::string_view kHistoryHelp =
    R"(Usage: mirafen-cli history [--serial S] [--since WHEN] [--until WHEN] [--json]
Prints the record of transfers, history.csv in the data folder: one row for every load
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
is an empty record; a file that cannot be read is a failure.

  --serial S        only the rows of the instrument whose serial number was S before or
                    after the transfer (digits: 42 is 00000042)
  --since WHEN      only the rows from WHEN on
  --until WHEN      only the rows up to WHEN, WHEN included
  --json            print a JSON array of the rows, their members named as the columns

WHEN is a date, 2026-12-10, today or yesterday (the whole local day), a local time
2026-12-10T22:31 (its minute) or 2026-12-10T22:31:05, or a time with its offset as the
record holds it, 2026-12-10T22:31:05+01:00.
)";

int printHelp(const CommandContext& context) {
    context.out << helpText(context.invocation.helpTopic);
    return kExitSuccess;
}

constexpr std::array kNoOptions = std::array<Option, 0>{};
constexpr std::array kIdentifyOptions{Option::Port, Option::Device, Option::AllPorts, Option::Wait,
                                      Option::Json};
constexpr std::array kReadOptions{Option::Port,       Option::Device, Option::AllPorts,
                                  Option::Wait,       Option::Output, Option::Pdf,
                                  Option::MinSpacing, Option::Quiet,  Option::Json};
constexpr std::array kWriteOptions{Option::Port,       Option::Device,     Option::AllPorts,
                                   Option::Wait,       Option::MinSpacing, Option::Serial,
                                   Option::NextSerial, Option::SerialFrom, Option::Module,
                                   Option::Verify,     Option::Quiet,      Option::Json};
constexpr std::array kShowOptions{Option::Json, Option::Digest, Option::Pdf};
constexpr std::array kDiffOptions{Option::Port, Option::Device,     Option::AllPorts,
                                  Option::Wait, Option::MinSpacing, Option::Quiet,
                                  Option::Json};
constexpr std::array kHistoryOptions{Option::Serial, Option::Since, Option::Until, Option::Json};

constexpr std::array<CommandEntry, 8> kCommands{{
    {Command::Help, "help", kNoOptions, kProgramHelp, printHelp},
    {Command::Ports, "ports", kNoOptions, kPortsHelp, listPorts},
    {Command::Identify, "identify", kIdentifyOptions, kIdentifyHelp, identifyInstrument},
    {Command::Read, "read", kReadOptions, kReadHelp, readFromInstrument},
    {Command::Write, "write", kWriteOptions, kWriteHelp, writeToInstrument},
    {Command::Show, "show", kShowOptions, kShowHelp, showSetupFile},
    {Command::Diff, "diff", kDiffOptions, kDiffHelp, diffSetups, kExitTrouble},
    {Command::History, "history", kHistoryOptions, kHistoryHelp, showHistory},
}};

} // namespace

bool CommandEntry::accepts(Option option) const {
    return option == Option::Help || std::ranges::find(options, option) != options.end();
}

std::span<const CommandEntry> commandTable() {
    return kCommands;
}

const CommandEntry* commandNamed(std::string_view name) {
    const auto found = std::ranges::find(kCommands, name, &CommandEntry::name);
    return found != kCommands.end() ? &*found : nullptr;
}

const CommandEntry& commandEntry(Command command) {
    return *std::ranges::find(kCommands, command, &CommandEntry::command);
}

std::string_view helpText(std::optional<Command> command) {
    return commandEntry(command.value_or(Command::Help)).help;
}
