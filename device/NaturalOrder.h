#pragma once

#include <string_view>

// Orders names the way people count: runs of digits compare as numbers, so "ttyUSB2" comes
// before "ttyUSB10". Names equal as numbers ("ttyS01", "ttyS1") fall back to plain order.
bool naturalLess(std::string_view left, std::string_view right);
