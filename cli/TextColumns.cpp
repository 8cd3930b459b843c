#include "cli/TextColumns.h"

#include <algorithm>
#include <cerrno>
#include <iconv.h>
#include <langinfo.h>

std::string padded(std::string text, std::size_t width) {
    text.resize(std::max(width, text.size()), ' ');
    return text;
}

std::string terminalSafe(std::string_view text) {
    std::string safe(text);
    std::ranges::replace_if(
        safe,
        [](char c) {
            const auto byte = static_cast<unsigned char>(c);
            return byte < 0x20 || (byte >= 0x7F && byte <= 0x9F);
        },
        '?');
    return safe;
}

std::string terminalText(std::string_view latin1) {
    std::string safe = terminalSafe(latin1);
    const std::string encoding = nl_langinfo(CODESET);
    const iconv_t converter = iconv_open((encoding + "//TRANSLIT").c_str(), "ISO-8859-1");
    if (converter == reinterpret_cast<iconv_t>(-1))
        return safe;
    // A character takes at most four bytes, or a few letters transliterated.
    std::string shown(4 * safe.size(), '\0');
    char* in = safe.data();
    std::size_t inLeft = safe.size();
    char* out = shown.data();
    std::size_t outLeft = shown.size();
    while (inLeft > 0 && outLeft > 0) {
        if (iconv(converter, &in, &inLeft, &out, &outLeft) != static_cast<std::size_t>(-1))
            continue;
        if (errno != EILSEQ)
            break;
        *out++ = '?';
        --outLeft;
        ++in;
        --inLeft;
    }
    iconv_close(converter);
    shown.resize(shown.size() - outLeft);
    return shown;
}
