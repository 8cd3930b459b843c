#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Records of comma-separated values (RFC 4180), one a line. A field holding a comma or a quote
// is quoted, its quotes doubled; fields never hold line breaks here, so a record is one line.
// A field that a spreadsheet would run as a formula (one starting with = + - @, a tab or a
// carriage return) is written after a ', which reading takes away again; so that this stays
// unambiguous, a field of 's followed by such a character gets one ' more as well.

// The record without its line end.
std::string csvLine(std::span<const std::string> fields);

struct CsvRecord {
    std::vector<std::string> fields;
    std::optional<std::string> fault; // why the line is no record: "has a quote inside a field..."
};

// The fields of one line given without its line end.
CsvRecord parseCsvLine(std::string_view line);

// The fields of one line as views into line, or into scratch where a field lost its doubled
// quotes; fields and scratch keep their storage from line to line, so that a file of many lines
// is read without allocating for each. Returns why the line is no record; fields is then
// incomplete.
std::optional<std::string>
splitCsvLine(std::string_view line, std::vector<std::string_view>& fields, std::string& scratch);
