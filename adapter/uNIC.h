#pragma once

// The adapter tool: lists the adapters, shows the picked one's addressing, releases or renews its
// DHCP lease, gives the remembered adapter a static address or switches it back to DHCP.
// Seams: the adapter-information component and the management interface are passed in (the real
// ones by default); message boxes go through dialogs().

#include <QDialog>
#include <memory>

#include "adapter/ManagementInterface.h"
#include "netcomp/adapters/TncIPInfo.h"

class QComboBox;
class QFrame;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

class TfNIC : public QDialog {
    Q_OBJECT
  public:
    explicit TfNIC(QWidget* owner = nullptr, std::unique_ptr<TncIPInfo> ipInfo = nullptr,
                   std::unique_ptr<ManagementInterface> management = nullptr);
    ~TfNIC() override;

    // Controls.
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
    TncIPInfo* IPInfo1;

    // The description of the adapter last clicked in lbNIC; set only by lbNICClick.
    QString sNICName;

    void FormCreate();
    void LoadNICList();
    void lbNICClick();
    void ShowAdapterInfo();
    void AddNICLog(const QString& line);
    void DisableControls();
    void EnableControls();

    void btnReleaseClick();
    void btnRenewClick();
    void btnDHCPClick();
    void SetDHCPClient(const QString& name);

    void btnFixedIPClick();
    bool CheckIPInputs(const QString& address, const QString& mask, const QString& gateway,
                       const QString& dns1);
    void SetStaticIP(const QString& name, const QString& address, const QString& mask,
                     const QString& gateway, const QString& dns1, const QString& dns2);

    // While an action runs the window stays open: it waits with its event loop running.
    void reject() override;

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void buildControls();
    void dhcpLeaseAction(bool release);

    std::unique_ptr<TncIPInfo> m_ipInfo;
    std::unique_ptr<ManagementInterface> m_management;
    bool m_busy = false;  // an action runs: its controls are disabled
};
