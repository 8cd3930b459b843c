#pragma once

#include "TransferExchange.h"

#include <QDialog>
#include <QTimer>
#include <cstdint>

class QProgressBar;
class QShowEvent;

// "Zentiq Transfer": runs one transfer exchange under a progress bar until it ends or the user
// cancels. exec() returns a TransferExchange::Result. The replies arrive through the owner's
// pump of the link; this dialog only ticks the exchange.
class TransferDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kTickMs = 50;

    TransferDialog(QWidget* parent, SerialLink& link, SetupRecord& record, DeviceInfo& info,
                   std::uint8_t mode);

    // "&Cancel", Escape and the close box end the transfer at once.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void tick();
    void finish();

    QProgressBar* progress;
    TransferExchange exchange;
    QTimer timer;
    bool started = false;
};
