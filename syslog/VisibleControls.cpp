#include "syslog/VisibleControls.h"

namespace {

bool NeedsEscape(char16_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029;
}

}  // namespace

QString VisibleControls(const QString& text) {
    qsizetype first = 0;
    while (first < text.size() && !NeedsEscape(text[first].unicode())) ++first;
    if (first == text.size()) return text;  // the usual case: no copy

    QString out = text.left(first);
    out.reserve(text.size() + 8);
    for (qsizetype i = first; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (!NeedsEscape(c)) {
            out += QChar(c);
            continue;
        }
        switch (c) {
            case u'\r':
                out += u"\\r";
                break;
            case u'\n':
                out += u"\\n";
                break;
            case u'\t':
                out += u"\\t";
                break;
            case u'\0':
                out += u"\\0";
                break;
            case 0x2028:
                out += u"\\u2028";
                break;
            case 0x2029:
                out += u"\\u2029";
                break;
            default:
                out += QStringLiteral("\\x") +
                       QString::number(c, 16).rightJustified(2, u'0').toUpper();
        }
    }
    return out;
}
