#pragma once

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

// An environment variable that a test changes: what it held is given back when this object
// ends, as is the absence of one that was not set.
class EnvironmentVariable {
public:
    explicit EnvironmentVariable(const char* name)
        : name(name) {
        if (const char* value = std::getenv(name))
            saved = value;
    }
    ~EnvironmentVariable() {
        if (saved)
            set(*saved);
        else
            unset();
        // A time zone given back takes effect at once, as set() asks of a changed one.
        tzset();
    }
    EnvironmentVariable(const EnvironmentVariable&) = delete;
    EnvironmentVariable& operator=(const EnvironmentVariable&) = delete;

    void set(const std::string& value) const { setenv(name, value.c_str(), 1); }
    void unset() const { unsetenv(name); }

private:
    const char* name;
    std::optional<std::string> saved;
};
