#pragma once

#include "support/PseudoTerminal.h"
#include "support/TestInstrument.h"

#include <QSocketNotifier>
#include <cstdint>
#include <functional>
#include <vector>

// The instrument at the far end of a pseudo-terminal, answering each request frame as soon as
// the event loop sees it.
class ServedInstrument {
public:
    explicit ServedInstrument(PseudoTerminal& terminal);

    // Identity register: serial number, module type, firmware major and minor.
    void setIdentity(const char* serial, std::uint8_t moduleType, std::uint8_t major,
                     std::uint8_t minor);
    std::vector<std::uint8_t>& reg(std::uint8_t number) { return instrument.reg(number); }
    int answeredCount() const { return answered; }

    // Requests are read and left unanswered, as by an instrument switched off.
    bool silent = false;
    // From this many answered requests on, reads are answered under another register.
    int wrongAnswersFrom = -1;
    // Runs after each answered request with the number answered so far.
    std::function<void(int answered)> afterAnswer;

private:
    void readRequests();
    void answerNext(const std::vector<std::uint8_t>& request);

    PseudoTerminal& terminal;
    TestInstrument instrument;
    QSocketNotifier notifier;
    std::vector<std::uint8_t> received;
    int answered = 0;
};
