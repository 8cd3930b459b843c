#pragma once

// What mirafen-cli's exit status says.
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;
// diff, as diff(1) and cmp(1) have it: 1 when the setups differ, 2 when they could not be
// compared.
inline constexpr int kExitDiffers = 1;
inline constexpr int kExitTrouble = 2;
