#include "device/SerialPortDiscovery.h"

#include "device/NaturalOrder.h"
#include "device/RootedFiles.h"

#include <algorithm>
#include <map>
#include <optional>
#include <sys/stat.h>
#include <system_error>

namespace fs = std::filesystem;

namespace {

const fs::path ttyClass = "/sys/class/tty";
const fs::path byIdFolder = "/dev/serial/by-id";

std::string attribute(const fs::path& root, const fs::path& systemPath) {
    return readRootedText(root, systemPath).value_or("");
}

bool isPresent(const fs::path& root, const fs::path& resolvedPath) {
    std::error_code error;
    return fs::exists(fs::symlink_status(rootedLocation(root, resolvedPath), error));
}

// The entry names of a folder, sorted so that every run reads them alike; none when the folder
// cannot be listed.
std::vector<std::string> entryNames(const fs::path& root, const fs::path& systemFolder) {
    std::vector<std::string> names;
    const auto folder = resolveRooted(root, systemFolder);
    if (!folder) {
        return names;
    }
    std::error_code error;
    for (fs::directory_iterator entry(rootedLocation(root, *folder), error), end;
         !error && entry != end; entry.increment(error)) {
        names.push_back(entry->path().filename().string());
    }
    std::ranges::sort(names);
    return names;
}

// The resolved target of each /dev/serial/by-id link, with the link as the user names it. Of
// several links to one device the first by name is kept.
std::map<fs::path, std::string> stablePathsByTarget(const fs::path& root) {
    std::map<fs::path, std::string> stablePaths;
    for (const std::string& name : entryNames(root, byIdFolder)) {
        const fs::path link = byIdFolder / name;
        if (const auto target = resolveRooted(root, link)) {
            stablePaths.try_emplace(*target, link.string());
        }
    }
    return stablePaths;
}

std::string driverOf(const fs::path& root, const fs::path& device) {
    const auto driver = resolveRooted(root, device / "driver");
    return driver && isPresent(root, *driver) ? driver->filename().string() : std::string{};
}

// USB identity lives on the USB device, a folder or two above the interface or usb-serial port
// the tty hangs from: the nearest one with an idVendor.
void readUsbIdentity(const fs::path& root, const fs::path& device, DiscoveredPort& port) {
    for (fs::path folder = device; folder.has_relative_path(); folder = folder.parent_path()) {
        if (const auto vendorId = readRootedText(root, folder / "idVendor")) {
            port.vendorId = *vendorId;
            port.productId = attribute(root, folder / "idProduct");
            port.manufacturer = attribute(root, folder / "manufacturer");
            port.product = attribute(root, folder / "product");
            port.serialNumber = attribute(root, folder / "serial");
            return;
        }
    }
}

// A port when the tty has hardware behind it. The serial core gives type 0 to a UART slot where
// it found no chip (most of ttyS4..ttyS31), whatever driver name the kernel shows for it.
std::optional<DiscoveredPort> readPort(const fs::path& root, const std::string& name) {
    const auto ttyFolder = resolveRooted(root, ttyClass / name);
    if (!ttyFolder || !isPresent(root, *ttyFolder / "device") ||
        readRootedText(root, *ttyFolder / "type") == "0") {
        return std::nullopt;
    }
    DiscoveredPort port;
    port.name = name;
    port.devicePath = (fs::path("/dev") / name).string();
    if (const auto device = resolveRooted(root, *ttyFolder / "device");
        device && isPresent(root, *device)) {
        port.driver = driverOf(root, *device);
        readUsbIdentity(root, *device, port);
    }
    return port;
}

} // namespace

std::vector<DiscoveredPort> discoverSerialPorts(const fs::path& root) {
    std::vector<DiscoveredPort> ports;
    const auto stablePaths = stablePathsByTarget(root);
    for (const std::string& name : entryNames(root, ttyClass)) {
        auto port = readPort(root, name);
        if (!port) {
            continue;
        }
        if (const auto node = resolveRooted(root, port->devicePath)) {
            if (const auto stable = stablePaths.find(*node); stable != stablePaths.end()) {
                port->stablePath = stable->second;
            }
        }
        ports.push_back(std::move(*port));
    }
    std::ranges::sort(ports, [](const DiscoveredPort& left, const DiscoveredPort& right) {
        if (left.isUsb() != right.isUsb()) {
            return left.isUsb();
        }
        return naturalLess(left.name, right.name);
    });
    return ports;
}

std::string portDescription(const DiscoveredPort& port) {
    std::string description = port.product;
    if (!port.manufacturer.empty()) {
        description += description.empty() ? port.manufacturer : " (" + port.manufacturer + ")";
    }
    return description;
}

std::string portLabel(const DiscoveredPort& port) {
    const std::string description = portDescription(port);
    return description.empty() ? port.devicePath : description + ", " + port.devicePath;
}

std::string storedPortPath(const DiscoveredPort& port) {
    return port.stablePath.empty() ? port.devicePath : port.stablePath;
}

const DiscoveredPort* findPort(const std::vector<DiscoveredPort>& ports, std::string_view path) {
    const auto found = std::ranges::find_if(ports, [path](const DiscoveredPort& port) {
        return port.devicePath == path || (!port.stablePath.empty() && port.stablePath == path);
    });
    return found != ports.end() ? &*found : nullptr;
}

bool isSameDevice(const std::string& first, const std::string& second) {
    // The standard library's equivalent() refuses to compare device files.
    struct stat one {};
    struct stat other {};
    return ::stat(first.c_str(), &one) == 0 && ::stat(second.c_str(), &other) == 0 &&
           one.st_dev == other.st_dev && one.st_ino == other.st_ino;
}
