#pragma once

#include <filesystem>
#include <string>
#include <vector>

// The text of each page of a PDF file as pdftotext (poppler-utils) lays it out, with every run
// of blanks and line breaks made one blank: what a reader of the page sees, line after line.
std::vector<std::string> pdfPages(const std::filesystem::path& pdf);
// The pages one after the other.
std::string pdfText(const std::filesystem::path& pdf);
