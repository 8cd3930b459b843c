#include "support/FakeSysfs.h"

#include <fstream>
#include <stdexcept>
#include <stdlib.h>

namespace fs = std::filesystem;

namespace {

const fs::path ttyClass = "/sys/class/tty";
const fs::path usbBus = "/sys/devices/pci0000:00/0000:00:14.0/usb1";

FakeTty addTty(FakeSysfs& tree, const std::string& name, const fs::path& device) {
    const FakeTty tty{ttyClass / name, device / "tty" / name, device};
    tree.makeFolder(tty.folder);
    tree.linkTo(tty.classEntry, tty.folder);
    tree.linkTo(tty.folder / "device", device);
    return tty;
}

void bindDriver(FakeSysfs& tree, const fs::path& device, const fs::path& driver) {
    tree.makeFolder(driver);
    tree.linkTo(device / "driver", driver);
}

// The USB device's folder with its attributes; returns its first interface.
fs::path addUsbDevice(FakeSysfs& tree, const std::string& usbName,
                      const UsbAttributes& attributes) {
    const fs::path device = usbBus / usbName;
    for (const auto& [file, text] : attributes) {
        tree.write(device / file, text + "\n");
    }
    return device / (usbName + ":1.0");
}

} // namespace

FakeSysfs::FakeSysfs() {
    std::string pattern = (fs::temp_directory_path() / "mirafen-sysfs-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot make a temporary folder");
    }
    rootFolder = pattern;
    // The root hub: a USB device above every adapter, which their identity must not come from.
    write(usbBus / "idVendor", "1d6b\n");
    write(usbBus / "manufacturer", "Linux Foundation\n");
}

FakeSysfs::~FakeSysfs() {
    std::error_code ignored;
    fs::remove_all(rootFolder, ignored);
}

fs::path FakeSysfs::onDisk(const fs::path& systemPath) const {
    return rootFolder / systemPath.relative_path();
}

void FakeSysfs::write(const fs::path& systemPath, std::string_view text) {
    makeFolder(systemPath.parent_path());
    std::ofstream(onDisk(systemPath), std::ios::binary) << text;
}

void FakeSysfs::makeFolder(const fs::path& systemPath) {
    fs::create_directories(onDisk(systemPath));
}

void FakeSysfs::link(const fs::path& systemPath, const fs::path& target) {
    makeFolder(systemPath.parent_path());
    fs::remove(onDisk(systemPath));
    fs::create_symlink(target, onDisk(systemPath));
}

void FakeSysfs::linkTo(const fs::path& systemPath, const fs::path& target) {
    link(systemPath, target.lexically_relative(systemPath.parent_path()));
}

FakeTty addUsbSerialPort(FakeSysfs& tree, const std::string& name, const std::string& usbName,
                         const std::string& driver, const UsbAttributes& attributes) {
    const fs::path port = addUsbDevice(tree, usbName, attributes) / name;
    bindDriver(tree, port, fs::path("/sys/bus/usb-serial/drivers") / driver);
    return addTty(tree, name, port);
}

FakeTty addAcmPort(FakeSysfs& tree, const std::string& name, const std::string& usbName,
                   const UsbAttributes& attributes) {
    const fs::path interface = addUsbDevice(tree, usbName, attributes);
    bindDriver(tree, interface, "/sys/bus/usb/drivers/cdc_acm");
    return addTty(tree, name, interface);
}

FakeTty addUart(FakeSysfs& tree, const std::string& name, std::string_view type) {
    const fs::path platformDevice = "/sys/devices/platform/serial8250";
    bindDriver(tree, platformDevice, "/sys/bus/platform/drivers/serial8250");
    const FakeTty tty = addTty(tree, name, platformDevice);
    tree.write(tty.folder / "type", std::string(type) + "\n");
    return tty;
}

void addVirtualTty(FakeSysfs& tree, const std::string& name) {
    const fs::path folder = fs::path("/sys/devices/virtual/tty") / name;
    tree.write(folder / "dev", "4:1\n");
    tree.linkTo(ttyClass / name, folder);
}
