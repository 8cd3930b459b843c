#include "cli/WriteVerification.h"

#include "device/DeviceImage.h"
#include "device/RegisterText.h"

#include <algorithm>

namespace {

bool sameContent(const RequestEntry& written, const RequestEntry& readBack) {
    const auto first = std::span(written.data).first(written.length);
    return written.command == readBack.command && written.length == readBack.length &&
           std::ranges::equal(first, std::span(readBack.data).first(readBack.length));
}

std::string failureText(const std::vector<std::uint8_t>& registers) {
    std::string text =
        registers.size() == 1 ? "Verify failed: register" : "Verify failed: registers";
    for (const std::uint8_t reg : registers)
        text += " " + registerText(reg);
    return text + (registers.size() == 1 ? " differs." : " differ.");
}

} // namespace

std::optional<std::string> verificationFailure(const SetupRecord& record, const DeviceInfo& info,
                                               const SetupRecord& readBack,
                                               const DeviceInfo& readInfo) {
    // What a write of the read-back setup would send, register by register, against what was
    // sent: the device image decides what each register holds, so nothing else is compared.
    const std::vector<RequestEntry> written = buildWriteList(record, info);
    const std::vector<RequestEntry> found = buildWriteList(readBack, readInfo);
    std::vector<std::uint8_t> differing;
    for (std::size_t i = 0; i < written.size(); ++i) {
        if (!sameContent(written[i], found[i]))
            differing.push_back(written[i].command);
    }
    if (differing.empty())
        return std::nullopt;
    return failureText(differing);
}
