#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

// Times in the record of transfers: ISO 8601 in local time with the UTC offset,
// 2026-12-10T22:31:05+01:00.
std::string historyTimeText(std::chrono::system_clock::time_point time);

// A time as the record holds it, with its offset ("Z" for UTC).
std::optional<std::chrono::sys_seconds> parseHistoryTime(std::string_view text);

// The stretch of time a user names: a date (2026-12-10), "today" or "yesterday" is that whole
// local day; a time is its minute (2026-12-10T22:31) or its second (2026-12-10T22:31:05), in local
// time or with its offset as the record holds it.
struct UserTimeSpan {
    std::chrono::sys_seconds begin;
    std::chrono::sys_seconds end; // the first second after it
    bool operator==(const UserTimeSpan&) const = default;
};
std::optional<UserTimeSpan>
parseUserTime(std::string_view text,
              std::chrono::system_clock::time_point now = std::chrono::system_clock::now());
