#pragma once

#include "config/ProgramSettings.h"

#include <QDialog>
#include <string>

class HistoryModel;
class QLabel;
class QLineEdit;
class QTableView;

// "Transfer History": the rows of the record of transfers, newest first, filtered by serial
// number, and a line under the table for the lines of the file found to hold no row, or why the
// record could not be read. When zenset.sys names the department's record, a choice shows this
// computer's rows or the department's.
class HistoryDialog : public QDialog {
    Q_OBJECT
public:
    HistoryDialog(QWidget* parent, const ProgramSettings& settings);

private:
    // Shows the rows of shown, filtered as the filter says.
    void showRecord(HistoryModel* shown);
    void showTrouble();

    QString historyPath;
    HistoryModel* local;
    HistoryModel* department = nullptr;
    HistoryModel* model = nullptr;
    QTableView* table;
    QLineEdit* filter;
    QLabel* badLines;
};
