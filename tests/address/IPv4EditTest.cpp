#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>

#include "address/IPv4Edit.h"

namespace {

// The edit in an active window beside a button that can take the focus.
struct EditWindow {
    QWidget window;
    IPv4Edit* edit;
    QPushButton* other;
    explicit EditWindow(const QString& address) {
        auto* layout = new QVBoxLayout(&window);
        edit = new IPv4Edit(address);
        other = new QPushButton(QStringLiteral("Send"));
        layout->addWidget(edit);
        layout->addWidget(other);
        window.show();
        QApplication::setActiveWindow(&window);
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    }
    // Keys go where the focus is, as from a keyboard.
    void type(const QString& keys) {
        for (QChar c : keys) QTest::keyClick(window.focusWidget(), c.toLatin1());
    }
    void key(Qt::Key k) { QTest::keyClick(window.focusWidget(), k); }
    QStringList fields() const {
        QStringList out;
        for (int i = 0; i < 4; ++i) out << edit->field(i)->text();
        return out;
    }
};

}  // namespace

TEST(IPv4Edit, HoldsOnlyWholeAddresses) {
    IPv4Edit e(QStringLiteral("127.0.0.1"));
    EXPECT_EQ(e.text(), "127.0.0.1");
    const struct {
        const char* address;
        bool taken;
        const char* shown;
    } cases[] = {
        {"192.168.1.20", true, "192.168.1.20"}, {"010.001.0.9", true, "10.1.0.9"},
        {"1.2.3", false, "10.1.0.9"},           {"1.2.3.", false, "10.1.0.9"},
        {"256.1.1.1", false, "10.1.0.9"},       {"", false, "10.1.0.9"},
        {"1.2.3.4.5", false, "10.1.0.9"},       {" 1.2.3.4", false, "10.1.0.9"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(e.setText(c.address), c.taken) << c.address;
        EXPECT_EQ(e.text(), c.shown) << c.address;
    }
}

TEST(IPv4Edit, TypingMovesThroughTheFieldsAndAPartialAddressIsWholeOnLeaving) {
    EditWindow w(QStringLiteral("127.0.0.1"));
    for (int i = 0; i < 4; ++i) w.edit->field(i)->clear();
    w.edit->setFocus();
    w.type("10.2.33");  // three digits would move on by themselves; "." does it earlier
    EXPECT_EQ(w.fields(), QStringList({"10", "2", "33", ""}));
    EXPECT_EQ(w.edit->text(), "10.2.33.0") << "an empty field counts as 0";
    w.other->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(w.fields(), QStringList({"10", "2", "33", "0"})) << "and shows so once left";

    w.edit->setFocus();
    w.edit->field(0)->selectAll();
    w.type("192168");  // three digits move on
    EXPECT_EQ(w.fields(), QStringList({"192", "168", "33", "0"}));
    w.type("999");  // refused above 255: the field keeps "99"
    EXPECT_EQ(w.edit->field(2)->text(), "99");
}

TEST(IPv4Edit, BackspaceArrowsAndPaste) {
    EditWindow w(QStringLiteral("1.2.3.4"));
    w.edit->field(2)->setFocus();
    w.edit->field(2)->setCursorPosition(0);
    w.key(Qt::Key_Backspace);  // at the start: back to the end of the field before
    EXPECT_EQ(w.window.focusWidget(), w.edit->field(1));
    w.key(Qt::Key_Backspace);
    EXPECT_EQ(w.fields(), QStringList({"1", "", "3", "4"}));
    w.key(Qt::Key_Right);
    EXPECT_EQ(w.window.focusWidget(), w.edit->field(2));
    w.key(Qt::Key_Left);
    EXPECT_EQ(w.window.focusWidget(), w.edit->field(1));

    QApplication::clipboard()->setText(QStringLiteral(" 172.16.0.5 "));
    QTest::keySequence(w.window.focusWidget(), QKeySequence::Paste);
    EXPECT_EQ(w.edit->text(), "172.16.0.5");
    QApplication::clipboard()->setText(QStringLiteral("10.1"));  // not an address: refused
    QTest::keySequence(w.window.focusWidget(), QKeySequence::Paste);
    EXPECT_EQ(w.edit->text(), "172.16.0.5");
}
