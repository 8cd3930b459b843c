#include "ui/TransferDialog.h"

#include "device/LineTiming.h"
#include "device/SerialLink.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// How the dialog ends for each result of the exchange.
int resultCode(TransferExchange::Result result) {
    switch (result) {
    case TransferExchange::Result::Completed:
        return 240;
    case TransferExchange::Result::Failed:
        return 239;
    case TransferExchange::Result::Cancelled:
        break;
    }
    return 238;
}

} // namespace

TransferDialog::TransferDialog(QWidget* parent, SerialLink& link, SetupRecord& record,
                               DeviceInfo& info, TransferExchange::Direction direction)
    : QDialog(parent)
    , link(link)
    , progress(new QProgressBar(this))
    , exchange(link, record, info, direction,
               {[this](int minimum, int maximum) { progress->setRange(minimum, maximum); },
                [this](int position) {
                    progress->setValue(position);
                }}) {
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

    timer.setTimerType(Qt::PreciseTimer);
    timer.setInterval(kTickMs);
    connect(&timer, &QTimer::timeout, this, &TransferDialog::tick);
    gapTimer.setSingleShot(true);
    gapTimer.setTimerType(Qt::PreciseTimer);
    gapTimer.setInterval(frameGap(link.baudRate()));
    connect(&gapTimer, &QTimer::timeout, this, &TransferDialog::tick);
}

void TransferDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (started)
        return;
    started = true;
    progress->setValue(0);
    exchange.start();
    timer.start();
    // Until the first tick a frame is the poll's: the first request goes out no sooner than a
    // tick after the poll's last request, so that its answer is in before it and cannot pass
    // for the answer to the first request.
    const auto sinceLastSend = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - link.lastSendTime());
    const auto pollAnswerWait = std::chrono::milliseconds(kTickMs) - sinceLastSend;
    if (pollAnswerWait.count() <= 0)
        tick();
    else
        QTimer::singleShot(pollAnswerWait, Qt::PreciseTimer, this, &TransferDialog::tick);
}

void TransferDialog::frameArrived() {
    if (ticked && !exchange.finished() && !gapTimer.isActive())
        gapTimer.start();
}

void TransferDialog::tick() {
    // A frame in its gap is the gap timer's to take; an ended exchange has nothing to take.
    if (gapTimer.isActive() || exchange.finished())
        return;
    ticked = true;
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
    gapTimer.stop();
    done(resultCode(exchange.result()));
}
