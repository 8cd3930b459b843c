#pragma once

#include "device/DeviceImage.h"
#include "operations/OperationRequest.h"

// A read or write of record as the window asks for it: the instrument known from the poll as
// info describes it, nothing asked first.
inline OperationRequest transferRequest(const OperationKind& kind, const SetupRecord& record,
                                        const DeviceInfo& info) {
    OperationRequest request;
    request.kind = &kind;
    request.program = "mirafen";
    request.identity = writtenIdentity(info);
    request.module = ModuleCatalogue::Module{info.moduleType, info.leadCount, {}};
    request.serialText = info.serialText;
    request.setup = record;
    return request;
}
