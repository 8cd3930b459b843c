#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

// The frames that tests meet most, byte for byte as on the wire.
inline const Bytes kIdentityRequest{0x55, 0x01, 0x01, 0x10, 0x12};
inline const Bytes kAcknowledgement{0x55, 0x01, 0x00, 0x00, 0x01};

Bytes bytesOf(std::span<const std::uint8_t> bytes);
// The frame of command and data as a test sends or expects it.
Bytes frameBytes(std::uint8_t command, std::span<const std::uint8_t> data);
// The same frame with a checksum that does not add up.
Bytes withBadChecksum(std::span<const std::uint8_t> frame);
// Text as the simulator's state file keeps a register's bytes: upper-case hex, two digits a byte.
std::string hexOf(std::string_view text);
