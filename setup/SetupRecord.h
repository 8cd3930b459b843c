#pragma once

#include <array>
#include <cstdint>
#include <string>

// Lead names are at most this many characters in the window and on the wire.
inline constexpr int kLeadNameWidth = 8;

// A per-lead array indexed by lead number, 1 to kMaxLeads; there is no lead 0.
template <typename T> class LeadArray {
public:
    static constexpr int kMaxLeads = 128;

    T& operator[](int lead) { return items.at(static_cast<std::size_t>(lead - 1)); }
    const T& operator[](int lead) const { return items.at(static_cast<std::size_t>(lead - 1)); }
    void fill(const T& value) { items.fill(value); }
    bool operator==(const LeadArray&) const = default;

private:
    std::array<T, kMaxLeads> items{};
};

// The one setup the tool edits: what an instrument is told about its leads and how it tests them.
struct SetupRecord {
    static constexpr int kMaxLeads = LeadArray<bool>::kMaxLeads;

    std::uint8_t frequency = 1;       // 1 = 10 Hz, 2 = 20 Hz, 3 = 30 Hz
    std::uint8_t failureLimit = 1;    // 1 = Good Limit, 2 = Poor Limit
    std::uint8_t failureResponse = 1; // 1 = Stop, 2 = Continue
    std::uint8_t startupMode = 1;     // 0 = Last Used, 1 = Auto, 2 = Manual, 3 = DC Offset
    std::int32_t goodLimit = 100;     // tenths of a kilohm
    std::int32_t poorLimit = 150;     // tenths of a kilohm
    std::int32_t shutOffTime = 60;    // seconds
    LeadArray<bool> leadSkip;
    LeadArray<std::string> leadName;

    void resetToDefaults();
    void clearLeads();
    // Brings the four codes back into range; limits, shut-off time and leads are left alone.
    void normalizeCodes();

    bool operator==(const SetupRecord&) const = default;
};

// Tenths of a kilohm as "%d.%d": 100 shows as 10.0, 5 as 0.5, -5 as -0.5.
std::string limitDisplayText(std::int32_t tenths);
// "%d" of seconds.
std::string shutOffDisplayText(std::int32_t seconds);
