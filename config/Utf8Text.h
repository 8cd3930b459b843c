#pragma once

#include <optional>
#include <string>
#include <string_view>

// Text for a file of UTF-8 lines: latin1 text converted, other text kept when it is UTF-8 and
// taken as Latin-1 when it is not; control characters (C0, DEL, C1) become blanks.
std::string printableUtf8(std::string_view text, bool latin1);

// What keeps text from being printable UTF-8: bytes that are not UTF-8, or a control
// character; none when it is.
std::optional<std::string_view> printableUtf8Fault(std::string_view text);
