#pragma once

struct CommandContext;

// show: a setup file as a table, as JSON, as its digest or as its setup sheet.
int showSetupFile(const CommandContext& context);
