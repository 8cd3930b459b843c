#include "config/HistoryTime.h"

#include <array>
#include <cstdio>
#include <ctime>

namespace {

// Reads count digits at the front of text as a number and drops them.
std::optional<int> takeDigits(std::string_view& text, std::size_t count) {
    int value = 0;
    if (text.size() < count)
        return std::nullopt;
    for (std::size_t i = 0; i < count; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return std::nullopt;
        value = value * 10 + (text[i] - '0');
    }
    text.remove_prefix(count);
    return value;
}

bool takeChar(std::string_view& text, char c) {
    if (text.empty() || text.front() != c)
        return false;
    text.remove_prefix(1);
    return true;
}

struct CivilTime {
    std::chrono::year_month_day date;
    std::chrono::seconds timeOfDay{0};
    std::optional<std::chrono::seconds> offset; // none: local time
    // How much time it names: a whole day when none, else a minute or a second.
    std::optional<std::chrono::seconds> length;
};

std::optional<std::chrono::seconds> takeTimeOfDay(std::string_view& text, CivilTime& civil) {
    const auto hour = takeDigits(text, 2);
    if (!hour || *hour > 23 || !takeChar(text, ':'))
        return std::nullopt;
    const auto minute = takeDigits(text, 2);
    if (!minute || *minute > 59)
        return std::nullopt;
    int second = 0;
    civil.length = std::chrono::minutes(1);
    if (takeChar(text, ':')) {
        const auto digits = takeDigits(text, 2);
        if (!digits || *digits > 59)
            return std::nullopt;
        second = *digits;
        civil.length = std::chrono::seconds(1);
    }
    return std::chrono::hours(*hour) + std::chrono::minutes(*minute) + std::chrono::seconds(second);
}

std::optional<std::chrono::seconds> takeOffset(std::string_view& text) {
    if (takeChar(text, 'Z'))
        return std::chrono::seconds(0);
    const bool ahead = takeChar(text, '+');
    if (!ahead && !takeChar(text, '-'))
        return std::nullopt;
    const auto hours = takeDigits(text, 2);
    takeChar(text, ':');
    const auto minutes = takeDigits(text, 2);
    if (!hours || !minutes || *hours > 23 || *minutes > 59)
        return std::nullopt;
    const auto offset = std::chrono::hours(*hours) + std::chrono::minutes(*minutes);
    return ahead ? offset : -offset;
}

std::optional<CivilTime> parseCivilTime(std::string_view text) {
    const auto year = takeDigits(text, 4);
    const bool dashed = takeChar(text, '-');
    const auto month = takeDigits(text, 2);
    const bool dashedAgain = takeChar(text, '-');
    const auto day = takeDigits(text, 2);
    if (!year || !dashed || !month || !dashedAgain || !day)
        return std::nullopt;
    CivilTime civil{std::chrono::year(*year) / *month / *day, std::chrono::seconds(0), std::nullopt,
                    std::nullopt};
    if (!civil.date.ok())
        return std::nullopt;
    if (text.empty())
        return civil;
    if (!takeChar(text, 'T'))
        return std::nullopt;
    const auto timeOfDay = takeTimeOfDay(text, civil);
    if (!timeOfDay)
        return std::nullopt;
    civil.timeOfDay = *timeOfDay;
    if (!text.empty()) {
        civil.offset = takeOffset(text);
        if (!civil.offset || !text.empty())
            return std::nullopt;
    }
    return civil;
}

std::chrono::sys_seconds utcTime(const CivilTime& civil) {
    return std::chrono::sys_days(civil.date) + civil.timeOfDay - civil.offset.value();
}

std::optional<std::chrono::sys_seconds> localTime(const CivilTime& civil) {
    const std::chrono::hh_mm_ss clock(civil.timeOfDay);
    std::tm fields{};
    fields.tm_year = static_cast<int>(civil.date.year()) - 1900;
    fields.tm_mon = static_cast<int>(static_cast<unsigned>(civil.date.month())) - 1;
    fields.tm_mday = static_cast<int>(static_cast<unsigned>(civil.date.day()));
    fields.tm_hour = static_cast<int>(clock.hours().count());
    fields.tm_min = static_cast<int>(clock.minutes().count());
    fields.tm_sec = static_cast<int>(clock.seconds().count());
    fields.tm_isdst = -1;
    const std::time_t seconds = std::mktime(&fields);
    if (seconds == -1)
        return std::nullopt;
    return std::chrono::sys_seconds(std::chrono::seconds(seconds));
}

// The local calendar date at time.
std::chrono::sys_days localDate(std::chrono::system_clock::time_point time) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(time);
    std::tm local{};
    localtime_r(&seconds, &local);
    return std::chrono::year(local.tm_year + 1900) /
           std::chrono::month(static_cast<unsigned>(local.tm_mon + 1)) /
           std::chrono::day(static_cast<unsigned>(local.tm_mday));
}

} // namespace

std::string historyTimeText(std::chrono::system_clock::time_point time) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(time);
    std::tm local{};
    localtime_r(&seconds, &local);
    std::array<char, 32> text{};
    std::size_t length = std::strftime(text.data(), text.size(), "%FT%T", &local);
    const long offsetMinutes = local.tm_gmtoff / 60;
    const long absolute = offsetMinutes < 0 ? -offsetMinutes : offsetMinutes;
    length += static_cast<std::size_t>(std::snprintf(text.data() + length, text.size() - length,
                                                     "%c%02ld:%02ld", offsetMinutes < 0 ? '-' : '+',
                                                     absolute / 60, absolute % 60));
    return std::string(text.data(), length);
}

std::optional<std::chrono::sys_seconds> parseHistoryTime(std::string_view text) {
    const auto civil = parseCivilTime(text);
    if (!civil || !civil->offset)
        return std::nullopt;
    return utcTime(*civil);
}

std::optional<UserTimeSpan> parseUserTime(std::string_view text,
                                          std::chrono::system_clock::time_point now) {
    std::optional<CivilTime> civil;
    if (text == "today" || text == "yesterday") {
        const std::chrono::sys_days day =
            localDate(now) - std::chrono::days(text == "today" ? 0 : 1);
        civil = CivilTime{day, std::chrono::seconds(0), std::nullopt, std::nullopt};
    } else {
        civil = parseCivilTime(text);
    }
    if (!civil)
        return std::nullopt;
    const auto begin = civil->offset ? utcTime(*civil) : localTime(*civil);
    if (!begin)
        return std::nullopt;
    if (civil->length)
        return UserTimeSpan{*begin, *begin + *civil->length};
    // A day is not always 24 hours long: it ends at the next local midnight.
    CivilTime nextDay = *civil;
    nextDay.date = std::chrono::sys_days(civil->date) + std::chrono::days(1);
    const auto end = localTime(nextDay);
    if (!end)
        return std::nullopt;
    return UserTimeSpan{*begin, *end};
}
