#include "cli/CommandContext.h"
#include "cli/Commands.h"
#include "cli/IdentityReport.h"
#include "cli/InstrumentConnection.h"

void identifyInstrument(const CommandContext& context) {
    const InstrumentConnection instrument(context);
    const DeviceIdentity& identity = instrument.identity();
    const auto module = ModuleCatalogue(context.settings.dataFolder()).lookup(identity.moduleType);
    context.out << (context.invocation.json
                        ? identityJson(instrument.devicePath(), identity, module)
                        : identityText(instrument.devicePath(), identity, module));
}
