#pragma once

#include "device/Registers.h"

#include <chrono>
#include <optional>

class SerialLink;

// Asks for the identity as the poll does, again every second, until an answer the poll would
// accept arrives; none when wait passes without one.
std::optional<DeviceIdentity> awaitIdentity(SerialLink& link, std::chrono::milliseconds wait);
