// The syslog list as shown: severity carried with every received line and drawn by class, and the
// view filter (text, lowest severity) that hides lines from the view only, never from the files.
#include <gtest/gtest.h>

#include <QBrush>
#include <QCheckBox>
#include <QComboBox>
#include <QFont>
#include <QImage>
#include <QLineEdit>
#include <QListView>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <set>
#include <vector>

#include "common/DateTimeFormat.h"
#include "syslog/SyslogLineModel.h"
#include "syslog/SyslogStore.h"
#include "syslog/uSyslog.h"
#include "tests/syslog/SyslogFakes.h"
#include "ui/NumericEdit.h"

namespace {

class SyslogView : public ScriptedSyslogWindow {
  protected:
    // A message of facility local4 with the given severity.
    void receive(int severity, const QString& text) {
        component.inject("<" + QByteArray::number(20 * 8 + severity) + ">Oct 11 22:14:15 sw1 " +
                         text.toUtf8());
    }
    QVariant shown(int row, int role) const { return w.model().index(row).data(role); }
    QStringList shownLines() const {
        QStringList out;
        for (int r = 0; r < w.model().rowCount(); ++r) out << shown(r, Qt::DisplayRole).toString();
        return out;
    }
    void settle() { QTest::qWait(2 * SyslogLineModel::kLongestFlushMs); }
    QString autoFile(const QString& number = {}) const {
        return dir.path() + "/auto-" + FormatDateTime(stamp::FileName, clock.time) + number +
               "-log.txt";
    }
};

}  // namespace

// Each received line keeps the severity the component reported, ticked or not; the program's
// own lines have none. The four classes are drawn apart by colour, and by weight, ground and
// marker as well; own lines stay plain; the text is the stored text.
TEST_F(SyslogView, SeverityCarriedPerLineAndDrawnByClass) {
    w.edValue->setValue(10);
    w.btnStart->click();  // own line
    for (int s = 0; s <= 7; ++s) receive(s, "severity " + QString::number(s));
    EXPECT_EQ(w.store().severity(0), SyslogStore::kNoSeverity);
    for (int s = 0; s <= 7; ++s) EXPECT_EQ(w.store().severity(s + 1), s) << s;
    w.cbSeverity->setChecked(true);  // the field in the text changes nothing of that
    receive(4, "ticked");
    ASSERT_EQ(w.store().count(), 10);
    EXPECT_EQ(w.store().severity(9), 4);
    receive(7, "rotates");
    ASSERT_EQ(w.store().count(), 1);  // the rotation's notice line, an own line
    EXPECT_EQ(w.store().severity(0), SyslogStore::kNoSeverity);
    EXPECT_EQ(FileLines(autoFile()).size(), 11);

    for (int s = 0; s <= 7; ++s) receive(s, "again " + QString::number(s));
    settle();
    ASSERT_EQ(w.model().rowCount(), 9);
    EXPECT_EQ(shown(0, Qt::ForegroundRole), QVariant());  // plain
    EXPECT_EQ(shown(0, Qt::FontRole), QVariant());
    std::set<QRgb> inks;
    for (int s = 0; s <= 7; ++s) {
        SCOPED_TRACE(s);
        const int row = s + 1;
        EXPECT_EQ(shown(row, Qt::DisplayRole).toString(), w.store().line(row));
        const QColor ink = shown(row, Qt::ForegroundRole).value<QBrush>().color();
        inks.insert(ink.rgb());
        // Readable on white: contrast of at least 4.5 : 1.
        const double l = 0.2126 * std::pow(ink.redF(), 2.2) + 0.7152 * std::pow(ink.greenF(), 2.2) +
                         0.0722 * std::pow(ink.blueF(), 2.2);
        EXPECT_GE(1.05 / (l + 0.05), 4.5);
        EXPECT_EQ(shown(row, Qt::FontRole).value<QFont>().bold(), s <= 3);
        EXPECT_EQ(shown(row, Qt::BackgroundRole).isValid(), s <= 2);
        const QPixmap marker = shown(row, Qt::DecorationRole).value<QPixmap>();
        EXPECT_EQ(marker.size(), shown(0, Qt::DecorationRole).value<QPixmap>().size());
    }
    EXPECT_EQ(inks.size(), 4u);  // emergency..critical, error, warning, notice..debug
    // The marker shapes differ between the classes (and from the own lines' empty one).
    std::vector<QImage> shapes;
    for (int row : {0, 1, 4, 5, 6})
        shapes.push_back(shown(row, Qt::DecorationRole).value<QPixmap>().toImage());
    for (size_t a = 0; a < shapes.size(); ++a)
        for (size_t b = a + 1; b < shapes.size(); ++b) EXPECT_NE(shapes[a], shapes[b]) << a << b;
}

// The filter by text (any case) and by lowest severity, with rotations in between: the files
// hold every line, the view only the matching ones, new matching lines keep appearing, and
// clearing the filter shows everything again with the selection kept.
TEST_F(SyslogView, FilterHidesFromTheViewOnlyAcrossRotations) {
    w.edValue->setValue(10);
    EXPECT_FALSE(w.edFilter->placeholderText().isEmpty());
    EXPECT_TRUE(w.edFilter->isClearButtonEnabled());
    EXPECT_EQ(w.cbFilterSeverity->currentText(), "all");

    w.edFilter->setText("link-3");
    for (int i = 1; i <= 6; ++i) {
        receive(3, QString("%LINK-3-UPDOWN: Interface Gi0/%1, changed state to down").arg(i));
        receive(6, QString("%SYS-6-LOGGINGHOST: routine %1").arg(i));
    }
    settle();
    // 12 lines: the 11th rotated; the notice and line 12 remain.
    EXPECT_EQ(FileLines(autoFile()).size(), 11);
    ASSERT_EQ(w.store().count(), 2);
    EXPECT_EQ(shownLines(), QStringList{});  // line 12 is a routine one, the notice has no match
    receive(3, "%link-3-updown: Interface Gi0/7, changed state to up");
    settle();
    EXPECT_EQ(shownLines(), QStringList{w.store().line(2)});  // new matching lines appear

    // The lowest severity: error and graver only, the text filter still on.
    w.cbFilterSeverity->setCurrentIndex(w.cbFilterSeverity->findText("error"));
    receive(4, "%LINK-3-UPDOWN as a warning");  // text matches, severity does not
    receive(2, "%LINK-3-UPDOWN critical");
    settle();
    EXPECT_EQ(shownLines(), (QStringList{w.store().line(2), w.store().line(4)}));

    // Text cleared: every line of severity error or graver; own lines have none.
    w.edFilter->clear();
    EXPECT_EQ(shownLines(), (QStringList{w.store().line(2), w.store().line(4)}));
    w.cbFilterSeverity->setCurrentIndex(w.cbFilterSeverity->findText("all"));
    EXPECT_EQ(shownLines(), w.store().lines());
    EXPECT_EQ(w.selectedRow(), 4);
    EXPECT_EQ(w.LogBox->currentIndex().row(), 4);

    // The store counted every line for the limit, whatever was shown: 5 now, 6 more rotate.
    for (int i = 0; i < 6; ++i) receive(6, "routine");
    EXPECT_EQ(FileLines(autoFile("-2")).size(), 11);
    EXPECT_EQ(FileLines(autoFile("-2"))[0], SyslogStore::noticeLine(autoFile()));
}

// Clicking a line of the filtered view shows that very line in the detail view.
TEST_F(SyslogView, ClickOnAFilteredLineShowsItInTheDetailView) {
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    for (int i = 1; i <= 30; ++i)
        receive(i % 8, QString("message %1 %2").arg(i).arg(i % 3 == 0 ? "needle" : "hay"));
    w.edFilter->setText("NEEDLE");
    settle();
    ASSERT_EQ(w.model().rowCount(), 10);
    const QModelIndex second = w.model().index(1);
    QTest::mouseClick(w.LogBox->viewport(), Qt::LeftButton, {},
                      w.LogBox->visualRect(second).center());
    const QString want = w.store().line(w.model().storeRow(1));
    EXPECT_TRUE(want.endsWith("message 6 needle")) << want.toStdString();
    EXPECT_EQ(w.mmDetail->toPlainText(), want);
    EXPECT_EQ(w.selectedRow(), 5);  // the store's row
    w.edFilter->clear();
    EXPECT_EQ(w.LogBox->currentIndex().row(), 5);  // still the clicked line
}

// Typing narrows the view and deleting brings earlier filters back from memory; lines that came
// in meanwhile, and a rotation in between, must still give exactly the matching lines.
TEST_F(SyslogView, TypingAndDeletingBackStaysExact) {
    w.edValue->setValue(40);
    auto expected = [&] {
        QStringList out;
        const QString text = w.edFilter->text();
        for (const QString& l : w.store().lines())
            if (l.contains(text, Qt::CaseInsensitive)) out << l;
        return out;
    };
    const QStringList words = {"Abc", "abD", "xyz", "ABCD", "Straße", "STRASSE", "ǅ"};
    for (int i = 0; i < 30; ++i) receive(6, words[i % words.size()] + QString::number(i));
    settle();
    for (const char* typed : {"a", "ab", "abc", "abcd"}) {
        w.edFilter->setText(typed);
        EXPECT_EQ(shownLines(), expected()) << typed;
    }
    receive(6, "abX new");  // matches "ab" and "a", not the filter shown now
    receive(6, "abcd new");
    settle();
    for (const char* typed : {"abc", "ab", "a", "ab", "ǆ", "straße"}) {
        w.edFilter->setText(QString::fromUtf8(typed));
        EXPECT_EQ(shownLines(), expected()) << typed;
    }
    w.edFilter->setText("abc");
    for (int i = 0; i < 10; ++i) receive(6, "filler");  // 42 lines: rotated, then 1 + ...
    settle();
    ASSERT_LT(w.store().count(), 40);
    for (const char* typed : {"ab", "a", "fill", ""}) {
        w.edFilter->setText(typed);
        EXPECT_EQ(shownLines(), expected()) << typed;
    }
}
