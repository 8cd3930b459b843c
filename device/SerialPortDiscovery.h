#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

// A serial port the machine has, as its sysfs describes it. Text the kernel does not give is
// empty.
struct DiscoveredPort {
    std::string name{};       // "ttyUSB0"
    std::string devicePath{}; // "/dev/ttyUSB0"
    // A /dev/serial/by-id link to the port, which keeps naming the same adapter across
    // replugging and reboots; empty when there is none.
    std::string stablePath{};
    std::string driver{}; // "ftdi_sio", "cdc_acm", "serial8250"
    // Of the USB device, for ports on USB.
    std::string manufacturer{};
    std::string product{};
    std::string serialNumber{};
    std::string vendorId{};  // four hex digits, as the kernel gives them
    std::string productId{}; // likewise

    bool isUsb() const { return !vendorId.empty(); }
    bool operator==(const DiscoveredPort&) const = default;
};

// The serial ports under root's sys/class/tty, USB ones first, each group in natural name order
// (ttyUSB2 before ttyUSB10). Terminals without hardware (virtual consoles, UARTs the serial core
// found nothing at) are left out. Paths returned are the machine's own, without root. Missing or
// unreadable parts of the tree leave their text empty; a tree without sys/class/tty gives none.
std::vector<DiscoveredPort> discoverSerialPorts(const std::filesystem::path& root = "/");

// What the port is: "FT232R USB UART (FTDI)"; empty when nothing is known of it.
std::string portDescription(const DiscoveredPort& port);

// How a list shows the port: "FT232R USB UART (FTDI), /dev/ttyUSB0", or only the device path
// when nothing is known of it.
std::string portLabel(const DiscoveredPort& port);

// The path to keep for reconnecting later: the stable one when there is one.
std::string storedPortPath(const DiscoveredPort& port);

// The port that path names, by its device path or its stable path; null when none does.
const DiscoveredPort* findPort(const std::vector<DiscoveredPort>& ports, std::string_view path);

// True when both paths lead to the same device file (a by-id link and the device it names).
bool isSameDevice(const std::string& first, const std::string& second);
