#include "TransferDialog.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

TransferDialog::TransferDialog(QWidget* parent, SerialLink& link, SetupRecord& record,
                               DeviceInfo& info, std::uint8_t mode)
    : QDialog(parent)
    , progress(new QProgressBar(this))
    , exchange(link, record, info, mode,
               {[this](int minimum, int maximum) { progress->setRange(minimum, maximum); },
                [this](int position) {
                    progress->setValue(position);
                }}) {
    setWindowTitle("Zentiq Transfer");
    setModal(true);

    auto* text = new QLabel("Transfering. Please Wait.", this);
    text->setAlignment(Qt::AlignCenter);
    progress->setObjectName("transferProgress");
    progress->setTextVisible(false);
    progress->setMinimumWidth(280);
    auto* cancel = new QPushButton("&Cancel", this);
    cancel->setObjectName("cancelButton");
    connect(cancel, &QPushButton::clicked, this, &TransferDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addWidget(progress);
    layout->addWidget(cancel, 0, Qt::AlignHCenter);

    timer.setTimerType(Qt::PreciseTimer);
    timer.setInterval(kTickMs);
    connect(&timer, &QTimer::timeout, this, &TransferDialog::tick);
}

void TransferDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (started)
        return;
    started = true;
    progress->setValue(0);
    // A mode the exchange does not know sends nothing and only waits for the cancel.
    if (exchange.start())
        timer.start();
}

void TransferDialog::tick() {
    exchange.tick();
    if (exchange.finished())
        finish();
}

void TransferDialog::reject() {
    exchange.cancel();
    finish();
}

void TransferDialog::finish() {
    timer.stop();
    done(exchange.result());
}
