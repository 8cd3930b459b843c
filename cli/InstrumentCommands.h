#pragma once

struct CommandContext;
struct SetupRecord;

// The commands that talk to the instrument: identify, read and write (with its verify).
int identifyInstrument(const CommandContext& context);
int readFromInstrument(const CommandContext& context);
int writeToInstrument(const CommandContext& context);
// diff with instruments: the setup each holds against setup; kExitDiffers when any differs.
int compareWithInstruments(const CommandContext& context, const SetupRecord& setup);
