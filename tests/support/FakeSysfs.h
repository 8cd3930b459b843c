#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// A machine's /sys and /dev laid out in a temporary folder, removed again at the end. Paths
// given are the machine's own ("/sys/class/tty"); links are made as the kernel makes them,
// relative to their folder.
class FakeSysfs {
public:
    FakeSysfs();
    ~FakeSysfs();
    FakeSysfs(const FakeSysfs&) = delete;
    FakeSysfs& operator=(const FakeSysfs&) = delete;

    const std::filesystem::path& root() const { return rootFolder; }
    std::filesystem::path onDisk(const std::filesystem::path& systemPath) const;

    void write(const std::filesystem::path& systemPath, std::string_view text);
    void makeFolder(const std::filesystem::path& systemPath);
    // A link at systemPath holding target as given (absolute, broken or odd); replaces one there.
    void link(const std::filesystem::path& systemPath, const std::filesystem::path& target);
    // A link at systemPath to the machine path target, written relative as sysfs does.
    void linkTo(const std::filesystem::path& systemPath, const std::filesystem::path& target);

private:
    std::filesystem::path rootFolder;
};

// A USB device's attribute files ("idVendor", "product", ...) and their text.
using UsbAttributes = std::vector<std::pair<std::string, std::string>>;

// The kernel's folders of a tty named name: its class entry, its own folder and the device it
// hangs from.
struct FakeTty {
    std::filesystem::path classEntry;
    std::filesystem::path folder;
    std::filesystem::path device;
};

// A usb-serial converter port (ttyUSB): tty -> port -> interface -> USB device usbName.
FakeTty addUsbSerialPort(FakeSysfs& tree, const std::string& name, const std::string& usbName,
                         const std::string& driver, const UsbAttributes& attributes);
// A USB modem (ttyACM): tty -> interface -> USB device usbName, bound to cdc_acm.
FakeTty addAcmPort(FakeSysfs& tree, const std::string& name, const std::string& usbName,
                   const UsbAttributes& attributes);
// A platform UART of the given serial core type (0: no chip found).
FakeTty addUart(FakeSysfs& tree, const std::string& name, std::string_view type);
// A terminal with no hardware behind it.
void addVirtualTty(FakeSysfs& tree, const std::string& name);
