// The ANSI conversion of saved logs, with pinned code pages.
#include <windows.h>

#include <cstdio>
#include <stdexcept>
#include <string>

#include "AnsiCodePage.h"
#include "AnsiCodePage_win.h"
#include "WinCheck.h"

namespace {

std::string Hex(const std::string& bytes) {
    std::string out;
    for (unsigned char c : bytes) {
        char part[4];
        std::snprintf(part, sizeof part, out.empty() ? "%02X" : " %02X", c);
        out += part;
    }
    return out.empty() ? "(none)" : out;
}

struct Case {
    const char* what;
    unsigned codePage;
    std::u16string text;
    std::string bytes;
};

}  // namespace

int CheckCodePage(const Args&) {
    const Case cases[] = {
        {"Thai in the Thai code page", 874, u"ทดสอบ", "\xB7\xB4\xCA\xCD\xBA"},
        {"ASCII stays ASCII", 874, u"Ping 127.0.0.1  ", "Ping 127.0.0.1  "},
        {"Thai in a Western code page: default char", 1252, u"ทดสอบ", "?????"},
        {"Latin-1 letter held as is", 1252, u"caf\u00E9", "caf\xE9"},
        {"a macron letter best-fits to its base", 1252, u"\u0101", "a"},
        {"a lone surrogate: default char", 1252, std::u16string(1, u'\xD800'), "?"},
        {"UTF-8 code page", 65001, u"\u0E17", "\xE0\xB8\x97"},
        {"empty text", 1252, u"", ""},
    };
    int failures = 0;
    for (const auto& c : cases) {
        const std::string got = ansi::EncodeInCodePage(c.text, c.codePage);
        const bool ok = got == c.bytes;
        failures += !ok;
        std::printf("%-4s cp%-5u %-48s %s%s\n", ok ? "ok" : "FAIL", c.codePage, c.what,
                    Hex(got).c_str(), ok ? "" : ("  expected " + Hex(c.bytes)).c_str());
    }
    try {
        ansi::EncodeInCodePage(u"x", 12345);
        std::printf("FAIL a code page that does not exist was accepted\n");
        ++failures;
    } catch (const std::runtime_error& e) {
        std::printf("ok   unknown code page refused: %s\n", e.what());
    }
    std::printf("active code page %u, UTF-8: %s, \"Thai\" encodes as %s\n", GetACP(),
                ansi::IsUtf8() ? "yes" : "no", Hex(ansi::Encode(u"ทด")).c_str());
    return failures ? 1 : 0;
}
