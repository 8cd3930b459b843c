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

    RegisterStore registers;
    // Requests are read and left unanswered, as by an instrument switched off.
    bool silent = false;
    // From this many answered requests on, reads are answered under the next register.
    int wrongAnswersFrom = -1;
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
