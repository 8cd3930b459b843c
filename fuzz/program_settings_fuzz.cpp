// Any bytes as zenset.sys, the first byte also a port to store: reading never fails, and the
// stored port reads back whatever else the file holds.
#include "config/ProgramSettings.h"
#include "fuzz/FuzzCheck.h"
#include "setup/KeyValueText.h"

#include <array>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    KeyValueText settings(text);
    static_cast<void>(ProgramSettings::commPortIn(settings));
    for (int comNumber = 1; comNumber <= 16; ++comNumber)
        if (const auto device = ProgramSettings::boundDeviceIn(settings, comNumber))
            fuzzCheck(!device->empty());

    const std::uint8_t port = size > 0 ? data[0] : 1;
    const std::array entries{ProgramSettings::commPortEntry(port)};
    settings.setValues(entries);
    fuzzCheck(ProgramSettings::commPortIn(KeyValueText(settings.text())) == port);
    return 0;
}
