#pragma once

#include "device/TransferExchange.h"

#include <QDialog>
#include <QTimer>
#include <cstdint>

class QProgressBar;
class QShowEvent;

// "Zentiq Transfer": runs one transfer exchange under a progress bar until it ends or the user
// cancels. exec() ends with 240 (completed), 239 (failed) or 238 (cancelled); transferResult()
// says the same by name. The replies arrive through the owner's reads of the link; this dialog
// ticks the exchange every 50 ms, and once more a frame gap after each frame that arrives, so
// that the next request follows its reply at once.
class TransferDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kTickMs = 50;

    TransferDialog(QWidget* parent, SerialLink& link, SetupRecord& record, DeviceInfo& info,
                   TransferExchange::Direction direction);

    TransferExchange::Result transferResult() const { return exchange.result(); }

    // "&Cancel", Escape and the close box end the transfer at once.
    void reject() override;
    // A frame waits on the link: the exchange takes it after the gap between frames.
    void frameArrived();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void tick();
    void finish();

    SerialLink& link;
    QProgressBar* progress;
    TransferExchange exchange;
    QTimer timer;
    QTimer gapTimer;
    bool started = false;
    bool ticked = false;
};
