#pragma once

#include "device/DeviceInfo.h"
#include "setup/SetupRecord.h"

#include <optional>
#include <string>
#include <vector>

// One field in which two setups differ, with each one's value as the instrument holds it.
struct SetupDifference {
    std::string field; // "Lead 5 name", "Lead 5 skipped", or a setting's label
    std::string expected;
    std::string found;

    bool operator==(const SetupDifference&) const = default;
};

// What an instrument of leadCount leads would hold of expected and of found, compared field by
// field in the order of a setup file: a name as the instrument stores it (its first 8
// characters, blank-padded), option codes as normalized, only the module's leads.
std::vector<SetupDifference> setupDifferences(const SetupRecord& expected, const SetupRecord& found,
                                              int leadCount);

// "Lead 5 name: "ARM     " here, "LEG     " in the instrument", one line a difference.
std::string differencesText(const std::vector<SetupDifference>& differences);

// Compares what a write of record and info sent, register by register and the identity
// included, with what was read back from the instrument afterwards: the one-line reason naming
// the registers whose content differs, none when the instrument kept everything. An
// acknowledgement says only that the instrument received a request; this says that it kept it.
std::optional<std::string> verificationFailure(const SetupRecord& record, const DeviceInfo& info,
                                               const SetupRecord& readBack,
                                               const DeviceInfo& readInfo);
