#pragma once

#include "operations/InstrumentOperation.h"

#include <QDialog>

class QProgressBar;
class QShowEvent;
class SessionDriver;

// "Zentiq Transfer": runs one instrument operation under a progress bar until it ends or the
// user cancels. exec() ends with 240 (completed), 239 (failed) or 238 (cancelled); result()
// says the same by name. An operation that ends at once (a line that has hung up) ends the
// dialog as soon as its loop runs.
class TransferDialog : public QDialog {
    Q_OBJECT
public:
    TransferDialog(QWidget* parent, InstrumentOperation& operation, SessionDriver& driver);

    OperationOutcome::Result result() const { return operation.outcome().result; }

    // "&Cancel", Escape and the close box end the transfer at once.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void showProgress();
    void finish();

    InstrumentOperation& operation;
    SessionDriver& driver;
    QProgressBar* progress;
    bool started = false;
};
