#include "AnsiCodePage_win.h"

#include <windows.h>

#include <climits>
#include <stdexcept>

#include "AnsiCodePage.h"
#include "WinText.h"

namespace ansi {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 is Windows' wide text");

std::string EncodeInCodePage(std::u16string_view text, unsigned codePage) {
    if (text.empty()) return {};
    if (text.size() > INT_MAX) throw std::length_error("text too long to convert");
    const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
    const int len = static_cast<int>(text.size());
    // Flags 0: best-fit mapping on, and the code page's own default character for the rest
    // (UTF-8 accepts no default character and needs none).
    const int n = WideCharToMultiByte(codePage, 0, wide, len, nullptr, 0, nullptr, nullptr);
    if (n <= 0)
        throw std::runtime_error("code page " + std::to_string(codePage) + ": " +
                                 wintext::SystemMessage(GetLastError()));
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(codePage, 0, wide, len, out.data(), n, nullptr, nullptr);
    return out;
}

std::string Encode(std::u16string_view text) {
    return EncodeInCodePage(text, GetACP());
}

bool IsUtf8() {
    return GetACP() == CP_UTF8;
}

}  // namespace ansi
