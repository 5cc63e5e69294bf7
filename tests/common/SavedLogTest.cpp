#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "Exception.h"
#include "SavedLog.h"

namespace {
QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}
}  // namespace

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

TEST(SavedLog, WritesAndReplacesTheFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath("x-log.txt");
    WriteSavedLog(path, {"one", "two", "three"}, "ISO-8859-1");
    WriteSavedLog(path, {"1"}, "ISO-8859-1");  // a shorter save replaces, nothing left over
    EXPECT_EQ(ReadAll(path), "1\r\n");
}

TEST(SavedLog, CreateFailureNamesFileAndReasonAndLeavesNoFile) {
    QTemporaryDir dir;
    QStringList paths{dir.filePath("gone/x-log.txt"), "/proc/x-log.txt"};
    if (::geteuid() != 0) {  // root writes into read-only folders regardless
        QDir(dir.path()).mkdir("ro");
        QFile::setPermissions(dir.filePath("ro"), QFile::ReadOwner | QFile::ExeOwner);
        paths << dir.filePath("ro/x-log.txt");
    }
    for (const QString& path : paths) {
        try {
            WriteSavedLog(path, {"a"});
            ADD_FAILURE() << "no error for " << path.toStdString();
        } catch (const Exception& e) {
            const QString head = "Cannot create file \"" + QDir::toNativeSeparators(path) + "\". ";
            EXPECT_TRUE(e.message().startsWith(head)) << e.message().toStdString();
            EXPECT_GT(e.message().size(), head.size()) << "no reason given";
        }
        EXPECT_FALSE(QFileInfo::exists(path));
    }
}

TEST(SavedLog, WriteFailureIsStreamWriteError) {
    if (!QFileInfo("/dev/full").isWritable()) GTEST_SKIP() << "no writable /dev/full";
    try {
        WriteSavedLog("/dev/full", {"a line that cannot be written"});
        FAIL() << "no error on a full device";
    } catch (const Exception& e) {
        EXPECT_EQ(e.message(), "Stream write error");
    }
}

TEST(SavedLog, SavesWithinOneSecondGetDistinctNames) {
    QTemporaryDir dir;
    const QDateTime t(QDate(2026, 3, 7), QTime(0, 5, 9));
    const QString first = SavedLogPath(dir.path(), "tool-", t);
    EXPECT_EQ(first, dir.path() + "/tool-07032026-000509-log.txt");
    WriteSavedLog(first, {"earlier"}, "ISO-8859-1");
    const QString second = SavedLogPath(dir.path(), "tool-", t);
    EXPECT_EQ(second, dir.path() + "/tool-07032026-000509-2-log.txt");
    WriteSavedLog(second, {"later"}, "ISO-8859-1");
    EXPECT_EQ(SavedLogPath(dir.path(), "tool-", t), dir.path() + "/tool-07032026-000509-3-log.txt");
    EXPECT_EQ(ReadAll(first).trimmed(), "earlier");  // the earlier save is intact
    // Another prefix or another second is not affected.
    EXPECT_EQ(SavedLogPath(dir.path(), "auto-", t), dir.path() + "/auto-07032026-000509-log.txt");
    EXPECT_EQ(SavedLogPath(dir.path(), "tool-", t.addSecs(1)),
              dir.path() + "/tool-07032026-000510-log.txt");
}
