#pragma once

struct CommandContext;

// ports: the serial ports of this computer and the COM numbers that stand for them.
int listPorts(const CommandContext& context);
