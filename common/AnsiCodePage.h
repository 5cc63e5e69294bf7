#pragma once

// Qt-free conversion of text to the system's "ANSI" character set, used by saved log files.
// Windows: the active code page (GetACP + WideCharToMultiByte, best fit, else the default char).
// Elsewhere: the locale's character set through iconv (transliteration, else a default char).

#include <string>
#include <string_view>

namespace ansi {

// The bytes of text in that character set.
std::string Encode(std::u16string_view text);

// True when that character set is UTF-8: saved files then start with a byte-order mark.
bool IsUtf8();

}  // namespace ansi
