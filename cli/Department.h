#pragma once

#include "config/ProgramSettings.h"

#include <ostream>

// Before mirafen-cli exits: when zenset.sys names the department's record and rows wait in the
// department's queue, tries for a moment (at most about two seconds, waiting on the connection)
// to deliver them; what is left waits for the next run. Says on err why the record could not be
// reached or refused, and how many rows wait.
void deliverQueuedRows(const ProgramSettings& settings, std::ostream& err);
