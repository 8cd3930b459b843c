#include "config/DepartmentQueue.h"

#include "config/CsvLine.h"
#include "config/RecordFile.h"
#include "setup/Failure.h"
#include "setup/FileWrite.h"
#include "setup/ReplacementFile.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <openssl/rand.h>
#include <sys/file.h>
#include <sys/stat.h>

namespace {

constexpr std::size_t kLeadingFields = 2; // identity and version

// The queue at path, open and locked. A delivery may have renamed a new queue into place while
// this waited for the lock; the lock is then on a file no longer there, and the path is opened
// again.
Descriptor lockedQueue(const std::string& path, int flags, int lock) {
    while (true) {
        Descriptor file(::open(path.c_str(), flags | O_CLOEXEC, 0644));
        if (file.get() < 0 && errno == ENOENT && (flags & O_CREAT) == 0)
            return file;
        struct stat opened {};
        struct stat named {};
        if (file.get() < 0 || !lockFile(file.get(), lock) || ::fstat(file.get(), &opened) != 0)
            failOnFile(path, errno);
        if (::stat(path.c_str(), &named) == 0 && named.st_ino == opened.st_ino &&
            named.st_dev == opened.st_dev)
            return file;
    }
}

std::string wholeContent(const Descriptor& file, const std::string& path) {
    std::string content;
    if (file.get() < 0)
        return content;
    std::array<char, 65536> buffer{};
    while (true) {
        const ssize_t got = ::read(file.get(), buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            failOnFile(path, errno);
        if (got == 0)
            return content;
        content.append(buffer.data(), static_cast<std::size_t>(got));
    }
}

// Calls visit with each whole line of content (without its line end) and the row it holds,
// if any, until visit returns false.
template <typename Visit> void forEachLine(std::string_view content, Visit&& visit) {
    std::vector<std::string_view> fields;
    std::string scratch;
    for (std::size_t end = content.find('\n'); end != std::string_view::npos;
         end = content.find('\n')) {
        std::string_view line = content.substr(0, end);
        content.remove_prefix(end + 1);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        std::optional<QueuedRow> row;
        if (!splitCsvLine(line, fields, scratch) &&
            fields.size() == kLeadingFields + kTransferColumns.size()) {
            row.emplace(QueuedRow{std::string(fields[0]), std::string(fields[1]), {}});
            for (std::size_t i = 0; i < kTransferColumns.size(); ++i)
                row->row.*kTransferColumns[i].field = fields[kLeadingFields + i];
        }
        if (!visit(line, row))
            return;
    }
}

} // namespace

std::string departmentQueuePath(const ProgramSettings& settings) {
    return settings.dataFolder() + "/department-queue.csv";
}

std::string newRowIdentity() {
    std::array<unsigned char, 16> bytes{};
    if (RAND_bytes(bytes.data(), static_cast<int>(bytes.size())) != 1)
        throw Failure("no random bytes for a row's identity");
    bytes[6] = static_cast<unsigned char>((bytes[6] & 0x0F) | 0x40); // version 4
    bytes[8] = static_cast<unsigned char>((bytes[8] & 0x3F) | 0x80); // RFC 4122 variant
    std::string text;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        std::array<char, 3> pair{};
        std::snprintf(pair.data(), pair.size(), "%02x", bytes[i]);
        text += (i == 4 || i == 6 || i == 8 || i == 10) ? "-" : "";
        text += pair.data();
    }
    return text;
}

void appendQueuedRow(const std::string& path, const QueuedRow& row) {
    std::vector<std::string> fields{row.id, row.version};
    for (const TransferColumn& column : kTransferColumns)
        fields.push_back(row.row.*column.field);
    std::string line = csvLine(fields) + "\r\n";
    const Descriptor file = lockedQueue(path, O_RDWR | O_APPEND | O_CREAT, LOCK_EX);
    struct stat status {};
    if (::fstat(file.get(), &status) != 0)
        failOnFile(path, errno);
    // A line cut off by a crash stays a line of its own, and no row.
    if (!endsLine(file.get(), status.st_size))
        line.insert(0, "\r\n");
    writeAll(file.get(), line, path);
    if (::fsync(file.get()) != 0)
        failOnFile(path, errno);
}

std::vector<QueuedRow> oldestQueuedRows(const std::string& path, std::size_t count) {
    std::vector<QueuedRow> rows;
    const Descriptor file = lockedQueue(path, O_RDONLY, LOCK_SH);
    forEachLine(wholeContent(file, path),
                [&rows, count](std::string_view, std::optional<QueuedRow>& row) {
                    if (row)
                        rows.push_back(std::move(*row));
                    return rows.size() < count;
                });
    return rows;
}

std::size_t queuedRowCount(const std::string& path) {
    std::size_t count = 0;
    const Descriptor file = lockedQueue(path, O_RDONLY, LOCK_SH);
    forEachLine(wholeContent(file, path),
                [&count](std::string_view, std::optional<QueuedRow>& row) {
                    count += row ? 1 : 0;
                    return true;
                });
    return count;
}

void removeQueuedRows(const std::string& path, const std::set<std::string>& ids) {
    const Descriptor file = lockedQueue(path, O_RDWR, LOCK_EX);
    if (file.get() < 0)
        return;
    std::string kept;
    forEachLine(wholeContent(file, path),
                [&](std::string_view line, std::optional<QueuedRow>& row) {
                    if (!row || !ids.contains(row->id))
                        kept.append(line).append("\r\n");
                    return true;
                });
    ReplacementFile replacement(path, path);
    writeAll(replacement.descriptor(), kept, path);
    if (::fsync(replacement.descriptor()) != 0)
        failOnFile(path, errno);
    // The lock stays with the old file until it is closed: a writer that waited for it opens the
    // new one.
    const Descriptor replaced(replacement.replaceTarget());
}
