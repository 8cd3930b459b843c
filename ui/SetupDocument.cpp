#include "ui/SetupDocument.h"

void SetupDocument::load(const SetupRecord& loaded, std::string loadedFrom) {
    record = loaded;
    fileName = std::move(loadedFrom);
    markUnchanged();
    emit replaced();
}

void SetupDocument::saved(std::string savedTo) {
    if (!savedTo.empty())
        fileName = std::move(savedTo);
    markUnchanged();
}

#include "moc_SetupDocument.cpp"
