#include "config/SetupDigest.h"
#include "support/PdfText.h"
#include "support/WindowTest.h"
#include "ui/SetupSheetActions.h"

#include <QAccessible>
#include <QFileDialog>
#include <QMenu>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QTest>

namespace {

// The window's setup sheet: printed, previewed and exported, with what the edits hold.
class SetupSheetWindowTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        writeFile(setupPath, "LEADNAME1=Alpha\r\nFREQUENCY=2\r\nGOODLIMIT=50\r\n");
    }

    const std::filesystem::path setupPath = workFolder / "ward4.prp";
};

TEST_F(SetupSheetWindowTest, PrintedSheetHoldsTheSetupWithWhatTheEditsHoldNotYetTaken) {
    startWindow();
    window->openSetupFile(setupPath);
    pickModule(Leads2);
    typeName(2, "Typed");
    typeInto("goodLimitEdit", "7.5");

    const std::string text = printedSheet();

    // ward4.prp does not hold these edits: the sheet does not carry its name.
    EXPECT_EQ(text.rfind("Setup Sheet: unsaved changes ", 0), 0U) << text;
    EXPECT_EQ(text.find("ward4"), std::string::npos) << text;
    for (const std::string& expected :
         {std::string("Module 8 \u2013 2 Lead Pair Setup digest"),
          "Setup digest (SHA-256): " + setupDigest(window->setup()),
          std::string("Test Frequency 20 Hz Good Limit 7.5 K Ohms"),
          std::string("Lead Name Skipped 1 Alpha no 2 Typed no Sign-off")})
        EXPECT_NE(text.find(expected), std::string::npos) << expected << "\nin: " << text;
    EXPECT_EQ(window->setup().goodLimit, 75);
}

struct SheetStateCase {
    const char* name;
    QStringList goodLimitsTyped;
    const char* savedAs;       // nullptr: not saved
    const char* fileRewritten; // what another program writes into the file; nullptr: nothing
    std::string title;
    QString printedFileName;
};

void PrintTo(const SheetStateCase& state, std::ostream* out) {
    *out << state.name;
}

class SetupSheetStateTest : public SetupSheetWindowTest,
                            public ::testing::WithParamInterface<SheetStateCase> {
protected:
    // The name Print to File offers: the document's name.
    QString printedDocumentName() {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString((workFolder / "named.pdf").string()));
        window->findChild<SetupSheetActions*>()->printSheet(printer);
        return printer.docName();
    }
};

// The sheet names a setup file only while the setup is the one that file holds.
TEST_P(SetupSheetStateTest, SheetIsTitledWithTheFileThatHoldsTheSetupOrAsUnsavedChanges) {
    startWindow();
    window->openSetupFile(setupPath);
    for (const QString& typed : GetParam().goodLimitsTyped)
        typeInto("goodLimitEdit", typed);
    if (GetParam().savedAs != nullptr) {
        // As the Save To button takes the focus from the edit.
        window->commitFocusedEdit();
        window->saveSetupFile(workFolder / GetParam().savedAs);
    }
    if (GetParam().fileRewritten != nullptr)
        writeFile(setupPath, GetParam().fileRewritten);

    const std::string text = printedSheet();

    EXPECT_EQ(text.rfind(GetParam().title + " ", 0), 0U) << text;
    EXPECT_EQ(printedDocumentName(), GetParam().printedFileName);
}

INSTANTIATE_TEST_SUITE_P(States, SetupSheetStateTest,
                         ::testing::Values(SheetStateCase{"as loaded",
                                                          {},
                                                          nullptr,
                                                          nullptr,
                                                          "Setup Sheet: ward4.prp",
                                                          "ward4 setup sheet.pdf"},
                                           SheetStateCase{"edited",
                                                          {"7.5"},
                                                          nullptr,
                                                          nullptr,
                                                          "Setup Sheet: unsaved changes",
                                                          "setup sheet (unsaved changes).pdf"},
                                           SheetStateCase{"edited and typed back",
                                                          {"7.5", "5.0"},
                                                          nullptr,
                                                          nullptr,
                                                          "Setup Sheet: ward4.prp",
                                                          "ward4 setup sheet.pdf"},
                                           SheetStateCase{"edited and saved",
                                                          {"7.5"},
                                                          "ward5.prp",
                                                          nullptr,
                                                          "Setup Sheet: ward5.prp",
                                                          "ward5 setup sheet.pdf"},
                                           SheetStateCase{"its file changed since",
                                                          {},
                                                          nullptr,
                                                          "GOODLIMIT=70\r\n",
                                                          "Setup Sheet",
                                                          "setup sheet.pdf"}));

TEST_F(SetupSheetWindowTest, CtrlPPreviewsEveryPageOfTheSheet) {
    int pages = 0;
    modals.answer("Print Setup Sheet", [&pages](QWidget& preview) {
        pages = preview.findChild<QPrintPreviewWidget*>()->pageCount();
        static_cast<QDialog&>(preview).reject();
    });
    startWindow();
    pickModule(Leads70);
    typeInto("goodLimitEdit", "7.5");

    QTest::keyClick(find<QLineEdit>("goodLimitEdit"), Qt::Key_P, Qt::ControlModifier);

    ASSERT_TRUE(modals.titles.contains("Print Setup Sheet"));
    EXPECT_GE(pages, 2);
}

TEST_F(SetupSheetWindowTest, ExportSuggestsTheSetupsNameBesideItAndWritesTheSheet) {
    QString suggested;
    QString folder;
    modals.answer("Export Setup Sheet as PDF", [&](QWidget& dialog) {
        auto& files = static_cast<QFileDialog&>(dialog);
        suggested = files.findChild<QLineEdit*>("fileNameEdit")->text();
        folder = files.directory().absolutePath();
        static_cast<QDialog&>(files).accept();
    });
    startWindow();
    window->openSetupFile(setupPath);

    pickFromContextMenu(Qt::Key_E);

    EXPECT_EQ(suggested, "ward4 setup sheet.pdf");
    EXPECT_EQ(folder.toStdString(), workFolder.string());
    EXPECT_EQ(pdfText(workFolder / "ward4 setup sheet.pdf").rfind("Setup Sheet: ward4.prp ", 0),
              0U);
    EXPECT_TRUE(modals.messages.isEmpty()) << modals.messages.join('|').toStdString();
}

TEST_F(SetupSheetWindowTest, ExportThatCannotBeWrittenIsReportedWithTheStandardText) {
    // A link into a folder that is gone: the dialog lets it through, the file cannot be made.
    const std::filesystem::path link = workFolder / "sheet.pdf";
    std::filesystem::create_symlink(workFolder / "gone" / "sheet.pdf", link);
    modals.chooseFile(QString::fromStdString(link.string()));
    startWindow();

    pickFromContextMenu(Qt::Key_E);

    EXPECT_EQ(modals.messages,
              QStringList{QString::fromStdString(link.string()) + " was not found."});
}

TEST_F(SetupSheetWindowTest, ContextMenuNamesBothSheetCommandsToAScreenReader) {
    QStringList names;
    QString printKeys;
    startWindow();

    useContextMenu([&](QMenu& menu) {
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(&menu);
        for (int i = 0; i < face->childCount(); ++i) {
            names << face->child(i)->text(QAccessible::Name);
            if (names.last() == "Print Setup Sheet...")
                printKeys = face->child(i)->text(QAccessible::Accelerator);
        }
        menu.close();
    });

    EXPECT_TRUE(names.contains("Print Setup Sheet...")) << names.join('|').toStdString();
    EXPECT_TRUE(names.contains("Export Setup Sheet as PDF...")) << names.join('|').toStdString();
    EXPECT_EQ(printKeys, QKeySequence(QKeySequence::Print).toString(QKeySequence::NativeText));
}

} // namespace
