#pragma once

#include "device/DeviceInfo.h"
#include "setup/SetupRecord.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// One field of a setup as two setups hold it, each value as an instrument holds it.
struct ComparedField {
    std::string field; // "Lead 5 name", "Lead 5 skipped", or a setting's label in the window
    std::string expected;
    std::string found;

    bool differs() const { return expected != found; }
    bool operator==(const ComparedField&) const = default;
};

// A field in which two setups differ.
using SetupDifference = ComparedField;

// What an instrument of leadCount leads would hold of expected and of found, field by field in
// the order of a setup file: each lead's name (its first 8 characters, blank-padded) and skip
// flag, only the module's leads, then the seven settings, as the instrument gives them back
// (option codes normalized, the shut-off time in whole tens of seconds).
std::vector<ComparedField> comparedFields(const SetupRecord& expected, const SetupRecord& found,
                                          int leadCount);
// The fields of comparedFields that differ.
std::vector<SetupDifference> setupDifferences(const SetupRecord& expected, const SetupRecord& found,
                                              int leadCount);

// "Lead 5 name: "ARM     " here, "LEG     " in the instrument", the places as given.
std::string differenceLine(const SetupDifference& difference, std::string_view expectedPlace,
                           std::string_view foundPlace);
// One differenceLine a line, each after indent: "here" and "in the instrument" in the window,
// "in ward4.prp" and "in the instrument" from the command line.
std::string differencesText(const std::vector<SetupDifference>& differences,
                            std::string_view expectedPlace, std::string_view foundPlace,
                            std::string_view indent = {});

// Compares what a write of record and info sent, register by register and the identity
// included, with what was read back from the instrument afterwards: the registers whose content
// differs, in the order written; empty when the instrument kept everything. An acknowledgement
// says only that the instrument received a request; this says that it kept it.
std::vector<std::uint8_t> registersNotKept(const SetupRecord& record, const DeviceInfo& info,
                                           const SetupRecord& readBack, const DeviceInfo& readInfo);
// The one-line reason of a verify that found registers not kept: "Verify failed: register 0x81
// differs."
std::string verifyFailedText(const std::vector<std::uint8_t>& registers);
