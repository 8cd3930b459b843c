#include "config/HistoryReading.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

namespace {

void visitLine(HistoryLine& parsed, std::string_view line,
               const std::function<std::size_t()>& number, const HistoryRowSink& row,
               const BadLineSink& bad) {
    switch (parsed.parse(line)) {
    case HistoryLine::Outcome::row:
        row(parsed);
        break;
    case HistoryLine::Outcome::bad:
        bad({number(), parsed.reason()});
        break;
    case HistoryLine::Outcome::nothing:
        break;
    }
}

// Visits the whole lines of text, counting them in number; returns the unfinished rest.
std::string_view visitLines(std::string_view text, std::size_t& number, HistoryLine& parsed,
                            const HistoryRowSink& row, const BadLineSink& bad) {
    for (std::size_t end = text.find('\n'); end != std::string_view::npos; end = text.find('\n')) {
        visitLine(
            parsed, text.substr(0, end), [&number] { return number; }, row, bad);
        ++number;
        text.remove_prefix(end + 1);
    }
    return text;
}

// The start of the line that ends before end in text: after the '\n' before it, or 0.
std::size_t lineStart(std::string_view text, std::size_t end) {
    const std::size_t lineEnd = end == 0 ? std::string_view::npos : text.rfind('\n', end - 1);
    return lineEnd == std::string_view::npos ? 0 : lineEnd + 1;
}

} // namespace

HistorySnapshot::HistorySnapshot(const std::string& path)
    : path_(path)
    , file(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {
    if (file.get() < 0) {
        if (errno != ENOENT)
            failOnFile(path, errno);
        return;
    }
    // Rows are appended whole under an exclusive lock, so the size seen under a shared one ends
    // after a whole row; the lock is not held longer, so that no transfer waits for a reader.
    struct stat status {};
    if (!lockFile(file.get(), LOCK_SH) || ::fstat(file.get(), &status) != 0)
        failOnFile(path, errno);
    lockFile(file.get(), LOCK_UN);
    if (S_ISDIR(status.st_mode))
        failOnFile(path, EISDIR);
    size_ = static_cast<std::uint64_t>(status.st_size);
}

std::size_t HistorySnapshot::read(std::uint64_t offset, std::span<char> buffer) const {
    std::size_t got = 0;
    const std::size_t wanted = static_cast<std::size_t>(
        std::min<std::uint64_t>(buffer.size(), offset < size_ ? size_ - offset : 0));
    while (got < wanted) {
        const ssize_t count = ::pread(file.get(), buffer.data() + got, wanted - got,
                                      static_cast<off_t>(offset + got));
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            failOnFile(path_, errno);
        if (count == 0)
            break; // cut short by another program since it was opened
        got += static_cast<std::size_t>(count);
    }
    return got;
}

void readHistoryForwards(const HistorySnapshot& snapshot, const HistoryRowSink& row,
                         const BadLineSink& bad, std::size_t blockSize) {
    HistoryLine parsed;
    std::vector<char> buffer(blockSize);
    std::size_t held = 0; // the unfinished line at the buffer's front
    std::size_t number = 1;
    for (std::uint64_t offset = 0; offset < snapshot.size();) {
        if (held == buffer.size())
            buffer.resize(buffer.size() * 2); // a line longer than a block
        const std::size_t got = snapshot.read(offset, std::span(buffer).subspan(held));
        if (got == 0)
            break;
        offset += got;
        const std::string_view rest =
            visitLines({buffer.data(), held + got}, number, parsed, row, bad);
        std::memmove(buffer.data(), rest.data(), rest.size());
        held = rest.size();
    }
    if (held > 0)
        bad({number, std::string(kCutOffReason)});
}

TransferHistory readTransferHistory(const std::string& path) {
    TransferHistory history;
    readHistoryForwards(
        HistorySnapshot(path),
        [&history](HistoryLine& line) { history.rows.push_back(line.row()); },
        [&history](const BadHistoryLine& line) { history.badLines.push_back(line); });
    return history;
}

TransferHistory transferHistoryIn(std::string_view content) {
    TransferHistory history;
    HistoryLine parsed;
    std::size_t number = 1;
    const std::string_view rest = visitLines(
        content, number, parsed,
        [&history](HistoryLine& line) { history.rows.push_back(line.row()); },
        [&history](const BadHistoryLine& line) { history.badLines.push_back(line); });
    if (!rest.empty())
        history.badLines.push_back({number, std::string(kCutOffReason)});
    return history;
}

HistoryBackwards::HistoryBackwards(const HistorySnapshot& snapshot, std::size_t blockSize)
    : snapshot(snapshot)
    , end(snapshot.size())
    , blockSize(blockSize) {}

void HistoryBackwards::readBlock(const HistoryRowSink& row, const BadLineSink& bad) {
    if (atStart())
        return;
    std::uint64_t start = 0;
    std::size_t first = 0; // where the first whole line of the block starts
    while (true) {
        start = end > blockSize ? end - blockSize : 0;
        block.resize(static_cast<std::size_t>(end - start));
        block.resize(snapshot.read(start, block));
        const std::string_view text(block.data(), block.size());
        if (start == 0)
            break;
        first = text.find('\n');
        if (first != std::string_view::npos && first + 1 < text.size()) {
            ++first;
            break;
        }
        blockSize *= 2; // a line longer than a block
    }
    std::string_view lines = std::string_view(block.data(), block.size()).substr(first);
    const std::uint64_t linesStart = start + first;
    if (!lines.empty() && !lines.ends_with('\n')) {
        // Only the file's last line can lack its line end.
        const std::size_t begin = lineStart(lines, lines.size());
        bad({lineNumberAt(linesStart + begin), std::string(kCutOffReason)});
        lines = lines.substr(0, begin);
    }
    while (!lines.empty()) {
        const std::size_t begin = lineStart(lines, lines.size() - 1);
        visitLine(
            parsed, lines.substr(begin, lines.size() - 1 - begin),
            [this, at = linesStart + begin] { return lineNumberAt(at); }, row, bad);
        lines = lines.substr(0, begin);
    }
    end = linesStart;
}

std::size_t HistoryBackwards::lineNumberAt(std::uint64_t offset) {
    const std::uint64_t from = std::min(offset, knownOffset);
    const std::uint64_t to = std::max(offset, knownOffset);
    std::size_t lineEnds = 0;
    std::vector<char> buffer(kHistoryBlockSize);
    for (std::uint64_t at = from; at < to;) {
        const std::size_t got =
            snapshot.read(at, std::span(buffer).first(static_cast<std::size_t>(
                                  std::min<std::uint64_t>(buffer.size(), to - at))));
        if (got == 0)
            break;
        lineEnds +=
            static_cast<std::size_t>(std::count(buffer.begin(), buffer.begin() + got, '\n'));
        at += got;
    }
    knownNumber = offset < knownOffset ? knownNumber - lineEnds : knownNumber + lineEnds;
    knownOffset = offset;
    return knownNumber;
}
