#pragma once

#include <string>
#include <vector>

// The argv of a program started with posix_spawn: each word, then a null. It points into
// words, which must outlive its use.
inline std::vector<char*> argumentVector(std::vector<std::string>& words) {
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    return argv;
}
