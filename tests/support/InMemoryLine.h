#pragma once

#include "device/InstrumentSession.h"
#include "device/SerialLink.h"
#include "sim/RegisterStore.h"
#include "sim/Responder.h"
#include "support/FrameBytes.h"

#include <functional>
#include <span>
#include <utility>
#include <vector>

// The requests a program's side has sent, taken from wherever it hands out its bytes.
class SentRequests {
public:
    explicit SentRequests(std::function<std::vector<std::uint8_t>()> output)
        : output(std::move(output)) {}

    // The next whole frame sent, empty when none is complete.
    Bytes next();
    // Bytes sent that have not been taken yet.
    std::size_t unread();

private:
    void collect();

    std::function<std::vector<std::uint8_t>()> output;
    Bytes sent;
};

// The program's link, its far end played by the test in memory.
class LinkInMemory {
public:
    // The next frame the program sent, empty when none came.
    Bytes nextRequest() { return sent.next(); }
    // Bytes the program sent that the test has not taken yet.
    std::size_t unreadRequestBytes() { return sent.unread(); }
    // Hands bytes to the link as the instrument's.
    void reply(std::span<const std::uint8_t> bytes) { link.receive(bytes); }

    SerialLink link{FrameTrace()};

private:
    SentRequests sent{[this] {
        return link.takeOutput();
    }};
};

// The simulated instrument joined to a session in memory: the session's requests reach the
// simulator's responder as the test takes them, and its replies go back as bytes arriving.
class InstrumentInMemory {
public:
    using TimePoint = InstrumentSession::TimePoint;

    // Opens a line for session.
    explicit InstrumentInMemory(InstrumentSession& session);

    Bytes nextRequest() { return sent.next(); }
    std::size_t unreadRequestBytes() { return sent.unread(); }
    // Answers every request the session has sent, each reply arriving at now; returns how many
    // were answered.
    int answerRequests(TimePoint now);
    // Bytes from the instrument's side, arriving at now.
    void send(std::span<const std::uint8_t> bytes, TimePoint now) {
        session.bytesArrived(bytes, now);
    }

    RegisterStore registers{{"00004711", 3, 1, 2}};
    Responder responder{registers};

private:
    InstrumentSession& session;
    SentRequests sent{[this] {
        return session.takeOutput();
    }};
};
