// Saved logs in the character sets of Linux, by their iconv names.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QFile>

#include "common/SavedLog.h"
#include "tests/common/SavedLogCharsets.h"

QString DeniedFolder(const QString& base) {
    if (::geteuid() == 0) return {};  // root writes into read-only folders regardless
    QDir(base).mkdir("ro");
    QFile::setPermissions(base + "/ro", QFile::ReadOwner | QFile::ExeOwner);
    return base + "/ro";
}

TEST(SavedLog, FormatLinesLineEndsAndByteOrderMark) {
    const QString thai = QStringLiteral("ทดสอบ ok");
    struct Case {
        const char* name;
        QStringList lines;
        std::string charset;
        QByteArray expected;
    } cases[] = {
        // CR LF after every line, the last included; empty lines and trailing blanks kept.
        {"plain", {"a", "", "b  "}, "ISO-8859-1", "a\r\n\r\nb  \r\n"},
        {"only empty lines", {"", "", ""}, "ISO-8859-1", "\r\n\r\n\r\n"},
        {"no lines", {}, "ISO-8859-1", ""},
        // A byte-order mark only for UTF-8, also before an empty list.
        {"utf-8",
         {"a", "ทย"},
         "UTF-8",
         "\xEF\xBB\xBF"
         "a\r\n\xE0\xB8\x97\xE0\xB8\xA2\r\n"},
        {"utf-8 empty", {}, "UTF-8", "\xEF\xBB\xBF"},
        // Thai through a Western 8-bit set: the default character for each Thai letter.
        {"thai in latin-1", {thai}, "ISO-8859-1", "????? ok\r\n"},
        {"thai in cp1252", {thai + QStringLiteral(" \u00e9")}, "CP1252", "????? ok \xE9\r\n"},
        // Thai through a Thai set: the set's own bytes.
        {"thai in tis-620", {thai}, "TIS-620", "\xB7\xB4\xCA\xCD\xBA ok\r\n"},
        {"thai in cp874", {thai}, "CP874", "\xB7\xB4\xCA\xCD\xBA ok\r\n"},
        // A character outside the 16-bit range is one character: one default character.
        {"surrogate pair", {QString::fromUtf8("x\xF0\x9F\x98\x80y")}, "ISO-8859-1", "x?y\r\n"},
        // Transliteration stands in for best fit where the set lacks the character.
        {"best fit", {QStringLiteral("caf\u00e9 \u2019")}, "ASCII", "cafe '\r\n"},
    };
    for (const auto& c : cases) EXPECT_EQ(SavedLogBytes(c.lines, c.charset), c.expected) << c.name;
}
