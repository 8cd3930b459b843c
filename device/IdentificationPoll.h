#pragma once

#include "device/Registers.h"

#include <cstdint>

class SerialLink;

// What the poll knows of the instrument on its line.
struct LinkState {
    bool connected = false;
    std::uint8_t missedPolls = 0;
};

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

private:
    Outcome takeReply();

    SerialLink& link;
    LinkState& state;
};
