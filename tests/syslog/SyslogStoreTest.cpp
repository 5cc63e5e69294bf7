// The syslog list as a store: stamps, rotation into "auto-" files, Clear Log, Save Log and the
// save on closing, with their failure paths. Component, clock and boxes are scripted.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>

#include "common/AnsiCodePage.h"
#include "common/DateTimeFormat.h"
#include "syslog/SyslogLineModel.h"
#include "syslog/SyslogStore.h"
#include "syslog/uSyslog.h"
#include "tests/support/FolderLocks.h"
#include "tests/support/Root.h"
#include "tests/syslog/SyslogFakes.h"
#include "ui/NumericEdit.h"
#include "ui/StandardError.h"

namespace {

const QString kNotice = QStringLiteral("Save log-data to --> ");

// A notice line as shown: the path in the system's own separators ("\\" on Windows).
QString Notice(const QString& path) {
    return kNotice + QDir::toNativeSeparators(path);
}

class SyslogList : public ScriptedSyslogWindow {
  protected:
    QStringList list() const { return w.store().lines(); }
    QString stampName(const QString& prefix, const QString& number = {}) const {
        return dir.path() + u'/' + prefix + FormatDateTime(stamp::FileName, clock.time) + number +
               QStringLiteral("-log.txt");
    }
    QStringList files() const { return QDir(dir.path()).entryList(QDir::Files, QDir::Name); }
    void append(int from, int to) {
        for (int i = from; i <= to; ++i) w.AddLogLine(QString::number(i));
    }
};

QStringList Numbers(int from, int to) {
    QStringList out;
    for (int i = from; i <= to; ++i) out << QString::number(i);
    return out;
}

}  // namespace

// Limit 10, stamp off: the 11th line rotates; the notice opens the next file; two rotations in
// the same second keep both files.
TEST_F(SyslogList, RotatesPastTheLimitIntoDistinctFiles) {
    w.edValue->setValue(10);
    append(1, 10);
    EXPECT_EQ(list(), Numbers(1, 10));
    EXPECT_EQ(w.selectedRow(), 9);
    EXPECT_TRUE(files().isEmpty());

    append(11, 11);
    const QString first = stampName("auto-");
    EXPECT_EQ(FileLines(first), Numbers(1, 11));
    EXPECT_EQ(list(), QStringList{Notice(first)});
    EXPECT_EQ(w.selectedRow(), -1);

    append(12, 21);  // notice + 10 lines = 11 > 10: rotates again within the same second
    const QString second = stampName("auto-", "-2");
    EXPECT_EQ(FileLines(second), QStringList{Notice(first)} + Numbers(12, 21));
    EXPECT_EQ(FileLines(first), Numbers(1, 11));  // not overwritten
    EXPECT_EQ(list(), QStringList{Notice(second)});
}

TEST_F(SyslogList, StampOnPrefixesLinesButNotTheRotationNotice) {
    w.edValue->setValue(10);
    w.cbStampdatetime->setChecked(true);
    const QString stamp = FormatDateTime(stamp::LogLine, clock.time);
    ASSERT_EQ(stamp.size(), 19);
    w.AddLogLine("abc");
    EXPECT_EQ(list().last(), stamp + " abc");
    append(2, 11);
    EXPECT_EQ(list(), QStringList{Notice(stampName("auto-"))});

    boxes.answers = {Dialogs::Answer::Yes};
    w.btnClearLogClick();
    EXPECT_EQ(list(), QStringList{stamp + " " + Notice(stampName("before-clear-"))});
    EXPECT_EQ(w.selectedRow(), 0);
}

TEST_F(SyslogList, LoweringTheLimitRotatesTheWholeListAtTheNextAppend) {
    w.edValue->setValue(20);
    append(1, 15);
    w.edValue->setValue(10);
    EXPECT_EQ(list().size(), 15);  // nothing happens until a line comes
    append(16, 16);
    EXPECT_EQ(FileLines(stampName("auto-")), Numbers(1, 16));
    EXPECT_EQ(list().size(), 1);
}

TEST_F(SyslogList, ClearAskedAndAnswered) {
    append(1, 3);
    for (auto answer : {Dialogs::Answer::No, Dialogs::Answer::Dismissed}) {
        boxes.answers = {answer};
        w.btnClearLogClick();
        EXPECT_EQ(list(), Numbers(1, 3));
        EXPECT_TRUE(files().isEmpty());
    }
    EXPECT_EQ(boxes.texts("confirm"), QStringList(2, QStringLiteral("ต้องการ Clear ข้อมูลหรือไม่?")));

    boxes.answers = {Dialogs::Answer::Yes};
    w.btnClearLogClick();
    EXPECT_EQ(FileLines(stampName("before-clear-")), Numbers(1, 3));

    // Yes on an empty list still writes a file, with no lines.
    ::SyslogStore empty(clock);
    empty.clearWithSave();
    const QString name = stampName("before-clear-", "-2");
    EXPECT_TRUE(QFileInfo::exists(name));
    EXPECT_EQ(QFileInfo(name).size(), ansi::IsUtf8() ? 3 : 0);  // at most the byte-order mark
    EXPECT_EQ(empty.lines(), QStringList{Notice(name)});
    EXPECT_EQ(empty.selected(), 0);
}

TEST_F(SyslogList, ClosingSavesNonEmptyListsAndKeepsThem) {
    w.show();
    EXPECT_TRUE(w.close());
    EXPECT_TRUE(files().isEmpty());  // empty list: no file

    append(1, 2);
    w.show();
    EXPECT_TRUE(w.close());
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(FileLines(stampName("before-close-")), Numbers(1, 2));
    EXPECT_EQ(list(), Numbers(1, 2));  // unchanged, no notice

    append(3, 3);
    w.show();
    EXPECT_TRUE(w.close());
    EXPECT_EQ(FileLines(stampName("before-close-", "-2")), Numbers(1, 3));
    EXPECT_EQ(list(), Numbers(1, 3));
}

// Ending the program is not a close of this window: no before-close file.
TEST_F(SyslogList, EndingTheProgramSavesNothing) {
    append(1, 2);
    w.show();
    QEvent quit(QEvent::Quit);
    QCoreApplication::sendEvent(QCoreApplication::instance(), &quit);
    EXPECT_TRUE(files().isEmpty()) << files().join(' ').toStdString();
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(SyslogList, SaveLogAddsTheExtensionAndANoticeWithoutLimitCheck) {
    w.edValue->setValue(10);
    append(1, 10);
    w.btnSaveClick();  // cancelled
    EXPECT_TRUE(files().isEmpty());
    EXPECT_EQ(list().size(), 10);

    boxes.fileNames = {dir.filePath("mylog")};
    w.btnSaveClick();
    const QString saved = dir.filePath("mylog.txt");
    EXPECT_EQ(FileLines(saved), Numbers(1, 10));
    EXPECT_EQ(list(), Numbers(1, 10) << Notice(saved));  // 11 lines, not rotated yet
    EXPECT_EQ(boxes.texts("information"),
              QStringList{"Save Log-File: " + QDir::toNativeSeparators(saved)});
    EXPECT_EQ(boxes.shown.back().caption, ApplicationTitle());
    EXPECT_EQ(boxes.shown[1].caption, "Save LOG to File");
    EXPECT_EQ(boxes.shown[1].text, dir.path() + u'/' + FormatDateTime(stamp::FileName, clock.time) +
                                       "-log|Text File (*.txt)|txt");

    append(11, 11);  // now it rotates, notice included
    EXPECT_EQ(FileLines(stampName("auto-")).size(), 12);
}

// A save that cannot write: the error box for button handlers, nothing shown by the packet
// handler, no line lost; button handlers try again at once, received lines once a second.
TEST_F(SyslogList, UnwritableDirectoryKeepsLinesAndRetries) {
    w.edValue->setValue(10);
    append(1, 10);
    {
        UnwritableFolder locked(dir.path());
        w.btnStop->click();  // its line is the 11th: the rotation fails inside a button handler
        ASSERT_EQ(boxes.texts("error").size(), 1);
        EXPECT_TRUE(boxes.texts("error")[0].startsWith(
            "Cannot create file \"" + QDir::toNativeSeparators(stampName("auto-"))))
            << boxes.texts("error")[0].toStdString();
        EXPECT_EQ(list().size(), 11);

        component.inject("<13>Oct 11 22:14:15 host within the second");  // no new attempt
        EXPECT_EQ(list().size(), 12);
        EXPECT_EQ(component.LastEventErrorCode(), 0);
        EXPECT_EQ(w.spStatus->text(), "Source Address: 192.0.2.7");

        clock.ticks += SyslogStore::kRetryMs;
        component.inject("<13>Oct 11 22:14:15 host a second later", "192.0.2.8");  // fails
        EXPECT_EQ(list().size(), 13);
        EXPECT_EQ(boxes.texts("error").size(), 1);  // nothing shown
        EXPECT_TRUE(component.LastEventError().startsWith(
            "An unhandled error occurred in the PacketIn event handler: Cannot create file"));
        EXPECT_EQ(w.spStatus->text(), "Source Address: 192.0.2.7");  // the handler stopped

        boxes.answers = {Dialogs::Answer::Yes};
        w.btnClearLog->click();
        EXPECT_EQ(list().size(), 13);  // Clear did not empty the list

        EXPECT_FALSE(w.close());  // the close is abandoned
        EXPECT_EQ(boxes.texts("error").size(), 3);
    }
    EXPECT_TRUE(files().isEmpty());
    w.AddLogLine("14");
    const QStringList saved = FileLines(stampName("auto-"));
    ASSERT_EQ(saved.size(), 14);
    EXPECT_EQ(saved.last(), "14");
    EXPECT_EQ(list().size(), 1);
}

// A burst while the directory cannot be written: the status bar names the file and the reason,
// every line stays in the list in order, the rotation is tried about once a second (not once per
// packet), and once the directory is writable again the next try saves every line, the notice
// follows and the failure text goes.
TEST_F(SyslogList, FailingRotationDuringABurstIsShownBoundedAndRecovers) {
    w.edValue->setValue(10);
    int attempts = 0;  // failed rotations inside the packet handler reach the component's error
    component.OnError = [&](TncComponent*, int, const QString&) { ++attempts; };
    const int burst = 2000;
    {
        UnwritableFolder locked(dir.path());
        for (int i = 1; i <= burst; ++i) {
            clock.ticks += 5;  // 200 packets a second for 10 s
            component.inject("<11>Oct 11 22:14:15 host burst " + QByteArray::number(i));
        }
        EXPECT_GE(attempts, 9);
        EXPECT_LE(attempts, 10);
        EXPECT_EQ(list().size(), burst);
        for (int i = 0; i < burst; ++i)
            ASSERT_EQ(list()[i], "Oct 11 22:14:15     burst " + QString::number(i + 1));
        EXPECT_TRUE(w.spSaveFailure->isVisibleTo(&w));
        const QString status = w.spSaveFailure->text();
        EXPECT_TRUE(status.contains("Cannot create file \"" + stampName("auto-") + "\""))
            << status.toStdString();
        EXPECT_TRUE(status.contains("ermission denied")) << status.toStdString();
        EXPECT_TRUE(files().isEmpty());
    }
    const int failed = attempts;
    clock.ticks += SyslogStore::kRetryMs;
    component.inject("<11>Oct 11 22:14:15 host writable again");
    const QStringList saved = FileLines(stampName("auto-"));
    ASSERT_EQ(saved.size(), burst + 1);
    EXPECT_EQ(saved.last(), "Oct 11 22:14:15     writable again");
    EXPECT_EQ(list(), QStringList{Notice(stampName("auto-"))});
    EXPECT_FALSE(w.spSaveFailure->isVisibleTo(&w));
    EXPECT_TRUE(w.spSaveFailure->text().isEmpty());
    EXPECT_EQ(attempts, failed);
}

// With the root as current directory the names hold two separators and the files go there.
// This thread alone is moved into a private root (a temporary directory).
TEST_F(SyslogList, RootAsCurrentDirectory) {
    VT_REQUIRE_ROOT();
    w.edValue->setValue(10);
    append(1, 10);
    QStringList shown;
    InPrivateRoot(dir.path(), [&] {
        append(11, 11);
        shown = list();
    });
    QDir::setCurrent(dir.path());

    const QString name = "auto-" + FormatDateTime(stamp::FileName, clock.time) + "-log.txt";
    EXPECT_EQ(shown, QStringList{kNotice + "//" + name});
    EXPECT_EQ(FileLines(dir.filePath(name)), Numbers(1, 11));
}
