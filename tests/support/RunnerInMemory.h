#pragma once

#include "operations/OperationRunner.h"
#include "support/InMemoryLine.h"

#include <functional>

// Runs runner, started at now, to its end against the instrument in memory: each request is
// answered as it comes, arriving at now, and the clock moves on to the session's next call while
// nothing is to be answered. sent sees every request; answered(n) runs after the n-th answer and
// may cancel the runner or change the instrument's faults.
inline void runToTheEnd(OperationRunner& runner, InstrumentSession& session,
                        InstrumentInMemory& instrument, InstrumentSession::TimePoint& now,
                        const std::function<void(const Bytes& request)>& sent = {},
                        const std::function<void(int answered)>& answered = {}) {
    runner.start(now);
    int answers = 0;
    while (!runner.finished()) {
        for (Bytes request = instrument.nextRequest(); !request.empty() && !runner.finished();
             request = instrument.nextRequest()) {
            if (sent)
                sent(request);
            if (const auto reply = instrument.responder.answer(request)) {
                instrument.send(reply->bytes(), now);
                if (answered)
                    answered(++answers);
            }
        }
        if (!runner.finished()) {
            now = session.nextCall();
            session.timePassed(now);
        }
    }
}
