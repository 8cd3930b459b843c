#pragma once

#include "device/Registers.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

// The instrument's registers: identity 0x10, the setting registers and one register per lead.
class RegisterStore {
public:
    explicit RegisterStore(const DeviceIdentity& identity = {});

    std::optional<std::span<const std::uint8_t>> read(std::uint8_t reg) const;
    // False (nothing stored) for an unknown register or content of the wrong length.
    bool write(std::uint8_t reg, std::span<const std::uint8_t> content);

    // Takes every REGxx=hex line of a state file over, creating the file when it is missing.
    // Lines of the wrong length or with other than hex digits are listed in rejected. Throws
    // FileError when the file cannot be opened.
    void load(const std::string& path, std::vector<std::string>& rejected);
    // Writes every register into the state file in one rewrite. Throws FileError when it cannot
    // be opened or the rewrite fails midway.
    void save(const std::string& path) const;

private:
    std::array<std::vector<std::uint8_t>, 256> registers;
};
