#include "operations/Verification.h"

#include "operations/OperationTexts.h"

#include <string>

namespace {

// The identity as the Device Information shows it, field by field.
std::vector<SetupDifference> identityDifferences(const DeviceInfo& written,
                                                 const DeviceInfo& reported) {
    const std::vector<ComparedField> fields{
        {"Serial Number", written.serialText, reported.serialText},
        {"Module Type", std::to_string(written.moduleType), std::to_string(reported.moduleType)},
    };
    std::vector<SetupDifference> differing;
    for (const ComparedField& field : fields)
        if (field.differs())
            differing.push_back(field);
    return differing;
}

} // namespace

Verification verifyWritten(const SetupRecord& written, const DeviceInfo& writtenInfo,
                           const SetupRecord& readBack, const DeviceInfo& reported) {
    Verification verification;
    verification.differences = identityDifferences(writtenInfo, reported);
    const std::vector<SetupDifference> setup =
        setupDifferences(written, readBack, writtenInfo.leadCount);
    verification.differences.insert(verification.differences.end(), setup.begin(), setup.end());
    const std::vector<std::uint8_t> notKept =
        registersNotKept(written, writtenInfo, readBack, reported);
    if (notKept.empty() && verification.differences.empty())
        return verification;

    std::string reason = "Verify failed: ";
    if (verification.differences.empty()) {
        reason = verifyFailedText(notKept);
    } else {
        const char* separator = "";
        for (const SetupDifference& difference : verification.differences) {
            reason += separator + differenceLine(difference, "written", "in the instrument");
            separator = "; ";
        }
        reason += ".";
    }
    const std::string detail =
        verification.differences.empty()
            ? reason
            : "Verify failed.\n" +
                  differencesText(verification.differences, "here", "in the instrument");
    verification.failure = OperationFailure{kTransferErrorText, detail, reason};
    return verification;
}
