#include "config/CsvLine.h"

#include <gtest/gtest.h>

namespace {

// Each cell reads back as it was; a cell a spreadsheet would run as a formula is written after
// a ', and so is one whose 's are followed by such a character, so that no ' is lost or gained.
TEST(CsvLineTest, CellsReadBackAsTheyWereAndNoneStartsAsAFormula) {
    const std::pair<std::string, std::string> cases[] = {
        // cell, as the line holds it
        {"=1+1", "'=1+1"},
        {"=HYPERLINK(\"x\";\"y\").prp", "\"'=HYPERLINK(\"\"x\"\";\"\"y\"\").prp\""},
        {"+41", "'+41"},
        {"-v", "'-v"},
        {"@SUM(A1)", "'@SUM(A1)"},
        {"\t=1", "'\t=1"},
        {"\r=1", "\"'\r=1\""},
        {"'=1+1", "''=1+1"},
        {"''-x", "'''-x"},
        {"'", "'"},
        {"''", "''"},
        {"'quoted'", "'quoted'"},
        {"it's", "it's"},
        {"a=b", "a=b"},
        {"2026-12-10T22:31:05-05:00", "2026-12-10T22:31:05-05:00"},
        {"", ""},
    };
    for (const auto& [cell, written] : cases) {
        SCOPED_TRACE(cell);
        const std::vector<std::string> fields{cell, "x"};
        const std::string line = csvLine(fields);
        EXPECT_EQ(line, written + ",x");
        const CsvRecord record = parseCsvLine(line);
        EXPECT_EQ(record.fault, std::nullopt);
        EXPECT_EQ(record.fields, fields);
    }
}

// Lines are split eight bytes at a time: a separator or a quote at any place in a word, or in
// the bytes after the last whole word, is found, and a misplaced quote anywhere is a fault.
TEST(CsvLineTest, SeparatorsAndQuotesAreFoundAtEveryPlaceOfALine) {
    for (std::size_t lead = 0; lead < 20; ++lead) {
        SCOPED_TRACE(lead);
        const std::string padding(lead, 'p');
        for (const std::vector<std::string>& fields : std::vector<std::vector<std::string>>{
                 {padding, "a", "", "-b"},
                 {padding + "q\"q", "c,d"},
                 {"", padding, ","},
             }) {
            const CsvRecord record = parseCsvLine(csvLine(fields));
            EXPECT_EQ(record.fault, std::nullopt);
            EXPECT_EQ(record.fields, fields);
        }
        EXPECT_EQ(parseCsvLine(padding + "x\"y,z").fault,
                  "has a quote inside a field that is not quoted");
        EXPECT_EQ(parseCsvLine(padding + ",\"x\"y").fault,
                  "has text after the closing quote of a field");
    }
}

} // namespace
