#pragma once

#include <chrono>

// The window's timers, which the command line keeps so that the instrument sees the same
// exchange: the transfer ticks every 50 ms, the link is pumped every 100 ms (the transfer's
// time-out is counted in pumps), and the identity is asked for once a second.
namespace InstrumentPace {
using Clock = std::chrono::steady_clock;
inline constexpr std::chrono::milliseconds kTransferTick{50};
inline constexpr int kTicksPerPump = 2;
inline constexpr std::chrono::milliseconds kPump = kTransferTick * kTicksPerPump;
inline constexpr int kPumpsPerIdentityRequest = 10;
} // namespace InstrumentPace
