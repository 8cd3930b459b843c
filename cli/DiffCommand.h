#pragma once

struct CommandContext;

// diff: the setup of a setup file against what instruments hold, or against a second file;
// kExitDiffers when any differs.
int diffSetups(const CommandContext& context);
