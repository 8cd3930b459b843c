#pragma once

#include <array>
#include <string>
#include <string_view>

// One load from or save to an instrument, as a row of the record of transfers (history.csv).
// Rows given to appendTransferRow hold the tool's 8-bit texts; rows read back hold UTF-8.
struct TransferRow {
    std::string time;         // ISO 8601 with the UTC offset: 2026-12-10T22:31:05+01:00
    std::string program;      // mirafen or mirafen-cli
    std::string action;       // read, write, verify or compare
    std::string device;       // the serial device's path, or the network port's name
    std::string serialBefore; // the instrument's serial number before the transfer
    std::string serialAfter;  // and after it; empty when a cancel leaves it unknown
    std::string module;       // the module type's code
    std::string firmware;     // "%d.%d"
    std::string setupFile;    // the setup file read or written; empty when none
    std::string setupSha256;  // setupDigest of the setup written, compared, or read when the read
                              // completed
    std::string result;       // ok, failed or cancelled; a comparison's same or differs
    std::string detail;       // the failure's one-line reason; the fields a comparison found
                              // differing
    std::string user;
    std::string host;
};

// What the action and result columns say.
inline constexpr std::string_view kActionRead = "read";
inline constexpr std::string_view kActionWrite = "write";
inline constexpr std::string_view kActionVerify = "verify";
inline constexpr std::string_view kActionCompare = "compare";
inline constexpr std::string_view kResultOk = "ok";
inline constexpr std::string_view kResultFailed = "failed";
inline constexpr std::string_view kResultCancelled = "cancelled";
inline constexpr std::string_view kResultSame = "same";
inline constexpr std::string_view kResultDiffers = "differs";

struct TransferColumn {
    std::string_view name;
    std::string TransferRow::*field;
    // The system's text (a path, the user or host name): kept as it is when it is UTF-8.
    // Every other text is the tool's own and converted from Latin-1.
    bool systemText = false;
};

// The columns of history.csv, in their order.
inline constexpr std::array<TransferColumn, 14> kTransferColumns{{
    {"time", &TransferRow::time},
    {"program", &TransferRow::program},
    {"action", &TransferRow::action},
    {"device", &TransferRow::device, true},
    {"serial_before", &TransferRow::serialBefore},
    {"serial_after", &TransferRow::serialAfter},
    {"module", &TransferRow::module},
    {"firmware", &TransferRow::firmware},
    {"setup_file", &TransferRow::setupFile, true},
    {"setup_sha256", &TransferRow::setupSha256},
    {"result", &TransferRow::result},
    {"detail", &TransferRow::detail},
    {"user", &TransferRow::user, true},
    {"host", &TransferRow::host, true},
}};
