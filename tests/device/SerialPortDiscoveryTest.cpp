#include "device/SerialPortDiscovery.h"

#include "device/NaturalOrder.h"
#include "support/FakeSysfs.h"

#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <ostream>

namespace fs = std::filesystem;

void PrintTo(const DiscoveredPort& port, std::ostream* out) {
    *out << "{" << port.name << " " << port.devicePath << " stable '" << port.stablePath
         << "' driver '" << port.driver << "' '" << port.manufacturer << "' '" << port.product
         << "' serial '" << port.serialNumber << "' " << port.vendorId << ":" << port.productId
         << "}";
}

namespace {

const std::string ftdiById = "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0";

const DiscoveredPort ftdi{"ttyUSB0",         "/dev/ttyUSB0", ftdiById, "ftdi_sio", "FTDI",
                          "FT232R USB UART", "A50285BI",     "0403",   "6001"};
const DiscoveredPort acm{"ttyACM0",           "/dev/ttyACM0", "",     "cdc_acm", "Zentiq",
                         "Zentiq Field Unit", "ZQ0042",       "1209", "7a01"};
// A converter that names neither its maker nor itself.
const DiscoveredPort bareUsb{"ttyUSB2", "/dev/ttyUSB2", "", "pl2303", "", "", "", "067b", "2303"};
const DiscoveredPort cp210x{"ttyUSB10", "/dev/ttyUSB10", "",
                            "cp210x",   "Silicon Labs",  "CP2102 USB to UART Bridge Controller",
                            "0001",     "10c4",          "ea60"};
const DiscoveredPort uart{"ttyS0", "/dev/ttyS0", "", "serial8250", "", "", "", "", ""};

UsbAttributes attributesOf(const DiscoveredPort& port) {
    UsbAttributes attributes{{"idVendor", port.vendorId}, {"idProduct", port.productId}};
    for (const auto& [file, text] : UsbAttributes{{"manufacturer", port.manufacturer},
                                                  {"product", port.product},
                                                  {"serial", port.serialNumber}}) {
        if (!text.empty()) {
            attributes.emplace_back(file, text);
        }
    }
    return attributes;
}

// A machine with one port of each kind and the terminals that are not ports: the console tty1
// and the empty UART slot ttyS4.
struct Machine {
    FakeSysfs tree;
    FakeTty ftdiTty = addUsbSerialPort(tree, "ttyUSB0", "1-1", "ftdi_sio", attributesOf(ftdi));

    Machine() {
        tree.linkTo(ftdiById, "/dev/ttyUSB0");
        addAcmPort(tree, "ttyACM0", "1-2", attributesOf(acm));
        addUsbSerialPort(tree, "ttyUSB2", "1-3", "pl2303", attributesOf(bareUsb));
        addUsbSerialPort(tree, "ttyUSB10", "1-4", "cp210x", attributesOf(cp210x));
        addUart(tree, "ttyS0", "4");
        addUart(tree, "ttyS4", "0");
        addVirtualTty(tree, "tty1");
    }

    std::optional<DiscoveredPort> port(std::string_view name) const {
        const auto ports = discoverSerialPorts(tree.root());
        const auto found = std::ranges::find(ports, name, &DiscoveredPort::name);
        return found == ports.end() ? std::nullopt : std::optional(*found);
    }
};

TEST(SerialPortDiscoveryTest, ListsHardwarePortsUsbFirstInNaturalOrder) {
    const Machine machine;

    const std::vector<DiscoveredPort> expected{acm, ftdi, bareUsb, cp210x, uart};
    EXPECT_EQ(discoverSerialPorts(machine.tree.root()), expected);
}

TEST(SerialPortDiscoveryTest, DamagedTreeLeavesInformationOut) {
    DiscoveredPort withoutDriver = ftdi;
    withoutDriver.driver.clear();
    DiscoveredPort withoutProduct = ftdi;
    withoutProduct.product.clear();
    DiscoveredPort withoutStablePath = ftdi;
    withoutStablePath.stablePath.clear();
    const DiscoveredPort nothingKnown{"ttyUSB0", "/dev/ttyUSB0", ftdiById};
    const fs::path usbDevice = "/sys/devices/pci0000:00/0000:00:14.0/usb1/1-1";

    struct Case {
        const char* damage;
        std::function<void(Machine&)> apply;
        std::optional<DiscoveredPort> expected;
    };
    const std::vector<Case> cases{
        {"driver gone", [](Machine& m) { fs::remove_all(m.tree.onDisk("/sys/bus/usb-serial")); },
         withoutDriver},
        {"product unreadable",
         [&](Machine& m) {
             fs::remove(m.tree.onDisk(usbDevice / "product"));
             m.tree.makeFolder(usbDevice / "product");
         },
         withoutProduct},
        {"device link broken",
         [](Machine& m) { m.tree.link(m.ftdiTty.folder / "device", "../../../gone"); },
         nothingKnown},
        {"device link loops",
         [](Machine& m) { m.tree.link(m.ftdiTty.folder / "device", "device"); }, nothingKnown},
        {"by-id link to another device", [](Machine& m) { m.tree.link(ftdiById, "../../ttyUSB7"); },
         withoutStablePath},
        {"class entry broken",
         [](Machine& m) { m.tree.link(m.ftdiTty.classEntry, "../../devices/gone"); }, std::nullopt},
        {"absolute links",
         [](Machine& m) {
             m.tree.link(m.ftdiTty.classEntry, m.ftdiTty.folder);
             m.tree.link(m.ftdiTty.folder / "device", m.ftdiTty.device);
             m.tree.link(ftdiById, "/dev/ttyUSB0");
         },
         ftdi},
        {"links climbing above the root",
         [](Machine& m) {
             m.tree.link(m.ftdiTty.device / "driver",
                         "../../../../../../../../../../../../../../sys/bus/usb-serial/drivers/"
                         "ftdi_sio");
             m.tree.link(ftdiById, "../../../../../../dev/ttyUSB0");
         },
         ftdi},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.damage);
        Machine machine;
        c.apply(machine);
        EXPECT_EQ(machine.port("ttyUSB0"), c.expected);
        EXPECT_EQ(machine.port("ttyACM0"), acm);
    }
}

TEST(SerialPortDiscoveryTest, TreeWithoutTerminalsGivesNoPorts) {
    FakeSysfs tree;
    EXPECT_TRUE(discoverSerialPorts(tree.root() / "absent").empty());
    EXPECT_TRUE(discoverSerialPorts(tree.root()).empty());
    tree.makeFolder("/sys/class/tty");
    EXPECT_TRUE(discoverSerialPorts(tree.root()).empty());
}

TEST(SerialPortDiscoveryTest, ReadsThisMachine) {
    for (const DiscoveredPort& port : discoverSerialPorts()) {
        EXPECT_EQ(port.devicePath, "/dev/" + port.name);
    }
}

TEST(SerialPortTextTest, LabelShowsWhatIsKnown) {
    struct Case {
        std::string product;
        std::string manufacturer;
        std::string label;
    };
    const std::vector<Case> cases{
        {"FT232R USB UART", "FTDI", "FT232R USB UART (FTDI), /dev/ttyUSB0"},
        {"FT232R USB UART", "", "FT232R USB UART, /dev/ttyUSB0"},
        {"", "FTDI", "FTDI, /dev/ttyUSB0"},
        {"", "", "/dev/ttyUSB0"},
    };
    for (const Case& c : cases) {
        DiscoveredPort port{.name = "ttyUSB0", .devicePath = "/dev/ttyUSB0"};
        port.product = c.product;
        port.manufacturer = c.manufacturer;
        EXPECT_EQ(portLabel(port), c.label);
    }
}

TEST(SerialPortTextTest, StoresTheStablePathWhenThereIsOne) {
    EXPECT_EQ(storedPortPath(ftdi), ftdiById);
    EXPECT_EQ(storedPortPath(cp210x), "/dev/ttyUSB10");
}

TEST(NaturalOrderTest, ComparesDigitRunsAsNumbers) {
    struct Case {
        std::string_view left;
        std::string_view right;
        bool less;
    };
    const std::vector<Case> cases{
        {"ttyUSB2", "ttyUSB10", true}, {"ttyUSB10", "ttyUSB2", false},
        {"ttyUSB2", "ttyUSB2", false}, {"ttyS9", "ttyS10", true},
        {"ttyS1", "ttyS01", false},    {"ttyS01", "ttyS1", true},
        {"tty", "tty0", true},         {"ttyACM10", "ttyUSB1", true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(naturalLess(c.left, c.right), c.less) << c.left << " < " << c.right;
    }
}

} // namespace
