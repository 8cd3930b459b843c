#include "sim/LinePace.h"

#include "device/LineTiming.h"
#include "sim/StopSignals.h"

#include <algorithm>

void LinePace::carry(std::size_t bytes, const StopSignals& signals) {
    if (baudRate == 0 || bytes == 0)
        return;
    freeAt = std::max(freeAt, Clock::now()) + lineTime(bytes, baudRate);
    const auto left = std::chrono::ceil<std::chrono::microseconds>(freeAt - Clock::now());
    if (left.count() > 0)
        signals.sleep(left);
}
