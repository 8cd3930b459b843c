#pragma once

#include <stdexcept>

// Why the work a user asked for could not be done, in the words the user is shown: what() is
// the whole designed text. Every layer below the front ends throws this family and nothing
// else; each front end catches it once, at the command that started the work.
class Failure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
