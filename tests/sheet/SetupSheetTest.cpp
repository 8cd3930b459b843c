#include "sheet/SetupSheet.h"

#include "config/HistoryTime.h"
#include "config/SetupDigest.h"
#include "sheet/SetupSheetLayout.h"
#include "sheet/SetupSheetOutput.h"
#include "support/EnvironmentVariable.h"
#include "support/PdfText.h"
#include "support/SampleSetup.h"
#include "support/TempFolder.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <gtest/gtest.h>
#include <iostream>
#include <numeric>
#include <optional>

namespace {

class SetupSheetTest : public TempFolder {
protected:
    // The sheet's text as its PDF file shows it.
    std::vector<std::string> pagesOf(const SetupSheet& sheet) {
        const std::string path = pathOf("sheet.pdf");
        SetupSheetOutput(path, std::cout).write(sheet);
        return pdfPages(path);
    }
};

TEST_F(SetupSheetTest, NamesTheSetupItsInstrumentAndTheSettingsAsTheWindowShowsThem) {
    SetupSheet sheet = setupSheetOf(sampleSetup(), "/service/ward 4/ward4.prp");
    sheet.instrument = SheetInstrument{"00004711", "2.1"};
    sheet.module = ModuleCatalogue::Module{3, 32, "32 Lead Extended Module"};

    const std::vector<std::string> pages = pagesOf(sheet);

    ASSERT_FALSE(pages.empty());
    const std::string& text = pages.front();
    for (const std::string& expected : {
             "Setup Sheet: ward4.prp Made " + sheet.madeAt,
             std::string("Program Mirafen ") + MIRAFEN_VERSION,
             std::string("Instrument serial number 00004711"),
             std::string("Module 3 \u2013 32 Lead Extended Module"),
             std::string("Firmware revision 2.1"),
             "Setup digest (SHA-256): " + setupDigest(sampleSetup()),
             std::string("Test Frequency 30 Hz Good Limit 100.0 K Ohms Poor Limit 25.7 K Ohms "
                         "Failure Criterion Poor Limit Upon Failure Continue "
                         "Start-up Mode Last Used Auto Shut-Off 65 seconds"),
             std::string("Lead Name Skipped 1 abc yes 2 LONGNAME (+2 characters the instrument "
                         "drops) no 3 no"),
         })
        EXPECT_NE(text.find(expected), std::string::npos) << expected << "\nin: " << text;
    EXPECT_NE(pages.back().find("32 no Sign-off Set up by Date Signature"), std::string::npos)
        << pages.back();
}

TEST_F(SetupSheetTest, WithoutAnInstrumentItSaysNeitherSerialNumberNorFirmware) {
    SetupSheet sheet = setupSheetOf(sampleSetup(), "-");

    const std::string text = pagesOf(sheet).at(0);

    EXPECT_EQ(text.rfind("Setup Sheet Setup Sheet Made ", 0), 0U) << text;
    for (const char* absent : {"Instrument", "serial number", "Firmware", "Module"})
        EXPECT_EQ(text.find(absent), std::string::npos) << absent;
}

TEST_F(SetupSheetTest, SheetIsMadeNowAndNamesTheSetupByItsDigest) {
    const auto before = std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now());
    const SetupSheet sheet = setupSheetOf(sampleSetup(), "folder/ward4.prp");
    const auto after = std::chrono::system_clock::now();

    EXPECT_EQ(sheet.fileName, "ward4.prp");
    EXPECT_EQ(sheet.digest, setupDigest(sampleSetup()));
    const std::optional<std::chrono::sys_seconds> madeAt = parseHistoryTime(sheet.madeAt);
    ASSERT_TRUE(madeAt.has_value()) << sheet.madeAt;
    EXPECT_GE(*madeAt, before);
    EXPECT_LE(*madeAt, after);
}

struct LeadsCase {
    const char* name;
    std::optional<int> moduleLeads;
    std::vector<int> expected;
};

void PrintTo(const LeadsCase& leads, std::ostream* out) {
    *out << leads.name;
}

class SheetLeadsTest : public ::testing::TestWithParam<LeadsCase> {};

// Leads 2 and 40 are named, 7 is skipped, 9 holds only blanks.
TEST_P(SheetLeadsTest, ListsTheModulesLeadsOrElseEveryNamedOrSkippedLead) {
    SetupSheet sheet = setupSheetOf(SetupRecord{}, "a.prp");
    sheet.setup.leadName[2] = "Two";
    sheet.setup.leadName[40] = "Forty";
    sheet.setup.leadSkip[7] = true;
    sheet.setup.leadName[9] = "   ";
    if (GetParam().moduleLeads)
        sheet.module = ModuleCatalogue::Module{1, *GetParam().moduleLeads, "module"};

    EXPECT_EQ(sheetLeads(sheet), GetParam().expected);
}

std::vector<int> leadsUpTo(int count) {
    std::vector<int> leads(static_cast<std::size_t>(count));
    std::iota(leads.begin(), leads.end(), 1);
    return leads;
}

INSTANTIATE_TEST_SUITE_P(Leads, SheetLeadsTest,
                         ::testing::Values(LeadsCase{"no module", std::nullopt, {2, 7, 40}},
                                           LeadsCase{"module of 8", 8, leadsUpTo(8)},
                                           LeadsCase{"module of 128", 128, leadsUpTo(128)}));

std::string leadName(int lead) {
    std::array<char, 16> name{};
    std::snprintf(name.data(), name.size(), "N%03d", lead);
    return name.data();
}

// The lead's row as the sheet shows it, whole.
std::string leadRow(int lead) {
    return std::to_string(lead) + " " + leadName(lead) + " no";
}

TEST_F(SetupSheetTest, HundredTwentyEightLeadsBreakBetweenRowsWithTheHeaderOnEachPage) {
    SetupSheet sheet = setupSheetOf(SetupRecord{}, "full.prp");
    sheet.module = ModuleCatalogue::Module{5, 128, "128 Lead High Density Module"};
    for (int lead = 1; lead <= SetupRecord::kMaxLeads; ++lead)
        sheet.setup.leadName[lead] = leadName(lead);

    const std::vector<std::string> pages = pagesOf(sheet);

    ASSERT_GE(pages.size(), 3U);
    for (const std::string& page : pages) {
        const std::size_t firstRow = page.find(" N");
        if (firstRow != std::string::npos) {
            EXPECT_LT(page.find("Lead Name Skipped"), firstRow) << page;
        }
    }
    for (int lead = 1; lead <= SetupRecord::kMaxLeads; ++lead) {
        const auto holding = std::ranges::count_if(pages, [lead](const std::string& page) {
            return page.find(leadRow(lead)) != std::string::npos;
        });
        EXPECT_EQ(holding, 1) << leadRow(lead);
    }
}

SetupSheet withInstrument(SetupSheet sheet) {
    sheet.instrument = SheetInstrument{"00004711", "2.1"};
    return sheet;
}

struct RunningLinesCase {
    const char* name;
    SetupSheet sheet;
    std::string header;
    std::string firstPageSays;
};

// Every page on its own says which sheet it belongs to and where it stands, so that a page
// missing from a file shows.
TEST_F(SetupSheetTest, EveryPageIsHeadedWithTheSetupAndTheInstrumentAndNumberedOfAll) {
    SetupRecord setup;
    for (int lead = 1; lead <= SetupRecord::kMaxLeads; ++lead)
        setup.leadName[lead] = leadName(lead);
    const RunningLinesCase cases[] = {
        {"a saved file", withInstrument(setupSheetOf(setup, "/service/ward4.prp")),
         "Setup Sheet: ward4.prp Instrument 00004711", "Setup Sheet: ward4.prp Made "},
        {"unsaved changes", withInstrument(unsavedSetupSheetOf(setup)),
         "Setup Sheet: unsaved changes Instrument 00004711",
         "Setup Sheet: unsaved changes Unsaved changes: neither a setup file nor the instrument "
         "holds this setup. Made "},
        {"neither a file nor an instrument", setupSheetOf(setup, "-"), "Setup Sheet",
         "Setup Sheet Made "},
    };
    for (const RunningLinesCase& test : cases) {
        SCOPED_TRACE(test.name);
        const std::vector<std::string> pages = pagesOf(test.sheet);

        ASSERT_GE(pages.size(), 3U);
        EXPECT_EQ(pages.front().rfind(test.header + " " + test.firstPageSays, 0), 0U)
            << pages.front();
        for (std::size_t page = 1; page < pages.size(); ++page) {
            EXPECT_EQ(pages[page].rfind(test.header + " Lead Name Skipped ", 0), 0U) << pages[page];
        }
        for (std::size_t page = 0; page < pages.size(); ++page) {
            const std::string number =
                " Page " + std::to_string(page + 1) + " of " + std::to_string(pages.size());
            EXPECT_TRUE(pages[page].ends_with(number)) << number << "\nin: " << pages[page];
        }
    }
}

// The instrument keeps the first 8 characters of a name: the sheet shows those and marks the
// rest as dropped, as the window shows only what the instrument keeps.
TEST_F(SetupSheetTest, ALeadNameLongerThanTheInstrumentKeepsShowsWhatItKeepsAndMarksTheRest) {
    SetupSheet sheet = setupSheetOf(SetupRecord{}, "long.prp");
    const std::pair<std::string, std::string> cases[] = {
        {"EIGHTCHR", "1 EIGHTCHR no"},
        {"NINECHARS", "2 NINECHAR (+1 character the instrument drops) no"},
        {"AAAAAAAA" + std::string(292, 'Q'),
         "3 AAAAAAAA (+292 characters the instrument drops) no"},
        {"Temp\260C", "4 Temp\u00b0C no"},
    };
    int lead = 0;
    for (const auto& [name, row] : cases)
        sheet.setup.leadName[++lead] = name;

    const std::string text = pagesOf(sheet).at(0);

    for (const auto& [name, row] : cases)
        EXPECT_NE(text.find(row), std::string::npos) << row << "\nin: " << text;
    EXPECT_EQ(text.find("QQ"), std::string::npos) << text;
}

TEST(SetupSheetFileNameTest, IsTheSetupFilesBaseNameWithoutAColon) {
    const std::pair<SetupSheet, const char*> cases[] = {
        {setupSheetOf(SetupRecord{}, "/service/ward 4/ward4.prp"), "ward4 setup sheet.pdf"},
        {setupSheetOf(SetupRecord{}, "ward.4.prp"), "ward.4 setup sheet.pdf"},
        {setupSheetOf(SetupRecord{}, "-"), "setup sheet.pdf"},
        {unsavedSetupSheetOf(SetupRecord{}), "setup sheet (unsaved changes).pdf"},
    };
    for (const auto& [sheet, expected] : cases)
        EXPECT_EQ(setupSheetFileName(sheet).toStdString(), expected);
}

struct PaperCase {
    const char* all;
    const char* paper;
    const char* lang;
    QPageSize::PageSizeId expected;
};

void PrintTo(const PaperCase& paper, std::ostream* out) {
    *out << "LC_ALL=" << paper.all << " LC_PAPER=" << paper.paper << " LANG=" << paper.lang;
}

class PaperSizeTest : public ::testing::TestWithParam<PaperCase> {
protected:
    const EnvironmentVariable all{"LC_ALL"};
    const EnvironmentVariable paper{"LC_PAPER"};
    const EnvironmentVariable lang{"LANG"};
};

// LC_ALL goes before LC_PAPER, which goes before LANG; an empty one counts as not set.
TEST_P(PaperSizeTest, LetterWhereTheLocaleMeasuresInInchesElseA4) {
    all.set(GetParam().all);
    paper.set(GetParam().paper);
    lang.set(GetParam().lang);

    EXPECT_EQ(localePaperSize().id(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Locales, PaperSizeTest,
    ::testing::Values(PaperCase{"", "", "en_US.UTF-8", QPageSize::Letter},
                      PaperCase{"", "en_US.UTF-8", "de_DE.UTF-8", QPageSize::Letter},
                      PaperCase{"", "de_DE.UTF-8", "en_US.UTF-8", QPageSize::A4},
                      PaperCase{"en_GB.UTF-8", "en_US.UTF-8", "en_US.UTF-8", QPageSize::A4},
                      PaperCase{"C.UTF-8", "", "", QPageSize::A4}));

} // namespace
