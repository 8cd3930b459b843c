#pragma once

struct CommandContext;

// history: the rows of the record of transfers, filtered by serial number and time.
int showHistory(const CommandContext& context);
