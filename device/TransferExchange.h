#pragma once

#include "device/DeviceImage.h"
#include "device/DeviceInfo.h"
#include "device/Frame.h"
#include "device/TransferFailure.h"
#include "setup/SetupRecord.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

class SerialLink;

// Moves a whole setup into or out of the instrument, one register request at a time, each
// answered before the next leaves, three attempts per request. Has no timer and never waits:
// its driver says when a frame has arrived and what time it is, and asks when it next needs a
// call.
class TransferExchange {
public:
    using Clock = std::chrono::steady_clock;
    using TimePoint = Clock::time_point;

    enum class Direction {
        Write, // a save into the instrument: identity, leads, settings
        Read,  // a load out of the instrument: leads, settings
    };
    enum class Result { Completed, Failed, Cancelled };

    struct ProgressSink {
        std::function<void(int minimum, int maximum)> setRange;
        std::function<void(int position)> setPosition;
    };

    // minimumSpacing: the least time from a reply to the next request.
    TransferExchange(SerialLink& link, SetupRecord& record, DeviceInfo& info, Direction direction,
                     ProgressSink progress,
                     std::chrono::milliseconds minimumSpacing = std::chrono::milliseconds(0));

    // Builds the request list; the first request leaves at firstRequest or, sooner, once a frame
    // arrives before it: the answer the instrument still owed an earlier request, which answers
    // none of this transfer's. A frame waiting on the link when the first request leaves is
    // dropped.
    void start(TimePoint firstRequest);
    // Judges a frame waiting on the link.
    void frameArrived(TimePoint now);
    // Sends what is due and counts the time-out.
    void timePassed(TimePoint now);
    // The port hung up or was closed (cause): the transfer fails at once.
    void lineEnded(TransferFailure::Cause cause);
    void cancel();
    // When timePassed next has something to do; TimePoint::max() once finished.
    TimePoint nextCall() const;

    bool finished() const;
    // Meaningful once finished.
    Result result() const;
    // Set once the transfer failed.
    const std::optional<TransferFailure>& failure() const { return failure_; }
    std::size_t requestCount() const { return requests.size(); }

private:
    enum class State {
        NotStarted,
        Pausing, // the next request leaves at sendAt
        Waiting, // a request is out; its answer, a time-out or a cancel comes next
        Completed,
        Failed,
        Cancelled,
    };

    void sendCurrent(TimePoint now);
    void retry(TimePoint now, TransferFailure::Cause cause);
    void advance(TimePoint now);
    void sendAfterSpacing(TimePoint replyTime);
    void fail(TransferFailure::Cause cause);
    // True for the answer the current request wants; a good read reply is stored on the way.
    bool judgeReply(const FrameView& reply);

    SerialLink& link;
    SetupRecord& record;
    DeviceInfo& info;
    Direction direction;
    ProgressSink progress;
    std::chrono::milliseconds minimumSpacing;
    std::vector<RequestEntry> requests;
    std::array<std::uint8_t, kFrameBufferSize> frame{}; // the reply being judged
    std::size_t index = 0;
    std::uint8_t retries = 0;
    bool slowInstrument = false; // a request went unanswered: the fallback spacing holds
    bool firstRequest = true;    // a frame waiting before it is stale
    TimePoint sendAt{};
    TimePoint deadline{};
    State state = State::NotStarted;
    std::optional<TransferFailure> failure_;
};
