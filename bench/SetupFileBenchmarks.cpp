#include "setup/SetupFile.h"
#include "setup/SetupRecord.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

// A file of the benchmark's own in the temporary folder, removed afterwards.
class ScratchFile {
public:
    explicit ScratchFile(const char* name)
        : path((std::filesystem::temp_directory_path() /
                (std::string(name) + "-" + std::to_string(getpid()) + ".prp"))
                   .string()) {}
    ~ScratchFile() { std::filesystem::remove(path); }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    const std::string path;
};

SetupRecord namedSetup() {
    SetupRecord record;
    record.resetToDefaults();
    for (int lead = 1; lead <= SetupRecord::kMaxLeads; ++lead)
        record.leadName[lead] = "L" + std::to_string(lead);
    return record;
}

void writeNewSetupFile(benchmark::State& state) {
    const ScratchFile file("mirafen-new");
    const SetupRecord record = namedSetup();
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::remove(file.path);
        state.ResumeTiming();
        writeSetupFile(record, file.path);
    }
}
BENCHMARK(writeNewSetupFile);

void writeOverExistingSetupFile(benchmark::State& state) {
    const ScratchFile file("mirafen-existing");
    const SetupRecord record = namedSetup();
    writeSetupFile(record, file.path);
    for (auto _ : state)
        writeSetupFile(record, file.path);
}
// A fixed count, so that a trace of the run shows what one save costs: 1 + 200 rewrites.
BENCHMARK(writeOverExistingSetupFile)->Iterations(200);

void readSetupFileBack(benchmark::State& state) {
    const ScratchFile file("mirafen-read");
    writeSetupFile(namedSetup(), file.path);
    for (auto _ : state) {
        SetupRecord record;
        readSetupFile(record, file.path);
        benchmark::DoNotOptimize(record);
    }
}
BENCHMARK(readSetupFileBack);

// The older program appended its keys again on every save instead of rewriting them, so its
// files run to thousands of lines of the same keys; the first line of each key counts.
void readTenThousandLinesWithRepeats(benchmark::State& state) {
    const ScratchFile file("mirafen-older");
    {
        std::ofstream out(file.path, std::ios::binary);
        for (int line = 0; line < 10000; ++line) {
            const int lead = line / 2 % SetupRecord::kMaxLeads + 1;
            if (line % 2 == 0)
                out << "LEADNAME" << lead << "=L" << lead << "\r\n";
            else
                out << "LEADSKIP" << lead << "=0\r\n";
        }
    }
    for (auto _ : state) {
        SetupRecord record;
        readSetupFile(record, file.path);
        benchmark::DoNotOptimize(record);
    }
}
BENCHMARK(readTenThousandLinesWithRepeats);

} // namespace
