#pragma once

#include "config/DepartmentDelivery.h"
#include "config/ProgramSettings.h"

#include <QLabel>
#include <QTimer>
#include <memory>

class QSocketNotifier;

// A quiet line saying whether the department's record is reachable and how many rows wait for
// it, and the one that delivers them from the window's event loop: a socket notifier on the
// connection and a timer for the next look and for tries after a failure. Hidden, and doing
// nothing, when zenset.sys names no department's record.
class DepartmentStatus : public QLabel {
    Q_OBJECT
public:
    DepartmentStatus(QWidget* parent, const ProgramSettings& settings);

private:
    void advance();
    // Watches what the delivery waits for next.
    void watch();
    void showReach();

    std::unique_ptr<DepartmentDelivery> delivery;
    QSocketNotifier* readable = nullptr;
    QSocketNotifier* writable = nullptr;
    int watchedSocket = -1;
    QTimer timer;
    QString refusal;
};
