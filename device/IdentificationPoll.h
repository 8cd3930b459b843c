#pragma once

#include "device/DeviceInfo.h"
#include "device/Registers.h"

#include <cstdint>
#include <optional>
#include <span>

class SerialLink;

// Once a second asks the instrument for its identity register and reports what the answers
// mean: an instrument found, its identity refreshed, the instrument lost. Ticked by the
// instrument session once a poll period; has no timer itself and knows nothing of the window.
class IdentificationPoll {
public:
    enum class Event {
        None,
        InstrumentFound,   // the first identity after none: identity is complete
        IdentityRefreshed, // a further identity while connected
        InstrumentLost,    // the eleventh silent second
    };
    struct Outcome {
        Event event = Event::None;
        DeviceIdentity identity;
    };

    IdentificationPoll(SerialLink& link, LinkState& state);

    // Looks at the answer to the previous request, then asks again.
    Outcome tick();

    // Sends the identity request: the one frame the poll ever writes.
    static void askForIdentity(SerialLink& link);

    // The identity in one frame taken from the link; none unless its length byte is the
    // identity's. The checksum is not looked at: the instrument's identity replies are taken
    // as they come.
    static std::optional<DeviceIdentity> parseIdentity(std::span<const std::uint8_t> frame);

private:
    Outcome takeReply();

    SerialLink& link;
    LinkState& state;
};
