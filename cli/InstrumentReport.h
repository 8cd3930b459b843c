#pragma once

#include "cli/InstrumentJob.h"
#include "config/ModuleCatalogue.h"
#include "device/Registers.h"

#include <optional>
#include <string>

// What the instrument commands print.

// identify: the port, the serial number, the module type with its catalogue text and lead count
// (none when the catalogue does not know it) and the firmware revision.
std::string identityText(const std::string& devicePath, const DeviceIdentity& identity,
                         const std::optional<ModuleCatalogue::Module>& module);
std::string identityJson(const std::string& devicePath, const DeviceIdentity& identity,
                         const std::optional<ModuleCatalogue::Module>& module);

// A batch: one line per instrument (the ports of a search where none answered left out), its
// device, its serial number and what became of it
// ("written", "written, verified", "read into FILE", its module for identify, "same" or the
// number of differences with its module for diff, then the differences, or "failed: " and the
// reason).
std::string batchText(const InstrumentJobs& jobs);
// The same as one JSON document.
std::string batchJson(const InstrumentJobs& jobs);

// diff with one instrument: its identity, whether it holds the file, and the differences.
std::string comparisonText(const InstrumentJob& job);
std::string comparisonJson(const InstrumentJob& job);
