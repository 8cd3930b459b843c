#include "cli/ProgressLine.h"

ProgressLine::ProgressLine(std::ostream& stream, bool shown, std::string_view label)
    : stream(stream)
    , shown(shown)
    , label(label) {}

ProgressLine::~ProgressLine() {
    clear();
}

void ProgressLine::setTotal(int count) {
    total = count;
}

void ProgressLine::show(int request) {
    if (!shown)
        return;
    const std::string text = label + " " + std::to_string(request) + "/" + std::to_string(total);
    stream << '\r' << text << std::flush;
    width = text.size();
}

void ProgressLine::clear() {
    if (width == 0)
        return;
    stream << '\r' << std::string(width, ' ') << '\r' << std::flush;
    width = 0;
}
