#include "ui/InstrumentLink.h"

InstrumentLink::InstrumentLink(ProgramSettings& settings, FrameTrace trace,
                               SessionDriver::Clock clock, QObject* parent)
    : QObject(parent)
    , line_(trace)
    , driver_(new SessionDriver(line_, this, std::move(clock)))
    , connection_(settings, line_.port()) {}

void InstrumentLink::startPolling(std::chrono::milliseconds minimumSpacing) {
    session().setMinimumSpacing(minimumSpacing);
    session().startPolling(driver_->now(), [this](const IdentificationPoll::Outcome& outcome) {
        switch (outcome.event) {
        case IdentificationPoll::Event::InstrumentFound:
        case IdentificationPoll::Event::IdentityRefreshed:
            reported = outcome.identity;
            break;
        case IdentificationPoll::Event::InstrumentLost:
            reported.reset();
            break;
        case IdentificationPoll::Event::None:
            break;
        }
        emit polled(outcome);
        connection_.reopenIfLost();
    });
    driver_->wake();
}

void InstrumentLink::releasePort() {
    line_.port().close();
    driver_->wake();
}

InstrumentLink::PollHold::PollHold(InstrumentLink& link)
    : link(link) {
    link.session().holdPoll();
}

InstrumentLink::PollHold::~PollHold() {
    link.session().releasePoll(link.driver().now());
    link.driver().wake();
}

#include "moc_InstrumentLink.cpp"
