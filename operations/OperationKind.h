#pragma once

#include <string_view>
#include <vector>

class OperationRunner;
struct OperationRequest;

// One step of an operation: it does its work at once, or starts a transfer or an identity
// request whose end lets the runner go on with the next step; it may end the operation.
using OperationStep = void (*)(OperationRunner& runner);

// What one kind of operation is, for the runner and both front ends: a new operation is one row
// below and its steps function.
struct OperationKind {
    // The record's action of the transfers it makes, and its name in texts.
    std::string_view action;
    // "Writing 37/136" on the command line.
    std::string_view progressLabel;
    // "written", "read": what a batch line says became of an instrument.
    std::string_view resultWord;
    // "Written into the instrument, but the record could not be written: ..."
    std::string_view doneText;
    // The steps of a request, in their order.
    std::vector<OperationStep> (*steps)(const OperationRequest& request);
};

namespace Operations {
extern const OperationKind identify;
extern const OperationKind read;
extern const OperationKind write;
// Reads a written setup back and compares it, the instrument's identity included, with what was
// written; a write asked to verify ends with these steps.
extern const OperationKind verify;
// Reads as read does, then compares with the request's setup; nothing is written.
extern const OperationKind compare;
} // namespace Operations
