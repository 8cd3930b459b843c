#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

// Why the work a user asked for could not be done, in the words the user is shown: what() is
// the whole designed text. Every layer below the front ends throws this family and nothing
// else; each front end catches it once, at the command that started the work.
class Failure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A designed text whose "%1" stands for a path or a number, filled in: the window shows the same
// pattern through its translation.
inline std::string filledPattern(std::string_view pattern, std::string_view value) {
    std::string text(pattern);
    if (const std::size_t at = text.find("%1"); at != std::string::npos)
        text.replace(at, 2, value);
    return text;
}
