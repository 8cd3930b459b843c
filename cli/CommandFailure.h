#pragma once

#include <stdexcept>

// A command that could not do its work; what() is the one line a user is shown.
class CommandFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
