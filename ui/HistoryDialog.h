#pragma once

#include <QDialog>
#include <string>

class QTableWidget;

// "Transfer History": the rows of the record of transfers, newest first, filtered by serial
// number, and a line under the table for the lines of the file that hold no row.
class HistoryDialog : public QDialog {
    Q_OBJECT
public:
    HistoryDialog(QWidget* parent, const std::string& historyPath);

private:
    // Shows the rows whose serial number before or after the transfer holds serial.
    void filterBySerial(const QString& serial);

    QTableWidget* table;
};
