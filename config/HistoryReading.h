#pragma once

#include "config/RecordFile.h"
#include "config/TransferHistory.h"

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

// Reading the record of transfers without holding it in memory: a block of it at a time, oldest
// row first for the command line, newest first for the window.

// Given each line that holds a row.
using HistoryRowSink = std::function<void(HistoryLine&)>;
using BadLineSink = std::function<void(const BadHistoryLine&)>;

// The record at path as it stood when opened: whole rows only, whatever is appended later, so
// that it can be read more than once with the same result. A missing file is an empty record.
// Throws Failure when the file cannot be read.
class HistorySnapshot {
public:
    explicit HistorySnapshot(const std::string& path);

    const std::string& path() const { return path_; }
    std::uint64_t size() const { return size_; }
    // Reads from offset into buffer, up to size(); returns how many bytes it read.
    std::size_t read(std::uint64_t offset, std::span<char> buffer) const;

private:
    std::string path_;
    Descriptor file;
    std::uint64_t size_ = 0;
};

// Large enough that reading costs few calls, small enough that memory stays flat; a line
// longer than a block is read whole all the same.
inline constexpr std::size_t kHistoryBlockSize = 1 << 20;

// Each row in the file's order, and each line that holds none.
void readHistoryForwards(const HistorySnapshot& snapshot, const HistoryRowSink& row,
                         const BadLineSink& bad, std::size_t blockSize = kHistoryBlockSize);

// The rows newest first, a block at a time.
class HistoryBackwards {
public:
    explicit HistoryBackwards(const HistorySnapshot& snapshot,
                              std::size_t blockSize = kHistoryBlockSize);

    // Every line has been read.
    bool atStart() const { return end == 0; }
    // Reads the lines of the block before those already read, newest first.
    void readBlock(const HistoryRowSink& row, const BadLineSink& bad);

private:
    // The number of the line starting at offset, counted from the last one found.
    std::size_t lineNumberAt(std::uint64_t offset);

    const HistorySnapshot& snapshot;
    std::uint64_t end;
    std::size_t blockSize;
    std::vector<char> block;
    // A line start whose number is known, counting from 1 at offset 0.
    std::uint64_t knownOffset = 0;
    std::size_t knownNumber = 1;
    HistoryLine parsed;
};
