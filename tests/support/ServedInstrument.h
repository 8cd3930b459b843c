#pragma once

#include "sim/FrameReader.h"
#include "sim/RegisterStore.h"
#include "sim/Responder.h"
#include "support/FrameBytes.h"
#include "support/PseudoTerminal.h"

#include <QSocketNotifier>
#include <cstdint>
#include <functional>
#include <span>

// The simulated instrument at the far end of a pseudo-terminal, answering each request frame
// as soon as the event loop sees it.
class ServedInstrument {
public:
    explicit ServedInstrument(PseudoTerminal& terminal);

    void setIdentity(const DeviceIdentity& identity);
    // A register's content; empty for a register the instrument does not have.
    Bytes content(std::uint8_t reg) const;
    int answeredCount() const { return answered; }
    const PseudoTerminal& line() const { return terminal; }

    // The simulator's ways of misbehaving, from the next request on.
    void setFaults(const FaultPlan& faults) { responder.setFaults(faults); }

    RegisterStore registers;
    // Runs after each answered request with the number answered so far.
    std::function<void(int answered)> afterAnswer;

private:
    void readRequests();
    void answerNext(std::span<const std::uint8_t> request);

    PseudoTerminal& terminal;
    Responder responder{registers};
    FrameReader reader;
    QSocketNotifier notifier;
    int answered = 0;
};
