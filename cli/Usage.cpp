#include "cli/Usage.h"

#include <algorithm>
#include <array>
#include <utility>

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
  show FILE                               a setup file as a table
  help [COMMAND]                          this text, or the help of one command

'mirafen-cli COMMAND --help' explains one command and its options.
Exit status: 0 on success, 1 on a failure (one line on standard error says why),
2 on wrong usage.
)";

constexpr std::string_view kPortsHelp =
    R"(Usage: mirafen-cli ports
Lists the serial ports of this computer, one a line: the device, what it is when the
kernel says, and the COMM n (1 to 16) that stands for it. COMM n is the device named
by COMMDEVICE<n> in zenset.sys in the data folder, else /dev/ttyS<n-1>.
)";

constexpr std::string_view kIdentifyHelp =
    R"(Usage: mirafen-cli identify (--port N | --device PATH) [--wait SECONDS] [--json]
Asks the instrument for its identity, once a second until it answers, and prints its
serial number, module type with the module catalogue's text and lead count, and
firmware revision.

  --port N          the instrument is on COM N (1 to 16), as zenset.sys names it
  --device PATH     the instrument is on the serial device PATH
  --wait SECONDS    how long to wait for the first answer (default 5)
  --json            print a JSON object instead of the text
)";

constexpr std::string_view kReadHelp =
    R"(Usage: mirafen-cli read (--port N | --device PATH) -o FILE [--wait SECONDS] [--quiet]
Reads the setup out of the instrument (lead names and skip flags of the module's leads,
test frequency, limits, failure rules, start-up mode, shut-off time) and writes it into
the setup file FILE as the window saves one: a new file gets all 263 lines, an existing
one has its keys rewritten in place and keeps its other lines. Leads beyond the module's
lead count are written unnamed and not skipped. The lead count comes from the module
catalogue (Modules.dat in the working directory, else in the data folder, else in
$XDG_DATA_DIRS/mirafen); a module type the catalogue does not know is a failure. Nothing
is written when the transfer fails.

  --port N          the instrument is on COM N (1 to 16), as zenset.sys names it
  --device PATH     the instrument is on the serial device PATH
  -o, --output FILE the setup file to write
  --wait SECONDS    how long to wait for the instrument's identity (default 5)
  -q, --quiet       no progress and no summary line
)";

constexpr std::string_view kWriteHelp =
    R"(Usage: mirafen-cli write FILE (--port N | --device PATH)
                         [--serial NNNNNNNN | --next-serial] [--module CODE] [--verify]
Writes the setup file FILE into the instrument, with the instrument's identity as the
window writes it: its serial number, its module type and its firmware revision, unless
changed by the options. The lead count comes from the module catalogue for the module
type written. A file in which no setup key is found is refused.

  --port N          the instrument is on COM N (1 to 16), as zenset.sys names it
  --device PATH     the instrument is on the serial device PATH
  --serial DIGITS   write this serial number (1 to 8 digits, written as eight: 42 is
                    00000042)
  --next-serial     write the instrument's serial number plus one
  --module CODE     write module type CODE (1 to 255, in the module catalogue)
  --verify          read every written register back, the identity included, and fail
                    naming the registers that differ
  --wait SECONDS    how long to wait for the instrument's identity (default 5)
  -q, --quiet       no progress and no summary line
)";

constexpr std::string_view kShowHelp =
    R"(Usage: mirafen-cli show FILE [--json]
Shows the setup file FILE as the window would show it: the test frequency, the good and
poor limits in kilohms, the failure criterion and response, the start-up mode and the
shut-off time, then the leads that have a name (other than blanks) or are skipped, and how
many others there are. Codes out of range show as the window shows them.

  --json            print a JSON object with all 128 leads instead of the table
)";

constexpr std::array<std::pair<Command, std::string_view>, 6> kHelpTexts{{
    {Command::Help, kProgramHelp},
    {Command::Ports, kPortsHelp},
    {Command::Identify, kIdentifyHelp},
    {Command::Read, kReadHelp},
    {Command::Write, kWriteHelp},
    {Command::Show, kShowHelp},
}};

} // namespace

std::string_view helpText(std::optional<Command> command) {
    const auto found = std::ranges::find(kHelpTexts, command.value_or(Command::Help),
                                         &std::pair<Command, std::string_view>::first);
    return found != kHelpTexts.end() ? found->second : kProgramHelp;
}
