#include "ui/DepartmentStatus.h"

#include "config/DepartmentQueue.h"
#include "config/TransferHistory.h"
#include "support/TempDataFolder.h"

#include <QCoreApplication>
#include <fstream>

namespace {

class DepartmentStatusTest : public TempDataFolder {
protected:
    void queueRows(const std::string& record, int count) {
        std::ofstream(dataFolder / "zenset.sys", std::ios::binary) << "RECORD=" << record << "\r\n";
        settings.establishDataFolder();
        for (int number = 0; number < count; ++number) {
            TransferRow row;
            row.program = "mirafen";
            row.action = "read";
            row.detail = std::to_string(number);
            appendTransferRow(settings, row);
        }
    }

    // Runs the event loop until the line says text.
    static void waitForText(const QLabel& line, const QString& text) {
        while (line.text() != text)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }

    ProgramSettings settings;
};

// The window delivers what waits from its event loop, and its line says how it stands: rows
// refused wait, said in the line; rows delivered leave the queue.
TEST_F(DepartmentStatusTest, TheLineSaysHowTheRecordStandsWhileTheWindowDelivers) {
    queueRows("host=" RECORD_SERVER_FOLDER " user=postgres dbname=nosuch", 3);
    {
        DepartmentStatus refused(nullptr, settings);
        EXPECT_FALSE(refused.isHidden());
        waitForText(refused, "Department's record refused: FATAL:  database \"nosuch\" does not "
                             "exist; 3 row(s) wait");
    }
    EXPECT_EQ(queuedRowCount(departmentQueuePath(settings)), 3u);

    queueRows("host=" RECORD_SERVER_FOLDER " user=postgres dbname=mirafen", 2);
    DepartmentStatus delivering(nullptr, settings);
    waitForText(delivering, "Department's record: up to date");
    EXPECT_EQ(queuedRowCount(departmentQueuePath(settings)), 0u);
}

// Without RECORD the line is hidden and the window reaches for no server.
TEST_F(DepartmentStatusTest, WithoutARecordTheLineIsHidden) {
    settings.establishDataFolder();
    const DepartmentStatus line(nullptr, settings);
    EXPECT_TRUE(line.isHidden());
    EXPECT_TRUE(line.text().isEmpty());
}

} // namespace
