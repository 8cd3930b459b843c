#pragma once

#include "DeviceImage.h"
#include "DeviceInfo.h"
#include "SetupRecord.h"

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

class SerialLink;

// Moves a whole setup into (mode 0) or out of (mode 1) the instrument, one register request
// at a time, three attempts per request. Driven by tick() every 50 ms; has no timer itself.
class TransferExchange {
public:
    static constexpr std::uint8_t kWriteMode = 0;
    static constexpr std::uint8_t kReadMode = 1;
    enum Result : int { Completed = 240, Failed = 239, Cancelled = 238 };

    struct ProgressSink {
        std::function<void(int minimum, int maximum)> setRange;
        std::function<void(int position)> setPosition;
    };

    TransferExchange(SerialLink& link, SetupRecord& record, DeviceInfo& info, std::uint8_t mode,
                     ProgressSink progress);

    // Builds the request list and prepares the link; false for a mode other than 0 or 1,
    // which sends nothing and only ends by cancel().
    bool start();
    void tick();
    void cancel();

    bool finished() const { return ended; }
    Result result() const;
    std::size_t requestCount() const { return requests.size(); }

private:
    void sendCurrent();
    void retry();
    void advance();
    // True for the answer the current request wants; a good read reply is stored on the way.
    bool judgeReply(std::span<const std::uint8_t> reply);
    void end();

    SerialLink& link;
    SetupRecord& record;
    DeviceInfo& info;
    std::uint8_t mode;
    ProgressSink progress;
    std::vector<RequestEntry> requests;
    std::array<std::uint8_t, 80> frame{}; // the reply being judged
    std::size_t index = 0;
    std::uint8_t retries = 0;
    bool running = false;
    bool firstTick = false;
    bool failed = false;
    bool done = false;
    bool ended = false;
};
