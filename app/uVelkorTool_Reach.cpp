// The reachability tests of the main window: its controls and the components' events wired to
// the ping, trace route and port-test runners.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QTimer>

#include "app/uVelkorTool.h"
#include "ui/NumericEdit.h"
#include "ui/WindowHelpers.h"

namespace {
constexpr int kLoopIntervalMs = 2000;
}  // namespace

// Ping.

void TfMain::setupPing() {
    ncPing1->setPacketSize(32);
    ncPing1->OnResponse = [this](TncPing*, int, const QString&, const QString&, int) {
        ncPing1Response();
    };
    tmLooping = new QTimer(this);
    tmLooping->setInterval(kLoopIntervalMs);
    handle(btnPing, &QPushButton::clicked, &TfMain::btnPingClick);
    handle(tmLooping, &QTimer::timeout, &TfMain::tmLoopingTimer);
    handle(cbLoopPing, &QCheckBox::toggled, &TfMain::cbLoopPingClick);
}

void TfMain::btnPingClick() {
    // A refused value ends the click here: nothing logged, counters and button as they were.
    m_ping.start(neByte->value(), neTimeOut->value(), sNICIP);
    btnPing->setEnabled(false);
    const auto enable = qScopeGuard([this] { btnPing->setEnabled(true); });
    if (cbLoopPing->isChecked()) {
        IsLoopPing = true;
        tmLooping->start();  // the first attempt follows at the first tick
        return;
    }
    m_ping.burst();
}

void TfMain::tmLoopingTimer() {
    if (IsLoopPing) {
        btnPing->setEnabled(false);
        m_ping.attempt(sNICIP);
        return;
    }
    tmLooping->stop();
    btnPing->setEnabled(true);
    m_ping.writeSummary();
}

void TfMain::cbLoopPingClick() {
    IsLoopPing = cbLoopPing->isChecked();
}

void TfMain::ncPing1Response() {
    ++iPingSuccess;
}

void TfMain::AddPingReply() {
    m_ping.writeReply();
}

void TfMain::AddPingError(const QString& message) {
    m_ping.writeFailure(message);
}

// Trace route: the stop button takes effect at the next hop report.

void TfMain::setupTrace() {
    // Not under RunHandler: the component's event delivery takes what escapes the handler.
    ncTraceRoute1->OnHop = [this](TncTraceRoute*, int HopNumber, const QString& HostAddress,
                                  int Duration) {
        ncTraceRoute1Hop(HopNumber, HostAddress, Duration);
    };
    handle(btnTracerute, &QPushButton::clicked, &TfMain::btnTraceruteClick);
    handle(btnStopTrace, &QPushButton::clicked, &TfMain::btnStopTraceClick);
}

void TfMain::btnTraceruteClick() {
    const BusyCursor busy;
    btnTracerute->setEnabled(false);
    IsRunTrace = true;
    // Runs however the trace ends; the cursor follows when `busy` goes.
    const auto idle = qScopeGuard([this] {
        IsRunTrace = false;
        btnTracerute->setEnabled(true);
    });
    // A source counts as chosen when the adapter's address is shown.
    std::optional<TraceRunner::Source> source;
    if (!edHostIP->text().isEmpty()) source = TraceRunner::Source{sNICName, sNICIP};
    m_trace.run(edHostName->currentText(), source);
}

void TfMain::ncTraceRoute1Hop(int HopNumber, const QString& HostAddress, int Duration) {
    m_trace.writeHop(HopNumber, HostAddress, Duration);
    if (!IsRunTrace) m_trace.stop();
}

void TfMain::btnStopTraceClick() {
    IsRunTrace = false;
}

// TCP port test.

void TfMain::setupTelnet() {
    Telnet1->OnConnected = [this](TncTelnet*, int StatusCode, const QString& Description) {
        Telnet1Connected(StatusCode, Description);
    };
    Telnet1->OnDisconnected = [this](TncTelnet*, int StatusCode, const QString& Description) {
        Telnet1Disconnected(StatusCode, Description);
    };
    handle(btnTelnet, &QPushButton::clicked, &TfMain::btnTelnetClick);
}

void TfMain::btnTelnetClick() {
    btnTelnet->setEnabled(false);
    const auto enable = qScopeGuard([this] { btnTelnet->setEnabled(true); });
    if (edTelnetHost->text().isEmpty()) {
        edTelnetHost->setFocus();
        return;
    }
    if (neTelnetPort->value() <= 0) {
        neTelnetPort->setFocus();
        return;
    }
    m_portTest.run(edTelnetHost->text(), neTelnetPort->value());
}

void TfMain::Telnet1Connected(int StatusCode, const QString& Description) {
    m_portTest.connected(StatusCode, Description);
}

void TfMain::Telnet1Disconnected(int /*StatusCode*/, const QString& Description) {
    m_portTest.disconnected(Description);
}
