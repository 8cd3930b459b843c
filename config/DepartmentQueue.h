#pragma once

#include "config/ProgramSettings.h"
#include "config/TransferRow.h"

#include <cstddef>
#include <set>
#include <string>
#include <vector>

// The rows that the department's record has not confirmed yet: department-queue.csv beside
// history.csv, one line a row, oldest first: the row's identity, the version of the program
// that made it, then the record's columns as history.csv holds them. Each row is flushed to
// disk before its transfer is reported, so that a crash or a reboot loses none; a row leaves
// only once the server has confirmed it. Several programs append and deliver at once, each
// under the file's lock; a delivery takes rows out by rewriting the file whole and renaming it
// into place. What cannot be read or written throws Failure.

struct QueuedRow {
    std::string id;      // a random UUID, made with the row
    std::string version; // of the program that made the row
    TransferRow row;     // its texts UTF-8, as history.csv holds them
};

std::string departmentQueuePath(const ProgramSettings& settings);

// A new random (version 4) UUID.
std::string newRowIdentity();

void appendQueuedRow(const std::string& path, const QueuedRow& row);
// The oldest rows of the queue, at most count; lines that hold no row are passed over (and kept).
std::vector<QueuedRow> oldestQueuedRows(const std::string& path, std::size_t count);
std::size_t queuedRowCount(const std::string& path);
// Takes out the rows with these identities; every other line stays as it is.
void removeQueuedRows(const std::string& path, const std::set<std::string>& ids);
