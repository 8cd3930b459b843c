#include "operations/OperationSteps.h"

#include "device/DeviceImage.h"
#include "operations/InstrumentInfo.h"
#include "operations/OperationRunner.h"
#include "operations/Verification.h"
#include "setup/Failure.h"

using Direction = InstrumentSession::Direction;
using Named = OperationRunner::OpenRow::Named;

void OperationSteps::askIdentity(OperationRunner& run) {
    // The identity the window's poll last had is taken as the instrument's answer.
    if (const std::optional<DeviceIdentity>& known = run.request_.identity) {
        run.outcome_.identityBefore = known;
        run.outcome_.identityAfter = known;
        run.outcome_.instrumentAnswered = true;
        run.answered = known;
        return;
    }
    run.askIdentity();
}

void OperationSteps::askIdentityAgain(OperationRunner& run) {
    run.askIdentity();
}

void OperationSteps::reportModule(OperationRunner& run) {
    run.outcome_.module = run.catalogue.lookup(run.answered->moduleType);
}

void OperationSteps::refuse(OperationRunner& run, const char* why) {
    if (run.request_.kind == &Operations::write)
        run.openRow = OperationRunner::OpenRow{kActionWrite, Named::None};
    run.fail(plainFailure(why));
}

void OperationSteps::chooseModule(OperationRunner& run) {
    const DeviceIdentity& identity = *run.answered;
    run.outcome_.device = {identity.serialText, identity.moduleType, identity.firmwareText(), 0};
    try {
        run.outcome_.module = moduleToUse(run.catalogue, run.request_.module, identity.moduleType);
        run.outcome_.device = instrumentInfo(identity, *run.outcome_.module);
    } catch (const Failure& failure) {
        refuse(run, failure.what());
    }
}

void OperationSteps::nameSetupFile(OperationRunner& run) {
    if (!run.request_.setupFileFor)
        return;
    try {
        run.outcome_.setupFile = run.request_.setupFileFor(*run.answered);
    } catch (const Failure& failure) {
        run.fail(plainFailure(failure.what()));
    }
}

void OperationSteps::readSetup(OperationRunner& run) {
    run.transferred_ = run.request_.setup;
    const bool comparing = run.request_.kind == &Operations::compare;
    run.startTransfer(run.transferred_, run.outcome_.device, Direction::Read,
                      {run.request_.kind->action, comparing ? Named::Requested : Named::None});
}

namespace {

// A completed read is normalized as the window shows it, and so saved or compared.
void takeRead(SetupRecord& read, OperationOutcome& outcome) {
    read.normalizeCodes();
    outcome.setup = read;
}

} // namespace

void OperationSteps::keepRead(OperationRunner& run) {
    takeRead(run.transferred_, run.outcome_);
    run.openRow->named = Named::Transferred;
    try {
        if (run.request_.keep)
            run.request_.keep(run.transferred_, run.outcome_.setupFile);
    } catch (const Failure& failure) {
        run.fail(plainFailure(failure.what()));
    }
}

void OperationSteps::compareRead(OperationRunner& run) {
    takeRead(run.transferred_, run.outcome_);
    run.outcome_.differences =
        setupDifferences(run.request_.setup, run.transferred_, run.outcome_.device.leadCount);
    run.outcome_.compared = true;
}

void OperationSteps::chooseSerial(OperationRunner& run) {
    try {
        run.outcome_.device.serialText = serialToWrite(
            run.answered->serialText, run.request_.serialText, run.request_.nextSerial);
    } catch (const Failure& failure) {
        refuse(run, failure.what());
    }
}

void OperationSteps::writeSetup(OperationRunner& run) {
    run.transferred_ = run.request_.setup;
    run.outcome_.setup = run.request_.setup;
    run.startTransfer(run.transferred_, run.outcome_.device, Direction::Write,
                      {kActionWrite, Named::Transferred});
}

void OperationSteps::readBack(OperationRunner& run) {
    // What the instrument says of itself now, with the leads that were written.
    const DeviceIdentity& identity = *run.answered;
    run.readInfo = {identity.serialText, identity.moduleType, identity.firmwareText(),
                    run.outcome_.device.leadCount};
    run.readBack = run.outcome_.setup;
    run.startTransfer(run.readBack, run.readInfo, Direction::Read,
                      {Operations::verify.action, Named::None});
}

void OperationSteps::checkKept(OperationRunner& run) {
    const Verification verification =
        verifyWritten(run.outcome_.setup, run.outcome_.device, run.readBack, run.readInfo);
    run.outcome_.differences = verification.differences;
    if (!verification.failure) {
        run.outcome_.verified = true;
        run.openRow->named = Named::ReadBack;
        return;
    }
    // A save the instrument did not keep is a failed save; its detail names the fields.
    run.setFailure(*verification.failure);
}
