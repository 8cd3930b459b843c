#pragma once

struct CommandContext;

// history: the rows of the record of transfers, filtered by serial number and time.
void showHistory(const CommandContext& context);
