#pragma once

#include <chrono>
#include <cstdint>

// The pace of every conversation with the instrument, for the window and the command line
// alike: how often the poll asks, how long a request may go unanswered, how many attempts a
// request gets, and how long the next request waits after a reply.
namespace SessionTiming {

// The poll asks for the identity once a second; ten silent seconds are tolerated, the
// eleventh drops the instrument.
inline constexpr std::chrono::milliseconds kPollPeriod{1000};
inline constexpr std::uint8_t kPollMissesTolerated = 10;

// A transfer request without an answer this long counts as a failed attempt; after the third
// the transfer fails.
inline constexpr std::chrono::milliseconds kReplyTimeout{5100};
inline constexpr std::uint8_t kAttemptsPerRequest = 3;

// Once a request of a transfer has gone unanswered, the instrument may need a moment after each
// reply (storing a write in its memory) and lose what arrives meanwhile: the rest of that
// transfer waits this long after each reply, which gives the hundred milliseconds a request
// that timer-driven transfers always took.
inline constexpr std::chrono::milliseconds kFallbackSpacing{80};
// The most a user may ask the transfers to wait after each reply, for an instrument known to
// be slow.
inline constexpr std::chrono::milliseconds kLongestMinimumSpacing{1000};

// The first request of a transfer waits for the answer to an identity request still out, which
// could otherwise pass for the first request's own; an answer not in this long after its
// request is taken as lost.
inline constexpr std::chrono::milliseconds kIdentityAnswerWait{1000};
// Asking for the identity until it comes asks again this often.
inline constexpr std::chrono::milliseconds kIdentityRepeat{1000};

} // namespace SessionTiming
