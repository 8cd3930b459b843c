#pragma once

struct CommandContext;

// show: a setup file as a table or as JSON.
void showSetupFile(const CommandContext& context);
