#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <optional>
#include <set>
#include <string>

struct pg_conn;

// Delivers the rows of the department's queue to the department's record, oldest first, on
// libpq's asynchronous connection, so that it never blocks its front end. It has no timers and
// never sleeps: its driver watches socket() as waitsToRead() and waitsToWrite() say, and calls
// advance() when the socket is ready and once the time nextCall() names has come. A row leaves
// the queue once the server has confirmed it. A connection that fails or is lost is tried again
// later, sooner at first and then less often.
class DepartmentDelivery {
public:
    using Clock = std::chrono::steady_clock;

    // Rows a statement carries: few statements (and few rewrites of the queue), each well within
    // the server's limit of 65,535 parameters.
    static constexpr std::size_t kRowsAStatement = 1000;

    // connection: a libpq connection string or service=NAME; queuePath: the department's queue.
    DepartmentDelivery(std::string connection, std::string queuePath,
                       std::size_t rowsAStatement = kRowsAStatement);
    ~DepartmentDelivery();
    DepartmentDelivery(const DepartmentDelivery&) = delete;
    DepartmentDelivery& operator=(const DepartmentDelivery&) = delete;

    // The connection's socket; -1 while there is none.
    int socket() const;
    bool waitsToRead() const;
    bool waitsToWrite() const;
    // When advance wants to be called whatever the socket does: to look at the queue again, to
    // try again, or to give up waiting for an answer.
    Clock::time_point nextCall() const;
    void advance(Clock::time_point now);

    enum class Reach {
        unknown,     // not tried yet
        reachable,   // connected: rows are delivered as they come
        unreachable, // no answer, or the connection was lost
        refused,     // the server answered and refused: a password, the database, a permission
    };
    Reach reach() const { return reach_; }
    // The rows waiting in the queue, as last seen.
    std::size_t waitingRows() const { return waiting; }
    // Nothing to do before the next try: connected with an empty queue, or resting after a failure.
    bool atRest() const;
    // Why the record cannot be reached or refuses, in one line without the connection string;
    // each reason once, until rows are delivered again.
    std::optional<std::string> takeNews();

private:
    enum class Phase { resting, connecting, sending, ready };

    void connect(Clock::time_point now);
    void pollConnection(Clock::time_point now);
    void sendBatch(Clock::time_point now);
    void readResults(Clock::time_point now);
    void statementAnswered(Clock::time_point now);
    void fail(Clock::time_point now, std::string why, bool refused);
    void lookAtQueue();

    std::string connection;
    std::string queuePath;
    std::size_t rowsAStatement;
    std::unique_ptr<pg_conn, void (*)(pg_conn*)> conn;
    Phase phase = Phase::resting;
    bool pollsToWrite = false;
    bool schemaMade = false;
    std::set<std::string> sending;
    struct StatementFault {
        std::string why;
        bool refused;
    };
    std::optional<StatementFault> failure; // of the statement being answered
    Clock::time_point retryAt{};
    Clock::time_point answerBy{};
    std::chrono::seconds backoff{0};
    Reach reach_ = Reach::unknown;
    std::size_t waiting = 0;
    std::string lastSaid;
    std::optional<std::string> news;
};
