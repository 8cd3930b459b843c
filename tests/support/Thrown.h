#pragma once

#include <optional>

// The exception of type Error that work throws; none when it throws nothing.
template <typename Error, typename Work> std::optional<Error> thrown(Work&& work) {
    try {
        work();
    } catch (const Error& error) {
        return error;
    }
    return std::nullopt;
}
