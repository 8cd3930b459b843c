#pragma once

#include <string>

// The text followed by blanks up to width; a longer text stays whole.
std::string padded(std::string text, std::size_t width);
