#pragma once

struct CommandContext;

// ports: the serial ports of this computer and the COM numbers that stand for them.
void listPorts(const CommandContext& context);
