#include "config/DepartmentDelivery.h"
#include "config/DepartmentQueue.h"
#include "config/HistoryReading.h"
#include "config/TransferHistory.h"
#include "setup/SetupFile.h"
#include "setup/SetupRecord.h"
#include "support/CliProcess.h"
#include "support/EnvironmentVariable.h"
#include "support/SimulatorProcess.h"
#include "support/TempDataFolder.h"

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <libpq-fe.h>
#include <memory>
#include <poll.h>
#include <set>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;
using Clock = DepartmentDelivery::Clock;

// A statement run as the server's administrator; its first column of each row.
std::vector<std::string> ask(const std::string& database, const std::string& statement) {
    const std::unique_ptr<PGconn, void (*)(PGconn*)> conn(
        PQconnectdb(("host=" RECORD_SERVER_FOLDER " user=postgres dbname=" + database).c_str()),
        PQfinish);
    EXPECT_EQ(PQstatus(conn.get()), CONNECTION_OK) << PQerrorMessage(conn.get());
    const std::unique_ptr<PGresult, void (*)(PGresult*)> result(
        PQexec(conn.get(), statement.c_str()), PQclear);
    const ExecStatusType status = PQresultStatus(result.get());
    EXPECT_TRUE(status == PGRES_TUPLES_OK || status == PGRES_COMMAND_OK)
        << statement << ": " << PQresultErrorMessage(result.get());
    std::vector<std::string> values;
    for (int row = 0; row < PQntuples(result.get()); ++row)
        values.emplace_back(PQgetvalue(result.get(), row, 0));
    return values;
}

void server(const char* action) {
    ASSERT_EQ(
        std::system(
            (std::string(RECORD_SERVER_SCRIPT " ") + action + " " RECORD_SERVER_FOLDER).c_str()),
        0)
        << action;
}

class DepartmentRecordTest : public TempDataFolder {
protected:
    void SetUp() override {
        TempDataFolder::SetUp();
        static std::atomic<int> count = 0;
        database = "t" + std::to_string(::getpid()) + "_" + std::to_string(++count);
        ask("postgres", "CREATE DATABASE " + database);
        ask(database, "GRANT ALL ON SCHEMA public TO bench");
        useRecord(record());
        settings.establishDataFolder();
        queue = departmentQueuePath(settings);
    }

    void useRecord(const std::string& record) {
        std::ofstream(dataFolder / "zenset.sys", std::ios::binary) << "RECORD=" << record << "\r\n";
    }

    // The department's record of this test, as its administrator reaches it.
    std::string record() const {
        return "host=" RECORD_SERVER_FOLDER " user=postgres dbname=" + database;
    }

    static TransferRow rowNumbered(int number) {
        TransferRow row;
        row.time = "2026-12-11T10:00:00+01:00";
        row.action = "write";
        row.serialBefore = row.serialAfter = "00000042";
        row.detail = std::to_string(number);
        return row;
    }

    void appendRows(int from, int to) const {
        for (int number = from; number < to; ++number)
            appendTransferRow(settings, rowNumbered(number));
    }

    std::set<std::string> queuedIds() const {
        std::set<std::string> ids;
        for (const QueuedRow& row : oldestQueuedRows(queue, SIZE_MAX))
            ids.insert(row.id);
        return ids;
    }

    std::vector<std::string> serverIds() const {
        return ask(database, "SELECT id FROM mirafen_transfers ORDER BY id");
    }

    // Drives the delivery as a front end does, on its socket, the clock standing still but
    // for the rests after a failure, which pass at once; until it rests or fails rounds times.
    void drive(DepartmentDelivery& delivery, int failures = 1) {
        while (true) {
            delivery.advance(now);
            if (delivery.atRest() &&
                (delivery.reach() == DepartmentDelivery::Reach::reachable || --failures <= 0))
                return;
            if (delivery.socket() < 0) {
                now = delivery.nextCall();
                continue;
            }
            pollfd watched{delivery.socket(),
                           static_cast<short>((delivery.waitsToRead() ? POLLIN : 0) |
                                              (delivery.waitsToWrite() ? POLLOUT : 0)),
                           0};
            // Bounded only so that a fault shows as a failure instead of a hang.
            ASSERT_GT(::poll(&watched, 1, 20'000), 0) << "the connection went silent";
        }
    }

    ProgramSettings settings;
    std::string database;
    std::string queue;
    Clock::time_point now = Clock::now();
};

// Rows arrive once, with their identities, and leave the queue; a queue delivered again, as
// after a crash between the server's answer and the queue's rewrite, adds nothing.
TEST_F(DepartmentRecordTest, RowsArriveOnceAndLeaveTheQueue) {
    appendRows(0, 250);
    const std::set<std::string> queued = queuedIds();
    ASSERT_EQ(queued.size(), 250u);
    const std::string queueBefore = readFile(queue);

    DepartmentDelivery delivery(record(), queue);
    drive(delivery);
    EXPECT_EQ(delivery.reach(), DepartmentDelivery::Reach::reachable);
    EXPECT_EQ(delivery.waitingRows(), 0u);
    EXPECT_TRUE(queuedIds().empty());
    const std::vector<std::string> arrived = serverIds();
    EXPECT_EQ(std::set(arrived.begin(), arrived.end()), queued);

    writeFile(queue, queueBefore);
    DepartmentDelivery again(record(), queue);
    drive(again);
    EXPECT_EQ(serverIds(), arrived);
    EXPECT_TRUE(queuedIds().empty());
    EXPECT_EQ(ask(database, "SELECT count(*) FROM mirafen_transfers WHERE detail = '7' AND "
                            "serial_after = '00000042' AND time = '2026-12-11T09:00:00Z'"),
              std::vector<std::string>{"1"});
    EXPECT_EQ(ask(database, "SELECT version FROM mirafen_schema"), std::vector<std::string>{"1"});
    EXPECT_EQ(readTransferHistory(dataFolder / "history.csv").rows.size(), 250u);
}

// The server stopped as by a power cut in the middle of a burst, rows added while it is away,
// and started again: every row arrives, none twice, and the queue is empty.
TEST_F(DepartmentRecordTest, AServerLostMidBurstGetsEveryRowOnceWhenItReturns) {
    appendRows(0, 400);
    DepartmentDelivery delivery(record(), queue, 100);
    while (delivery.waitingRows() == 0 || delivery.waitingRows() == 400) {
        delivery.advance(now);
        pollfd watched{delivery.socket(), POLLIN, 0};
        if (delivery.socket() >= 0 && !delivery.waitsToWrite())
            ::poll(&watched, 1, 20'000);
    }
    server("halt");
    appendRows(400, 450);
    drive(delivery);
    EXPECT_EQ(delivery.reach(), DepartmentDelivery::Reach::unreachable);
    EXPECT_GT(delivery.waitingRows(), 50u);
    EXPECT_TRUE(delivery.takeNews().has_value());
    server("resume");
    drive(delivery, 3);

    EXPECT_EQ(delivery.reach(), DepartmentDelivery::Reach::reachable);
    EXPECT_TRUE(queuedIds().empty());
    EXPECT_EQ(serverIds().size(), 450u);
    EXPECT_EQ(ask(database, "SELECT count(DISTINCT detail) FROM mirafen_transfers"),
              std::vector<std::string>{"450"});
}

// Eight programs write and deliver at once into one data folder: every row is in history.csv
// and on the server, once, and the queue is empty.
TEST_F(DepartmentRecordTest, EightWritersAtOnceLoseAndDoubleNothing) {
    constexpr int kWriters = 8;
    constexpr int kRowsEach = 200;
    std::vector<pid_t> writers;
    for (int writer = 0; writer < kWriters; ++writer) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (int batch = 0; batch < kRowsEach; batch += 50) {
                appendRows(writer * kRowsEach + batch, writer * kRowsEach + batch + 50);
                DepartmentDelivery delivery(record(), queue);
                drive(delivery);
            }
            _exit(testing::Test::HasFailure() ? 1 : 0);
        }
        writers.push_back(child);
    }
    for (const pid_t writer : writers) {
        int status = 0;
        ASSERT_EQ(waitpid(writer, &status, 0), writer);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    DepartmentDelivery last(record(), queue);
    drive(last);

    EXPECT_TRUE(queuedIds().empty());
    EXPECT_EQ(serverIds().size(), std::size_t{kWriters * kRowsEach});
    EXPECT_EQ(ask(database, "SELECT count(DISTINCT detail) FROM mirafen_transfers"),
              std::vector<std::string>{std::to_string(kWriters * kRowsEach)});
    EXPECT_EQ(readTransferHistory(dataFolder / "history.csv").rows.size(),
              std::size_t{kWriters * kRowsEach});
}

// A program killed while it delivers leaves its rows in the queue, and the next delivers them.
TEST_F(DepartmentRecordTest, TheQueueSurvivesAKilledProgram) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        appendRows(0, 30);
        DepartmentDelivery delivery(record(), queue);
        delivery.advance(Clock::now());
        std::raise(SIGKILL);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(queuedIds().size(), 30u);

    DepartmentDelivery delivery(record(), queue);
    drive(delivery);
    EXPECT_EQ(serverIds().size(), 30u);
    EXPECT_TRUE(queuedIds().empty());
}

// A server that refuses is said once, in words that name neither the connection string nor a
// password, and the rows wait; once the record is set right they arrive.
TEST_F(DepartmentRecordTest, ARefusalIsSaidOnceAndTheRowsWait) {
    const std::string passwords = (root / "pgpass").string();
    std::ofstream(passwords) << "*:*:*:bench:wrong\n";
    std::filesystem::permissions(passwords, std::filesystem::perms::owner_read |
                                                std::filesystem::perms::owner_write);
    const EnvironmentVariable passFile{"PGPASSFILE"};
    passFile.set(passwords.c_str());
    appendRows(0, 5);
    const std::string base = "host=" RECORD_SERVER_FOLDER " ";
    struct Case {
        std::string record;
        std::string said;
    };
    const Case cases[] = {
        {base + "user=bench dbname=" + database,
         "password authentication failed for user \"bench\""},
        {base + "user=postgres dbname=nosuch", "database \"nosuch\" does not exist"},
        {base + "user=bench password=right dbname=" + database,
         "RECORD in zenset.sys holds a password; keep it in ~/.pgpass or a service file, where "
         "only its user can read it"},
        {"host=" RECORD_SERVER_FOLDER " port=notaport", "invalid"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.record);
        DepartmentDelivery delivery(c.record, queue);
        drive(delivery, 2);
        EXPECT_NE(delivery.reach(), DepartmentDelivery::Reach::reachable);
        const std::optional<std::string> said = delivery.takeNews();
        ASSERT_TRUE(said.has_value());
        EXPECT_NE(said->find(c.said), std::string::npos) << *said;
        EXPECT_EQ(said->find("right"), std::string::npos) << *said;
        EXPECT_EQ(said->find(RECORD_SERVER_FOLDER " "), std::string::npos) << *said;
        drive(delivery, 2);
        EXPECT_EQ(delivery.takeNews(), std::nullopt) << "said twice";
        EXPECT_EQ(delivery.waitingRows(), 5u);
    }
    EXPECT_EQ(queuedIds().size(), 5u);

    std::ofstream(passwords) << "*:*:*:bench:right\n";
    DepartmentDelivery delivery(base + "user=bench dbname=" + database, queue);
    drive(delivery);
    EXPECT_EQ(serverIds().size(), 5u);
}

// mirafen-cli delivers what waits before it exits, whatever its command; with the server away
// it says so, exits as it would have, and the rows wait for the next run.
TEST_F(DepartmentRecordTest, TheCommandLineDeliversBeforeItExits) {
    appendRows(0, 20);
    server("halt");
    const CliRun away = runCli({"history", "--serial", "00000043"});
    server("resume");
    EXPECT_EQ(away.status, 0);
    EXPECT_NE(
        away.err.find("mirafen-cli: 20 rows wait in " + queue + " for the department's record\n"),
        std::string::npos)
        << away.err;
    EXPECT_EQ(queuedIds().size(), 20u);

    const CliRun run = runCli({"history", "--serial", "00000043"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_TRUE(queuedIds().empty());
    EXPECT_EQ(serverIds().size(), 20u);
}

// The department answers history with the filters of this computer's record, row for row, and
// instruments with each serial number's last write, verify and compare.
TEST_F(DepartmentRecordTest, TheDepartmentAnswersHistoryAndInstruments) {
    const EnvironmentVariable zone{"TZ"};
    zone.set("CET-1");
    struct Made {
        const char* time;
        const char* action;
        const char* serial;
        const char* result;
        const char* host;
    };
    const Made made[] = {
        {"2026-12-10T09:00:00+01:00", "write", "00000042", "ok", "bench1"},
        {"2026-12-10T09:05:00+01:00", "verify", "00000042", "ok", "bench1"},
        {"2026-12-10T23:30:00+02:00", "write", "00000007", "failed", "bench2"},
        {"2026-12-11T08:00:00+01:00", "compare", "00000042", "differs", "bench2"},
        {"2026-12-11T09:00:00+01:00", "write", "00000042", "ok", "bench3"},
        {"2026-12-11T09:30:00+01:00", "read", "00000007", "ok", "bench3"},
    };
    for (const Made& row : made) {
        TransferRow transfer = rowNumbered(static_cast<int>(&row - made));
        transfer.time = row.time;
        transfer.action = row.action;
        transfer.serialBefore = transfer.serialAfter = row.serial;
        transfer.result = row.result;
        transfer.host = row.host;
        transfer.setupFile = std::string("ward") + row.host + ".prp";
        appendTransferRow(settings, transfer);
    }
    DepartmentDelivery delivery(record(), queue);
    drive(delivery);
    ASSERT_EQ(serverIds().size(), 6u);

    const std::vector<std::vector<std::string>> filters = {
        {},
        {"--serial", "42"},
        {"--action", "write"},
        {"--result", "ok", "--serial", "00000007"},
        {"--since", "2026-12-11"},
        {"--until", "2026-12-10T23:00"},
        {"--since", "2026-12-10T22:30:00Z", "--until", "2026-12-11T08:00:01+01:00"},
        {"--serial", "43"},
    };
    for (const std::vector<std::string>& filter : filters) {
        SCOPED_TRACE(::testing::PrintToString(filter));
        std::vector<std::string> local{"history", "--json"};
        local.insert(local.end(), filter.begin(), filter.end());
        std::vector<std::string> department = local;
        department.push_back("--department");
        const CliRun here = runCli(local);
        const CliRun there = runCli(department);
        EXPECT_EQ(there.status, 0) << there.err;
        EXPECT_EQ(there.out, here.out);
    }
    EXPECT_NE(runCli({"history", "--department", "--action", "write"}).out.find("wardbench3.prp"),
              std::string::npos);

    const CliRun instruments = runCli({"instruments", "--json"});
    EXPECT_EQ(instruments.status, 0) << instruments.err;
    const std::string& out = instruments.out;
    // 00000007: a failed write, no verify or compare; 00000042: the last write is bench3's.
    EXPECT_LT(out.find("\"serial\": \"00000007\""), out.find("\"serial\": \"00000042\""));
    EXPECT_NE(out.find("\"result\": \"failed\""), std::string::npos) << out;
    EXPECT_NE(out.find("\"verify\": null,\n    \"compare\": null"), std::string::npos) << out;
    EXPECT_NE(out.find("\"time\": \"2026-12-11T09:00:00+01:00\",\n      \"host\": \"bench3\""),
              std::string::npos)
        << out;
    EXPECT_EQ(
        out.find("bench1\",\n      \"setup_file\": \"wardbench1.prp\",\n      "
                 "\"setup_sha256\": \"\",\n      \"result\": \"ok\"\n    },\n    \"verify\": null"),
        std::string::npos)
        << out;
}

// A write by mirafen-cli into a simulated instrument reaches the department before the command
// exits, as history.csv holds it.
TEST_F(DepartmentRecordTest, ATransferByTheCommandLineArrivesBeforeItExits) {
    writeFile(workFolder / "Modules.dat", "MODULE3_LEADS=8\r\nMODULE3_DESC=Octet\r\n");
    SetupRecord setup;
    setup.resetToDefaults();
    writeSetupFile(setup, (workFolder / "ward.prp").string());
    const SimulatorProcess instrument({"--serial", "00000042", "--module", "3"});
    ASSERT_FALSE(instrument.terminalPath().empty());

    const CliRun run =
        runCli({"write", "ward.prp", "--device", instrument.terminalPath(), "--quiet"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");

    EXPECT_TRUE(queuedIds().empty());
    const TransferHistory history = readTransferHistory(dataFolder / "history.csv");
    ASSERT_EQ(history.rows.size(), 1u);
    const TransferRow& row = history.rows.front();
    EXPECT_EQ(ask(database, "SELECT concat_ws('|', local_time, program, action, serial_after, "
                            "setup_sha256, result, host) FROM mirafen_transfers"),
              std::vector<std::string>{row.time + "|mirafen-cli|write|00000042|" + row.setupSha256 +
                                       "|ok|" + row.host});
}

// A server that takes the connection and never answers, as a host gone away behind a firewall
// may: the delivery gives up once the time for an answer has passed, and the rows wait.
TEST_F(DepartmentRecordTest, AServerThatNeverAnswersIsGivenUp) {
    appendRows(0, 3);
    const std::string silent = (root / "silent").string();
    std::filesystem::create_directory(silent);
    const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string socketPath = silent + "/.s.PGSQL.5432";
    ASSERT_LT(socketPath.size(), sizeof address.sun_path);
    socketPath.copy(address.sun_path, socketPath.size());
    ASSERT_EQ(::bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(listener, 1), 0);

    DepartmentDelivery delivery("host=" + silent + " dbname=x", queue);
    delivery.advance(now);
    delivery.advance(now);
    EXPECT_FALSE(delivery.atRest());
    delivery.advance(delivery.nextCall());
    EXPECT_TRUE(delivery.atRest());
    EXPECT_EQ(delivery.reach(), DepartmentDelivery::Reach::unreachable);
    EXPECT_EQ(delivery.takeNews(), "no answer within 20 seconds");
    EXPECT_EQ(delivery.waitingRows(), 3u);
    ::close(listener);
}

} // namespace
