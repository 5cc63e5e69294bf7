#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextBlock>

#include "app/uAbout.h"
#include "ui/LinkLabel.h"

void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace {

// Replaces the browser for the test's lifetime and records what it was asked to open.
struct RecordingOpener {
    QList<QUrl> opened;
    RecordingOpener() {
        LinkLabel::SetOpener([this](const QUrl& u) {
            opened << u;
            return true;
        });
    }
    ~RecordingOpener() { LinkLabel::SetOpener({}); }
};

QStringList Lines(const QPlainTextEdit* memo) {
    QStringList lines;
    for (QTextBlock b = memo->document()->begin(); b.isValid(); b = b.next()) lines << b.text();
    return lines;
}

}  // namespace

TEST(About, WindowAndTexts) {
    TfAbout w;
    EXPECT_EQ(w.windowTitle(), "About...");
    EXPECT_FALSE(w.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(w.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(w.minimumSize(), w.maximumSize());

    const QStringList readMe = Lines(w.Memo1);
    ASSERT_GE(readMe.size(), 3);
    EXPECT_EQ(readMe[0], "*** Read ME. ***");
    EXPECT_EQ(readMe[1], "");
    EXPECT_TRUE(readMe[2].contains(QChar(0x0E01), Qt::CaseSensitive) ||
                std::any_of(readMe[2].begin(), readMe[2].end(),
                            [](QChar c) { return c.unicode() >= 0x0E00 && c.unicode() <= 0x0E7F; }))
        << "the notes are written in Thai";

    EXPECT_EQ(Lines(w.Memo2),
              QStringList({"*** Velkor-Tool Release Note... ***", "", "[v0.2.1]", "Fixed bug!!",
                           "validate user error.", "", "[V0.2]", "migrate app syslog server",
                           "migrate app NIC Fix.", "migrade app calc-ip", "", "[V0.1]",
                           "get network interface card detail.",
                           "function ping tool, interface ping", "", "", ""}));
}

TEST(About, MemosRejectEditingButAllowSelectingAndCopying) {
    TfAbout w;
    w.show();
    for (QPlainTextEdit* memo : {w.Memo1, w.Memo2}) {
        SCOPED_TRACE(memo->objectName().toStdString());
        const QString original = memo->toPlainText();
        memo->setFocus();
        QApplication::clipboard()->setText(QStringLiteral("pasted"));

        QTest::keyClicks(memo, QStringLiteral("typed"));
        QTest::keyClick(memo, Qt::Key_Return);
        QTest::keySequence(memo, QKeySequence::Paste);
        QTest::keyClick(memo, Qt::Key_A, Qt::ControlModifier);  // select all, then try to remove
        QTest::keyClick(memo, Qt::Key_Delete);
        QTest::keyClick(memo, Qt::Key_Backspace);
        QTest::keySequence(memo, QKeySequence::Cut);
        EXPECT_EQ(memo->toPlainText(), original);

        // The whole text is still selected after the attempts and can be copied.
        QApplication::clipboard()->clear();
        QTest::keySequence(memo, QKeySequence::Copy);
        EXPECT_EQ(QApplication::clipboard()->text(), original);
    }
}

TEST(About, LinkOpensTheMakersAddressAndShowsVisited) {
    RecordingOpener browser;
    TfAbout w;
    w.show();
    const QColor before = w.URLLabel1->palette().color(QPalette::WindowText);
    EXPECT_EQ(w.URLLabel1->text(), TfAbout::MakerAddress());
    QTest::mouseClick(w.URLLabel1, Qt::LeftButton);
    EXPECT_EQ(browser.opened, QList<QUrl>({QUrl(TfAbout::MakerAddress())}));
    EXPECT_TRUE(w.URLLabel1->visited());
    EXPECT_EQ(w.URLLabel1->palette().color(QPalette::WindowText), QColor(0x80, 0x00, 0x80));
    EXPECT_NE(before, QColor(0x80, 0x00, 0x80));

    // A second window starts fresh: not visited, normal colour.
    TfAbout again;
    EXPECT_FALSE(again.URLLabel1->visited());
    EXPECT_EQ(again.URLLabel1->palette().color(QPalette::WindowText), before);
}
