// Key-value content of any bytes, rewritten by a few entries the input also chooses: the
// rewritten text keeps every line, reads back as written, and holds each key that was set.
#include "fuzz/FuzzCheck.h"
#include "setup/KeyValueText.h"

#include <fuzzer/FuzzedDataProvider.h>
#include <string>
#include <vector>

namespace {

// A key a line can hold as itself: not empty, no "=", no line end or Ctrl-Z, no blanks around.
bool isPlainKey(std::string_view key) {
    return !key.empty() && key.find_first_of("=\n\x1a") == std::string_view::npos &&
           key.front() != ' ' && key.front() != '\t' && key.back() != ' ' && key.back() != '\t';
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    std::vector<KeyValueText::Entry> entries(input.ConsumeIntegralInRange(0, 4));
    for (auto& [key, value] : entries) {
        key = input.ConsumeRandomLengthString(16);
        value = input.ConsumeRandomLengthString(64);
    }
    KeyValueText content(input.ConsumeRemainingBytesAsString());
    for (const auto& entry : entries)
        static_cast<void>(content.getValue(entry.first));

    const std::size_t before = content.lineCount();
    content.setValues(entries);
    const std::string written = content.text();
    const KeyValueText reread(written);
    fuzzCheck(reread.lineCount() == content.lineCount());
    fuzzCheck(reread.lineCount() <= before + entries.size());
    fuzzCheck(reread.text() == written);
    for (const auto& [key, value] : entries)
        if (isPlainKey(key))
            fuzzCheck(reread.getValue(key).has_value());
    return 0;
}
