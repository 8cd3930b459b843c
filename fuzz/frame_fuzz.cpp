// Arbitrary bytes as a frame taken from the link: decoding, the identity parse, and the read
// reply's store into a setup that must then survive a setup file's text whole.
#include "device/DeviceImage.h"
#include "device/Frame.h"
#include "device/IdentityRequest.h"
#include "fuzz/FuzzCheck.h"
#include "setup/KeyValueText.h"
#include "setup/SetupFile.h"
#include "setup/SetupRecord.h"

#include <cstdint>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> frame(data, size);
    const std::optional<FrameView> view = decodeFrame(frame);
    if (const auto identity = identityFromReply(frame)) {
        fuzzCheck(view.has_value());
        fuzzCheck(identity->serialText.size() <= kSerialTextWidth);
        fuzzCheck(identity->moduleType >= 0 && identity->moduleType <= 0xFF);
    }
    if (!view)
        return 0;
    fuzzCheck(view->bytes.size() == view->data.size() + kFrameOverhead);

    SetupRecord record;
    if (!storeReadReply(record, SetupRecord::kMaxLeads, view->command, view->data))
        return 0;
    KeyValueText text;
    text.setValues(setupEntries(record));
    const KeyValueText reread(text.text());
    fuzzCheck(reread.lineCount() == text.lineCount());
    SetupRecord loaded;
    readSetup(loaded, reread);
    for (int lead = 1; lead <= SetupRecord::kMaxLeads; ++lead)
        fuzzCheck(loaded.leadSkip[lead] == record.leadSkip[lead]);
    loaded.leadName = record.leadName;
    fuzzCheck(loaded == record);
    return 0;
}
