#include "config/DepartmentDelivery.h"

#include "config/DepartmentQueue.h"
#include "config/DepartmentSchema.h"
#include "setup/Failure.h"

#include <algorithm>
#include <libpq-fe.h>
#include <sys/stat.h>
#include <vector>

namespace {

using namespace std::chrono_literals;

// How long a connection that failed rests before the next try: doubling up to the longest.
constexpr std::chrono::seconds kFirstRest = 1s;
constexpr std::chrono::seconds kLongestRest = 60s;
// How long a connection or a statement may go unanswered before the server counts as away: a
// connection to a host that is gone hears nothing, not even a refusal.
constexpr std::chrono::seconds kAnswerTime = 20s;
// How often a connection with nothing to deliver looks at the queue for new rows.
constexpr std::chrono::milliseconds kLookInterval = 1000ms;

std::string insertStatement(std::size_t rows) {
    std::string text =
        "INSERT INTO mirafen_transfers (" + std::string(kDepartmentColumns) + ") VALUES ";
    for (std::size_t row = 0; row < rows; ++row) {
        text += row == 0 ? "(" : ", (";
        for (int column = 1; column <= kDepartmentColumnCount; ++column)
            text +=
                (column == 1 ? "$" : ", $") + std::to_string(row * kDepartmentColumnCount + column);
        text += ")";
    }
    return text + " ON CONFLICT (id) DO NOTHING";
}

// The parameters of one row, in the order of kDepartmentColumns.
void addParameters(const QueuedRow& queued, std::vector<std::string>& values) {
    const TransferRow& row = queued.row;
    for (const std::string* value :
         {&queued.id, &row.time, &row.time, &row.program, &row.action, &row.device,
          &row.serialBefore, &row.serialAfter, &row.module, &row.firmware, &row.setupFile,
          &row.setupSha256, &row.result, &row.detail, &row.user, &row.host, &queued.version})
        values.push_back(*value);
}

// libpq's message on one line, without the connection string should it name it.
std::string oneLine(std::string message, const std::string& connection) {
    for (std::size_t at = message.find(connection); !connection.empty() && at != std::string::npos;
         at = message.find(connection))
        message.replace(at, connection.size(), "RECORD");
    std::ranges::replace(message, '\n', ' ');
    while (!message.empty() && message.back() == ' ')
        message.pop_back();
    return message;
}

// Why a connection string cannot be used, before any connection is tried.
std::optional<std::string> connectionFault(const std::string& connection) {
    char* error = nullptr;
    PQconninfoOption* options = PQconninfoParse(connection.c_str(), &error);
    if (options == nullptr) {
        std::string why = "RECORD in zenset.sys is no connection string";
        if (error != nullptr) {
            why += ": " + oneLine(error, connection);
            PQfreemem(error);
        }
        return why;
    }
    bool password = false;
    for (const PQconninfoOption* option = options; option->keyword != nullptr; ++option)
        password = password || (std::string_view(option->keyword) == "password" &&
                                option->val != nullptr && *option->val != '\0');
    PQconninfoFree(options);
    if (password)
        return "RECORD in zenset.sys holds a password; keep it in ~/.pgpass or a service file, "
               "where only its user can read it";
    return std::nullopt;
}

// The server answered and said no: to the user, the password, the database or a permission.
bool isRefusal(std::string_view message, const char* state) {
    if (state != nullptr)
        return std::string_view(state).starts_with("28") ||
               std::string_view(state).starts_with("3D") ||
               std::string_view(state).starts_with("42");
    return message.find("FATAL:") != std::string_view::npos ||
           message.find("no password supplied") != std::string_view::npos;
}

} // namespace

DepartmentDelivery::DepartmentDelivery(std::string connection, std::string queuePath,
                                       std::size_t rowsAStatement)
    : connection(std::move(connection))
    , queuePath(std::move(queuePath))
    , rowsAStatement(rowsAStatement)
    , conn(nullptr, PQfinish) {}

DepartmentDelivery::~DepartmentDelivery() = default;

int DepartmentDelivery::socket() const {
    return conn ? PQsocket(conn.get()) : -1;
}

bool DepartmentDelivery::waitsToRead() const {
    return conn && (phase != Phase::connecting || !pollsToWrite);
}

bool DepartmentDelivery::waitsToWrite() const {
    return conn && pollsToWrite;
}

DepartmentDelivery::Clock::time_point DepartmentDelivery::nextCall() const {
    return phase == Phase::resting || phase == Phase::ready ? retryAt : answerBy;
}

bool DepartmentDelivery::atRest() const {
    return phase == Phase::resting ? reach_ != Reach::unknown
                                   : phase == Phase::ready && waiting == 0;
}

std::optional<std::string> DepartmentDelivery::takeNews() {
    return std::exchange(news, std::nullopt);
}

void DepartmentDelivery::advance(Clock::time_point now) {
    try {
        switch (phase) {
        case Phase::resting:
            if (now >= retryAt)
                connect(now);
            break;
        case Phase::connecting:
            pollConnection(now);
            break;
        case Phase::sending:
            readResults(now);
            break;
        case Phase::ready:
            readResults(now);
            if (phase == Phase::ready && now >= retryAt)
                sendBatch(now);
            break;
        }
        if ((phase == Phase::connecting || phase == Phase::sending) && now >= answerBy)
            fail(now, "no answer within " + std::to_string(kAnswerTime.count()) + " seconds",
                 false);
    } catch (const Failure& failure) {
        // The queue could not be read or rewritten: its rows stay, and are tried again.
        fail(now, failure.what(), false);
    }
}

void DepartmentDelivery::connect(Clock::time_point now) {
    lookAtQueue();
    if (const auto fault = connectionFault(connection)) {
        fail(now, *fault, true);
        return;
    }
    conn.reset(PQconnectStart(connection.c_str()));
    if (!conn || PQstatus(conn.get()) == CONNECTION_BAD) {
        fail(now, conn ? oneLine(PQerrorMessage(conn.get()), connection) : "out of memory", false);
        return;
    }
    PQsetnonblocking(conn.get(), 1);
    phase = Phase::connecting;
    answerBy = now + kAnswerTime;
    pollsToWrite = true;
}

void DepartmentDelivery::pollConnection(Clock::time_point now) {
    switch (PQconnectPoll(conn.get())) {
    case PGRES_POLLING_READING:
        pollsToWrite = false;
        break;
    case PGRES_POLLING_WRITING:
        pollsToWrite = true;
        break;
    case PGRES_POLLING_OK:
        pollsToWrite = false;
        reach_ = Reach::reachable;
        sendBatch(now);
        break;
    default: {
        const std::string why = oneLine(PQerrorMessage(conn.get()), connection);
        fail(now, why, isRefusal(why, nullptr));
    }
    }
}

void DepartmentDelivery::sendBatch(Clock::time_point now) {
    sending.clear();
    failure.reset();
    int sent = 0;
    if (!schemaMade) {
        sent = PQsendQuery(conn.get(), std::string(kDepartmentSchema).c_str());
    } else {
        const std::vector<QueuedRow> rows = oldestQueuedRows(queuePath, rowsAStatement);
        if (rows.empty()) {
            waiting = 0;
            phase = Phase::ready;
            retryAt = now + kLookInterval;
            return;
        }
        std::vector<std::string> values;
        for (const QueuedRow& row : rows) {
            addParameters(row, values);
            sending.insert(row.id);
        }
        std::vector<const char*> pointers;
        for (const std::string& value : values)
            pointers.push_back(value.c_str());
        sent = PQsendQueryParams(conn.get(), insertStatement(rows.size()).c_str(),
                                 static_cast<int>(pointers.size()), nullptr, pointers.data(),
                                 nullptr, nullptr, 0);
    }
    if (sent != 1) {
        fail(now, oneLine(PQerrorMessage(conn.get()), connection), false);
        return;
    }
    phase = Phase::sending;
    answerBy = now + kAnswerTime;
    pollsToWrite = PQflush(conn.get()) == 1;
}

void DepartmentDelivery::readResults(Clock::time_point now) {
    if (pollsToWrite) {
        const int flushed = PQflush(conn.get());
        if (flushed < 0) {
            fail(now, oneLine(PQerrorMessage(conn.get()), connection), false);
            return;
        }
        pollsToWrite = flushed == 1;
    }
    if (PQconsumeInput(conn.get()) == 0 || PQstatus(conn.get()) == CONNECTION_BAD) {
        fail(now, oneLine(PQerrorMessage(conn.get()), connection), false);
        return;
    }
    if (phase != Phase::sending)
        return;
    while (PQisBusy(conn.get()) == 0) {
        PGresult* result = PQgetResult(conn.get());
        if (result == nullptr) {
            statementAnswered(now);
            return;
        }
        const ExecStatusType status = PQresultStatus(result);
        if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK && !failure)
            failure = StatementFault{oneLine(PQresultErrorMessage(result), connection),
                                     isRefusal({}, PQresultErrorField(result, PG_DIAG_SQLSTATE))};
        PQclear(result);
    }
}

void DepartmentDelivery::statementAnswered(Clock::time_point now) {
    if (failure) {
        fail(now, failure->why, failure->refused);
        return;
    }
    if (schemaMade) {
        removeQueuedRows(queuePath, sending);
        lastSaid.clear();
        lookAtQueue();
    }
    schemaMade = true;
    backoff = 0s;
    sendBatch(now);
}

void DepartmentDelivery::fail(Clock::time_point now, std::string why, bool refused) {
    conn.reset();
    phase = Phase::resting;
    pollsToWrite = false;
    schemaMade = false;
    sending.clear();
    backoff = std::clamp(backoff * 2, kFirstRest, kLongestRest);
    retryAt = now + backoff;
    reach_ = refused ? Reach::refused : Reach::unreachable;
    try {
        lookAtQueue();
    } catch (const Failure&) {
        // Said already, or said at the next try.
    }
    if (why != lastSaid) {
        news = why;
        lastSaid = std::move(why);
    }
}

void DepartmentDelivery::lookAtQueue() {
    struct stat status {};
    waiting = ::stat(queuePath.c_str(), &status) != 0 || status.st_size == 0
                  ? 0
                  : queuedRowCount(queuePath);
}
