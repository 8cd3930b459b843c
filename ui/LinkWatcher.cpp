#include "ui/LinkWatcher.h"

#include "device/SerialLink.h"

LinkWatcher::LinkWatcher(SerialLink& link, QObject* parent)
    : QObject(parent)
    , link(link) {}

void LinkWatcher::pump() {
    link.pump();
    follow();
    if (link.hasFrame())
        emit frameReady();
}

void LinkWatcher::follow() {
    const int descriptor = link.descriptor();
    if (descriptor < 0) {
        notifier.reset();
        return;
    }
    if (!notifier || notifier->socket() != descriptor) {
        notifier = std::make_unique<QSocketNotifier>(descriptor, QSocketNotifier::Read);
        connect(notifier.get(), &QSocketNotifier::activated, this, &LinkWatcher::bytesArrived);
    }
    notifier->setEnabled(true);
}

void LinkWatcher::bytesArrived() {
    // A hung-up line or a full receive buffer stays readable without giving bytes; the watch
    // then rests until the next pump instead of spinning.
    if (link.receive() == 0)
        notifier->setEnabled(false);
    if (link.hasFrame())
        emit frameReady();
}
