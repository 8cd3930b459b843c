#include "TestInstrument.h"

#include <numeric>

std::vector<std::uint8_t> frameOf(std::uint8_t command, std::span<const std::uint8_t> data) {
    std::vector<std::uint8_t> frame{0x55, static_cast<std::uint8_t>(data.size()), command};
    frame.insert(frame.end(), data.begin(), data.end());
    const int sum = std::accumulate(frame.begin() + 1, frame.end(), 0);
    frame.push_back(static_cast<std::uint8_t>(sum));
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
