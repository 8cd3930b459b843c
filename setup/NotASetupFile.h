#pragma once

#include "setup/Failure.h"

#include <string>

// A file in which no setup key is found: loading it would change nothing, and writing it would
// blank every lead, so it is refused. The window shows the text through its translation, from
// kTextPattern and path().
class NotASetupFile : public Failure {
public:
    static constexpr const char* kTextPattern = "%1 is not a setup file: it holds no setup key.";

    explicit NotASetupFile(std::string path);

    const std::string& path() const { return path_; }

private:
    std::string path_;
};
