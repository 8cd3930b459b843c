#include "cli/Department.h"

#include "config/DepartmentDelivery.h"
#include "config/DepartmentQueue.h"
#include "setup/Failure.h"

#include <poll.h>

namespace {

using DeliveryClock = DepartmentDelivery::Clock;

constexpr auto kDeliveryTime = std::chrono::seconds(2);

// Waits for the connection, or until the delivery's next call or the deadline.
void waitFor(const DepartmentDelivery& delivery, DeliveryClock::time_point deadline) {
    const DeliveryClock::time_point until = std::min(deadline, delivery.nextCall());
    const auto milliseconds =
        std::chrono::ceil<std::chrono::milliseconds>(until - DeliveryClock::now()).count();
    pollfd watched{delivery.socket(),
                   static_cast<short>((delivery.waitsToRead() ? POLLIN : 0) |
                                      (delivery.waitsToWrite() ? POLLOUT : 0)),
                   0};
    ::poll(&watched, delivery.socket() >= 0 ? 1 : 0,
           static_cast<int>(std::max<decltype(milliseconds)>(milliseconds, 0)));
}

} // namespace

void deliverQueuedRows(const ProgramSettings& settings, std::ostream& err) {
    const auto record = settings.departmentRecord();
    if (!record)
        return;
    const std::string queue = departmentQueuePath(settings);
    try {
        if (queuedRowCount(queue) == 0)
            return;
    } catch (const Failure& failure) {
        err << "mirafen-cli: the department's queue cannot be read: " << failure.what() << '\n';
        return;
    }
    DepartmentDelivery delivery(*record, queue);
    const DeliveryClock::time_point deadline = DeliveryClock::now() + kDeliveryTime;
    delivery.advance(DeliveryClock::now());
    while (!delivery.atRest() && DeliveryClock::now() < deadline) {
        waitFor(delivery, deadline);
        delivery.advance(DeliveryClock::now());
    }
    if (const auto news = delivery.takeNews())
        err << "mirafen-cli: the department's record: " << *news << '\n';
    if (const std::size_t waiting = delivery.waitingRows(); waiting > 0)
        err << "mirafen-cli: " << waiting << (waiting == 1 ? " row waits" : " rows wait") << " in "
            << queue << " for the department's record\n";
}
