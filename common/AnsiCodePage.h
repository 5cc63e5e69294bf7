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

// The system's character set by name: an iconv name on Linux ("UTF-8", "TIS-620"), the code
// page number on Windows ("874", "65001").
std::string CharsetName();

// The conversion of Encode to a named character set (a name as CharsetName gives it), so a
// caller or test can choose the set; an unknown name gives the text with every character that is
// not ASCII replaced by the default character.
std::string EncodeAs(std::u16string_view text, const std::string& charset);

// True when the named set is UTF-8.
bool IsUtf8Charset(const std::string& charset);

}  // namespace ansi
