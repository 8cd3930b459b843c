#include "support/PdfText.h"

#include <array>
#include <cstdio>
#include <gtest/gtest.h>
#include <memory>
#include <sstream>

namespace {

std::string layoutText(const std::filesystem::path& pdf) {
    const std::string command = "pdftotext -layout '" + pdf.string() + "' -";
    const std::unique_ptr<FILE, int (*)(FILE*)> output(popen(command.c_str(), "r"), pclose);
    std::string text;
    if (!output) {
        ADD_FAILURE() << "cannot run " << command;
        return text;
    }
    std::array<char, 4096> chunk{};
    for (std::size_t got; (got = std::fread(chunk.data(), 1, chunk.size(), output.get())) > 0;)
        text.append(chunk.data(), got);
    return text;
}

std::string withSingleBlanks(const std::string& text) {
    std::istringstream words(text);
    std::string joined;
    for (std::string word; words >> word;)
        joined += (joined.empty() ? "" : " ") + word;
    return joined;
}

} // namespace

std::vector<std::string> pdfPages(const std::filesystem::path& pdf) {
    std::vector<std::string> pages;
    std::istringstream text(layoutText(pdf));
    // pdftotext ends every page with a form feed.
    for (std::string page; std::getline(text, page, '\f');)
        pages.push_back(withSingleBlanks(page));
    if (!pages.empty() && pages.back().empty())
        pages.pop_back();
    return pages;
}

std::string pdfText(const std::filesystem::path& pdf) {
    std::string text;
    for (const std::string& page : pdfPages(pdf))
        text += page + " ";
    return text;
}
