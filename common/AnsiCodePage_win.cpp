// The active ANSI code page: GetACP names it, WideCharToMultiByte converts (best fit, else the
// code page's default character).
#include <windows.h>

#include <cctype>
#include <charconv>
#include <climits>
#include <stdexcept>

#include "common/AnsiCodePage.h"

namespace ansi {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 is Windows' wide text");

namespace {

// The code page a name stands for; 0 when it names none installed here.
UINT CodePageOf(const std::string& charset) {
    if (IsUtf8Charset(charset)) return CP_UTF8;
    unsigned value = 0;
    const auto [end, ec] = std::from_chars(charset.data(), charset.data() + charset.size(), value);
    if (ec != std::errc() || end != charset.data() + charset.size()) return 0;
    return IsValidCodePage(value) ? value : 0;
}

std::string AsciiOnly(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char16_t c : text) out += c < 0x80 ? static_cast<char>(c) : '?';
    return out;
}

}  // namespace

std::string EncodeAs(std::u16string_view text, const std::string& charset) {
    const UINT codePage = CodePageOf(charset);
    if (codePage == 0) return AsciiOnly(text);
    if (text.empty()) return {};
    if (text.size() > INT_MAX) throw std::length_error("text too long to convert");
    const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
    const int len = static_cast<int>(text.size());
    // Flags 0: best-fit mapping on, and the code page's own default character for the rest
    // (UTF-8 takes no default character and needs none).
    const int n = WideCharToMultiByte(codePage, 0, wide, len, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return AsciiOnly(text);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(codePage, 0, wide, len, out.data(), n, nullptr, nullptr);
    return out;
}

std::string CharsetName() {
    return std::to_string(GetACP());
}

std::string Encode(std::u16string_view text) {
    return EncodeAs(text, CharsetName());
}

bool IsUtf8Charset(const std::string& charset) {
    std::string lower;
    for (char c : charset) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower == "65001" || lower == "utf-8" || lower == "utf8";
}

bool IsUtf8() {
    return GetACP() == CP_UTF8;
}

}  // namespace ansi
