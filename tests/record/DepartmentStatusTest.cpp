#include "ui/DepartmentStatus.h"

#include "config/DepartmentQueue.h"
#include "config/TransferHistory.h"
#include "support/TempDataFolder.h"
#include "ui/HistoryDialog.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QTableView>
#include <fstream>
#include <libpq-fe.h>
#include <memory>
#include <unistd.h>

namespace {

class DepartmentStatusTest : public TempDataFolder {
protected:
    void queueRows(const std::string& record, int count) {
        std::ofstream(dataFolder / "zenset.sys", std::ios::binary) << "RECORD=" << record << "\r\n";
        settings.establishDataFolder();
        for (int number = 0; number < count; ++number) {
            TransferRow row;
            row.time = "2026-12-11T10:" + std::to_string(10 + number) + ":00+01:00";
            row.program = "mirafen";
            row.action = "read";
            row.serialBefore = row.serialAfter = "000000" + std::to_string(10 + number);
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

// Transfer History shows this computer's rows or, chosen, the department's: every bench's, newest
// first, filtered by serial number on the server.
TEST_F(DepartmentStatusTest, TransferHistoryShowsTheDepartmentsRowsWhenChosen) {
    const std::string database = "window" + std::to_string(::getpid());
    {
        const std::unique_ptr<PGconn, void (*)(PGconn*)> admin(
            PQconnectdb("host=" RECORD_SERVER_FOLDER " user=postgres dbname=postgres"), PQfinish);
        PQclear(PQexec(admin.get(), ("CREATE DATABASE " + database).c_str()));
    }
    queueRows("host=" RECORD_SERVER_FOLDER " user=postgres dbname=" + database, 12);
    {
        DepartmentStatus delivering(nullptr, settings);
        waitForText(delivering, "Department's record: up to date");
    }
    std::filesystem::remove(dataFolder / "history.csv"); // as if they came from another bench

    HistoryDialog dialog(nullptr, settings);
    auto* table = dialog.findChild<QTableView*>("historyTable");
    const auto details = [table] {
        QStringList shown;
        for (int row = 0; row < table->model()->rowCount(); ++row)
            shown << table->model()->index(row, 11).data().toString();
        return shown;
    };
    EXPECT_TRUE(details().isEmpty());
    dialog.findChild<QComboBox*>("recordChoice")->setCurrentIndex(1);
    EXPECT_EQ(details(),
              (QStringList{"11", "10", "9", "8", "7", "6", "5", "4", "3", "2", "1", "0"}));
    dialog.findChild<QLineEdit*>("serialFilter")->setText("0000002");
    EXPECT_EQ(details(), (QStringList{"11", "10"}));
}

} // namespace
