// The loopback sender panel.
#include <QLineEdit>
#include <QScopeGuard>
#include <QTimer>

#include "address/IPv4Edit.h"
#include "netcomp/syslog/TncSysLog.h"
#include "syslog/uSyslog.h"
#include "ui/NumericEdit.h"

void TfSyslog::btnSendClick() {
    // Whatever happens, the receiver ends as it was found (listening again, or closed), and
    // the buttons and caption show what the component really does.
    const bool wasListening = ncSysLog->Active();
    auto restore = qScopeGuard([&] {
        if (!wasListening && ncSysLog->Active()) {
            try {
                ncSysLog->SetActive(false);
            } catch (...) {  // closing cannot fail in practice; the state check below holds
            }
        }
        if (wasListening && !ncSysLog->Active()) setStopped();
    });
    if (ncSysLog->Active()) deactivate();
    ncSysLog->SetRemoteHost(edIP->text());
    ncSysLog->SetRemotePort(edPort->value());
    ncSysLog->SetActive(true);
    // The reopened socket counts its drops afresh; from Start to Stop they add up.
    m_openingCounted = m_droppedTimer->isActive();
    const QString text = QStringLiteral(" > ") + edMessage->text();
    const int count = edSendCount->value();
    for (int i = 1; i <= count; ++i) ncSysLog->SendPacket(5, 7, QString::number(i) + text);
}

void TfSyslog::btnCloseClick() {
    pnMessage->setVisible(false);
}
