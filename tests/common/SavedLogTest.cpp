#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "common/Exception.h"
#include "common/SavedLog.h"
#include "tests/common/SavedLogCharsets.h"

namespace {
QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}
}  // namespace

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
    if (const QString denied = DeniedFolder(dir.path()); !denied.isEmpty())
        paths << denied + "/x-log.txt";
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
