#pragma once

#include <QDialog>
#include <string>

class HistoryModel;
class QTableView;

// "Transfer History": the rows of the record of transfers, newest first, filtered by serial
// number, and a line under the table for the lines of the file found to hold no row.
class HistoryDialog : public QDialog {
    Q_OBJECT
public:
    HistoryDialog(QWidget* parent, const std::string& historyPath);

private:
    HistoryModel* model;
    QTableView* table;
};
