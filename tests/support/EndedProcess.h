#pragma once

#include <sys/types.h>

// The id of a process that ran and has ended, so that nothing runs under it.
pid_t endedProcess();
