#pragma once

#include "device/Registers.h"

#include <cstdint>
#include <optional>
#include <span>

class SerialLink;

// The one way of asking the instrument who it is, which the poll, a one-off query and the port
// search share: the request, and what its answer says.

// Sends the request for the identity register.
void sendIdentityRequest(SerialLink& link);

// The identity in one frame taken from the link; none unless its length byte is the identity's.
// The checksum is not looked at: the instrument's identity replies are taken as they come.
std::optional<DeviceIdentity> identityFromReply(std::span<const std::uint8_t> frame);
