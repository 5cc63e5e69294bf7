#pragma once

// The adapter tool's controls, found by their object names.

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

#include "adapter/uNIC.h"
#include "tests/support/Child.h"

struct NicControls {
    explicit NicControls(const TfNIC& w)
        : Label3(Child<QLabel>(w, "Label3")),
          lbNIC(Child<QListWidget>(w, "lbNIC")),
          Label7(Child<QLabel>(w, "Label7")),
          btnRelease(Child<QPushButton>(w, "btnRelease")),
          btnRenew(Child<QPushButton>(w, "btnRenew")),
          btnDHCP(Child<QPushButton>(w, "btnDHCP")),
          pnIP(Child<QFrame>(w, "pnIP")),
          edIPAddress(Child<QComboBox>(w, "edIPAddress")),
          edSubnetMask(Child<QComboBox>(w, "edSubnetMask")),
          edGateway(Child<QComboBox>(w, "edGateway")),
          edDNS1(Child<QComboBox>(w, "edDNS1")),
          edDNS2(Child<QComboBox>(w, "edDNS2")),
          btnFixedIP(Child<QPushButton>(w, "btnFixedIP")),
          Memo1(Child<QPlainTextEdit>(w, "Memo1")),
          Label4(Child<QLabel>(w, "Label4")),
          mmInfo(Child<QPlainTextEdit>(w, "mmInfo")),
          LogBox(Child<QListWidget>(w, "LogBox")) {}

    // A click on a row, as the user makes it (the adapter is remembered by it).
    void click(int row) const {
        lbNIC->setCurrentRow(row);
        emit lbNIC->itemClicked(lbNIC->item(row));
    }

    QLabel* Label3;
    QListWidget* lbNIC;
    QLabel* Label7;
    QPushButton* btnRelease;
    QPushButton* btnRenew;
    QPushButton* btnDHCP;
    QFrame* pnIP;
    QComboBox* edIPAddress;
    QComboBox* edSubnetMask;
    QComboBox* edGateway;
    QComboBox* edDNS1;
    QComboBox* edDNS2;
    QPushButton* btnFixedIP;
    QPlainTextEdit* Memo1;
    QLabel* Label4;
    QPlainTextEdit* mmInfo;
    QListWidget* LogBox;
};
