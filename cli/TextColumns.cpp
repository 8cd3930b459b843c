#include "cli/TextColumns.h"

#include <algorithm>

std::string padded(std::string text, std::size_t width) {
    text.resize(std::max(width, text.size()), ' ');
    return text;
}
