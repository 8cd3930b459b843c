#include "ui/InstrumentCommands.h"

#include "config/ModuleCatalogue.h"
#include "config/ProgramSettings.h"
#include "config/TransferHistory.h"
#include "ui/CompareDialog.h"
#include "ui/InstrumentLink.h"
#include "ui/Messages.h"
#include "ui/SetupDocument.h"
#include "ui/TransferDialog.h"

#include <QWidget>

InstrumentCommands::InstrumentCommands(QWidget& window, SetupDocument& document,
                                       InstrumentLink& link, const ProgramSettings& settings,
                                       WindowHooks hooks)
    : QObject(&window)
    , window(window)
    , document(document)
    , link(link)
    , settings(settings)
    , hooks(std::move(hooks)) {}

OperationOutcome InstrumentCommands::run(const OperationKind& kind) {
    const DeviceInfo& info = document.info;
    OperationRequest request;
    request.kind = &kind;
    request.program = "mirafen";
    request.devicePath = link.line().port().devicePath();
    // The poll knows the instrument; the window's module, when one is current, and serial
    // number are what goes in.
    request.identity = link.reportedIdentity();
    const ModuleCatalogue catalogue(settings.dataFolder());
    if (info.moduleType != 0)
        request.module = catalogue.lookup(info.moduleType);
    request.serialText = info.serialText;
    request.verify = &kind == &Operations::write && settings.verifiesSaves();
    request.setup = document.record;
    request.setupFile = document.fileName;

    const InstrumentLink::PollHold pollStill(link);
    OperationRunner runner(link.session(), std::move(request), catalogue,
                           [this](const TransferRow& row) { appendTransferRow(settings, row); });
    runner.start(link.driver().now());
    link.driver().wake();
    if (!runner.finished())
        TransferDialog(&window, runner).exec();
    const OperationOutcome& outcome = runner.outcome();
    if (outcome.identityAfter) {
        link.instrumentHolds(*outcome.identityAfter);
        document.instrumentSerial = outcome.identityAfter->serialText;
    }
    if (outcome.failure)
        showWarning(&window, tr(outcome.failure->text.c_str()),
                    QString::fromLocal8Bit(outcome.failure->detail));
    if (outcome.recordFailure)
        showWarning(&window, tr("This transfer could not be added to the transfer history."),
                    QString::fromLocal8Bit(*outcome.recordFailure));
    return outcome;
}

void InstrumentCommands::saveToDevice() {
    hooks.commitEdits();
    if (run(Operations::write).result == OperationOutcome::Result::Completed)
        document.saved();
}

void InstrumentCommands::loadFromDevice() {
    if (!hooks.mayReplaceSetup())
        return;
    const OperationOutcome outcome = run(Operations::read);
    // A load that does not complete leaves the setup as it was before it began; what the
    // instrument held comes from no setup file.
    if (outcome.result == OperationOutcome::Result::Completed)
        document.load(outcome.setup, {});
    else
        hooks.showSetup();
}

void InstrumentCommands::compareWithDevice() {
    hooks.commitEdits();
    const OperationOutcome outcome = run(Operations::compare);
    if (outcome.result != OperationOutcome::Result::Completed)
        return;
    const DeviceIdentity& identity = *outcome.identityBefore;
    const QString instrument = tr("Instrument %1, module %2 (%3), firmware %4")
                                   .arg(QString::fromLatin1(identity.serialText))
                                   .arg(outcome.device.moduleType)
                                   .arg(QString::fromLatin1(outcome.module->listText))
                                   .arg(QString::fromStdString(identity.firmwareText()));
    CompareDialog(&window, comparedFields(document.record, outcome.setup, outcome.device.leadCount),
                  instrument)
        .exec();
}

#include "moc_InstrumentCommands.cpp"
