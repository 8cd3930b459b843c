#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

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

    // The settings, their codes, ranges and defaults: kSetupFields.
    std::uint8_t frequency{};
    std::uint8_t failureLimit{};
    std::uint8_t failureResponse{};
    std::uint8_t startupMode{};
    std::int32_t goodLimit{};   // tenths of a kilohm
    std::int32_t poorLimit{};   // tenths of a kilohm
    std::int32_t shutOffTime{}; // seconds
    LeadArray<bool> leadSkip;
    LeadArray<std::string> leadName;

    // The defaults: every setting as kSetupFields gives it, no lead named or skipped.
    SetupRecord();
    void resetToDefaults();
    void clearLeads();
    // Brings every option's code back among its choices; numbers and leads are left alone.
    void normalizeCodes();
    // Whether the lead has a name or is skipped; a name of blanks is how the instrument holds
    // no name.
    bool leadNamedOrSkipped(int lead) const;

    bool operator==(const SetupRecord&) const = default;
};

// A lead name without the blanks an instrument pads it with to kLeadNameWidth.
std::string_view unpaddedLeadName(std::string_view name);

// Tenths of a kilohm as "%d.%d": 100 shows as 10.0, 5 as 0.5, -5 as -0.5.
std::string limitDisplayText(std::int32_t tenths);
// "%d" of seconds.
std::string shutOffDisplayText(std::int32_t seconds);
