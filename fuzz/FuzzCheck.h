#pragma once

#include <cstdlib>

// A property every input must keep; a broken one ends the run as a finding.
inline void fuzzCheck(bool held) {
    if (!held)
        std::abort();
}
