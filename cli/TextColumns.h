#pragma once

#include <string>
#include <string_view>

// The text followed by blanks up to width; a longer text stays whole.
std::string padded(std::string text, std::size_t width);

// Text from the instrument, a file or the system as a terminal may print it: a lead name or a
// serial number may hold any byte, and control bytes (C0, DEL, C1) would act on the terminal
// instead of showing. Each becomes a '?', so columns keep their widths.
std::string terminalSafe(std::string_view text);

// Latin-1 text from a setup file, the instrument or the module catalogue, terminalSafe, in the
// encoding of the terminal's locale (LC_CTYPE): "\xC4rm" prints as "Ärm" in a UTF-8 terminal. A
// character the encoding lacks is transliterated, or shown as '?'.
std::string terminalText(std::string_view latin1);
