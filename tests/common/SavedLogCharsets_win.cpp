// Saved logs in Windows' code pages: the Thai one (874) and the Western one (1252), by number, and
// the system's active code page, which the Wine run sets through the locale (th_TH: 874,
// en_US: 1252) and names in VT_EXPECT_ACP.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "common/AnsiCodePage.h"
#include "common/SavedLog.h"
#include "tests/common/SavedLogCharsets.h"

QString DeniedFolder(const QString&) {
    return {};  // a read-only folder does not keep files out on Windows
}

namespace {
const QString kThai = QStringLiteral("ทดสอบ ok");
const QByteArray kThaiIn874 = "\xB7\xB4\xCA\xCD\xBA ok\r\n";
}  // namespace

TEST(SavedLog, FormatLinesInCodePages) {
    struct Case {
        const char* name;
        QStringList lines;
        std::string charset;
        QByteArray expected;
    } cases[] = {
        // CR LF after every line, the last included; empty lines and trailing blanks kept.
        {"plain", {"a", "", "b  "}, "1252", "a\r\n\r\nb  \r\n"},
        {"no lines", {}, "1252", ""},
        // A byte-order mark only for UTF-8, also before an empty list.
        {"utf-8",
         {"a", "ทย"},
         "65001",
         "\xEF\xBB\xBF"
         "a\r\n\xE0\xB8\x97\xE0\xB8\xA2\r\n"},
        {"utf-8 empty", {}, "65001", "\xEF\xBB\xBF"},
        // Thai in the Thai code page: its own bytes; in the Western one: the default character.
        {"thai in 874", {kThai}, "874", kThaiIn874},
        {"thai in 1252", {kThai + QStringLiteral(" \u00e9")}, "1252", "????? ok \xE9\r\n"},
        // Best fit where the code page lacks the character.
        {"best fit", {QStringLiteral("\u0101")}, "1252", "a\r\n"},
    };
    for (const auto& c : cases) EXPECT_EQ(SavedLogBytes(c.lines, c.charset), c.expected) << c.name;
}

// The file a save writes, in the active code page.
TEST(SavedLog, WritesInTheActiveCodePage) {
    const QByteArray expected = qgetenv("VT_EXPECT_ACP");
    if (expected.isEmpty()) GTEST_SKIP() << "VT_EXPECT_ACP names no code page to expect";
    ASSERT_EQ(ansi::CharsetName(), expected.toStdString());
    QTemporaryDir dir;
    const QString path = SavedLogPath(dir.path(), "tool-", QDateTime::currentDateTime());
    WriteSavedLog(path, {kThai});
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), expected == "874" ? kThaiIn874 : QByteArray("????? ok\r\n"));
}
