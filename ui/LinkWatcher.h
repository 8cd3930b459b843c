#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <memory>

class SerialLink;

// Reads the link as soon as bytes arrive on its port, so that a reply is taken when it is
// complete instead of at the next pump, and says when a frame waits. Only the periodic pump
// counts towards the link's time-out.
class LinkWatcher : public QObject {
    Q_OBJECT
public:
    LinkWatcher(SerialLink& link, QObject* parent);

    // The periodic read; also watches a port opened since, and wakes a watch that found nothing.
    void pump();
    // Watches the port the link holds now; call after opening or closing it.
    void follow();

signals:
    void frameReady();

private:
    void bytesArrived();

    SerialLink& link;
    std::unique_ptr<QSocketNotifier> notifier;
};
