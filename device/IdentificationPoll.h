#pragma once

#include "device/DeviceInfo.h"
#include "device/Registers.h"

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

private:
    Outcome takeReply();

    SerialLink& link;
    LinkState& state;
};
