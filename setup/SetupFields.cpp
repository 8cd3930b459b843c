#include "setup/SetupFields.h"

#include <algorithm>
#include <type_traits>

std::int32_t SetupField::valueIn(const SetupRecord& record) const {
    return std::visit([&record](auto field) -> std::int32_t { return record.*field; }, member);
}

void SetupField::store(SetupRecord& record, std::int32_t value) const {
    std::visit(
        [&record, value](auto field) {
            using Value = std::remove_reference_t<decltype(record.*field)>;
            record.*field = static_cast<Value>(value);
        },
        member);
}

const SetupChoice& SetupField::choice(std::int32_t code) const {
    const auto found = std::ranges::find(choices, code, &SetupChoice::code);
    return found == choices.end() ? choices.front() : *found;
}

std::string SetupField::valueText(const SetupRecord& record) const {
    const std::int32_t value = valueIn(record);
    if (!choices.empty())
        return std::string(choice(value).text);
    return form == NumberForm::Tenths ? limitDisplayText(value) : shutOffDisplayText(value);
}

std::array<const SetupField*, kSetupFields.size()> listedSetupFields() {
    std::array<const SetupField*, kSetupFields.size()> listed{};
    std::ranges::transform(kSetupFields, listed.begin(),
                           [](const SetupField& field) { return &field; });
    std::ranges::sort(listed, {}, &SetupField::listedAt);
    return listed;
}
