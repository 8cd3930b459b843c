#include "config/TransferHistory.h"

#include "config/CsvLine.h"
#include "config/DepartmentQueue.h"
#include "config/HistoryTime.h"
#include "config/RecordFile.h"
#include "config/Utf8Text.h"
#include "setup/Failure.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

constexpr std::string_view kLineEnd = "\r\n";

std::string userName() {
    passwd entry{};
    passwd* found = nullptr;
    std::array<char, 4096> buffer{};
    if (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 &&
        found != nullptr)
        return found->pw_name;
    if (const char* user = std::getenv("USER"); user != nullptr)
        return user;
    return std::to_string(geteuid());
}

std::string hostName() {
    std::array<char, HOST_NAME_MAX + 1> name{};
    if (::gethostname(name.data(), name.size() - 1) != 0)
        return {};
    return name.data();
}

std::string rowLine(const TransferRow& recorded) {
    std::vector<std::string> fields;
    for (const TransferColumn& column : kTransferColumns)
        fields.push_back(recorded.*column.field);
    return csvLine(fields) + std::string(kLineEnd);
}

// Writes text into the file at path in one call. A row cut short is taken back; writing the
// rest once more says why it was cut short, or completes it.
void writeWhole(int fd, std::string_view text, off_t sizeBefore, const std::string& path) {
    ssize_t written = ::write(fd, text.data(), text.size());
    if (written > 0 && static_cast<std::size_t>(written) < text.size()) {
        const ssize_t rest = ::write(fd, text.data() + written, text.size() - written);
        written = rest < 0 ? rest : written + rest;
    }
    if (written == static_cast<ssize_t>(text.size()))
        return;
    const int error = written < 0 ? errno : ENOSPC;
    // Should the cut-off line stay, the next row still starts on a line of its own.
    [[maybe_unused]] const int takenBack = ::ftruncate(fd, sizeBefore);
    failOnFile(path, error);
}

} // namespace

HistoryLine::Outcome HistoryLine::parse(std::string_view line) {
    rowMade = false;
    if (line.ends_with('\r'))
        line.remove_suffix(1);
    static const std::string header = transferHistoryHeader();
    if (line.empty() || line == header)
        return Outcome::nothing;
    if (const auto fault = printableUtf8Fault(line)) {
        reason_ = "holds " + std::string(*fault);
        return Outcome::bad;
    }
    if (auto fault = splitCsvLine(line, fields, scratch)) {
        reason_ = std::move(*fault);
        return Outcome::bad;
    }
    if (const std::size_t count = fields.size(); count != kTransferColumns.size()) {
        reason_ = "has " + std::to_string(count) + (count == 1 ? " field" : " fields") + ", not " +
                  std::to_string(kTransferColumns.size());
        return Outcome::bad;
    }
    if (!parseHistoryTime(fields.front())) {
        reason_ = "has a time that is not ISO 8601 with the UTC offset";
        return Outcome::bad;
    }
    return Outcome::row;
}

std::string_view HistoryLine::field(std::string TransferRow::*member) const {
    return fields[static_cast<std::size_t>(
        std::ranges::find(kTransferColumns, member, &TransferColumn::field) -
        kTransferColumns.begin())];
}

const TransferRow& HistoryLine::row() {
    if (!rowMade)
        for (std::size_t i = 0; i < kTransferColumns.size(); ++i)
            (row_.*kTransferColumns[i].field).assign(fields[i]);
    rowMade = true;
    return row_;
}

std::string transferHistoryPath(const ProgramSettings& settings) {
    return settings.dataFolder() + "/history.csv";
}

std::string transferHistoryHeader() {
    std::string header;
    for (const TransferColumn& column : kTransferColumns)
        header.append(header.empty() ? "" : ",").append(column.name);
    return header;
}

TransferRow recordedRow(TransferRow row) {
    if (row.time.empty())
        row.time = historyTimeText(std::chrono::system_clock::now());
    if (row.user.empty())
        row.user = userName();
    if (row.host.empty())
        row.host = hostName();
    for (const TransferColumn& column : kTransferColumns)
        row.*column.field = printableUtf8(row.*column.field, !column.systemText);
    return row;
}

void appendRecordedRow(const std::string& path, const TransferRow& recorded) {
    const Descriptor file(::open(path.c_str(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0644));
    struct stat status {};
    if (file.get() < 0 || !lockFile(file.get(), LOCK_EX) || ::fstat(file.get(), &status) != 0)
        failOnFile(path, errno);
    std::string text;
    if (status.st_size == 0)
        text = transferHistoryHeader() + std::string(kLineEnd);
    else if (!endsLine(file.get(), status.st_size))
        text = kLineEnd;
    text += rowLine(recorded);
    writeWhole(file.get(), text, status.st_size, path);
    if (::fsync(file.get()) != 0)
        failOnFile(path, errno);
}

void appendTransferRow(const std::string& path, TransferRow row) {
    appendRecordedRow(path, recordedRow(std::move(row)));
}

void appendTransferRow(const ProgramSettings& settings, TransferRow row) {
    const TransferRow recorded = recordedRow(std::move(row));
    appendRecordedRow(transferHistoryPath(settings), recorded);
    if (settings.departmentRecord())
        appendQueuedRow(departmentQueuePath(settings),
                        {newRowIdentity(), MIRAFEN_VERSION, recorded});
}
