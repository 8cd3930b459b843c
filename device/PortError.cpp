#include "device/PortError.h"

#include "device/PortAccess.h"

#include <utility>

namespace {

std::string lineOf(const std::string& reason, const std::string& accessHint) {
    std::string line = reason + ".";
    if (!accessHint.empty())
        line += " " + accessHint;
    return line;
}

} // namespace

PortError::PortError(const std::string& devicePath, std::string reason)
    : PortError(Texts{std::move(reason), portAccessHint(devicePath)}) {}

PortError::PortError(Texts texts)
    : Failure(lineOf(texts.reason, texts.accessHint))
    , reason_(std::move(texts.reason))
    , accessHint_(std::move(texts.accessHint)) {}
