#include "config/ProgramSettings.h"

#include "config/ComPorts.h"
#include "setup/DecimalText.h"
#include "setup/KeyValueFile.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <pwd.h>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace {

constexpr std::string_view kCommPortKey = "COMMPORT";
constexpr std::string_view kCommDeviceKey = "COMMDEVICE";
constexpr std::string_view kMinimumSpacingKey = "MINSPACING";
constexpr std::string_view kVerifySavesKey = "VERIFYSAVE";

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

std::string commDeviceKey(int comNumber) {
    return std::string(kCommDeviceKey) + std::to_string(comNumber);
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
    if (!file.openForReading(settingsPath()))
        return std::nullopt;
    return commPortIn(*file.read());
}

std::optional<std::uint8_t> ProgramSettings::commPortIn(const KeyValueText& settings) {
    const auto value = settings.getValue(kCommPortKey);
    if (!value)
        return std::nullopt;
    return static_cast<std::uint8_t>(parseDecimal(*value));
}

KeyValueText::Entry ProgramSettings::commPortEntry(std::uint8_t port) {
    return {std::string(kCommPortKey), std::to_string(port)};
}

void ProgramSettings::storeCommPort(std::uint8_t port) const {
    KeyValueFile file;
    if (!file.open(settingsPath(), true))
        throw file.openFailure();
    const auto entry = commPortEntry(port);
    file.setValue(entry.first, entry.second);
}

std::string ProgramSettings::commDevice(int comNumber) const {
    return boundDevice(comNumber).value_or("/dev/ttyS" + std::to_string(comNumber - 1));
}

std::string ProgramSettings::portDevice(std::uint8_t port) const {
    return commDevice(comNumberOf(port));
}

std::optional<std::string> ProgramSettings::boundDevice(int comNumber) const {
    KeyValueFile file;
    if (!file.openForReading(settingsPath()))
        return std::nullopt;
    return boundDeviceIn(*file.read(), comNumber);
}

std::optional<std::string> ProgramSettings::boundDeviceIn(const KeyValueText& settings,
                                                          int comNumber) {
    const auto device = settings.getValue(commDeviceKey(comNumber));
    if (!device || device->empty())
        return std::nullopt;
    return std::string(*device);
}

void ProgramSettings::storeCommDevices(const std::map<int, std::string>& devices) const {
    KeyValueFile file;
    if (!file.open(settingsPath(), true))
        throw file.openFailure();
    std::vector<KeyValueFile::Entry> entries;
    for (const auto& [comNumber, path] : devices)
        entries.emplace_back(commDeviceKey(comNumber), path);
    file.setValues(entries);
}

std::chrono::milliseconds ProgramSettings::minimumSpacing() const {
    KeyValueFile file;
    if (!file.openForReading(settingsPath()))
        return std::chrono::milliseconds(0);
    return minimumSpacingIn(*file.read());
}

std::chrono::milliseconds ProgramSettings::minimumSpacingIn(const KeyValueText& settings) {
    const auto value = settings.getValue(kMinimumSpacingKey);
    if (!value)
        return std::chrono::milliseconds(0);
    return std::max(std::chrono::milliseconds(parseDecimal(*value)), std::chrono::milliseconds(0));
}

bool ProgramSettings::verifiesSaves() const {
    KeyValueFile file;
    if (!file.openForReading(settingsPath()))
        return false;
    const auto value = file.read()->getValue(kVerifySavesKey);
    return value && parseDecimal(*value) != 0;
}

void ProgramSettings::storeVerifiesSaves(bool on) const {
    KeyValueFile file;
    if (!file.open(settingsPath(), true))
        throw file.openFailure();
    file.setValue(std::string(kVerifySavesKey), on ? "1" : "0");
}
