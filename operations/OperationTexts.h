#pragma once

// The designed messages of the two failures that both the window and the command line report.
inline constexpr char kPortNotAvailableText[] = "That Comm Port is not available.";
inline constexpr char kTransferErrorText[] = "Error Occured During Transfer.";
