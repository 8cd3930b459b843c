// Any bytes as a setup file's content: what is read from it is saved back and read again
// unchanged.
#include "fuzz/FuzzCheck.h"
#include "setup/KeyValueText.h"
#include "setup/SetupFile.h"
#include "setup/SetupRecord.h"

#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    KeyValueText content(std::string_view(reinterpret_cast<const char*>(data), size));
    SetupRecord record;
    readSetup(record, content);

    content.setValues(setupEntries(record));
    SetupRecord reread;
    readSetup(reread, KeyValueText(content.text()));
    fuzzCheck(reread == record);
    return 0;
}
