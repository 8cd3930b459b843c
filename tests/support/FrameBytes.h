#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

Bytes bytesOf(std::span<const std::uint8_t> bytes);
// The frame of command and data as a test sends or expects it.
Bytes frameBytes(std::uint8_t command, std::span<const std::uint8_t> data);
// The same frame with a checksum that does not add up.
Bytes withBadChecksum(std::span<const std::uint8_t> frame);
// Text as the simulator's state file keeps a register's bytes: upper-case hex, two digits a byte.
std::string hexOf(std::string_view text);
