#include "ProgramSettings.h"

#include "DecimalText.h"
#include "KeyValueFile.h"
#include "SerialLink.h"

#include <cstdlib>
#include <filesystem>
#include <pwd.h>
#include <unistd.h>

namespace {

constexpr std::string_view kCommPortKey = "COMMPORT";
constexpr std::string_view kCommDeviceKey = "COMMDEVICE";
constexpr std::uint16_t kBaudRate = 9600;

std::string homeFolder() {
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0')
        return home;
    if (const passwd* user = getpwuid(getuid()); user != nullptr && user->pw_dir != nullptr)
        return user->pw_dir;
    return {};
}

std::filesystem::path userDataFolder() {
    if (const char* data = std::getenv("XDG_DATA_HOME"); data != nullptr && *data != '\0')
        return data;
    return std::filesystem::path(homeFolder()) / ".local" / "share";
}

} // namespace

void ProgramSettings::establishDataFolder() {
    const std::filesystem::path folder = userDataFolder() / "Orvell" / "Mirafen";
    dataFolder_ = folder.string();
    // A folder that cannot be made shows up later, when a file in it cannot be opened.
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
}

std::string ProgramSettings::settingsPath() const {
    return dataFolder_ + "/zenset.sys";
}

std::optional<std::uint8_t> ProgramSettings::readCommPort() const {
    KeyValueFile file;
    std::string value;
    if (!file.Open(settingsPath(), true) || !file.GetValue(kCommPortKey, value))
        return std::nullopt;
    return static_cast<std::uint8_t>(parseDecimal(value));
}

bool ProgramSettings::storeCommPort(std::uint8_t port) const {
    KeyValueFile file;
    if (!file.Open(settingsPath(), true))
        return false;
    file.SetValue(kCommPortKey, std::to_string(port));
    return true;
}

std::string ProgramSettings::commDevice(int comNumber) const {
    const std::string key = std::string(kCommDeviceKey) + std::to_string(comNumber);
    KeyValueFile file;
    std::string device;
    if (file.Open(settingsPath(), false) && file.GetValue(key, device) && !device.empty())
        return device;
    return "/dev/ttyS" + std::to_string(comNumber - 1);
}

bool ProgramSettings::loadCommPort(SerialLink& link, const MessageSink& show) {
    const std::optional<std::uint8_t> port = readCommPort();
    if (!port)
        return false;
    openOrFallBack(link, *port, show);
    return true;
}

void ProgramSettings::saveCommPort(SerialLink& link, std::uint8_t port, const MessageSink& show) {
    if (!storeCommPort(port)) {
        show("Couldn't create setup file.", {});
        return;
    }
    openOrFallBack(link, port, show);
}

void ProgramSettings::openOrFallBack(SerialLink& link, std::uint8_t port, const MessageSink& show) {
    if (link.Open(port, kBaudRate))
        return;
    show("That Comm Port is not available.", link.LastOpenError());
    if (previousPort != 0)
        link.Open(previousPort, kBaudRate);
}
