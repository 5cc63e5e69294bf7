#include <iconv.h>
#include <langinfo.h>
#include <locale.h>

#include <algorithm>
#include <bit>
#include <cctype>
#include <cerrno>

#include "common/AnsiCodePage.h"

namespace ansi {

namespace {

constexpr char kDefaultChar = '?';

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

// Length in UTF-16 units of the character starting at text[i] (2 for a surrogate pair).
size_t CharLength(std::u16string_view text, size_t i) {
    const char16_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF)
        return 2;
    return 1;
}

std::string AsciiOnly(std::u16string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); i += CharLength(text, i))
        out += text[i] < 0x80 ? static_cast<char>(text[i]) : kDefaultChar;
    return out;
}

// iconv's transliteration follows the thread's LC_CTYPE; the plain "C" locale knows hardly any
// rules ("é" would become the default character), so conversions use C.UTF-8's rules, which are
// the same whatever the user's language.
class TranslitLocale {
  public:
    TranslitLocale() {
        static const locale_t rules = ::newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t(nullptr));
        if (rules) m_previous = ::uselocale(rules);
    }
    ~TranslitLocale() {
        if (m_previous) ::uselocale(m_previous);
    }
    TranslitLocale(const TranslitLocale&) = delete;
    TranslitLocale& operator=(const TranslitLocale&) = delete;

  private:
    locale_t m_previous = nullptr;
};

class Converter {
  public:
    explicit Converter(const std::string& to)
        : m_cd(::iconv_open(
              to.c_str(), std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE")) {}
    ~Converter() {
        if (ok()) ::iconv_close(m_cd);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    bool ok() const { return m_cd != reinterpret_cast<iconv_t>(-1); }

    // Converts one run; false when the set cannot hold it (the shift state is reset then).
    bool convert(std::u16string_view part, std::string& out) {
        char* in = const_cast<char*>(reinterpret_cast<const char*>(part.data()));
        size_t inLeft = part.size() * sizeof(char16_t);
        std::string buf(inLeft * 4 + 16, '\0');
        char* dst = buf.data();
        size_t dstLeft = buf.size();
        const size_t rc = ::iconv(m_cd, &in, &inLeft, &dst, &dstLeft);
        if (rc == static_cast<size_t>(-1) || inLeft != 0) {
            ::iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
            return false;
        }
        ::iconv(m_cd, nullptr, nullptr, &dst, &dstLeft);  // back to the initial shift state
        out.append(buf.data(), buf.size() - dstLeft);
        return true;
    }

  private:
    iconv_t m_cd;
};

}  // namespace

std::string CharsetName() {
    const char* set = ::nl_langinfo(CODESET);
    return set && *set ? set : "ANSI_X3.4-1968";
}

bool IsUtf8Charset(const std::string& charset) {
    const std::string s = Lower(charset);
    return s == "utf-8" || s == "utf8";
}

std::string EncodeAs(std::u16string_view text, const std::string& charset) {
    // Transliteration stands in for the best-fit character; what it cannot map becomes the
    // default character, one per source character.
    TranslitLocale rules;
    Converter whole(charset + "//TRANSLIT");
    if (!whole.ok()) return AsciiOnly(text);
    std::string out;
    if (whole.convert(text, out)) return out;
    out.clear();
    for (size_t i = 0; i < text.size();) {
        const size_t n = CharLength(text, i);
        if (!whole.convert(text.substr(i, n), out)) out += kDefaultChar;
        i += n;
    }
    return out;
}

std::string Encode(std::u16string_view text) {
    return EncodeAs(text, CharsetName());
}

bool IsUtf8() {
    return IsUtf8Charset(CharsetName());
}

}  // namespace ansi
