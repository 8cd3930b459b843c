#include "config/SetupDigest.h"

#include "setup/SetupFile.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <openssl/evp.h>

namespace {

// The setup as an instrument holds it: a name comes back padded with blanks to the width of a
// name, so its trailing blanks name nothing.
SetupRecord heldSetup(SetupRecord record) {
    for (int lead = 1; lead <= SetupRecord::kMaxLeads; ++lead)
        record.leadName[lead] = unpaddedLeadName(record.leadName[lead]);
    return record;
}

} // namespace

std::string setupDigest(const SetupRecord& record) {
    const std::string text = newSetupFileText(heldSetup(record));
    std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
    unsigned int length = 0;
    // Every libcrypto has SHA-256 built in: failing here means the library itself is broken,
    // and no digest it gave could be trusted.
    if (EVP_Digest(text.data(), text.size(), digest.data(), &length, EVP_sha256(), nullptr) != 1) {
        std::fputs("SHA-256 is not available from libcrypto\n", stderr);
        std::abort();
    }
    constexpr std::string_view kHexDigits = "0123456789abcdef";
    std::string hex;
    hex.reserve(2 * length);
    for (unsigned int i = 0; i < length; ++i) {
        hex += kHexDigits[digest[i] >> 4];
        hex += kHexDigits[digest[i] & 0x0F];
    }
    return hex;
}
