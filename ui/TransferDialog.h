#pragma once

#include "operations/OperationRunner.h"

#include <QDialog>

class QProgressBar;

// "Zentiq Transfer": shows an operation that runs under a progress bar until it ends or the user
// cancels; the window starts it. exec() ends with 240 (completed), 239 (failed) or 238
// (cancelled) as soon as the operation has ended, at once for one that already has; result()
// says the same by name.
class TransferDialog : public QDialog {
    Q_OBJECT
public:
    TransferDialog(QWidget* parent, OperationRunner& runner);
    ~TransferDialog() override;

    OperationOutcome::Result result() const { return runner.outcome().result; }

    // "&Cancel", Escape and the close box end the transfer at once.
    void reject() override;

private:
    void showProgress();
    void finish();

    OperationRunner& runner;
    QProgressBar* progress;
};
