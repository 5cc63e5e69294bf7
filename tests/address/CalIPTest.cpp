#include <gtest/gtest.h>

#include <QButtonGroup>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>

#include "address/uCalIP.h"
#include "tests/support/ScriptedDialogs.h"

void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace {

const QString kFormatMessage = QStringLiteral("ใส่ Format IP ให้ถูกต้อง");

struct Outputs {
    QString maskBit, subnetId, dhcpRange, maxHost;
    bool operator==(const Outputs&) const = default;
};

void PrintTo(const Outputs& o, std::ostream* os) {
    *os << '{' << o.maskBit.toStdString() << ", " << o.subnetId.toStdString() << ", "
        << o.dhcpRange.toStdString() << ", " << o.maxHost.toStdString() << '}';
}

class CalIP : public ::testing::Test {
  protected:
    ScriptedDialogs boxes;
    TfCalIP w;

    Outputs outputs() const {
        return {w.edCalMaskBit->text(), w.edCalSubnetID->text(), w.edCalDHCPRange->text(),
                w.edCalMaxHost->text()};
    }
    // One choice of the mask at index by the user: the program moves the list next to it (no
    // event), then the user steps onto it with the keyboard.
    void pickMask(int index) {
        const bool fromAbove = index > 0;
        w.edCalSubnetMAsk->setCurrentIndex(fromAbove ? index - 1 : index + 1);
        QTest::keyClick(w.edCalSubnetMAsk, fromAbove ? Qt::Key_Down : Qt::Key_Up);
        ASSERT_EQ(w.edCalSubnetMAsk->currentIndex(), index);
    }
    void pickMask(const QString& mask) { pickMask(w.edCalSubnetMAsk->findText(mask)); }
};

}  // namespace

TEST_F(CalIP, OpensWithInitialValuesAndNoCalculation) {
    EXPECT_EQ(w.windowTitle(), "คำนวน IP Address");
    EXPECT_EQ(w.rgCalSubnetItems->checkedId(), 0);
    EXPECT_EQ(w.edCalIPAddress->text(), "10.0.0.1");
    EXPECT_EQ(w.edCalSubnetMAsk->currentText(), "255.255.255.0");
    EXPECT_FALSE(w.edCalSubnetMAsk->isEditable());
    EXPECT_EQ(w.edCalSubnetMAsk->count(), 5);
    EXPECT_EQ(outputs(), Outputs{});
    for (QLineEdit* e : {w.edCalMaskBit, w.edCalSubnetID, w.edCalDHCPRange, w.edCalMaxHost})
        EXPECT_TRUE(e->isReadOnly());
    EXPECT_FALSE(w.edCalIPAddress->isReadOnly());
}

TEST_F(CalIP, PickingEachListedMaskFor10001) {
    const Outputs expected[] = {
        {"24", "10.0.0.0", "10.0.0.1-10.0.0.254", "254"},
        {"23", "10.0.0.0", "10.0.0.1-10.0.1.254", "510"},
        {"22", "10.0.0.0", "10.0.0.1-10.0.3.254", "1022"},
        {"21", "10.0.0.0", "10.0.0.1-10.0.7.254", "2046"},
        {"20", "10.0.0.0", "10.0.0.1-10.0.15.254", "4094"},
    };
    for (int i : {1, 2, 3, 4, 0}) {
        pickMask(i);
        EXPECT_EQ(outputs(), expected[i]) << w.edCalSubnetMAsk->currentText().toStdString();
    }
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(CalIP, PickingTheShownMaskAgainRecalculates) {
    // A choice of the entry already shown is still a choice.
    emit w.edCalSubnetMAsk->activated(0);
    EXPECT_EQ(outputs(), (Outputs{"24", "10.0.0.0", "10.0.0.1-10.0.0.254", "254"}));
}

TEST_F(CalIP, EnterInMaskListCalculatesButLeavesMaskBit) {
    pickMask("255.255.254.0");
    w.edCalSubnetMAsk->setCurrentIndex(w.edCalSubnetMAsk->findText("255.255.240.0"));  // no event
    w.edCalIPAddress->setText("192.168.5.77");
    QTest::keyClick(w.edCalSubnetMAsk, Qt::Key_Return);
    EXPECT_EQ(outputs(), (Outputs{"23", "192.168.0.0", "192.168.0.1-192.168.15.254", "4094"}));

    TfCalIP fresh;
    fresh.edCalSubnetMAsk->setCurrentIndex(4);
    fresh.edCalIPAddress->setText("192.168.5.77");
    QTest::keyClick(fresh.edCalSubnetMAsk, Qt::Key_Enter);  // the keypad's Enter too
    EXPECT_EQ(fresh.edCalMaskBit->text(), "");
    EXPECT_EQ(fresh.edCalSubnetID->text(), "192.168.0.0");
    EXPECT_EQ(fresh.edCalDHCPRange->text(), "192.168.0.1-192.168.15.254");
    EXPECT_EQ(fresh.edCalMaxHost->text(), "4094");
}

TEST_F(CalIP, OtherKeysInMaskListDoNotCalculate) {
    QTest::keyClick(w.edCalSubnetMAsk, Qt::Key_A);
    QTest::keyClick(w.edCalSubnetMAsk, Qt::Key_Space);
    EXPECT_EQ(outputs().subnetId, "");
}

TEST_F(CalIP, InvalidAddressShowsMessageAndChangesNoOutput) {
    pickMask(1);
    const Outputs before = outputs();
    const char* invalid[] = {"10.0.0.1 ", "10 .0.0.1", "10.0.0.256", "10.0.0", "", "10.0.0.1.5"};
    for (const char* address : invalid) {
        SCOPED_TRACE(address);
        w.edCalIPAddress->setText(address);
        boxes.shown.clear();
        pickMask(3);                                         // by selection
        QTest::keyClick(w.edCalSubnetMAsk, Qt::Key_Return);  // by Enter in the list
        QTest::keyClick(w.edCalMaskBit, Qt::Key_Return);     // by Enter in the mask bits
        EXPECT_EQ(boxes.texts("information"),
                  QStringList({kFormatMessage, kFormatMessage, kFormatMessage}));
        EXPECT_TRUE(boxes.errors().isEmpty());
        EXPECT_EQ(outputs(), before);
        pickMask(1);
    }
}

TEST_F(CalIP, EnterInMaskBitSetsTheListBeforeValidating) {
    pickMask("255.255.252.0");
    w.edCalIPAddress->setText("1.2.3");
    pickMask("255.255.240.0");  // fails validation: mask bits stay 22
    ASSERT_EQ(w.edCalMaskBit->text(), "22");
    QTest::keyClick(w.edCalMaskBit, Qt::Key_Return);
    EXPECT_EQ(w.edCalSubnetMAsk->currentText(), "255.255.252.0");
    EXPECT_EQ(boxes.texts("information").size(), 2);
    EXPECT_EQ(w.edCalSubnetID->text(), "10.0.0.0");
    EXPECT_EQ(w.edCalDHCPRange->text(), "10.0.0.1-10.0.3.254");
}

TEST_F(CalIP, EnterInMaskBitBeforeAnyPickGivesTheConversionError) {
    QTest::keyClick(w.edCalMaskBit, Qt::Key_Return);
    EXPECT_EQ(boxes.errors(), QStringList({"'' is not a valid integer value."}));
    EXPECT_EQ(outputs(), Outputs{});
    EXPECT_EQ(w.edCalSubnetMAsk->currentText(), "255.255.255.0");
    // The window goes on working.
    pickMask(4);
    EXPECT_EQ(outputs().maxHost, "4094");
}

TEST_F(CalIP, EnterInMaskBitAfterAPickRecomputesWithThatMask) {
    pickMask("255.255.248.0");
    w.edCalSubnetMAsk->setCurrentIndex(0);  // shown mask changed without a pick
    w.edCalIPAddress->setText("172.16.9.9");
    QTest::keyClick(w.edCalMaskBit, Qt::Key_Return);
    EXPECT_EQ(w.edCalSubnetMAsk->currentText(), "255.255.248.0");
    EXPECT_EQ(outputs(), (Outputs{"21", "172.16.8.0", "172.16.8.1-172.16.15.254", "2046"}));
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(CalIP, ClassChangesOnlyTheAddress) {
    pickMask(1);
    const Outputs before = outputs();
    const struct {
        int id;
        const char* address;
    } cases[] = {{1, "172.16.0.1"}, {2, "192.168.0.1"}, {0, "10.0.0.1"}};
    for (const auto& c : cases) {
        QTest::mouseClick(w.rgCalSubnetItems->button(c.id), Qt::LeftButton);
        EXPECT_EQ(w.edCalIPAddress->text(), c.address);
        EXPECT_EQ(w.edCalSubnetMAsk->currentText(), "255.255.254.0");
        EXPECT_EQ(outputs(), before);
    }
    // Picking a mask afterwards describes the new address.
    QTest::mouseClick(w.rgCalSubnetItems->button(1), Qt::LeftButton);
    pickMask(0);
    EXPECT_EQ(outputs(), (Outputs{"24", "172.16.0.0", "172.16.0.1-172.16.0.254", "254"}));
}
