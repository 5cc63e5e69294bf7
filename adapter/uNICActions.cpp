// The adapter tool's action buttons wired to AdapterActions; Fix IP.'s input checks shown as
// information boxes.

#include <QComboBox>

#include "adapter/uNIC.h"
#include "ui/Dialogs.h"
#include "ui/StandardError.h"

void TfNIC::btnReleaseClick() {
    RunHandler([this] { m_actions.DHCPLease(true); });
}

void TfNIC::btnRenewClick() {
    RunHandler([this] { m_actions.DHCPLease(false); });
}

void TfNIC::btnDHCPClick() {
    RunHandler([this] { m_actions.SetDHCPClient(sNICName); });
}

void TfNIC::btnFixedIPClick() {
    RunHandler([this] {
        const QString address = edIPAddress->currentText();
        const QString mask = edSubnetMask->currentText();
        const QString gateway = edGateway->currentText();
        const QString dns1 = edDNS1->currentText();
        if (const auto problem =
                AdapterActions::CheckStatic(sNICName, address, mask, gateway, dns1)) {
            dialogs().information(this, windowTitle(), problem->message);
            if (problem->atGateway) edGateway->setFocus();
            return;
        }
        m_actions.SetStaticIP(sNICName, address, mask, gateway, dns1, edDNS2->currentText());
    });
}
