#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Records of comma-separated values (RFC 4180), one a line. A field holding a comma or a quote
// is quoted, its quotes doubled; fields never hold line breaks here, so a record is one line.

// The record without its line end.
std::string csvLine(std::span<const std::string> fields);

struct CsvRecord {
    std::vector<std::string> fields;
    std::optional<std::string> fault; // why the line is no record: "has a quote inside a field..."
};

// The fields of one line given without its line end.
CsvRecord parseCsvLine(std::string_view line);
