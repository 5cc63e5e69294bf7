#pragma once

// The adapter tool: lists the adapters, shows the picked one's addressing, releases or renews its
// DHCP lease, gives the remembered adapter a static address or switches it back to DHCP.
// Seams: the adapter-information component and the management interface are passed in (the real
// ones by default); message boxes go through dialogs(). What the actions do is AdapterActions';
// the window holds the controls and their wiring. Tests find the controls by their names.

#include <QDialog>
#include <memory>
#include <optional>

#include "adapter/AdapterActions.h"
#include "adapter/ManagementInterface.h"
#include "netcomp/adapters/TncIPInfo.h"
#include "ui/WindowHelpers.h"

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

    // While an action runs the window stays open: it waits with its event loop running.
    void reject() override;

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void buildControls();
    void nameControls();
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
    void btnFixedIPClick();

    std::unique_ptr<TncIPInfo> m_ipInfo;
    std::unique_ptr<ManagementInterface> m_management;
    TncIPInfo* IPInfo1;
    AdapterActions m_actions;

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

    // The description of the adapter last clicked in lbNIC; set only by lbNICClick.
    QString sNICName;
    bool m_busy = false;  // an action runs: its controls are disabled
    std::optional<BusyCursor> m_hourglass;
};
