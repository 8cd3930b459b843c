#pragma once

#include "setup/SetupRecord.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <variant>

// The codes of the option settings, as the record, a setup file and the instrument hold them.
enum class Frequency : std::uint8_t { Hz10 = 1, Hz20 = 2, Hz30 = 3 };
enum class FailureLimit : std::uint8_t { GoodLimit = 1, PoorLimit = 2 };
enum class FailureResponse : std::uint8_t { Stop = 1, Continue = 2 };
enum class StartupMode : std::uint8_t { LastUsed = 0, Auto = 1, Manual = 2, DcOffset = 3 };

template <typename Code> constexpr std::uint8_t codeOf(Code code) {
    return static_cast<std::uint8_t>(code);
}

// One choice of an option setting and the text of its button.
struct SetupChoice {
    std::uint8_t code;
    std::string_view text;
    // What --json gives for it when that is not the text as a string.
    std::string_view json = {};
};

// How a number setting is shown: tenths as "%d.%d", whole numbers as "%d".
enum class NumberForm { Tenths, Whole };

// The values an edit of a number setting leaves: min to max in whole steps from 0.
struct NumberRange {
    std::int32_t min = 0;
    std::int32_t max = 0;
    std::int32_t step = 1;

    // Beyond the range becomes its nearer end; within it, the step below.
    constexpr std::int32_t allowed(std::int32_t value) const {
        if (value > max)
            return max;
        if (value < min)
            return min;
        return value - value % step;
    }
};

using SetupMember = std::variant<std::uint8_t SetupRecord::*, std::int32_t SetupRecord::*>;

// One setting of the setup besides the leads.
struct SetupField {
    std::string_view key; // in a setup file
    SetupMember member;
    std::int32_t defaultValue;
    // An option's choices in the order of the window's buttons. A code among none of them, from
    // a file or the instrument, becomes the first when the codes are normalized.
    std::span<const SetupChoice> choices = {};
    // A number's range, kept by the window's edit; a value from a file or the instrument is
    // taken as it comes.
    NumberRange range = {};
    NumberForm form = NumberForm::Whole;
    std::string_view unit = {}; // after a number in show's list
    std::string_view label;     // in show's list
    int listedAt;               // place in show's list and --json
    std::string_view jsonName;
    // The window's caption of the setting and the unit after its number, which the setup sheet
    // shows as well.
    std::string_view windowLabel;
    std::string_view windowUnit = {};

    std::int32_t valueIn(const SetupRecord& record) const;
    // An option keeps the low 8 bits of value.
    void store(SetupRecord& record, std::int32_t value) const;
    // The choice of an option's code, the first for a code among none of them.
    const SetupChoice& choice(std::int32_t code) const;
    // An option's choice text, a number in its form.
    std::string valueText(const SetupRecord& record) const;
};

inline constexpr std::array<SetupChoice, 3> kFrequencyChoices{{
    {codeOf(Frequency::Hz10), "10 Hz", "10"},
    {codeOf(Frequency::Hz20), "20 Hz", "20"},
    {codeOf(Frequency::Hz30), "30 Hz", "30"},
}};
inline constexpr std::array<SetupChoice, 4> kStartupModeChoices{{
    {codeOf(StartupMode::Auto), "Auto"},
    {codeOf(StartupMode::Manual), "Manual"},
    {codeOf(StartupMode::DcOffset), "DC Offset"},
    {codeOf(StartupMode::LastUsed), "Last Used"},
}};
inline constexpr std::array<SetupChoice, 2> kFailureResponseChoices{{
    {codeOf(FailureResponse::Stop), "Stop"},
    {codeOf(FailureResponse::Continue), "Continue"},
}};
inline constexpr std::array<SetupChoice, 2> kFailureLimitChoices{{
    {codeOf(FailureLimit::GoodLimit), "Good Limit"},
    {codeOf(FailureLimit::PoorLimit), "Poor Limit"},
}};
// Tenths of a kilohm: 0.1 to 100.0 kOhm.
inline constexpr NumberRange kLimitRange{1, 1000, 1};
// Seconds; the instrument holds tens of seconds in one byte.
inline constexpr NumberRange kShutOffTimeRange{10, 2550, 10};

// The settings in the order of a setup file's lines.
inline constexpr std::array<SetupField, 7> kSetupFields{{
    {.key = "FREQUENCY",
     .member = &SetupRecord::frequency,
     .defaultValue = codeOf(Frequency::Hz10),
     .choices = kFrequencyChoices,
     .label = "Test frequency",
     .listedAt = 0,
     .jsonName = "frequencyHz",
     .windowLabel = "Test Frequency"},
    {.key = "STARTUPMODE",
     .member = &SetupRecord::startupMode,
     .defaultValue = codeOf(StartupMode::Auto),
     .choices = kStartupModeChoices,
     .label = "Start-up mode",
     .listedAt = 5,
     .jsonName = "startupMode",
     .windowLabel = "Start-up Mode"},
    {.key = "FAILURERESPONSE",
     .member = &SetupRecord::failureResponse,
     .defaultValue = codeOf(FailureResponse::Stop),
     .choices = kFailureResponseChoices,
     .label = "Failure response",
     .listedAt = 4,
     .jsonName = "failureResponse",
     .windowLabel = "Upon Failure"},
    {.key = "FAILURELIMIT",
     .member = &SetupRecord::failureLimit,
     .defaultValue = codeOf(FailureLimit::GoodLimit),
     .choices = kFailureLimitChoices,
     .label = "Failure criterion",
     .listedAt = 3,
     .jsonName = "failureCriterion",
     .windowLabel = "Failure Criterion"},
    {.key = "GOODLIMIT",
     .member = &SetupRecord::goodLimit,
     .defaultValue = 100,
     .range = kLimitRange,
     .form = NumberForm::Tenths,
     .unit = " kOhm",
     .label = "Good limit",
     .listedAt = 1,
     .jsonName = "goodLimitKilohms",
     .windowLabel = "Good Limit",
     .windowUnit = "K Ohms"},
    {.key = "POORLIMIT",
     .member = &SetupRecord::poorLimit,
     .defaultValue = 150,
     .range = kLimitRange,
     .form = NumberForm::Tenths,
     .unit = " kOhm",
     .label = "Poor limit",
     .listedAt = 2,
     .jsonName = "poorLimitKilohms",
     .windowLabel = "Poor Limit",
     .windowUnit = "K Ohms"},
    {.key = "SHUTOFFTIME",
     .member = &SetupRecord::shutOffTime,
     .defaultValue = 60,
     .range = kShutOffTimeRange,
     .unit = " s",
     .label = "Auto shut-off",
     .listedAt = 6,
     .jsonName = "shutOffSeconds",
     .windowLabel = "Auto Shut-Off",
     .windowUnit = "seconds"},
}};

// Every key once, every place in show's list once, options (8-bit codes) with choices that
// hold their default, numbers with a default in their range.
consteval bool isWellFormed(std::span<const SetupField> fields) {
    for (std::size_t at = 0; at < fields.size(); ++at) {
        const SetupField& field = fields[at];
        for (const SetupField& earlier : fields.first(at))
            if (earlier.key == field.key || earlier.listedAt == field.listedAt)
                return false;
        if (field.listedAt < 0 || field.listedAt >= static_cast<int>(fields.size()))
            return false;
        const bool isOption = std::holds_alternative<std::uint8_t SetupRecord::*>(field.member);
        if (isOption != !field.choices.empty())
            return false;
        const bool defaultAllowed =
            isOption ? std::ranges::find(field.choices, field.defaultValue, &SetupChoice::code) !=
                           field.choices.end()
                     : field.range.allowed(field.defaultValue) == field.defaultValue;
        if (!defaultAllowed)
            return false;
    }
    return true;
}
static_assert(isWellFormed(kSetupFields));

// The setting kept in member; naming one the table lacks does not compile.
consteval const SetupField& setupField(SetupMember member) {
    for (const SetupField& field : kSetupFields)
        if (field.member == member)
            return field;
    throw "not a setting of kSetupFields";
}

// The settings in the order show lists them.
std::array<const SetupField*, kSetupFields.size()> listedSetupFields();
