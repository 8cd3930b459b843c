#include "support/InMemoryLine.h"

#include "device/Frame.h"

void SentRequests::collect() {
    const std::vector<std::uint8_t> more = output();
    sent.insert(sent.end(), more.begin(), more.end());
}

Bytes SentRequests::next() {
    collect();
    const FrameSearch found = findFrame(sent);
    if (!found.complete)
        return {};
    const auto begin = sent.begin() + static_cast<std::ptrdiff_t>(found.noise);
    const auto end = begin + static_cast<std::ptrdiff_t>(found.frameSize);
    Bytes frame(begin, end);
    sent.erase(sent.begin(), end);
    return frame;
}

std::size_t SentRequests::unread() {
    collect();
    return sent.size();
}

InstrumentInMemory::InstrumentInMemory(InstrumentSession& session)
    : session(session) {
    session.lineOpened();
}

int InstrumentInMemory::answerRequests(TimePoint now) {
    int answered = 0;
    for (Bytes request = nextRequest(); !request.empty(); request = nextRequest()) {
        if (const auto reply = responder.answer(request)) {
            session.bytesArrived(reply->bytes(), now);
            ++answered;
        }
    }
    return answered;
}
