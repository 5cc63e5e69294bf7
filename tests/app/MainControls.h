#pragma once

// The main window's controls, found by their object names.

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QTimer>

#include "app/PingRunner.h"
#include "app/uVelkorTool.h"
#include "tests/support/Child.h"
#include "ui/LinkLabel.h"
#include "ui/NumericEdit.h"

struct MainControls {
    explicit MainControls(const TfMain& w)
        : btnPing(Child<QPushButton>(w, "btnPing")),
          cbLoopPing(Child<QCheckBox>(w, "cbLoopPing")),
          btnTracerute(Child<QPushButton>(w, "btnTracerute")),
          btnStopTrace(Child<QPushButton>(w, "btnStopTrace")),
          edHostName(Child<QComboBox>(w, "edHostName")),
          cbNICList(Child<QComboBox>(w, "cbNICList")),
          edHostIP(Child<QLineEdit>(w, "edHostIP")),
          neByte(Child<NumericEdit>(w, "neByte")),
          neTimeOut(Child<NumericEdit>(w, "neTimeOut")),
          neCount(Child<NumericEdit>(w, "neCount")),
          lbHostName(Child<QLabel>(w, "lbHostName")),
          lbNICList(Child<QLabel>(w, "lbNICList")),
          lbByte(Child<QLabel>(w, "lbByte")),
          lbTimeOut(Child<QLabel>(w, "lbTimeOut")),
          lbCount(Child<QLabel>(w, "lbCount")),
          edTelnetHost(Child<QLineEdit>(w, "edTelnetHost")),
          neTelnetPort(Child<NumericEdit>(w, "neTelnetPort")),
          btnTelnet(Child<QPushButton>(w, "btnTelnet")),
          lbTelnetHost(Child<QLabel>(w, "lbTelnetHost")),
          lbTelnetPort(Child<QLabel>(w, "lbTelnetPort")),
          lbForwardPort(Child<QLabel>(w, "lbForwardPort")),
          LogBox(Child<QListWidget>(w, "LogBox")),
          pmSave(Child<QMenu>(w, "pmSave")),
          Log1(Child<QAction>(w, "Log1")),
          imgLogo(Child<QLabel>(w, "imgLogo")),
          lbWebSite(Child<LinkLabel>(w, "lbWebSite")),
          stClock(Child<QLabel>(w, "stClock")),
          tmClock(Child<QTimer>(w, "tmClock")),
          mnTools(Child<QMenu>(w, "mnTools")),
          GenCLI1(Child<QAction>(w, "GenCLI1")),
          SyslogServer1(Child<QAction>(w, "SyslogServer1")),
          IP1(Child<QAction>(w, "IP1")),
          N1(Child<QAction>(w, "N1")),
          trayIcon(Child<QSystemTrayIcon>(w, "trayIcon")),
          PopupMenu1(Child<QMenu>(w, "PopupMenu1")),
          Open1(Child<QAction>(w, "Open1")),
          Exit2(Child<QAction>(w, "Exit2")),
          ping(Child<PingRunner>(w, "PingRunner")) {}

    QPushButton* btnPing;
    QCheckBox* cbLoopPing;
    QPushButton* btnTracerute;
    QPushButton* btnStopTrace;
    QComboBox* edHostName;
    QComboBox* cbNICList;
    QLineEdit* edHostIP;
    NumericEdit* neByte;
    NumericEdit* neTimeOut;
    NumericEdit* neCount;
    QLabel* lbHostName;
    QLabel* lbNICList;
    QLabel* lbByte;
    QLabel* lbTimeOut;
    QLabel* lbCount;
    QLineEdit* edTelnetHost;
    NumericEdit* neTelnetPort;
    QPushButton* btnTelnet;
    QLabel* lbTelnetHost;
    QLabel* lbTelnetPort;
    QLabel* lbForwardPort;
    QListWidget* LogBox;
    QMenu* pmSave;
    QAction* Log1;
    QLabel* imgLogo;
    LinkLabel* lbWebSite;
    QLabel* stClock;
    QTimer* tmClock;
    QMenu* mnTools;
    QAction* GenCLI1;
    QAction* SyslogServer1;
    QAction* IP1;
    QAction* N1;
    QSystemTrayIcon* trayIcon;
    QMenu* PopupMenu1;
    QAction* Open1;
    QAction* Exit2;
    PingRunner* ping;  // the continuous run's timer and tally
};
