#include "support/TestInstrument.h"

#include "device/Frame.h"

#include <algorithm>

SetupRecord sampleSetup() {
    SetupRecord record;
    record.leadName[1] = "abc";
    record.leadSkip[1] = true;
    record.leadName[2] = "LONGNAME12";
    record.frequency = 3;
    record.failureLimit = 2;
    record.failureResponse = 2;
    record.startupMode = 0;
    record.goodLimit = 1000;
    record.poorLimit = 257;
    record.shutOffTime = 65;
    return record;
}

SetupRecord sampleSetupReadBack() {
    SetupRecord record = sampleSetup();
    record.leadName[1] = "abc     ";
    record.leadName[2] = "LONGNAME";
    record.shutOffTime = 60;
    return record;
}

std::vector<std::uint8_t> frameOf(std::uint8_t command, std::span<const std::uint8_t> data) {
    std::vector<std::uint8_t> frame(data.size() + 4);
    frame[0] = 0x55;
    frame[1] = static_cast<std::uint8_t>(data.size());
    frame[2] = command;
    std::copy(data.begin(), data.end(), frame.begin() + 3);
    frame.back() = frameChecksum(command, data);
    return frame;
}

std::vector<std::uint8_t> TestInstrument::answer(std::span<const std::uint8_t> request) {
    if (request.size() < 4 || request[0] != 0x55 || request.size() != request[1] + 4U)
        return {};
    const std::uint8_t command = request[2];
    const auto data = request.subspan(3, request[1]);
    if (command == 0x01 && data.size() == 1)
        return frameOf(data[0], registers.at(data[0]));
    registers.at(command).assign(data.begin(), data.end());
    return frameOf(0x00, std::array<std::uint8_t, 1>{0x00});
}
