#include "support/InMemoryLine.h"

#include "device/Frame.h"

Bytes takeSentFrame(Bytes& sent) {
    const FrameSearch found = findFrame(sent);
    if (!found.complete)
        return {};
    const auto begin = sent.begin() + static_cast<std::ptrdiff_t>(found.noise);
    const auto end = begin + static_cast<std::ptrdiff_t>(found.frameSize);
    Bytes frame(begin, end);
    sent.erase(sent.begin(), end);
    return frame;
}

namespace {

void collect(Bytes& sent, const std::vector<std::uint8_t>& output) {
    sent.insert(sent.end(), output.begin(), output.end());
}

} // namespace

Bytes LinkInMemory::nextRequest() {
    collect(sent, link.takeOutput());
    return takeSentFrame(sent);
}

std::size_t LinkInMemory::unreadRequestBytes() {
    collect(sent, link.takeOutput());
    return sent.size();
}

InstrumentInMemory::InstrumentInMemory(InstrumentSession& session)
    : session(session) {
    session.lineOpened();
}

Bytes InstrumentInMemory::nextRequest() {
    collect(sent, session.takeOutput());
    return takeSentFrame(sent);
}

std::size_t InstrumentInMemory::unreadRequestBytes() {
    collect(sent, session.takeOutput());
    return sent.size();
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
