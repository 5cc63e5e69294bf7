#pragma once

// Windows only: the conversion of AnsiCodePage.h with the code page given, so tests can pin one.

#include <string>
#include <string_view>

namespace ansi {

// text in codePage: best-fit characters where the code page has them, else its default character.
// Throws std::runtime_error when the code page is not installed.
std::string EncodeInCodePage(std::u16string_view text, unsigned codePage);

}  // namespace ansi
