#include "setup/NotASetupFile.h"

#include <utility>

NotASetupFile::NotASetupFile(std::string path)
    : Failure(filledPattern(kTextPattern, path))
    , path_(std::move(path)) {}
