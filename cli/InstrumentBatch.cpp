#include "cli/InstrumentBatch.h"

#include "cli/ProgressLine.h"
#include "cli/SessionLoop.h"

#include <vector>

void runJobs(InstrumentJobs& jobs, ProgressLine& progress) {
    using Clock = InstrumentSession::Clock;
    std::vector<InstrumentSession*> sessions;
    for (InstrumentJob& job : jobs) {
        job.start(Clock::now());
        sessions.push_back(&job.session());
    }
    int shownRequest = 0;
    int shownTotal = 0;
    driveSessions(sessions, [&] {
        bool done = true;
        int underWay = 0;
        int known = 0;
        for (InstrumentJob& job : jobs) {
            done = job.advance(Clock::now()) && done;
            underWay += job.requestsUnderWay();
            known += job.requestsKnown();
        }
        if (underWay != shownRequest || known != shownTotal) {
            shownRequest = underWay;
            shownTotal = known;
            progress.setTotal(known);
            progress.show(underWay);
        }
        return done;
    });
}
