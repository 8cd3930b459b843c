#pragma once

struct CommandContext;

// The commands that talk to the instrument: identify, read and write (with its verify).
void identifyInstrument(const CommandContext& context);
void readFromInstrument(const CommandContext& context);
void writeToInstrument(const CommandContext& context);
