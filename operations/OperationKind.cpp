#include "operations/OperationKind.h"

#include "config/TransferRow.h"
#include "operations/OperationRequest.h"
#include "operations/OperationSteps.h"

namespace {

using Steps = std::vector<OperationStep>;
using S = OperationSteps;

Steps identifySteps(const OperationRequest&) {
    return {S::askIdentity, S::reportModule};
}

Steps readSteps(const OperationRequest&) {
    return {S::askIdentity, S::chooseModule, S::nameSetupFile, S::readSetup, S::keepRead};
}

Steps verifySteps(const OperationRequest&) {
    return {S::askIdentityAgain, S::readBack, S::checkKept};
}

Steps writeSteps(const OperationRequest& request) {
    Steps steps{S::askIdentity, S::chooseModule, S::chooseSerial, S::writeSetup};
    if (request.verify) {
        const Steps verifying = verifySteps(request);
        steps.insert(steps.end(), verifying.begin(), verifying.end());
    }
    return steps;
}

Steps compareSteps(const OperationRequest&) {
    return {S::askIdentity, S::chooseModule, S::readSetup, S::compareRead};
}

} // namespace

namespace Operations {
const OperationKind identify{"identify", "Identifying", "identified", "Identified", identifySteps};
const OperationKind read{kActionRead, "Reading", "read", "Read from", readSteps};
const OperationKind write{kActionWrite, "Writing", "written", "Written into", writeSteps};
const OperationKind verify{kActionVerify, "Verifying", "verified", "Verified", verifySteps};
const OperationKind compare{kActionCompare, "Comparing", "compared", "Compared with", compareSteps};
} // namespace Operations
