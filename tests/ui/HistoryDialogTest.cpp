#include "config/CsvLine.h"
#include "config/TransferHistory.h"
#include "support/WindowTest.h"

#include <QAccessible>
#include <QHeaderView>
#include <QLabel>
#include <QScrollBar>
#include <QTableView>
#include <QTest>
#include <fstream>

namespace {

class HistoryDialogTest : public WindowTest {
protected:
    void appendRow(const std::string& time, const std::string& before, const std::string& after) {
        TransferRow row;
        row.time = time;
        row.program = "mirafen-cli";
        row.action = "write";
        row.serialBefore = before;
        row.serialAfter = after;
        row.result = "ok";
        appendTransferRow((dataFolder / "history.csv").string(), row);
    }

    // The serial numbers after of the rows shown, top to bottom.
    static QStringList shownSerials(const QTableView& table) {
        QStringList serials;
        for (int row = 0; row < table.model()->rowCount(); ++row)
            serials << table.model()->index(row, 5).data().toString();
        return serials;
    }
};

// The window's context menu opens the record: newest first, filtered by the serial number
// before or after, the lines that hold no row said under the table.
TEST_F(HistoryDialogTest, TheContextMenuShowsTheRecordNewestFirstFilteredBySerial) {
    appendRow("2026-12-10T09:00:00+01:00", "00000041", "00000042");
    appendRow("2026-12-10T09:05:00+01:00", "00000077", "00000077");
    {
        std::ofstream damage(dataFolder / "history.csv", std::ios::app | std::ios::binary);
        damage << "hand,edited\r\n";
    }
    appendRow("2026-12-10T09:10:00+01:00", "00000042", "00000043");
    QStringList unfiltered;
    QStringList filtered;
    QString badLines;
    QString spokenName;
    int spokenRows = -1;
    modals.answer("Transfer History", [&](QWidget& dialog) {
        auto* table = dialog.findChild<QTableView*>("historyTable");
        unfiltered = shownSerials(*table);
        QTest::keyClicks(dialog.findChild<QLineEdit*>("serialFilter"), "42");
        filtered = shownSerials(*table);
        // What a screen reader is told of the table: its name and the rows the filter shows.
        QAccessibleInterface* spoken = QAccessible::queryAccessibleInterface(table);
        spokenName = spoken->text(QAccessible::Name);
        spokenRows = spoken->tableInterface()->rowCount();
        badLines = dialog.findChild<QLabel*>("badLinesText")->text();
        static_cast<QDialog&>(dialog).reject();
    });
    startWindow();
    pickFromContextMenu(Qt::Key_H);

    ASSERT_TRUE(modals.titles.contains("Transfer History"));
    EXPECT_EQ(unfiltered, (QStringList{"00000043", "00000077", "00000042"}));
    EXPECT_EQ(filtered, (QStringList{"00000043", "00000042"}));
    EXPECT_EQ(spokenName, "Transfers");
    EXPECT_EQ(spokenRows, 2);
    EXPECT_EQ(badLines, QString("Lines of %1 that hold no transfer and are not shown: 4")
                            .arg(QString::fromStdString((dataFolder / "history.csv").string())));
}

// A row of a failed save is about 330 characters: what became of it shows without scrolling, and a
// text cut short shows whole in its tip.
TEST_F(HistoryDialogTest, TheResultShowsWithoutScrollingAndALongDetailInItsTip) {
    TransferRow row;
    row.time = "2026-12-10T09:00:00+01:00";
    row.program = "mirafen";
    row.action = "write";
    row.device = "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0";
    row.serialBefore = row.serialAfter = "00001200";
    row.setupFile = "/home/technician/Orvell/Configuration Files/ward4-night-shift.prp";
    row.setupSha256 = std::string(64, 'a');
    row.result = "failed";
    row.detail = "request 3 of 10: write register 0x81, no answer; the instrument now holds lead 1 "
                 "of the new setup; write it again";
    appendTransferRow((dataFolder / "history.csv").string(), row);
    QStringList hiddenColumns;
    QString detailTip;
    modals.answer("Transfer History", [&](QWidget& dialog) {
        auto* table = dialog.findChild<QTableView*>("historyTable");
        const QHeaderView* header = table->horizontalHeader();
        for (int column = 0; column < table->model()->columnCount(); ++column) {
            const QString heading = table->model()->headerData(column, Qt::Horizontal).toString();
            const bool whole =
                header->sectionViewportPosition(column) >= 0 &&
                header->sectionViewportPosition(column) + header->sectionSize(column) <=
                    table->viewport()->width();
            if (QStringList{"Time", "Action", "Result", "Serial Before", "Serial After"}.contains(
                    heading) &&
                !whole)
                hiddenColumns << heading;
            if (heading == "Detail")
                detailTip = table->model()->index(0, column).data(Qt::ToolTipRole).toString();
        }
        static_cast<QDialog&>(dialog).reject();
    });
    startWindow();
    pickFromContextMenu(Qt::Key_H);

    ASSERT_TRUE(modals.titles.contains("Transfer History"));
    EXPECT_TRUE(hiddenColumns.isEmpty()) << hiddenColumns.join(", ").toStdString();
    EXPECT_EQ(detailTip.toStdString(), row.detail);
}

// A record of many blocks opens with its newest rows and no more than a few blocks of them; the
// rest arrives as the technician scrolls down, oldest last, and a filter reads it afresh.
TEST_F(HistoryDialogTest, ALargeRecordOpensWithItsNewestRowsAndFetchesMoreOnScrolling) {
    constexpr int kRows = 30'000; // about three blocks
    std::string content = transferHistoryHeader() + "\r\n";
    for (int row = 0; row < kRows; ++row) {
        std::array<std::string, kTransferColumns.size()> fields;
        fields[0] = "2026-12-10T09:00:00+01:00";
        fields[4] = fields[5] = QString("%1").arg(row, 8, 10, QChar('0')).toStdString();
        fields[11] = std::string(40, 'd');
        content += csvLine(fields) + "\r\n";
    }
    writeFile(dataFolder / "history.csv", content);
    int opened = 0;
    int scrolled = 0;
    QString newest;
    QStringList filtered;
    modals.answer("Transfer History", [&](QWidget& dialog) {
        auto* table = dialog.findChild<QTableView*>("historyTable");
        opened = table->model()->rowCount();
        newest = table->model()->index(0, 5).data().toString();
        while (table->model()->canFetchMore({})) {
            table->scrollToBottom();
            QApplication::processEvents();
            if (table->model()->rowCount() == scrolled)
                break; // scrolling fetched nothing
            scrolled = table->model()->rowCount();
        }
        QTest::keyClicks(dialog.findChild<QLineEdit*>("serialFilter"), "0002999");
        filtered = shownSerials(*table);
        static_cast<QDialog&>(dialog).reject();
    });
    startWindow();
    pickFromContextMenu(Qt::Key_H);

    EXPECT_GT(opened, 0);
    EXPECT_LT(opened, kRows / 2);
    EXPECT_EQ(newest, "00029999");
    EXPECT_EQ(scrolled, kRows);
    QStringList holding;
    for (int serial = 29999; serial >= 29990; --serial)
        holding << QString("000%1").arg(serial);
    EXPECT_EQ(filtered, holding + QStringList{"00002999"});
}

} // namespace
