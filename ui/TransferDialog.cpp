#include "ui/TransferDialog.h"

#include "ui/SessionDriver.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// How the dialog ends for each result of the operation.
int resultCode(OperationOutcome::Result result) {
    switch (result) {
    case OperationOutcome::Result::Completed:
        return 240;
    case OperationOutcome::Result::Failed:
        return 239;
    case OperationOutcome::Result::Cancelled:
        break;
    }
    return 238;
}

} // namespace

TransferDialog::TransferDialog(QWidget* parent, InstrumentOperation& operation,
                               SessionDriver& driver)
    : QDialog(parent)
    , operation(operation)
    , driver(driver)
    , progress(new QProgressBar(this)) {
    setWindowTitle(tr("Zentiq Transfer"));
    setModal(true);

    auto* text = new QLabel(tr("Transfering. Please Wait."), this);
    text->setAlignment(Qt::AlignCenter);
    progress->setObjectName("transferProgress");
    progress->setTextVisible(false);
    progress->setMinimumWidth(280);
    auto* cancel = new QPushButton(tr("&Cancel"), this);
    cancel->setObjectName("cancelButton");
    connect(cancel, &QPushButton::clicked, this, &TransferDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addWidget(progress);
    layout->addWidget(cancel, 0, Qt::AlignHCenter);
}

void TransferDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (started)
        return;
    started = true;
    progress->setValue(0);
    operation.onProgress([this] { showProgress(); });
    // The end is taken from the dialog's own loop: it may come within show(), before exec()
    // has a loop that done() could end.
    operation.start(driver.now(), [this] {
        QMetaObject::invokeMethod(this, &TransferDialog::finish, Qt::QueuedConnection);
    });
    driver.wake();
}

void TransferDialog::showProgress() {
    progress->setRange(0, operation.requestsKnown());
    progress->setValue(std::max(0, operation.requestsUnderWay() - 1));
}

void TransferDialog::reject() {
    if (!started || operation.finished())
        done(resultCode(started ? result() : OperationOutcome::Result::Cancelled));
    else
        operation.cancel();
}

void TransferDialog::finish() {
    done(resultCode(result()));
}

#include "moc_TransferDialog.cpp"
