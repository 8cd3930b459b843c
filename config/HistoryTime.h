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

// A time as a user gives one: a date (2026-12-10, its local midnight), a date and local time
// (2026-12-10T22:31 or 2026-12-10T22:31:05), or a time with its offset as the record holds it.
std::optional<std::chrono::sys_seconds> parseUserTime(std::string_view text);
