#pragma once

#include <cstddef>
#include <ostream>
#include <string>
#include <string_view>

// "Writing 37/136", rewritten in place on standard error while a transfer runs; only when a
// person watches standard error on a terminal, so that logs and pipes stay clean.
class ProgressLine {
public:
    ProgressLine(std::ostream& stream, bool shown, std::string_view label);
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;
    ~ProgressLine();

    void setTotal(int count);
    // The request under way, counted from 1.
    void show(int request);

private:
    // Blanks the line, so that what follows starts on a clean one.
    void clear();

    std::ostream& stream;
    bool shown;
    std::string label;
    int total = 0;
    std::size_t width = 0; // of the text last shown
};
