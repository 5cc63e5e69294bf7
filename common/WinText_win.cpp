#include <windows.h>

#include <climits>
#include <cstdio>
#include <stdexcept>

#include "common/WinText.h"

namespace wintext {

std::string Utf8FromWide(std::wstring_view text) {
    if (text.empty()) return {};
    if (text.size() > INT_MAX) throw std::length_error("text too long to convert");
    const int len = static_cast<int>(text.size());
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), len, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), len, out.data(), n, nullptr, nullptr);
    return out;
}

static std::wstring WideFrom(std::string_view text, unsigned codePage) {
    if (text.empty()) return {};
    if (text.size() > INT_MAX) throw std::length_error("text too long to convert");
    const int len = static_cast<int>(text.size());
    const int n = MultiByteToWideChar(codePage, 0, text.data(), len, nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), len, out.data(), n);
    return out;
}

std::wstring WideFromUtf8(std::string_view text) {
    return WideFrom(text, CP_UTF8);
}

std::string Utf8FromCodePage(std::string_view text, unsigned codePage) {
    return Utf8FromWide(WideFrom(text, codePage));
}

// The system's text for a message number, trailing line break cut; empty when it has none.
static std::wstring SystemText(DWORD code) {
    wchar_t* buffer = nullptr;
    const DWORD n = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text = n ? std::wstring(buffer, n) : std::wstring();
    if (buffer) LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' '))
        text.pop_back();
    return text;
}

std::string SystemMessage(unsigned long code) {
    const std::wstring text = SystemText(code);
    return text.empty() ? "error " + std::to_string(code) : Utf8FromWide(text);
}

std::string HResultMessage(long hr) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(hr));
    const std::wstring text = SystemText(static_cast<DWORD>(hr));
    return text.empty() ? std::string("error ") + code : Utf8FromWide(text) + " (" + code + ")";
}

}  // namespace wintext
