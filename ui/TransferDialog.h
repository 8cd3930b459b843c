#pragma once

#include "device/InstrumentSession.h"

#include <QDialog>

class QProgressBar;
class QShowEvent;
class SessionDriver;

// "Zentiq Transfer": runs one transfer of the instrument session under a progress bar until it
// ends or the user cancels. exec() ends with 240 (completed), 239 (failed) or 238 (cancelled);
// transferResult() says the same by name. The session sends each request as soon as the reply
// before it is complete.
class TransferDialog : public QDialog {
    Q_OBJECT
public:
    TransferDialog(QWidget* parent, InstrumentSession& session, SessionDriver& driver,
                   SetupRecord& record, DeviceInfo& info, InstrumentSession::Direction direction);

    InstrumentSession::Result transferResult() const { return session.transferResult(); }

    // "&Cancel", Escape and the close box end the transfer at once.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void finish();

    InstrumentSession& session;
    SessionDriver& driver;
    SetupRecord& record;
    DeviceInfo& info;
    InstrumentSession::Direction direction;
    QProgressBar* progress;
    bool started = false;
};
