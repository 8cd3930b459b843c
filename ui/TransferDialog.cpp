#include "ui/TransferDialog.h"

#include "ui/SessionDriver.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// How the dialog ends for each result of the exchange.
int resultCode(InstrumentSession::Result result) {
    switch (result) {
    case InstrumentSession::Result::Completed:
        return 240;
    case InstrumentSession::Result::Failed:
        return 239;
    case InstrumentSession::Result::Cancelled:
        break;
    }
    return 238;
}

} // namespace

TransferDialog::TransferDialog(QWidget* parent, InstrumentSession& session, SessionDriver& driver,
                               SetupRecord& record, DeviceInfo& info,
                               InstrumentSession::Direction direction)
    : QDialog(parent)
    , session(session)
    , driver(driver)
    , record(record)
    , info(info)
    , direction(direction)
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
    session.startTransfer(
        record, info, direction, driver.now(),
        {{[this](int minimum, int maximum) { progress->setRange(minimum, maximum); },
          [this](int position) {
              progress->setValue(position);
          }},
         [this] {
             finish();
         }});
    driver.wake();
}

void TransferDialog::reject() {
    if (!started)
        done(resultCode(InstrumentSession::Result::Cancelled));
    else if (session.transferRunning())
        session.cancelTransfer();
    else
        finish();
}

void TransferDialog::finish() {
    done(resultCode(session.transferResult()));
}
