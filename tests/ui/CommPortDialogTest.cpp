#include "ui/CommPortDialog.h"

#include "support/Closings.h"
#include "support/ModalRecorder.h"
#include "support/PseudoTerminal.h"
#include "support/SerialServerProcess.h"
#include "support/SimulatorProcess.h"
#include "support/TempFolder.h"

#include <QAccessible>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <gtest/gtest.h>
#include <vector>

namespace {

std::string fakeDevice(int comNumber) {
    return "/dev/zentiq" + std::to_string(comNumber);
}

std::vector<DiscoveredPort> noPorts() {
    return {};
}

DiscoveredPort ftdiAdapter() {
    DiscoveredPort port;
    port.name = "ttyUSB0";
    port.devicePath = "/dev/ttyUSB0";
    port.stablePath = "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A1B2C3-if00-port0";
    port.manufacturer = "FTDI";
    port.product = "FT232R USB UART";
    port.vendorId = "0403";
    return port;
}

DiscoveredPort uart() {
    DiscoveredPort port;
    port.name = "ttyS0";
    port.devicePath = "/dev/ttyS0";
    return port;
}

struct PortRun {
    std::uint8_t chosen = 0;
    QString checkedAtStart;
};

// Opens the dialog modally on currentPort, lets act close it, and reports what was applied.
PortRun runDialog(std::uint8_t currentPort, const std::function<void(QWidget&)>& act) {
    PortRun run;
    CommPortDialog dialog(nullptr, currentPort, {fakeDevice, noPorts, {}});
    ModalRecorder modals;
    modals.answer("Comm Port Setting", [&run, &act](QWidget& window) {
        for (auto* radio : window.findChildren<QRadioButton*>())
            if (radio->isChecked())
                run.checkedAtStart += radio->text();
        act(window);
    });
    dialog.exec();
    run.chosen = dialog.chosenPort();
    return run;
}

QRadioButton& radioOfPort(QWidget& window, int port) {
    auto* radio = window.findChild<QRadioButton*>(QString("commPort%1").arg(port));
    EXPECT_NE(radio, nullptr);
    return *radio;
}

void pressOk(QWidget& window) {
    QTest::keyClick(&window, Qt::Key_Return);
}

TEST(CommPortDialog, ChecksTheCurrentPortAndStandsForComOneOutsideTwoToSixteen) {
    const std::vector<std::pair<int, QString>> cases{
        {7, "COMM &7"}, {16, "COMM 16"}, {2, "COMM &2"},  {1, "COMM &1"},
        {0, "COMM &1"}, {17, "COMM &1"}, {20, "COMM &1"}, {255, "COMM &1"},
    };
    for (const auto& [current, checkedText] : cases) {
        const PortRun run = runDialog(static_cast<std::uint8_t>(current), pressOk);
        EXPECT_EQ(run.checkedAtStart, checkedText) << "current port " << current;
        const auto expected = static_cast<std::uint8_t>(checkedText == "COMM &1" ? 1 : current);
        EXPECT_EQ(run.chosen, expected) << "current port " << current;
    }
}

TEST(CommPortDialog, EveryWayOfClosingHandsBackTheClickedPort) {
    std::vector<Closing> closings = closingsWithoutButtons();
    closings.push_back(pressButton("okButton"));
    for (const auto& [name, close] : closings) {
        // Port 11's control does not follow from those of ports 1 to 10.
        const PortRun run = runDialog(3, [&close](QWidget& window) {
            QTest::mouseClick(&radioOfPort(window, 11), Qt::LeftButton);
            close(window);
        });
        EXPECT_EQ(run.chosen, 11) << name;
    }
}

TEST(CommPortDialog, LaysOutSixteenPortsWithTheirMnemonicsAndDevices) {
    CommPortDialog dialog(nullptr, 1, {fakeDevice, noPorts, {}});
    EXPECT_EQ(dialog.windowTitle(), "Comm Port Setting");
    const std::vector<std::pair<int, QString>> texts{
        {1, "COMM &1"}, {9, "COMM &9"}, {10, "COMM 1&0"}, {11, "COMM 11"}, {16, "COMM 16"}};
    for (const auto& [port, text] : texts)
        EXPECT_EQ(radioOfPort(dialog, port).text(), text);
    for (int port = 1; port <= 16; ++port)
        EXPECT_EQ(radioOfPort(dialog, port).toolTip().toStdString(), fakeDevice(port));
    // Two columns of eight: port 9 heads the second column beside port 1.
    dialog.show();
    EXPECT_EQ(radioOfPort(dialog, 9).y(), radioOfPort(dialog, 1).y());
    EXPECT_GT(radioOfPort(dialog, 9).x(), radioOfPort(dialog, 8).x());
    EXPECT_EQ(dialog.findChildren<QRadioButton*>().size(), 16);
}

TEST(CommPortDialog, AScreenReaderHearsThePortListByNameWithItsPorts) {
    CommPortDialog dialog(nullptr, 1, {fakeDevice, [] { return std::vector{ftdiAdapter()}; }, {}});
    QAccessibleInterface* list =
        QAccessible::queryAccessibleInterface(dialog.findChild<QListWidget*>("discoveredPorts"));
    ASSERT_NE(list, nullptr);

    EXPECT_EQ(list->text(QAccessible::Name), "Serial ports on this computer");
    ASSERT_NE(list->tableInterface(), nullptr);
    EXPECT_EQ(list->tableInterface()->rowCount(), 1);
}

QStringList listedPorts(QWidget& dialog) {
    QStringList texts;
    auto* list = dialog.findChild<QListWidget*>("discoveredPorts");
    for (int row = 0; row < list->count(); ++row)
        texts << list->item(row)->text();
    return texts;
}

TEST(CommPortDialog, ListsThePortsOfThisComputerAndFollowsThemWhileOpen) {
    std::vector<DiscoveredPort> present{uart()};
    CommPortDialog dialog(nullptr, 1, {fakeDevice, [&present] { return present; }, {}});
    EXPECT_EQ(listedPorts(dialog), QStringList{"/dev/ttyS0"});

    // An adapter plugged in shows without any action of the user's.
    present = {ftdiAdapter(), uart()};
    EXPECT_TRUE(QTest::qWaitFor([&] { return listedPorts(dialog).size() == 2; },
                                2 * CommPortDialog::kRefreshMs + 500));
    EXPECT_EQ(listedPorts(dialog),
              QStringList({"FT232R USB UART (FTDI), /dev/ttyUSB0", "/dev/ttyS0"}));

    present.clear();
    EXPECT_TRUE(QTest::qWaitFor([&] { return listedPorts(dialog).size() == 1; },
                                2 * CommPortDialog::kRefreshMs + 500));
    EXPECT_EQ(listedPorts(dialog), QStringList{"No serial ports were found."});
}

TEST(CommPortDialog, APickedPortGivesTheCheckedComNumberItsStablePath) {
    CommPortDialog dialog(nullptr, 3,
                          {fakeDevice,
                           [] {
                               return std::vector<DiscoveredPort>{ftdiAdapter(), uart()};
                           },
                           {}});
    auto* shown = dialog.findChild<QLabel*>("checkedDevice");
    EXPECT_EQ(shown->text(), "COMM 3 stands for /dev/zentiq3");

    auto* list = dialog.findChild<QListWidget*>("discoveredPorts");
    emit list->itemClicked(list->item(0));

    const std::string byId = ftdiAdapter().stablePath;
    EXPECT_EQ(dialog.changedDevices(), (std::map<int, std::string>{{3, byId}}));
    EXPECT_EQ(shown->text().toStdString(),
              "COMM 3 stands for " + byId + " (FT232R USB UART (FTDI), /dev/ttyUSB0)");
    EXPECT_EQ(radioOfPort(dialog, 3).toolTip().toStdString(), byId);

    // Another COMM n keeps its device; a port without a stable path is kept by its device path.
    radioOfPort(dialog, 5).click();
    EXPECT_EQ(shown->text(), "COMM 5 stands for /dev/zentiq5");
    emit list->itemActivated(list->item(1));
    EXPECT_EQ(dialog.changedDevices(), (std::map<int, std::string>{{3, byId}, {5, "/dev/ttyS0"}}));
    EXPECT_EQ(dialog.chosenPort(), 5);
}

TEST(CommPortDialog, ATypedPathGivesTheCheckedComNumberThatDevice) {
    CommPortDialog dialog(nullptr, 2, {fakeDevice, noPorts, {}});
    dialog.findChild<QLineEdit*>("devicePathEdit")->setText("  /dev/ttyACM7 ");
    dialog.findChild<QPushButton*>("useDeviceButton")->click();
    EXPECT_EQ(dialog.changedDevices(), (std::map<int, std::string>{{2, "/dev/ttyACM7"}}));

    // Nothing typed changes nothing.
    dialog.findChild<QLineEdit*>("devicePathEdit")->clear();
    dialog.findChild<QPushButton*>("useDeviceButton")->click();
    EXPECT_EQ(dialog.changedDevices(), (std::map<int, std::string>{{2, "/dev/ttyACM7"}}));
}

TEST(CommPortDialog, ANetworkPortEnteredGivesTheCheckedComNumberItsName) {
    struct Case {
        int protocol; // as listed: RFC 2217, raw TCP
        QString host;
        int port;
        std::string stored; // empty: nothing changes
    };
    for (const Case& c : {Case{0, "bench3", 4001, "rfc2217://bench3:4001"},
                          Case{1, " 10.0.0.7 ", 2000, "tcp://10.0.0.7:2000"},
                          Case{1, "::1", 65535, "tcp://[::1]:65535"},
                          Case{0, "[fe80::7]", 1, "rfc2217://[fe80::7]:1"},
                          Case{0, "bench3/a", 4001, ""}, Case{0, "  ", 4001, ""}}) {
        CommPortDialog dialog(nullptr, 3, {fakeDevice, noPorts, {}});
        dialog.findChild<QComboBox*>("networkProtocol")->setCurrentIndex(c.protocol);
        dialog.findChild<QLineEdit*>("networkHostEdit")->setText(c.host);
        dialog.findChild<QSpinBox*>("networkPortSpin")->setValue(c.port);
        dialog.findChild<QPushButton*>("useNetworkButton")->click();

        const std::map<int, std::string> stored = c.stored.empty()
                                                      ? std::map<int, std::string>{}
                                                      : std::map<int, std::string>{{3, c.stored}};
        EXPECT_EQ(dialog.changedDevices(), stored) << c.host.toStdString();
    }
    CommPortDialog dialog(nullptr, 3, {fakeDevice, noPorts, {}});
    EXPECT_TRUE(dialog.findChild<QLabel*>("networkNote")->text().contains("not encrypted"));
}

DiscoveredPort portAt(const std::string& path) {
    DiscoveredPort port;
    port.devicePath = path;
    return port;
}

// Presses the button in an open dialog and waits for the search to end.
QString search(CommPortDialog& dialog) {
    dialog.findChild<QPushButton*>("findInstrumentButton")->click();
    auto* result = dialog.findChild<QLabel*>("searchResult");
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return dialog.findChild<QPushButton*>("findInstrumentButton")->isEnabled(); },
        std::chrono::duration_cast<std::chrono::milliseconds>(InstrumentFinder::kAnswerTime)
                .count() +
            2000));
    return result->text();
}

// The simulated instrument and a silent line, both offered as ports of this computer.
class FindTheInstrument : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(instrument.terminalPath().empty()); }

    CommPortDialog::Services services(CommPortDialog::DeviceNamer deviceOf) {
        return {
            std::move(deviceOf),
            [this] {
                return std::vector{portAt(silent.slavePath()), portAt(instrument.terminalPath())};
            },
            [this] {
                ++released;
                return std::string();
            }};
    }

    SimulatorProcess instrument{{"--serial", "00012345"}};
    PseudoTerminal silent;
    int released = 0;
};

TEST_F(FindTheInstrument, ChecksTheComNumberThatStandsForTheAnsweringPort) {
    CommPortDialog dialog(nullptr, 1, services([this](int comNumber) {
                              return comNumber == 6 ? instrument.terminalPath()
                                                    : fakeDevice(comNumber);
                          }));

    const QString result = search(dialog);

    EXPECT_EQ(result, QString("Zentiq 00012345 found on %1, COMM 6.")
                          .arg(QString::fromStdString(instrument.terminalPath())));
    EXPECT_EQ(dialog.chosenPort(), 6);
    EXPECT_TRUE(dialog.changedDevices().empty());
    EXPECT_EQ(released, 1);
}

// The program's own port, a pseudo-terminal that the list of this computer's ports leaves out,
// is let go of and asked first.
TEST_F(FindTheInstrument, AsksThePortTheProgramHolds) {
    CommPortDialog dialog(nullptr, 1,
                          {[this](int comNumber) {
                               return comNumber == 1 ? instrument.terminalPath()
                                                     : fakeDevice(comNumber);
                           },
                           [this] { return std::vector{portAt(silent.slavePath())}; },
                           [this] {
                               ++released;
                               return instrument.terminalPath();
                           }});

    const QString result = search(dialog);

    EXPECT_EQ(result, QString("Zentiq 00012345 found on %1, COMM 1.")
                          .arg(QString::fromStdString(instrument.terminalPath())));
    EXPECT_EQ(dialog.chosenPort(), 1);
    EXPECT_EQ(released, 1);
}

TEST_F(FindTheInstrument, GivesTheCheckedComNumberTheAnsweringPortWhenNoneStandsForIt) {
    CommPortDialog dialog(nullptr, 2, services(fakeDevice));

    const QString result = search(dialog);

    EXPECT_TRUE(result.startsWith("Zentiq 00012345 found on ")) << result.toStdString();
    EXPECT_EQ(dialog.chosenPort(), 2);
    EXPECT_EQ(dialog.changedDevices(),
              (std::map<int, std::string>{{2, instrument.terminalPath()}}));
}

// The instrument behind a serial device server that COMM 5 stands for, and a silent line of
// this computer.
class FindTheInstrumentOnTheNetwork : public TempFolder {};

TEST_F(FindTheInstrumentOnTheNetwork, ListsTheStoredNetworkPortAndAsksItToo) {
    SimulatorProcess instrument{{"--serial", "00012345"}};
    ASSERT_FALSE(instrument.terminalPath().empty());
    SerialServerProcess server(folder, instrument.terminalPath(), instrument.terminalPath());
    PseudoTerminal silent;
    CommPortDialog dialog(nullptr, 2,
                          {[&](int comNumber) {
                               return comNumber == 5 ? server.rfc2217Name() : fakeDevice(comNumber);
                           },
                           [&] { return std::vector{portAt(silent.slavePath())}; },
                           {}});
    auto* list = dialog.findChild<QListWidget*>("discoveredPorts");
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(1)->text().toStdString(), server.rfc2217Name() + " (network)");

    EXPECT_EQ(search(dialog).toStdString(),
              "Zentiq 00012345 found on " + server.rfc2217Name() + ", COMM 5.");
    EXPECT_TRUE(dialog.changedDevices().empty());
}

// Two lines held open by nobody who answers. A stopped simulator's line would not do: its
// pseudo-terminal number goes to the next one opened, perhaps by a test running beside this one.
TEST(FindTheInstrumentOnSilentLines, SaysSoWhenNoPortAnswers) {
    PseudoTerminal first;
    PseudoTerminal second;
    CommPortDialog dialog(
        nullptr, 2,
        {fakeDevice,
         [&] {
             return std::vector{portAt(first.slavePath()), portAt(second.slavePath())};
         },
         {}});

    const QString result = search(dialog);

    EXPECT_TRUE(result.startsWith("No instrument answered.")) << result.toStdString();
    EXPECT_EQ(dialog.chosenPort(), 2);
    EXPECT_TRUE(dialog.changedDevices().empty());
}

// The serial number comes off the line as any 8 bytes; place marks in it are shown as they
// are and take none of the other values.
TEST(FindTheInstrumentReportingPlaceMarks, ShowsTheSerialNumberAsReceived) {
    SimulatorProcess instrument{{"--serial", "%1%2%3"}};
    ASSERT_FALSE(instrument.terminalPath().empty());
    CommPortDialog dialog(nullptr, 1,
                          {[&](int comNumber) {
                               return comNumber == 6 ? instrument.terminalPath()
                                                     : fakeDevice(comNumber);
                           },
                           [&] { return std::vector{portAt(instrument.terminalPath())}; },
                           {}});

    EXPECT_EQ(search(dialog).toStdString(),
              "Zentiq %1%2%3 found on " + instrument.terminalPath() + ", COMM 6.");
}

} // namespace
