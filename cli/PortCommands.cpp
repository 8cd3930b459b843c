#include "cli/PortCommands.h"

#include "cli/CommandContext.h"
#include "cli/ExitStatus.h"
#include "cli/TextColumns.h"
#include "config/ComPorts.h"
#include "device/SerialPortDiscovery.h"

#include <algorithm>
#include <array>
#include <vector>

namespace {

// "COMM 1, COMM 3": the COM numbers that stand for the port.
std::string boundComNumbers(const ProgramSettings& settings, const DiscoveredPort& port) {
    std::string text;
    for (int comNumber = 1; comNumber <= kComPortCount; ++comNumber) {
        const std::string device = settings.commDevice(comNumber);
        if (device == port.devicePath || isSameDevice(device, port.devicePath))
            text += (text.empty() ? "COMM " : ", COMM ") + std::to_string(comNumber);
    }
    return text;
}

} // namespace

int listPorts(const CommandContext& context) {
    const std::vector<DiscoveredPort> ports = discoverSerialPorts();
    if (ports.empty()) {
        context.err << "No serial ports were found on this computer.\n";
        return kExitSuccess;
    }
    std::vector<std::array<std::string, 3>> rows;
    std::size_t pathWidth = 0;
    std::size_t descriptionWidth = 0;
    for (const DiscoveredPort& port : ports) {
        std::string description = portDescription(port);
        rows.push_back({terminalSafe(port.devicePath),
                        description.empty() ? "-" : terminalSafe(description),
                        boundComNumbers(context.settings, port)});
        pathWidth = std::max(pathWidth, rows.back()[0].size());
        descriptionWidth = std::max(descriptionWidth, rows.back()[1].size());
    }
    for (const auto& [path, description, comNumbers] : rows) {
        std::string line = padded(path, pathWidth) + "  " + description;
        if (!comNumbers.empty())
            line = padded(line, pathWidth + 2 + descriptionWidth) + "  " + comNumbers;
        context.out << line << '\n';
    }
    return kExitSuccess;
}
