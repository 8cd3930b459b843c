#include "ui/Messages.h"

#include "device/SerialPortDiscovery.h"
#include "operations/OperationFailure.h"
#include "operations/OperationTexts.h"
#include "setup/FileError.h"
#include "support/AsOutsider.h"
#include "support/ModalRecorder.h"
#include "support/PseudoTerminal.h"

#include <QMessageBox>
#include <QTemporaryDir>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct Shown {
    QString title, text, detail;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
};

// Notes what the warnings show and closes them; their title is the test program's file name.
void answerWarnings(ModalRecorder& modals, Shown& shown) {
    modals.answer("ui_tests", [&shown](QWidget& window) {
        auto& box = dynamic_cast<QMessageBox&>(window);
        shown = {box.windowTitle(), box.text(), box.detailedText(), box.icon()};
        box.accept();
    });
}

TEST(Messages, AWarningIsTitledWithTheProgramFileNameAndCarriesItsDetail) {
    ModalRecorder modals;
    Shown shown;
    answerWarnings(modals, shown);
    showWarning(nullptr, "That Comm Port is not available.", "No such file or directory");
    EXPECT_EQ(shown.title, "ui_tests");
    EXPECT_EQ(shown.text, "That Comm Port is not available.");
    EXPECT_EQ(shown.detail, "No such file or directory");
    EXPECT_EQ(shown.icon, QMessageBox::Warning);
}

// The designed texts, typo included, that the window and mirafen-cli show and every other test
// takes from the code.
TEST(Messages, TheFailureTextsBothProgramsShowAreTheDesignedOnes) {
    EXPECT_STREQ(kPortNotAvailableText, "That Comm Port is not available.");
    EXPECT_STREQ(kTransferErrorText, "Error Occured During Transfer.");
}

TEST(Messages, FileErrorsShowTheStandardTextOfTheirCauseWithThePath) {
    using Cause = FileError::Cause;
    const std::vector<std::pair<Cause, QString>> cases{
        {Cause::AccessDenied, "Access to /data/zenset.sys was denied."},
        {Cause::SharingViolation, "A sharing violation occurred while accessing /data/zenset.sys."},
        {Cause::NotFound, "/data/zenset.sys was not found."},
        {Cause::DiskFull, "Disk full while accessing /data/zenset.sys."},
        {Cause::IsDirectory, "/data/zenset.sys is a directory."},
        {Cause::NotAFile, "/data/zenset.sys is not a file."},
        {Cause::Busy, "/data/zenset.sys is busy."},
        {Cause::Generic, "An unexpected file error occurred while accessing /data/zenset.sys."},
    };
    for (const auto& [cause, text] : cases)
        EXPECT_EQ(fileErrorText(FileError(cause, "/data/zenset.sys")), text);

    ModalRecorder modals;
    Shown shown;
    answerWarnings(modals, shown);
    showFileError(nullptr, FileError(Cause::DiskFull, "/data/Übung.prp"));
    EXPECT_EQ(shown.text, "Disk full while accessing /data/Übung.prp.");
}

TEST(PortFailureDetail, CarriesWhatToDoAboutADeviceTheUserMayNotOpen) {
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root to play a user outside the device's group";
    const group* dialout = getgrnam("dialout");
    if (dialout == nullptr)
        GTEST_SKIP() << "no dialout group here";
    const PseudoTerminal terminal;
    const std::string& device = terminal.slavePath();
    ASSERT_EQ(chown(device.c_str(), 0, dialout->gr_gid), 0);
    ASSERT_EQ(chmod(device.c_str(), 0660), 0);
    const auto detailAsOutsider = [&device] {
        return asOutsider([&device] {
            const PortError error(device, device + ": Permission denied");
            return portFailureDetail(portFailure(error).detail, {}).toStdString();
        });
    };

    EXPECT_EQ(detailAsOutsider(), device + ": Permission denied\n\n" + device +
                                      " belongs to the group dialout. To use it, join that "
                                      "group: sudo usermod -aG dialout $USER, then log out and in "
                                      "again.\n\nNo serial ports were found on this computer.");
    ASSERT_EQ(chmod(device.c_str(), 0666), 0);
    EXPECT_EQ(detailAsOutsider(),
              device + ": Permission denied\n\nNo serial ports were found on this computer.");
}

TEST(PortFailureDetail, AnOpenableDeviceGetsNoHintAndTheDiscoveredPortsAreListed) {
    QTemporaryDir folder;
    const QString device = folder.filePath("ttyZ1");
    ASSERT_TRUE(QFile(device).open(QIODevice::WriteOnly));
    DiscoveredPort adapter;
    adapter.devicePath = "/dev/ttyUSB0";
    adapter.product = "FT232R USB UART";
    adapter.manufacturer = "FTDI";
    DiscoveredPort uart;
    uart.devicePath = "/dev/ttyS0";
    const PortError busy(device.toStdString(), "Device or resource busy");
    EXPECT_EQ(portFailureDetail(portFailure(busy).detail, {adapter, uart}),
              "Device or resource busy\n\nSerial ports on this computer:\n"
              "    FT232R USB UART (FTDI), /dev/ttyUSB0\n    /dev/ttyS0");
}

} // namespace
