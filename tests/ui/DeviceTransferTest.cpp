#include "config/HistoryTime.h"
#include "config/SetupDigest.h"
#include "config/TransferHistory.h"
#include "operations/OperationTexts.h"
#include "setup/SetupFile.h"
#include "support/ServedInstrument.h"
#include "support/WindowTest.h"
#include "ui/TransferDialog.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

namespace {

// Every reply names the register after the one asked for.
FaultPlan wrongRegisters() {
    FaultPlan plan;
    plan.wrongRegisterEvery = 1;
    return plan;
}

FaultPlan silence() {
    FaultPlan plan;
    plan.silent = true;
    return plan;
}

// An instrument with a two-lead module whose setup differs from the window's defaults in
// every field.
class DeviceTransferTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        instrument.setIdentity({"00001234", Leads2, 2, 5});
        const std::vector<std::pair<std::uint8_t, Bytes>> setup{
            {0x80, bytes("\x01Left    ", 9)},
            {0x81, bytes("\x00Right   ", 9)},
            {0x40, {3}},
            {0x50, {2}},
            {0x51, {2}},
            {0x60, {12}},
            {0x61, {2}},
            {0x70, {0x00, 0x7B}},
            {0x71, {0x01, 0xF4}},
        };
        for (const auto& [reg, content] : setup)
            ASSERT_TRUE(instrument.registers.write(reg, content)) << int(reg);
        // The transfer runs to its own end.
        modals.answer("Zentiq Transfer", [](QWidget&) {});
    }

    static Bytes bytes(const char* text, std::size_t count) { return {text, text + count}; }

    // Two poll ticks, each answered before the next: the first asks, the second connects.
    void connectInstrument() {
        pollTwice(instrument);
        ASSERT_TRUE(window->instrumentSession().connected());
    }
    // Two poll ticks answered by served: the window has seen an answer that it gave after
    // anything it was told before.
    void pollTwice(ServedInstrument& served) {
        for (int tick = 0; tick < 2; ++tick) {
            const int answered = served.answeredCount();
            pollTick();
            ASSERT_TRUE(waitUntil([&] { return served.answeredCount() > answered; }));
            ASSERT_TRUE(replyRead(served.line()));
        }
    }

    QRadioButton* radio(const char* name) { return find<QRadioButton>(name); }

    ServedInstrument instrument{port};
};

TEST_F(DeviceTransferTest, ConnectingShowsTheInstrumentAndEnablesItsButtons) {
    startWindow();
    connectInstrument();
    EXPECT_EQ(find<QLineEdit>("serialEdit")->text(), "00001234");
    EXPECT_EQ(find<QLabel>("firmwareText")->text(), "2.5");
    // What a screen reader says after the label's name, "Firmware revision".
    EXPECT_EQ(QAccessible::queryAccessibleInterface(find<QLabel>("firmwareText"))
                  ->text(QAccessible::Description),
              "2.5");
    EXPECT_TRUE(button("deviceLoadButton")->isEnabled());
    EXPECT_TRUE(button("deviceSaveButton")->isEnabled());
    EXPECT_EQ(window->deviceInfo().leadCount, 2);
    EXPECT_FALSE(leadEdit(2)->isHidden());
}

TEST_F(DeviceTransferTest, ACompletedLoadShowsTheInstrumentsSetup) {
    startWindow();
    connectInstrument();
    button("deviceLoadButton")->click();

    EXPECT_TRUE(modals.titles.contains("Zentiq Transfer"));
    EXPECT_TRUE(modals.messages.isEmpty()) << modals.messages.join('|').toStdString();
    EXPECT_EQ(leadEdit(1)->text(), "Left");
    EXPECT_EQ(leadEdit(2)->text(), "Right");
    EXPECT_TRUE(find<QCheckBox>("leadSkip1")->isChecked());
    EXPECT_TRUE(leadEdit(1)->isReadOnly());
    for (const char* checked : {"freq30", "failurePoor", "responseContinue", "startupManual"})
        EXPECT_TRUE(radio(checked)->isChecked()) << checked;
    for (const char* cleared : {"freq10", "failureGood", "responseStop", "startupAuto"})
        EXPECT_FALSE(radio(cleared)->isChecked()) << cleared;
    EXPECT_EQ(find<QLineEdit>("goodLimitEdit")->text(), "12.3");
    EXPECT_EQ(find<QLineEdit>("poorLimitEdit")->text(), "50.0");
    EXPECT_EQ(find<QLineEdit>("shutOffEdit")->text(), "120");
}

// Loading from a file or the instrument asks, as closing does, before edits are replaced.
TEST_F(DeviceTransferTest, ALoadAsksBeforeItReplacesEdits) {
    const std::string file = workFolder / "other.prp";
    writeFile(file, "LEADNAME1=FromFile\r\n");
    struct Case {
        const char* name;
        std::function<void()> load;
        QString loaded;
    };
    const Case loads[] = {
        {"file",
         [&] {
             modals.chooseFile(QString::fromStdString(file));
             button("fileLoadButton")->click();
         },
         "FromFile"},
        {"instrument", [this] { button("deviceLoadButton")->click(); }, "Left"},
    };
    QStringList asked;
    bool letEditsGo = false;
    modals.answer(QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName(),
                  [&](QWidget& window) {
                      auto& box = dynamic_cast<QMessageBox&>(window);
                      asked << box.text() + " " + box.informativeText();
                      box.button(letEditsGo ? QMessageBox::Yes : QMessageBox::No)->click();
                  });
    startWindow();
    connectInstrument();
    for (const Case& load : loads) {
        for (const bool yes : {false, true}) {
            SCOPED_TRACE(std::string(load.name) + (yes ? ", yes" : ", no"));
            letEditsGo = yes;
            typeName(1, "Edited");
            asked.clear();
            load.load();
            EXPECT_EQ(asked, QStringList{"The setup has changed since it was last loaded or saved. "
                                         "Load and lose the changes?"});
            EXPECT_EQ(leadEdit(1)->text(), yes ? load.loaded : "Edited");
        }
    }
    asked.clear();
    button("deviceLoadButton")->click();
    EXPECT_TRUE(asked.isEmpty()) << "a setup as loaded";
}

// The instrument pads its names with blanks to 8 characters: shown without them, a name can be
// typed on; the setup keeps a name as it came until it is changed.
TEST_F(DeviceTransferTest, NamesReadFromTheInstrumentCanBeTypedOnAndOtherwiseStayAsTheyCame) {
    startWindow();
    connectInstrument();
    button("deviceLoadButton")->click();
    QLineEdit* edit = leadEdit(2);
    edit->end(false);
    QTest::keyClicks(edit, "F8");
    window->commitEdits();

    EXPECT_EQ(edit->text(), "RightF8");
    EXPECT_EQ(window->setup().leadName[2], "RightF8");
    EXPECT_EQ(window->setup().leadName[1], "Left    ");
    const std::string file = workFolder / "read.prp";
    window->saveSetupFile(file);
    EXPECT_EQ(readFile(file).rfind("LEADNAME1=Left    \r\nLEADSKIP1=1\r\nLEADNAME2=RightF8\r\n", 0),
              0U);
}

TEST_F(DeviceTransferTest, TheSheetOfALoadedSetupNamesTheInstrumentItCameFrom) {
    const std::filesystem::path earlier = workFolder / "earlier.prp";
    writeFile(earlier, "LEADNAME1=Earlier\r\n");
    startWindow();
    window->openSetupFile(earlier);
    connectInstrument();
    button("deviceLoadButton")->click();

    const std::string text = printedSheet();

    // The setup is the instrument's now, no longer the file's.
    EXPECT_EQ(text.rfind("Setup Sheet Instrument 00001234 Setup Sheet Made ", 0), 0U) << text;
    for (const char* expected :
         {"Instrument serial number 00001234 Module 8 \u2013 2 Lead Pair Firmware revision 2.5",
          "Lead Name Skipped 1 Left yes 2 Right no Sign-off"})
        EXPECT_NE(text.find(expected), std::string::npos) << expected << "\nin: " << text;
}

TEST_F(DeviceTransferTest, ALoadThatDoesNotCompleteLeavesTheSetupAsItWas) {
    struct Case {
        const char* name;
        bool fails;
        QStringList messages;
    };
    const Case cases[] = {
        {"failed", true, {kTransferErrorText}},
        {"cancelled", false, {}},
    };
    writeFile(workFolder / "Transfer.xxx", "mine");
    startWindow();
    connectInstrument();
    for (const Case& load : cases) {
        SCOPED_TRACE(load.name);
        typeName(1, "Keep");
        radio("freq20")->click();
        window->commitEdits();
        const SetupRecord before = window->setup();
        ASSERT_EQ(before.leadName[1], "Keep");
        modals.messages.clear();
        modals.details.clear();
        // The two leads come in before the load breaks off.
        const int leadsAnswered = instrument.answeredCount() + 2;
        instrument.setFaults({});
        instrument.afterAnswer = [&](int answered) {
            if (load.fails && answered == leadsAnswered)
                instrument.setFaults(wrongRegisters());
            auto* transfer = qobject_cast<TransferDialog*>(QApplication::activeModalWidget());
            if (transfer != nullptr && !load.fails && answered == leadsAnswered + 1)
                transfer->reject();
        };
        button("deviceLoadButton")->click();

        EXPECT_EQ(modals.messages, load.messages);
        if (load.fails) {
            EXPECT_EQ(modals.details,
                      QStringList{"request 3 of 9: read register 0x40, wrong answer"});
        }
        EXPECT_EQ(window->setup(), before);
        EXPECT_EQ(leadEdit(1)->text(), "Keep");
        EXPECT_FALSE(find<QCheckBox>("leadSkip1")->isChecked());
        EXPECT_TRUE(radio("freq20")->isChecked());
    }
    EXPECT_EQ(readFile(workFolder / "Transfer.xxx"), "mine");
}

TEST_F(DeviceTransferTest, TheSheetOfEditsSavedIntoTheInstrumentNoLongerNamesTheirFile) {
    const std::filesystem::path earlier = workFolder / "earlier.prp";
    writeFile(earlier, "LEADNAME1=Earlier\r\n");
    startWindow();
    window->openSetupFile(earlier);
    connectInstrument();
    typeName(2, "Probe");
    button("deviceSaveButton")->click();

    const std::string text = printedSheet();

    EXPECT_EQ(text.rfind("Setup Sheet Instrument 00001234 Setup Sheet Made ", 0), 0U) << text;
    EXPECT_EQ(text.find("earlier"), std::string::npos) << text;
    EXPECT_NE(text.find("1 Earlier no 2 Probe no"), std::string::npos) << text;
}

TEST_F(DeviceTransferTest, ASaveWritesTheWindowsSetupAndIdentity) {
    startWindow();
    connectInstrument();
    typeName(2, "Probe");
    find<QLineEdit>("serialEdit")->setText("00000077");
    radio("freq20")->click();
    button("deviceSaveButton")->click();

    EXPECT_TRUE(modals.messages.isEmpty()) << modals.messages.join('|').toStdString();
    EXPECT_EQ(instrument.content(0x81), bytes("\x00Probe   ", 9));
    EXPECT_EQ(instrument.content(0x40), Bytes{2});
    EXPECT_EQ(instrument.content(0x10), bytes("00000077\x00\x08\x02\x05", 12));
}

TEST_F(DeviceTransferTest, ASaveThatBreaksOffSaysWhatTheInstrumentNowHolds) {
    startWindow();
    connectInstrument();
    // The identity and lead 1 are acknowledged, then the instrument falls silent; time passes a
    // second every 10 ms, so that the time-outs come at once.
    const int leadOneAnswered = instrument.answeredCount() + 2;
    instrument.afterAnswer = [&](int answered) {
        if (answered == leadOneAnswered)
            instrument.setFaults(silence());
    };
    QTimer timePasses;
    QObject::connect(&timePasses, &QTimer::timeout, [this] {
        clock.skip(std::chrono::seconds(1));
        window->instrumentDriver().wake();
    });
    timePasses.start(10);
    button("deviceSaveButton")->click();

    EXPECT_EQ(modals.messages, QStringList{kTransferErrorText});
    EXPECT_EQ(modals.details, QStringList{"request 3 of 10: write register 0x81, no answer\n"
                                          "the instrument now holds lead 1 of the new setup; "
                                          "write it again"});
}

TEST_F(DeviceTransferTest, OnlyACompletedTransferLetsTheWindowCloseWithoutAsking) {
    struct Case {
        const char* name;
        const char* button;
        bool fails;
    };
    const Case cases[] = {
        {"completed save", "deviceSaveButton", false},
        {"completed load", "deviceLoadButton", false},
        {"failed load", "deviceLoadButton", true},
    };
    for (const Case& transfer : cases) {
        SCOPED_TRACE(transfer.name);
        modals.titles.clear(); // so that the start-up of this window is awaited
        modals.questions.clear();
        startWindow();
        connectInstrument();
        typeName(1, "Edited");
        instrument.setFaults(transfer.fails ? wrongRegisters() : FaultPlan{});
        button(transfer.button)->click();
        // A load asked before it began; asked, the recorder answers Yes.
        modals.questions.clear();
        window->reject();

        EXPECT_EQ(modals.questions.size(), transfer.fails ? 1 : 0);
        EXPECT_FALSE(window->isVisible());
        window.reset();
    }
}

TEST_F(DeviceTransferTest, LosingTheInstrumentEmptiesThePanelAndTheGridButKeepsTheNames) {
    startWindow();
    connectInstrument();
    typeName(1, "Stays");
    instrument.setFaults(silence());
    // The reply to the last request of the connection, then eleven silent ticks.
    for (int tick = 0; tick < 12; ++tick)
        pollTick();

    EXPECT_FALSE(window->instrumentSession().connected());
    EXPECT_FALSE(button("deviceLoadButton")->isEnabled());
    EXPECT_EQ(find<QLineEdit>("serialEdit")->text(), "Not Connected");
    EXPECT_EQ(find<QLabel>("firmwareText")->text(), "");
    EXPECT_TRUE(leadEdit(1)->isHidden());
    pickModule(Leads2);
    EXPECT_EQ(leadEdit(1)->text(), "Stays");
}

TEST_F(DeviceTransferTest, ConnectingClearsTheLeadsOnlyWhenAnotherModuleWasCurrent) {
    struct Case {
        const char* name;
        int current; // 0: none chosen
        bool cleared;
    };
    const Case cases[] = {
        {"no module", 0, false},
        {"the instrument's module", Leads2, false},
        {"another module", Leads16, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        modals.titles.clear(); // so that the start-up of this window is awaited
        startWindow();
        pickModule(Leads16);
        typeName(1, "Mine");
        window->commitEdits();
        if (c.current != Leads16)
            window->selectModuleType(c.current);

        connectInstrument();

        EXPECT_EQ(window->deviceInfo().moduleType, Leads2);
        EXPECT_EQ(window->setup().leadName[1], c.cleared ? "" : "Mine");
        EXPECT_EQ(leadEdit(1)->text(), c.cleared ? "" : "Mine");
        window.reset();
    }
}

// Another instrument answers on the line without the silence that loses the first: the serial
// number shown is the new instrument's unless the technician set one, and a save writes that.
TEST_F(DeviceTransferTest, AnotherInstrumentOnTheLineKeepsItsSerialNumberUnlessOneWasSet) {
    struct Case {
        const char* name;
        std::function<void()> touch;
        QString shown;
    };
    const Case cases[] = {
        {"untouched", [] {}, "00003002"},
        {"typed", [this] { find<QLineEdit>("serialEdit")->setText("00000077"); }, "00000077"},
        {"stepped", [this] { button("snPlusOneButton")->click(); }, "00001235"},
        // What a save wrote is the first instrument's own number from then on.
        {"typed and saved",
         [this] {
             find<QLineEdit>("serialEdit")->setText("00000077");
             button("deviceSaveButton")->click();
         },
         "00003002"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        modals.titles.clear(); // so that the start-up of this window is awaited
        instrument.setIdentity({"00001234", Leads2, 2, 5});
        startWindow();
        connectInstrument();
        c.touch();

        instrument.setIdentity({"00003002", Leads2, 3, 1});
        pollTwice(instrument);
        EXPECT_EQ(find<QLineEdit>("serialEdit")->text(), c.shown);
        EXPECT_EQ(find<QLabel>("firmwareText")->text(), "3.1");
        button("deviceSaveButton")->click();
        const std::string written = c.shown.toStdString() + std::string("\x00\x08\x03\x01", 4);
        EXPECT_EQ(instrument.content(0x10), bytes(written.c_str(), written.size()));
        window.reset();
    }
}

TEST_F(DeviceTransferTest, AnotherInstrumentOnTheLineBringsItsModuleAsConnectingDoes) {
    startWindow();
    connectInstrument();
    typeName(1, "Mine");
    instrument.setIdentity({"00003002", Leads16, 2, 5});
    pollTwice(instrument);

    EXPECT_EQ(window->deviceInfo().moduleType, Leads16);
    EXPECT_EQ(window->deviceInfo().leadCount, 16);
    EXPECT_FALSE(leadEdit(16)->isHidden());
    EXPECT_EQ(window->setup().leadName[1], "");
    EXPECT_EQ(leadEdit(1)->text(), "");
}

TEST_F(DeviceTransferTest, AnInstrumentOnAnotherPortKeepsItsSerialNumber) {
    PseudoTerminal secondLine;
    ServedInstrument second{secondLine};
    second.setIdentity({"00003002", Leads2, 2, 5});
    writeFile(dataFolder / "zenset.sys", "COMMDEVICE1=" + port.slavePath() + "\r\nCOMMDEVICE2=" +
                                             secondLine.slavePath() + "\r\nCOMMPORT=1\r\n");
    startWindow();
    connectInstrument();
    modals.answer("Comm Port Setting", [](QWidget& dialog) {
        dialog.findChild<QAbstractButton*>("commPort2")->click();
        qobject_cast<QDialog*>(&dialog)->accept();
    });
    button("connectionSetupButton")->click();
    pollTwice(second);

    EXPECT_EQ(find<QLineEdit>("serialEdit")->text(), "00003002");
    button("deviceSaveButton")->click();
    EXPECT_EQ(second.content(0x10), bytes("00003002\x00\x08\x02\x05", 12));
}

// A save and a failed load each leave their row; the saved setup's file has the row's digest.
TEST_F(DeviceTransferTest, EverySaveAndLoadLeavesItsRowInTheRecord) {
    startWindow();
    connectInstrument();
    typeName(2, "Probe");
    find<QLineEdit>("serialEdit")->setText("00000077");
    button("deviceSaveButton")->click();
    const int identityAndLeadAnswered = instrument.answeredCount() + 2;
    instrument.afterAnswer = [&](int answered) {
        if (answered == identityAndLeadAnswered)
            instrument.setFaults(wrongRegisters());
    };
    button("deviceLoadButton")->click();
    ASSERT_EQ(modals.messages, QStringList{kTransferErrorText});

    const TransferHistory history = readTransferHistory(dataFolder / "history.csv");
    EXPECT_TRUE(history.badLines.empty());
    ASSERT_EQ(history.rows.size(), 2u);
    const TransferRow& save = history.rows[0];
    const TransferRow& load = history.rows[1];
    const std::vector<std::string> saved{
        save.program, save.action,   save.device,    save.serialBefore, save.serialAfter,
        save.module,  save.firmware, save.setupFile, save.result,       save.detail};
    EXPECT_EQ(saved, (std::vector<std::string>{"mirafen", "write", port.slavePath(), "00001234",
                                               "00000077", "8", "2.5", "", "ok", ""}));
    const std::vector<std::string> loaded{load.action,      load.serialBefore, load.serialAfter,
                                          load.setupSha256, load.result,       load.detail};
    EXPECT_EQ(loaded, (std::vector<std::string>{"read", "00000077", "00000077", "", "failed",
                                                "request 3 of 9: read register 0x40, wrong "
                                                "answer"}));
    EXPECT_TRUE(parseHistoryTime(save.time).has_value()) << save.time;

    const std::string file = workFolder / "saved.prp";
    window->saveSetupFile(file);
    SetupRecord fromFile;
    readSetupFile(fromFile, file);
    EXPECT_EQ(save.setupSha256, setupDigest(fromFile));
}

// A record that cannot be written leaves the save done, and the window says what and why.
TEST_F(DeviceTransferTest, ARecordThatCannotBeWrittenLeavesTheSaveDoneAndSaysWhy) {
    std::filesystem::create_directory(dataFolder / "history.csv");
    startWindow();
    connectInstrument();
    typeName(2, "Probe");
    button("deviceSaveButton")->click();

    EXPECT_EQ(instrument.content(0x81), bytes("\x00Probe   ", 9));
    EXPECT_EQ(modals.messages,
              QStringList{"This transfer could not be added to the transfer history."});
    EXPECT_EQ(modals.details,
              QStringList{QString::fromStdString((dataFolder / "history.csv").string()) +
                          ": Is a directory"});
}

// What the comparison dialog showed.
struct ShownComparison {
    QString instrument;
    QString result;
    QStringList rows;      // "field|this setup|the instrument", top to bottom
    QStringList differing; // the fields of the rows marked
};

// Compare with Instrument reads the instrument without changing the window or the instrument,
// and shows every field of the window's setup beside the instrument's, the differing marked.
TEST_F(DeviceTransferTest, CompareWithInstrumentShowsTheDifferencesAndChangesNothing) {
    std::vector<ShownComparison> shown;
    modals.answer("Compare with Instrument", [&shown](QWidget& dialog) {
        ShownComparison comparison{dialog.findChild<QLabel*>("comparedInstrument")->text(),
                                   dialog.findChild<QLabel*>("comparisonResult")->text(),
                                   {},
                                   {}};
        if (const auto* table = dialog.findChild<QTableWidget*>("comparisonTable")) {
            for (int row = 0; row < table->rowCount(); ++row) {
                QStringList cells;
                for (int column = 0; column < 3; ++column)
                    cells << table->item(row, column)->text();
                comparison.rows << cells.join('|');
                if (table->item(row, 2)->font().bold())
                    comparison.differing << cells.front();
            }
        }
        shown.push_back(comparison);
        qobject_cast<QDialog*>(&dialog)->accept();
    });
    startWindow();
    connectInstrument();
    button("deviceLoadButton")->click();
    pickFromContextMenu(Qt::Key_C);
    typeName(2, "Probe");
    radio("freq10")->click();
    window->commitEdits();
    const SetupRecord edited = window->setup();
    pickFromContextMenu(Qt::Key_C);

    ASSERT_EQ(shown.size(), 2U);
    EXPECT_EQ(shown[0].instrument, "Instrument 00001234, module 8 (2 Lead Pair), firmware 2.5");
    EXPECT_EQ(shown[0].result, "The instrument holds this setup.");
    EXPECT_TRUE(shown[0].rows.isEmpty());
    EXPECT_EQ(shown[1].result, "2 fields differ between this setup and the instrument.");
    EXPECT_EQ(shown[1].rows,
              (QStringList{
                  "Lead 1 name|Left|Left", "Lead 1 skipped|yes|yes", "Lead 2 name|Probe|Right",
                  "Lead 2 skipped|no|no", "Test Frequency|10 Hz|30 Hz",
                  "Start-up Mode|Manual|Manual", "Upon Failure|Continue|Continue",
                  "Failure Criterion|Poor Limit|Poor Limit", "Good Limit|12.3 K Ohms|12.3 K Ohms",
                  "Poor Limit|50.0 K Ohms|50.0 K Ohms", "Auto Shut-Off|120 seconds|120 seconds"}));
    EXPECT_EQ(shown[1].differing, (QStringList{"Lead 2 name", "Test Frequency"}));
    EXPECT_EQ(window->setup(), edited);
    EXPECT_EQ(leadEdit(2)->text(), "Probe");
    EXPECT_TRUE(radio("freq10")->isChecked());
    EXPECT_EQ(instrument.content(0x81), bytes("\x00Right   ", 9));
    EXPECT_EQ(instrument.content(0x40), Bytes{3});

    // A comparison that fails is reported as a load is, and shows no comparison.
    instrument.setFaults(wrongRegisters());
    pickFromContextMenu(Qt::Key_C);
    EXPECT_EQ(modals.messages, QStringList{kTransferErrorText});
    EXPECT_EQ(shown.size(), 2U);

    std::vector<std::vector<std::string>> compared;
    for (const TransferRow& row : readTransferHistory(dataFolder / "history.csv").rows)
        if (row.action == "compare")
            compared.push_back({row.program, row.result, row.detail});
    EXPECT_EQ(compared, (std::vector<std::vector<std::string>>{
                            {"mirafen", "same", ""},
                            {"mirafen", "differs", "Lead 2 name, Test Frequency"},
                            {"mirafen", "failed",
                             "request 1 of 9: read register 0x80, wrong "
                             "answer"}}));
}

} // namespace

namespace {

// Nothing goes into an instrument that it did not report or the technician did not choose: a
// module type the catalogue does not know is refused with what to do, nothing is written, and
// the record says why.
TEST_F(DeviceTransferTest, ASaveWithoutAModuleTypeOfTheCatalogueIsRefusedAndRecorded) {
    instrument.setIdentity({"00001234", 9, 2, 5});
    startWindow();
    connectInstrument();
    EXPECT_EQ(window->deviceInfo().moduleType, 0);
    const Bytes identity = instrument.content(0x10);
    const int answered = instrument.answeredCount();

    button("deviceSaveButton")->click();

    ASSERT_EQ(modals.messages.size(), 1);
    EXPECT_TRUE(modals.messages[0].startsWith("Module type 9 is not in the module catalogue ("))
        << modals.messages[0].toStdString();
    EXPECT_TRUE(modals.messages[0].endsWith(
        "Choose the instrument's module type, or provide a module catalogue that knows it."));
    EXPECT_EQ(instrument.answeredCount(), answered);
    EXPECT_EQ(instrument.content(0x10), identity);
    const std::vector<TransferRow> rows = readTransferHistory(dataFolder / "history.csv").rows;
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].action, "write");
    EXPECT_EQ(rows[0].result, "failed");
    EXPECT_EQ(rows[0].module, "9");
    EXPECT_EQ(rows[0].serialAfter, "00001234");
    EXPECT_EQ(rows[0].detail, modals.messages[0].toStdString());
}

// A catalogue that appears while an instrument is connected gives the window its module, so a
// save writes the module the instrument reported rather than none.
TEST_F(DeviceTransferTest, ACatalogueThatAppearsGivesTheConnectedInstrumentItsModule) {
    const std::string catalogue = readFile(workFolder / "Modules.dat");
    std::filesystem::remove(workFolder / "Modules.dat");
    startWindow();
    connectInstrument();
    EXPECT_EQ(window->deviceInfo().moduleType, 0);

    writeFile(dataFolder / "Modules.dat.new", catalogue);
    std::filesystem::rename(dataFolder / "Modules.dat.new", dataFolder / "Modules.dat");
    ASSERT_TRUE(waitUntil([this] { return window->deviceInfo().moduleType == Leads2; }));
    EXPECT_EQ(window->deviceInfo().leadCount, 2);

    button("deviceSaveButton")->click();
    EXPECT_TRUE(modals.messages.isEmpty()) << modals.messages.join('|').toStdString();
    EXPECT_EQ(instrument.content(0x10), bytes("00001234\x00\x08\x02\x05", 12));
}

// A button pressed by its shortcut (Alt+S) leaves the focus in the edit typed into; what it
// holds goes into the instrument all the same.
TEST_F(DeviceTransferTest, AValueStillBeingTypedIsSaved) {
    startWindow();
    connectInstrument();
    typeInto("goodLimitEdit", "42");
    button("deviceSaveButton")->click();
    EXPECT_EQ(instrument.content(0x70), (Bytes{0x01, 0xA4}));
}

// A failed save's row is in the record before its message shows, and the poll asks nothing
// until the message is dismissed; then it asks one period later.
TEST_F(DeviceTransferTest, AFailureIsRecordedBeforeItsMessageAndThePollWaitsForItsDismissal) {
    startWindow();
    connectInstrument();
    instrument.setFaults(wrongRegisters());
    std::vector<TransferRow> rowsWhileShown;
    int answeredWhileShown = 0;
    int answeredAfterTicks = -1;
    modals.answer(QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName(),
                  [&](QWidget& box) {
                      rowsWhileShown = readTransferHistory(dataFolder / "history.csv").rows;
                      answeredWhileShown = instrument.answeredCount();
                      for (int tick = 0; tick < 3; ++tick) {
                          pollTick();
                          QCoreApplication::processEvents();
                      }
                      answeredAfterTicks = instrument.answeredCount();
                      qobject_cast<QDialog*>(&box)->accept();
                  });

    button("deviceSaveButton")->click();

    ASSERT_EQ(rowsWhileShown.size(), 1u);
    EXPECT_EQ(rowsWhileShown[0].action, "write");
    EXPECT_EQ(rowsWhileShown[0].result, "failed");
    EXPECT_EQ(answeredAfterTicks, answeredWhileShown);
    instrument.setFaults({});
    const int answered = instrument.answeredCount();
    pollTick();
    EXPECT_TRUE(waitUntil([&] { return instrument.answeredCount() == answered + 1; }));
}

} // namespace
