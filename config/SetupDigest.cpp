#include "config/SetupDigest.h"

#include "setup/SetupFile.h"

#include <array>
#include <openssl/evp.h>
#include <stdexcept>

std::string setupDigest(const SetupRecord& record) {
    const std::string text = newSetupFileText(record);
    std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
    unsigned int length = 0;
    if (EVP_Digest(text.data(), text.size(), digest.data(), &length, EVP_sha256(), nullptr) != 1)
        throw std::runtime_error("SHA-256 is not available from libcrypto");
    constexpr std::string_view kHexDigits = "0123456789abcdef";
    std::string hex;
    hex.reserve(2 * length);
    for (unsigned int i = 0; i < length; ++i) {
        hex += kHexDigits[digest[i] >> 4];
        hex += kHexDigits[digest[i] & 0x0F];
    }
    return hex;
}
