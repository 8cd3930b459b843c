#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

// The instrument's end of a pseudo-terminal. The terminal end, which a tool opens as its serial
// port, is held open here too, so the line survives the tool closing and reopening it.
class InstrumentLine {
public:
    InstrumentLine() = default;
    InstrumentLine(const InstrumentLine&) = delete;
    InstrumentLine& operator=(const InstrumentLine&) = delete;
    ~InstrumentLine();

    // Throws Failure with the operating system's reason when no pseudo-terminal can be had.
    void open();
    const std::string& terminalPath() const { return terminalPath_; }
    int descriptor() const { return master; }

    // What the tool has sent so far; empty when nothing is waiting.
    std::vector<std::uint8_t> receive();
    // Writes bytes to the tool; what the line cannot take (nobody reading) is dropped.
    void transmit(std::span<const std::uint8_t> bytes);

private:
    int master = -1;
    int terminal = -1;
    std::string terminalPath_;
};
