#pragma once

#include "setup/SetupRecord.h"

// A setup with every field off its default: lead 1 "abc" skipped, lead 2 named longer than
// a lead name may be, shut-off 65 s, good limit 1000.
SetupRecord sampleSetup();
// The sample setup after a trip through the instrument: names blank-padded and cut to 8,
// shut-off in whole tens of seconds.
SetupRecord sampleSetupReadBack();
