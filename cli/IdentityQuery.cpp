#include "cli/IdentityQuery.h"

#include "cli/InstrumentPace.h"
#include "device/IdentificationPoll.h"
#include "device/SerialLink.h"

#include <array>
#include <thread>

std::optional<DeviceIdentity> awaitIdentity(SerialLink& link, std::chrono::milliseconds wait) {
    using namespace InstrumentPace;
    std::array<std::uint8_t, kFrameBufferSize> frame{};
    auto next = Clock::now();
    const auto deadline = next + wait;
    for (int pumps = 0; next < deadline; ++pumps) {
        if (pumps % kPumpsPerIdentityRequest == 0) {
            link.clearInput();
            IdentificationPoll::askForIdentity(link);
        }
        next += kPump;
        std::this_thread::sleep_until(next);
        link.pump();
        if (link.takeFrame(frame)) {
            if (auto identity = IdentificationPoll::parseIdentity(frame))
                return identity;
        }
    }
    return std::nullopt;
}
