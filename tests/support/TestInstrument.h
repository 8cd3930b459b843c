#pragma once

#include "setup/SetupRecord.h"

#include <array>
#include <cstdint>
#include <span>
#include <vector>

// A setup with every field off its default: lead 1 "abc" skipped, lead 2 named longer than
// a lead name may be, shut-off 65 s, good limit 1000.
SetupRecord sampleSetup();
// The sample setup after a trip through the instrument: names blank-padded and cut to 8,
// shut-off in whole tens of seconds.
SetupRecord sampleSetupReadBack();

// A frame as the instrument sends it: 0x55, length, command, data, checksum.
std::vector<std::uint8_t> frameOf(std::uint8_t command, std::span<const std::uint8_t> data);

// A register store that answers request frames the way the instrument does: a read with the
// register's content under the register's number, a write with the acknowledgement.
class TestInstrument {
public:
    // Empty when the request is not a well-formed frame.
    std::vector<std::uint8_t> answer(std::span<const std::uint8_t> request);

    std::vector<std::uint8_t>& reg(std::uint8_t number) { return registers.at(number); }

private:
    std::array<std::vector<std::uint8_t>, 256> registers;
};
