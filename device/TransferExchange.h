#pragma once

#include "device/DeviceImage.h"
#include "device/DeviceInfo.h"
#include "device/Frame.h"
#include "setup/SetupRecord.h"

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

class SerialLink;

// Moves a whole setup into or out of the instrument, one register request at a time, three
// attempts per request. Driven by tick() every 50 ms; has no timer itself.
class TransferExchange {
public:
    enum class Direction {
        Write, // a save into the instrument: identity, leads, settings
        Read,  // a load out of the instrument: leads, settings
    };
    enum class Result { Completed, Failed, Cancelled };

    struct ProgressSink {
        std::function<void(int minimum, int maximum)> setRange;
        std::function<void(int position)> setPosition;
    };

    TransferExchange(SerialLink& link, SetupRecord& record, DeviceInfo& info, Direction direction,
                     ProgressSink progress);

    // Builds the request list and prepares the link; the first tick sends the first request.
    void start();
    void tick();
    void cancel();

    bool finished() const;
    // Meaningful once finished.
    Result result() const;
    std::size_t requestCount() const { return requests.size(); }

private:
    enum class State {
        NotStarted,
        Starting, // the next tick clears the link and sends the first request
        Waiting,  // a request is out; its answer, a time-out or a cancel comes next
        Completed,
        Failed,
        Cancelled,
    };

    void sendCurrent();
    void retry();
    void advance();
    // True for the answer the current request wants; a good read reply is stored on the way.
    bool judgeReply(const FrameView& reply);

    SerialLink& link;
    SetupRecord& record;
    DeviceInfo& info;
    Direction direction;
    ProgressSink progress;
    std::vector<RequestEntry> requests;
    std::array<std::uint8_t, kFrameBufferSize> frame{}; // the reply being judged
    std::size_t index = 0;
    std::uint8_t retries = 0;
    State state = State::NotStarted;
};
