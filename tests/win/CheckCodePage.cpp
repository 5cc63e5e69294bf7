// The ANSI conversion of saved logs, with pinned code pages.
#include <windows.h>

#include <cstdio>
#include <stdexcept>
#include <string>
#include <utility>

#include "common/AnsiCodePage.h"
#include "tests/win/WinCheck.h"

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
    const char* charset;
    std::u16string text;
    std::string bytes;
};

}  // namespace

int CheckCodePage(const Args&) {
    const Case cases[] = {
        {"Thai in the Thai code page", "874", u"ทดสอบ", "\xB7\xB4\xCA\xCD\xBA"},
        {"ASCII stays ASCII", "874", u"Ping 127.0.0.1  ", "Ping 127.0.0.1  "},
        {"Thai in a Western code page: default char", "1252", u"ทดสอบ", "?????"},
        {"Latin-1 letter held as is", "1252", u"caf\u00E9", "caf\xE9"},
        {"a macron letter best-fits to its base", "1252", u"\u0101", "a"},
        {"a lone surrogate: default char", "1252", std::u16string(1, u'\xD800'), "?"},
        {"UTF-8 code page", "65001", u"\u0E17", "\xE0\xB8\x97"},
        {"empty text", "1252", u"", ""},
        {"a code page not installed: ASCII and '?'", "12345", u"ok ท", "ok ?"},
        {"not a code page at all: ASCII and '?'", "TIS-620", u"ok ท", "ok ?"},
    };
    int failures = 0;
    for (const auto& c : cases) {
        const std::string got = ansi::EncodeAs(c.text, c.charset);
        const bool ok = got == c.bytes;
        failures += !ok;
        std::printf("%-4s cp%-5s %-48s %s%s\n", ok ? "ok" : "FAIL", c.charset, c.what,
                    Hex(got).c_str(), ok ? "" : ("  expected " + Hex(c.bytes)).c_str());
    }
    const std::pair<const char*, bool> utf8Names[] = {
        {"65001", true}, {"874", false}, {"1252", false}};
    for (const auto& [name, want] : utf8Names) {
        const bool ok = ansi::IsUtf8Charset(name) == want;
        failures += !ok;
        std::printf("%-4s cp%-5s %s\n", ok ? "ok" : "FAIL", name,
                    want ? "is UTF-8: saved files start with EF BB BF"
                         : "is not UTF-8: no byte-order mark");
    }
    std::printf("active code page %s (GetACP %u), UTF-8: %s, \"ทด\" encodes as %s\n",
                ansi::CharsetName().c_str(), GetACP(), ansi::IsUtf8() ? "yes" : "no",
                Hex(ansi::Encode(u"ทด")).c_str());
    return failures ? 1 : 0;
}
