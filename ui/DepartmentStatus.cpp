#include "ui/DepartmentStatus.h"

#include "config/DepartmentQueue.h"

#include <QSocketNotifier>

DepartmentStatus::DepartmentStatus(QWidget* parent, const ProgramSettings& settings)
    : QLabel(parent) {
    setObjectName("departmentStatus");
    const auto record = settings.departmentRecord();
    setVisible(record.has_value());
    if (!record)
        return;
    delivery = std::make_unique<DepartmentDelivery>(*record, departmentQueuePath(settings));
    timer.setSingleShot(true);
    connect(&timer, &QTimer::timeout, this, &DepartmentStatus::advance);
    advance();
}

void DepartmentStatus::advance() {
    delivery->advance(DepartmentDelivery::Clock::now());
    if (const auto news = delivery->takeNews();
        news && delivery->reach() == DepartmentDelivery::Reach::refused)
        refusal = QString::fromStdString(*news);
    watch();
    showReach();
}

void DepartmentStatus::watch() {
    if (delivery->socket() != watchedSocket) {
        // The old connection's notifiers may be the ones calling: they go once they return.
        for (QSocketNotifier* notifier : {readable, writable})
            if (notifier != nullptr) {
                notifier->setEnabled(false);
                notifier->deleteLater();
            }
        readable = writable = nullptr;
        watchedSocket = delivery->socket();
        if (watchedSocket >= 0) {
            readable = new QSocketNotifier(watchedSocket, QSocketNotifier::Read, this);
            writable = new QSocketNotifier(watchedSocket, QSocketNotifier::Write, this);
            connect(readable, &QSocketNotifier::activated, this, &DepartmentStatus::advance);
            connect(writable, &QSocketNotifier::activated, this, &DepartmentStatus::advance);
        }
    }
    if (readable != nullptr) {
        readable->setEnabled(delivery->waitsToRead());
        writable->setEnabled(delivery->waitsToWrite());
    }
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(
        delivery->nextCall() - DepartmentDelivery::Clock::now());
    timer.start(std::max(wait, std::chrono::milliseconds(0)));
}

void DepartmentStatus::showReach() {
    const int waiting = static_cast<int>(delivery->waitingRows());
    switch (delivery->reach()) {
    case DepartmentDelivery::Reach::unknown:
        setText(tr("Department's record: connecting"));
        break;
    case DepartmentDelivery::Reach::reachable:
        refusal.clear();
        setText(waiting == 0 ? tr("Department's record: up to date")
                             : tr("Department's record: %n row(s) being sent", "", waiting));
        break;
    case DepartmentDelivery::Reach::unreachable:
        setText(tr("Department's record: not reachable, %n row(s) wait", "", waiting));
        break;
    case DepartmentDelivery::Reach::refused:
        setText(tr("Department's record refused: %1; %n row(s) wait", "", waiting).arg(refusal));
        break;
    }
}

#include "moc_DepartmentStatus.cpp"
