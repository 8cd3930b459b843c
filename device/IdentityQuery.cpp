#include "device/IdentityQuery.h"

#include "device/IdentityRequest.h"
#include "device/SerialLink.h"
#include "device/SessionTiming.h"

#include <array>

void IdentityQuery::start(TimePoint now, std::chrono::milliseconds wait) {
    identity_.reset();
    gaveUp = false;
    started = true;
    deadline = now + wait;
    ask(now);
}

void IdentityQuery::frameArrived() {
    std::array<std::uint8_t, kFrameBufferSize> frame{};
    if (!started || finished() || !link.takeFrame(frame))
        return;
    identity_ = identityFromReply(frame);
}

void IdentityQuery::timePassed(TimePoint now) {
    if (!started || finished())
        return;
    if (now >= deadline)
        gaveUp = true;
    else if (now >= lastRequest_ + SessionTiming::kIdentityRepeat)
        ask(now);
}

IdentityQuery::TimePoint IdentityQuery::nextCall() const {
    if (!started || finished())
        return TimePoint::max();
    return std::min(deadline, lastRequest_ + SessionTiming::kIdentityRepeat);
}

void IdentityQuery::ask(TimePoint now) {
    link.clearInput();
    sendIdentityRequest(link);
    lastRequest_ = now;
}
