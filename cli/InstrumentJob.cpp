#include "cli/InstrumentJob.h"

#include "cli/CommandFailure.h"
#include "cli/InstrumentModule.h"
#include "cli/Invocation.h"
#include "cli/WriteVerification.h"
#include "config/SetupDigest.h"
#include "device/FailureTexts.h"
#include "device/PortAccess.h"
#include "device/SerialNumberText.h"
#include "setup/FileError.h"
#include "setup/KeyValueFile.h"
#include "setup/SetupFile.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <unistd.h>

namespace {

using Direction = InstrumentSession::Direction;

// The system's reason, and what to do about a device this user may not open.
std::string portFailureText(const SerialLink& link) {
    std::string text = std::string(kPortNotAvailableText) + " " + link.lastOpenError() + ".";
    if (const std::string hint = portAccessHint(link.devicePath()); !hint.empty())
        text += " " + hint;
    return text;
}

// "5", "0.5"
std::string secondsText(std::chrono::milliseconds wait) {
    std::array<char, 32> text{};
    std::snprintf(text.data(), text.size(), "%g", static_cast<double>(wait.count()) / 1000);
    return text.data();
}

bool isNumber(std::string_view text) {
    return !text.empty() && std::ranges::all_of(text, [](char c) { return c >= '0' && c <= '9'; });
}

// A serial number as part of a file name: whatever the instrument reports, it names a file in
// the folder given, never another folder.
std::string fileNamePart(std::string_view serial) {
    std::string part;
    for (const char c : serial) {
        const bool plain = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') ||
                           (c >= 'a' && c <= 'z') || c == '-' || c == '_';
        part += plain ? c : '_';
    }
    return part.empty() ? "unnamed" : part;
}

std::string withSerial(std::string pattern, std::string_view serial) {
    const std::size_t at = pattern.find(kSerialPlaceholder);
    if (at != std::string::npos)
        pattern.replace(at, kSerialPlaceholder.size(), fileNamePart(serial));
    return pattern;
}

// A setup file that could not be written fails before the transfer is spent on it.
void requireWritable(const std::string& path) {
    std::error_code error;
    if (std::filesystem::exists(path, error)) {
        KeyValueFile file;
        if (!file.open(path, false))
            throw file.openFailure();
        return;
    }
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    if (::access(folder.empty() ? "." : folder.c_str(), W_OK | X_OK) != 0)
        throw FileError::fromErrno(errno, path);
}

} // namespace

InstrumentJob::InstrumentJob(Plan plan, const ModuleCatalogue& catalogue)
    : plan_(std::move(plan))
    , catalogue(catalogue) {}

void InstrumentJob::start(InstrumentSession::TimePoint now) {
    if (!session_.open(plan_.devicePath)) {
        outcome_.passedOver = plan_.passOverSilentPort;
        fail(portFailureText(session_.link()));
        return;
    }
    session_.setMinimumSpacing(plan_.minimumSpacing);
    session_.askIdentity(now, plan_.wait);
}

bool InstrumentJob::advance(InstrumentSession::TimePoint now) {
    switch (step) {
    case Step::Identifying:
    case Step::Reidentifying:
        if (!session_.identityPending())
            identified(now);
        break;
    case Step::Transferring:
    case Step::VerifyingRead:
        if (!session_.transferRunning())
            transferred(now);
        break;
    case Step::Done:
        break;
    }
    return step == Step::Done;
}

void InstrumentJob::identified(InstrumentSession::TimePoint now) {
    const std::optional<DeviceIdentity> identity = session_.identity();
    if (!identity) {
        outcome_.passedOver = plan_.passOverSilentPort;
        fail(session_.hungUp() ? "The line of " + plan_.devicePath +
                                     " hung up: the instrument or its adapter is gone."
                               : "No instrument answered on " + plan_.devicePath + " within " +
                                     secondsText(plan_.wait) + " s.");
        return;
    }
    if (step == Step::Reidentifying) {
        readInfo = info;
        readInfo.serialText = identity->serialText;
        readInfo.moduleType = identity->moduleType;
        readInfo.firmwareText = identity->firmwareText();
        step = Step::VerifyingRead;
        startTransfer(readBack, readInfo, Direction::Read, now);
        return;
    }
    outcome_.identity = identity;
    if (plan_.task == Task::Identify) {
        outcome_.module = catalogue.lookup(identity->moduleType);
        step = Step::Done;
        return;
    }
    try {
        outcome_.module =
            plan_.module ? *plan_.module : requireModule(catalogue, identity->moduleType);
        info = deviceInfoOf(*identity, *outcome_.module);
        if (plan_.task == Task::Read) {
            outcome_.file = withSerial(plan_.fileName, identity->serialText);
            if (outcome_.file != "-")
                requireWritable(outcome_.file);
            step = Step::Transferring;
            startTransfer(plan_.setup, info, Direction::Read, now);
            return;
        }
        if (plan_.serialText) {
            info.serialText = normalizedSerialText(*plan_.serialText);
        } else if (plan_.nextSerial) {
            if (!isNumber(identity->serialText))
                throw CommandFailure("The serial number " + identity->serialText +
                                     " is not a number: --next-serial cannot count on from it.");
            info.serialText = nextSerialText(identity->serialText);
        }
        outcome_.serialWritten = info.serialText;
        step = Step::Transferring;
        startTransfer(plan_.setup, info, Direction::Write, now);
    } catch (const CommandFailure& failure) {
        fail(failure.what());
    } catch (const FileError& error) {
        fail(error.standardText());
    }
}

void InstrumentJob::startTransfer(SetupRecord& record, DeviceInfo& transferInfo,
                                  Direction direction, InstrumentSession::TimePoint now) {
    position = 0;
    total = 0;
    session_.startTransfer(record, transferInfo, direction, now,
                           {{[this](int, int maximum) { total = maximum; },
                             [this](int answered) {
                                 position = answered;
                             }},
                            {}});
}

void InstrumentJob::finishTransfer() {
    finishedRequests += total;
    position = 0;
    total = 0;
}

void InstrumentJob::transferred(InstrumentSession::TimePoint now) {
    finishTransfer();
    const std::string_view action = step == Step::VerifyingRead ? kActionVerify
                                    : plan_.task == Task::Read  ? kActionRead
                                                                : kActionWrite;
    if (const std::optional<TransferFailure> failure = session_.transferFailure()) {
        identityWritten = failure->identityWritten;
        // A load that broke off holds no setup worth naming; a save names what it sent.
        recordTransfer(action, failure->writing ? &plan_.setup : nullptr,
                       transferFailureText(*failure));
        fail(std::string(kTransferErrorText) + " (" + transferFailureText(*failure) + ")");
        return;
    }
    if (step == Step::VerifyingRead) {
        compareReadBack();
        recordTransfer(action, &readBack, outcome_.failure);
        return;
    }
    if (plan_.task == Task::Read) {
        writeFile();
        recordTransfer(action, &plan_.setup, outcome_.failure);
        return;
    }
    recordTransfer(action, &plan_.setup, std::nullopt);
    if (plan_.verify) {
        step = Step::Reidentifying;
        session_.askIdentity(now, plan_.wait);
        return;
    }
    step = Step::Done;
}

void InstrumentJob::writeFile() {
    // As the window shows a completed load, and so saves it.
    plan_.setup.normalizeCodes();
    step = Step::Done;
    if (outcome_.file == "-")
        return;
    try {
        writeSetupFile(plan_.setup, outcome_.file);
    } catch (const FileError& error) {
        fail(error.standardText());
    }
}

void InstrumentJob::compareReadBack() {
    step = Step::Done;
    if (const auto failure = verificationFailure(plan_.setup, info, readBack, readInfo))
        fail(*failure);
    else
        outcome_.verified = true;
}

void InstrumentJob::recordTransfer(std::string_view action, const SetupRecord* setup,
                                   const std::optional<std::string>& failure) {
    const bool writing = action == kActionWrite;
    TransferRow row;
    row.program = "mirafen-cli";
    row.action = action;
    row.device = plan_.devicePath;
    row.serialBefore =
        action == kActionVerify ? readInfo.serialText : outcome_.identity->serialText;
    row.module = std::to_string(info.moduleType);
    row.firmware = info.firmwareText;
    const std::string& file = plan_.task == Task::Read ? outcome_.file : plan_.fileName;
    row.setupFile = file == "-" ? "" : file;
    if (setup != nullptr)
        row.setupSha256 = setupDigest(*setup);
    row.result = failure ? kResultFailed : kResultOk;
    row.detail = failure.value_or("");
    row.serialAfter = serialAfterTransfer(writing, row.result, identityWritten || !failure,
                                          row.serialBefore, info.serialText);
    outcome_.rows.push_back(std::move(row));
}

void InstrumentJob::fail(std::string reason) {
    outcome_.failure = std::move(reason);
    step = Step::Done;
}
