#pragma once

#include "device/PortError.h"
#include "support/Thrown.h"

#include <string>

// The system's reason a port gave for not opening ("<path>: <reason>"); empty when it opened.
template <typename Open> std::string portRefusal(Open&& open) {
    const std::optional<PortError> error = thrown<PortError>(open);
    return error ? error->reason() : std::string();
}
