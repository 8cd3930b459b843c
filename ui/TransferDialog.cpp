#include "ui/TransferDialog.h"

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

TransferDialog::TransferDialog(QWidget* parent, OperationRunner& runner)
    : QDialog(parent)
    , runner(runner)
    , progress(new QProgressBar(this)) {
    setWindowTitle(tr("Zentiq Transfer"));
    setModal(true);

    auto* text = new QLabel(tr("Transfering. Please Wait."), this);
    text->setAlignment(Qt::AlignCenter);
    progress->setObjectName("transferProgress");
    progress->setAccessibleName(tr("Transfer progress"));
    progress->setTextVisible(false);
    progress->setMinimumWidth(280);
    auto* cancel = new QPushButton(tr("&Cancel"), this);
    cancel->setObjectName("cancelButton");
    connect(cancel, &QPushButton::clicked, this, &TransferDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addWidget(progress);
    layout->addWidget(cancel, 0, Qt::AlignHCenter);

    showProgress();
    runner.onProgress([this] { showProgress(); });
    // The end is taken from the dialog's own loop: it may come before exec() has a loop that
    // done() could end.
    const auto finishLater = [this] {
        QMetaObject::invokeMethod(this, &TransferDialog::finish, Qt::QueuedConnection);
    };
    if (runner.finished())
        finishLater();
    else
        runner.onEnded(finishLater);
}

TransferDialog::~TransferDialog() {
    runner.onProgress({});
    runner.onEnded({});
}

void TransferDialog::showProgress() {
    progress->setRange(0, runner.requestsKnown());
    progress->setValue(std::max(0, runner.requestsUnderWay() - 1));
}

void TransferDialog::reject() {
    if (runner.finished())
        done(resultCode(result()));
    else
        runner.cancel();
}

void TransferDialog::finish() {
    done(resultCode(result()));
}

#include "moc_TransferDialog.cpp"
