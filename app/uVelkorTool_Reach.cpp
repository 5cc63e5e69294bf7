// The reachability tests of the main window: its controls wired to the ping, trace route and
// port-test runners, which take the components' events themselves.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>

#include "app/uVelkorTool.h"
#include "ui/NumericEdit.h"
#include "ui/WindowHelpers.h"

void TfMain::setupReach() {
    connect(&m_ping, &PingRunner::busyChanged, btnPing,
            [this](bool busy) { btnPing->setEnabled(!busy); });
    handle(btnPing, &QPushButton::clicked, &TfMain::btnPingClick);
    handle(cbLoopPing, &QCheckBox::toggled, &TfMain::cbLoopPingClick);
    handle(btnTracerute, &QPushButton::clicked, &TfMain::btnTraceruteClick);
    handle(btnStopTrace, &QPushButton::clicked, &TfMain::btnStopTraceClick);
    handle(btnTelnet, &QPushButton::clicked, &TfMain::btnTelnetClick);
}

// Ping.

void TfMain::btnPingClick() {
    // A refused value ends the click here: nothing logged, counters and button as they were.
    m_ping.start(neByte->value(), neTimeOut->value(), sNICIP, cbLoopPing->isChecked());
}

void TfMain::cbLoopPingClick() {
    m_ping.setLoopPing(cbLoopPing->isChecked());
}

// Trace route: the stop button takes effect at the next hop report.

void TfMain::btnTraceruteClick() {
    const BusyCursor busy;
    btnTracerute->setEnabled(false);
    // Runs however the trace ends; the cursor follows when `busy` goes.
    const auto idle = qScopeGuard([this] { btnTracerute->setEnabled(true); });
    // A source counts as chosen when the adapter's address is shown.
    std::optional<TraceRunner::Source> source;
    if (!edHostIP->text().isEmpty()) source = TraceRunner::Source{sNICName, sNICIP};
    m_trace.run(edHostName->currentText(), source);
}

void TfMain::btnStopTraceClick() {
    m_trace.requestStop();
}

// TCP port test.

void TfMain::btnTelnetClick() {
    btnTelnet->setEnabled(false);
    const auto enable = qScopeGuard([this] { btnTelnet->setEnabled(true); });
    switch (m_portTest.run(edTelnetHost->text(), neTelnetPort->value())) {
        case PortTestRunner::Missing::Host:
            edTelnetHost->setFocus();
            break;
        case PortTestRunner::Missing::Port:
            neTelnetPort->setFocus();
            break;
        case PortTestRunner::Missing::Nothing:
            break;
    }
}
