#include "support/Closings.h"
#include "support/WindowTest.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QTabBar>
#include <QTest>
#include <QTimer>
#include <termios.h>

namespace {

TEST_F(WindowTest, StartsWithAnEmptyGridAndNoInstrument) {
    startWindow();

    EXPECT_EQ(window->windowTitle(), "Mirafen for Zentiq ");
    EXPECT_EQ(find<QTabBar>("leadTabs")->count(), 0);
    for (int row = 1; row <= 32; ++row)
        EXPECT_TRUE(leadEdit(row)->isHidden()) << row;
    EXPECT_TRUE(find<QLabel>("leftNameHeading")->isHidden());
    EXPECT_TRUE(button("allButton")->isHidden());
    EXPECT_TRUE(button("noneButton")->isHidden());
    EXPECT_EQ(find<QLineEdit>("serialEdit")->text(), "Not Connected");
    EXPECT_EQ(find<QLabel>("firmwareText")->text(), "");
    EXPECT_FALSE(button("deviceLoadButton")->isEnabled());
    EXPECT_FALSE(button("deviceSaveButton")->isEnabled());

    auto* modules = find<QComboBox>("moduleList");
    EXPECT_EQ(modules->currentIndex(), -1);
    QStringList texts;
    for (int index = 0; index < modules->count(); ++index)
        texts << modules->itemText(index);
    EXPECT_EQ(texts, QStringList({"16 Lead Sixteen", "17 Lead Seventeen", "2 Lead Pair",
                                  "20 Lead Twenty", "32 Lead Thirty-two", "33 Lead Thirty-three",
                                  "40 Lead Forty", "70 Lead Seventy"}));
}

TEST_F(WindowTest, ShowsTheFirstRunDialogsOnlyWhileNoPortIsStored) {
    struct Case {
        std::optional<int> storedPort;
        QStringList dialogs;
    };
    const Case cases[] = {
        {std::nullopt, {"Welcome!", "Comm Port Setting", "CAUTION"}},
        {1, {"CAUTION"}},
    };
    for (const Case& start : cases) {
        writeSettings(start.storedPort);
        modals.titles.clear();
        startWindow();
        EXPECT_EQ(modals.titles, start.dialogs);
        EXPECT_TRUE(modals.messages.isEmpty()) << modals.messages.join('|').toStdString();
        EXPECT_NE(readFile(dataFolder / "zenset.sys").find("COMMPORT=1\r\n"), std::string::npos);
        window.reset();
    }
}

TEST_F(WindowTest, KeepsItsSizeWhateverTheGridShows) {
    startWindow();
    const QSize size = window->size();
    EXPECT_EQ(window->minimumSize(), window->maximumSize());
    pickModule(Leads70);
    QCoreApplication::processEvents();
    EXPECT_EQ(window->size(), size);
}

TEST_F(WindowTest, ClosingWhileAProxyHoldsTheProgramOnlyHidesTheWindow) {
    startWindow();
    auto held = std::make_unique<ProgramHeld>();
    bool hiddenByClose = false;
    bool ranWhileHidden = false;
    QTimer::singleShot(0, [&] {
        window->reject();
        hiddenByClose = !window->isVisible();
        QTimer::singleShot(0, [&] {
            ranWhileHidden = true;
            held.reset();
            window->show();
            window->reject();
        });
    });

    EXPECT_EQ(window->exec(), QDialog::Rejected);
    EXPECT_TRUE(hiddenByClose);
    EXPECT_TRUE(ranWhileHidden) << "the run ended when the window was hidden";
}

TEST_F(WindowTest, AChosenPortThatWillNotOpenIsStoredAndTheLinkStaysOnTheOldOne) {
    writeFile(dataFolder / "zenset.sys", "COMMDEVICE1=" + port.slavePath() +
                                             "\r\nCOMMDEVICE2=" + (root / "no-such-tty").string() +
                                             "\r\nCOMMPORT=1\r\n");
    startWindow();
    modals.answer("Comm Port Setting", [](QWidget& dialog) {
        dialog.findChild<QAbstractButton*>("commPort2")->click();
        qobject_cast<QDialog*>(&dialog)->accept();
    });
    button("connectionSetupButton")->click();

    EXPECT_EQ(modals.messages, QStringList{"That Comm Port is not available."});
    EXPECT_NE(readFile(dataFolder / "zenset.sys").find("COMMPORT=2\r\n"), std::string::npos);
    pollTick();
    EXPECT_EQ(port.receive(5).size(), 5U) << "no identity request on the old port";
}

// A stored network port where no server listens is said once, when the connection fails; the
// tries after it, as for an adapter pulled out, are silent.
TEST_F(WindowTest, AStoredNetworkPortThatCannotConnectIsSaidOnce) {
    writeFile(dataFolder / "zenset.sys", "COMMDEVICE1=tcp://127.0.0.1:9\r\nCOMMPORT=1\r\n");
    startWindow();
    ASSERT_TRUE(waitUntil([this] { return !modals.messages.isEmpty(); }));
    EXPECT_EQ(modals.messages, QStringList{"That Comm Port is not available."});
    EXPECT_TRUE(modals.details.value(0).contains("could not connect to 127.0.0.1:9"))
        << modals.details.value(0).toStdString();

    for (int tick = 0; tick < 3; ++tick) {
        pollTick();
        ASSERT_TRUE(
            waitUntil([this] { return window->instrumentPort().openFailure().has_value(); }));
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(modals.messages.size(), 1);
}

TEST_F(WindowTest, APortPickedInTheDialogIsStoredByItsStablePathAndOpened) {
    // The pseudo-terminal stands in for an adapter that has a by-id link.
    const std::filesystem::path byId = root / "usb-FTDI_FT232R_USB_UART_A1B2C3-if00-port0";
    std::filesystem::create_symlink(port.slavePath(), byId);
    DiscoveredPort adapter;
    adapter.devicePath = port.slavePath();
    adapter.stablePath = byId;
    adapter.vendorId = "0403";
    discoveredPorts = {adapter};
    writeFile(dataFolder / "zenset.sys", "FIRST=1\r\nCOMMPORT=1\r\nCOMMDEVICE1=/dev/null\r\n");
    startWindow();
    modals.messages.clear();
    modals.answer("Comm Port Setting", [](QWidget& dialog) {
        dialog.findChild<QAbstractButton*>("commPort4")->click();
        auto* list = dialog.findChild<QListWidget*>("discoveredPorts");
        emit list->itemClicked(list->item(0));
        QTest::keyClick(&dialog, Qt::Key_Escape);
    });
    button("connectionSetupButton")->click();

    EXPECT_TRUE(modals.messages.isEmpty()) << modals.messages.join('|').toStdString();
    EXPECT_EQ(readFile(dataFolder / "zenset.sys"),
              "FIRST=1\r\nCOMMPORT=4\r\nCOMMDEVICE1=/dev/null\r\n"
              "COMMDEVICE4=" +
                  byId.string() + "\r\n");
    EXPECT_TRUE(window->instrumentSession().connected() == false);
    pollTick();
    EXPECT_EQ(port.receive(5).size(), 5U) << "no identity request on the picked port";
}

TEST_F(WindowTest, AFirstRunOffersTheUsbAdapterPluggedIn) {
    DiscoveredPort uart;
    uart.devicePath = "/dev/ttyS0";
    const std::filesystem::path byId = root / "usb-Maker_Adapter-if00";
    std::filesystem::create_symlink(port.slavePath(), byId);
    DiscoveredPort adapter;
    adapter.devicePath = "/dev/ttyUSB3";
    adapter.stablePath = byId;
    adapter.vendorId = "0403";
    discoveredPorts = {uart, adapter};
    struct Case {
        const char* name;
        std::string settings;
        std::string device; // what COMM 1 stands for afterwards
    };
    const Case cases[] = {
        {"nothing stored", "", byId},
        {"COMM 1 named already", "COMMDEVICE1=" + port.slavePath() + "\r\n", port.slavePath()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeFile(dataFolder / "zenset.sys", c.settings);
        modals.titles.clear();
        startWindow();
        EXPECT_EQ(modals.titles, QStringList({"Welcome!", "Comm Port Setting", "CAUTION"}));
        const std::string stored = readFile(dataFolder / "zenset.sys");
        EXPECT_NE(stored.find("COMMPORT=1\r\n"), std::string::npos) << stored;
        EXPECT_NE(stored.find("COMMDEVICE1=" + c.device + "\r\n"), std::string::npos) << stored;
        window.reset();
    }
}

// The instrument's port, silent, is the one the search asks; the dialog closes while it asks.
class PortSearchTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        DiscoveredPort silent;
        silent.devicePath = port.slavePath();
        discoveredPorts = {silent};
    }

    // Opens Connection Setup, starts a search, runs during it, then closes the dialog so.
    void closeDuringSearch(const Closing& closing, const std::function<void()>& during = {}) {
        modals.answer("Comm Port Setting", [closing, during](QWidget& dialog) {
            dialog.findChild<QAbstractButton*>("findInstrumentButton")->click();
            if (during)
                during();
            closing.close(dialog);
        });
        button("connectionSetupButton")->click();
    }

    // The link asks the old port again: the next poll's request reaches it.
    bool portInUse() {
        tcflush(port.masterFd(), TCIFLUSH);
        pollTick();
        return port.receive(5).size() == 5U;
    }
};

TEST_F(PortSearchTest, HoweverTheWindowClosesTheSearchLetsGoOfThePortFirst) {
    std::vector<Closing> closings = closingsWithoutButtons();
    closings.push_back(pressButton("okButton"));
    startWindow();
    for (const Closing& closing : closings) {
        SCOPED_TRACE(closing.name);
        modals.messages.clear();
        closeDuringSearch(closing);

        EXPECT_TRUE(modals.messages.isEmpty()) << modals.messages.join('|').toStdString();
        EXPECT_TRUE(portInUse());
    }
}

TEST_F(PortSearchTest, ASettingsFileThatCannotBeStoredAfterASearchKeepsThePort) {
    startWindow();
    // A folder in zenset.sys's place cannot be written, even by root.
    closeDuringSearch(pressButton("okButton"), [this] {
        std::filesystem::remove(dataFolder / "zenset.sys");
        std::filesystem::create_directory(dataFolder / "zenset.sys");
    });

    EXPECT_EQ(modals.messages, QStringList{"Couldn't create setup file."});
    EXPECT_TRUE(portInUse());
}

} // namespace
