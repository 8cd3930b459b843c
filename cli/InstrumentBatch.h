#pragma once

#include "cli/InstrumentJob.h"

class ProgressLine;

// Runs the jobs at once on one poll(2) loop until every one is over, with one progress line for
// the whole batch: the requests under way against the requests known so far.
void runJobs(InstrumentJobs& jobs, ProgressLine& progress);
