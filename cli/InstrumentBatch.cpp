#include "cli/InstrumentBatch.h"

#include "cli/ProgressLine.h"
#include "cli/SessionLoop.h"

#include <algorithm>
#include <vector>

void runJobs(InstrumentJobs& jobs, ProgressLine& progress) {
    using Clock = InstrumentSession::Clock;
    std::vector<DrivenSession> sessions;
    for (InstrumentJob& job : jobs) {
        job.start(Clock::now());
        sessions.push_back({&job.session(), &job.port()});
    }
    int shownRequest = 0;
    int shownTotal = 0;
    driveSessions(sessions, [&] {
        int underWay = 0;
        int known = 0;
        for (const InstrumentJob& job : jobs) {
            underWay += job.requestsUnderWay();
            known += job.requestsKnown();
        }
        if (underWay != shownRequest || known != shownTotal) {
            shownRequest = underWay;
            shownTotal = known;
            progress.setTotal(known);
            progress.show(underWay);
        }
        return std::ranges::all_of(jobs, &InstrumentJob::finished);
    });
}
