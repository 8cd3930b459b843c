#include "config/ProgramSettings.h"

#include "config/ComPorts.h"
#include "setup/DecimalText.h"
#include "setup/FileError.h"
#include "setup/KeyValueFile.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <pwd.h>
#include <span>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace {

constexpr std::string_view kCommPortKey = "COMMPORT";
constexpr std::string_view kCommDeviceKey = "COMMDEVICE";
constexpr std::string_view kMinimumSpacingKey = "MINSPACING";
constexpr std::string_view kVerifySavesKey = "VERIFYSAVE";
constexpr std::string_view kDepartmentRecordKey = "RECORD";

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

// zenset.sys as it stands; none when it cannot be read, which reads as no value stored.
std::optional<KeyValueText> storedSettings(const std::string& path) {
    try {
        return readKeyValueFile(path);
    } catch (const FileError&) {
        return std::nullopt;
    }
}

// Stores entries into zenset.sys in one rewrite, keeping every other line.
void storeSettings(const std::string& path, std::span<const KeyValueText::Entry> entries) {
    KeyValueFile file;
    file.open(path, true);
    file.setValues(entries);
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
    const auto settings = storedSettings(settingsPath());
    return settings ? commPortIn(*settings) : std::nullopt;
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
    const KeyValueText::Entry entry = commPortEntry(port);
    storeSettings(settingsPath(), std::span(&entry, 1));
}

std::string ProgramSettings::commDevice(int comNumber) const {
    return boundDevice(comNumber).value_or("/dev/ttyS" + std::to_string(comNumber - 1));
}

std::string ProgramSettings::portDevice(std::uint8_t port) const {
    return commDevice(comNumberOf(port));
}

std::optional<std::string> ProgramSettings::boundDevice(int comNumber) const {
    const auto settings = storedSettings(settingsPath());
    return settings ? boundDeviceIn(*settings, comNumber) : std::nullopt;
}

std::optional<std::string> ProgramSettings::boundDeviceIn(const KeyValueText& settings,
                                                          int comNumber) {
    const auto device = settings.getValue(commDeviceKey(comNumber));
    if (!device || device->empty())
        return std::nullopt;
    return std::string(*device);
}

void ProgramSettings::storeCommDevices(const std::map<int, std::string>& devices) const {
    std::vector<KeyValueText::Entry> entries;
    for (const auto& [comNumber, path] : devices)
        entries.emplace_back(commDeviceKey(comNumber), path);
    storeSettings(settingsPath(), entries);
}

std::chrono::milliseconds ProgramSettings::minimumSpacing() const {
    const auto settings = storedSettings(settingsPath());
    return settings ? minimumSpacingIn(*settings) : std::chrono::milliseconds(0);
}

std::chrono::milliseconds ProgramSettings::minimumSpacingIn(const KeyValueText& settings) {
    const auto value = settings.getValue(kMinimumSpacingKey);
    if (!value)
        return std::chrono::milliseconds(0);
    return std::max(std::chrono::milliseconds(parseDecimal(*value)), std::chrono::milliseconds(0));
}

bool ProgramSettings::verifiesSaves() const {
    const auto settings = storedSettings(settingsPath());
    const auto value = settings ? settings->getValue(kVerifySavesKey) : std::nullopt;
    return value && parseDecimal(*value) != 0;
}

void ProgramSettings::storeVerifiesSaves(bool on) const {
    const KeyValueText::Entry entry{kVerifySavesKey, on ? "1" : "0"};
    storeSettings(settingsPath(), std::span(&entry, 1));
}

std::optional<std::string> ProgramSettings::departmentRecord() const {
    const auto settings = storedSettings(settingsPath());
    const auto value = settings ? settings->getValue(kDepartmentRecordKey) : std::nullopt;
    if (!value || value->empty())
        return std::nullopt;
    return std::string(*value);
}
