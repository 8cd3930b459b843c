#include "device/FrameTrace.h"

#include <array>
#include <ctime>
#include <iomanip>
#include <sstream>
#include <string_view>

namespace {

// By TraceDirection.
constexpr std::array<std::string_view, 3> kDirectionWords{"send", "recv", "noise"};

std::chrono::milliseconds localTimeOfDay() {
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t wholeSeconds = system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&wholeSeconds, &local);
    return hours(local.tm_hour) + minutes(local.tm_min) + seconds(local.tm_sec) +
           duration_cast<milliseconds>(now.time_since_epoch()) % 1000;
}

} // namespace

std::string traceLine(std::chrono::milliseconds timeOfDay, TraceDirection direction,
                      std::span<const std::uint8_t> bytes) {
    using namespace std::chrono;
    std::ostringstream line;
    line << std::setfill('0') << std::setw(2) << duration_cast<hours>(timeOfDay).count() % 24 << ':'
         << std::setw(2) << duration_cast<minutes>(timeOfDay).count() % 60 << ':' << std::setw(2)
         << duration_cast<seconds>(timeOfDay).count() % 60 << '.' << std::setw(3)
         << timeOfDay.count() % 1000 << ' ' << kDirectionWords[static_cast<std::size_t>(direction)]
         << std::hex << std::uppercase;
    for (const std::uint8_t byte : bytes)
        line << ' ' << std::setw(2) << static_cast<int>(byte);
    return line.str();
}

FrameTrace FrameTrace::fromSetting(const char* setting, std::ostream& out) {
    const bool on = setting != nullptr && *setting != '\0' && std::string_view(setting) != "0";
    return on ? FrameTrace(out) : FrameTrace();
}

void FrameTrace::write(TraceDirection direction, std::span<const std::uint8_t> bytes) const {
    if (out != nullptr)
        *out << traceLine(localTimeOfDay(), direction, bytes) << std::endl;
}
