#pragma once

#include "setup/KeyValueText.h"

#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <string>

// The program's own settings: the data folder and zenset.sys with the stored COM port
// (COMMPORT), the optional device names of COM numbers (COMMDEVICE<n>) and the optional least
// spacing of requests for a slow instrument (MINSPACING, milliseconds), whether saves are
// verified (VERIFYSAVE) and the department's record (RECORD). Reads report a file that
// cannot be read as a missing value; stores report every failure, opening included, by throwing
// FileError.
class ProgramSettings {
public:
    // $XDG_DATA_HOME/Orvell/Mirafen (default ~/.local/share/Orvell/Mirafen), created here;
    // failures to create it are ignored.
    void establishDataFolder();
    const std::string& dataFolder() const { return dataFolder_; }
    std::string settingsPath() const;

    // The stored port (low 8 bits of COMMPORT); none when the file cannot be read or holds no
    // COMMPORT. Only reads: a missing file stays missing.
    std::optional<std::uint8_t> readCommPort() const;
    // Stores COMMPORT.
    void storeCommPort(std::uint8_t port) const;
    // The device that COM n stands for: COMMDEVICE<n> when set, else /dev/ttyS<n-1>.
    std::string commDevice(int comNumber) const;
    // The device that a stored port number stands for (comNumberOf).
    std::string portDevice(std::uint8_t port) const;
    // COMMDEVICE<n> as stored; none when it is missing or empty.
    std::optional<std::string> boundDevice(int comNumber) const;
    // Stores COMMDEVICE<n>=path for each entry in one rewrite, keeping every other line.
    void storeCommDevices(const std::map<int, std::string>& devices) const;
    // MINSPACING; 0 when it is not set or negative.
    std::chrono::milliseconds minimumSpacing() const;
    // VERIFYSAVE: whether a save into the instrument reads it back to verify; off when absent.
    bool verifiesSaves() const;
    void storeVerifiesSaves(bool on) const;
    // RECORD: the department's record, a libpq connection string or service=NAME; none when it
    // is absent or empty.
    std::optional<std::string> departmentRecord() const;

    // What readCommPort and boundDevice take from the settings' content.
    static std::optional<std::uint8_t> commPortIn(const KeyValueText& settings);
    static std::optional<std::string> boundDeviceIn(const KeyValueText& settings, int comNumber);
    static std::chrono::milliseconds minimumSpacingIn(const KeyValueText& settings);
    // What storeCommPort sets.
    static KeyValueText::Entry commPortEntry(std::uint8_t port);

private:
    std::string dataFolder_;
};
