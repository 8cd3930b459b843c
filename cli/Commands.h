#pragma once

struct CommandContext;

// One function per command. Each throws CommandFailure or FileError when it cannot do its
// work; what it prints on success goes to the context's out.
void listPorts(const CommandContext& context);
void identifyInstrument(const CommandContext& context);
void readFromInstrument(const CommandContext& context);
void writeToInstrument(const CommandContext& context);
void showSetupFile(const CommandContext& context);
