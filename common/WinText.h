#pragma once

// Windows only, Qt-free: text conversions and system error texts shared by the *_win.cpp backends.

#include <string>
#include <string_view>

namespace wintext {

std::string Utf8FromWide(std::wstring_view text);
std::wstring WideFromUtf8(std::string_view text);
// Text held in an ANSI code page (CP_ACP for the active one) as UTF-8.
std::string Utf8FromCodePage(std::string_view text, unsigned codePage);

// The system's description of a Win32 error or HRESULT, without the trailing line break;
// "error <n>" when the system has none.
std::string SystemMessage(unsigned long code);
// The same for a COM result, with its code in hex appended: "Access is denied. (0x80070005)".
std::string HResultMessage(long hr);

}  // namespace wintext
